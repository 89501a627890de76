#include "lists/sortstate.h"

QString SortState::click(int clickedColumn) {
    if (clickedColumn != column)
        direction = QStringLiteral("asc");
    else
        direction =
            direction == QLatin1String("asc") ? QStringLiteral("desc") : QStringLiteral("asc");
    column = clickedColumn;
    return direction;
}
