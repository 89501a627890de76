#pragma once

#include <QString>

// A list's sort state: the column clicked last, the direction chosen then and the order text
// (the last line of the list's query). Each list keeps its own.
struct SortState {
    int column = 0;     // remembered column
    QString direction;  // "asc", "desc" or empty
    QString orderText;  // "order by <field> <direction>" or empty

    // The direction a click on the given column chooses: a new column starts "asc", the
    // remembered column toggles. Remembers the column and the direction.
    QString click(int clickedColumn);
};
