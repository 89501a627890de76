#include "tasks/followuplist.h"

#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"

FollowUpList::FollowUpList(Tdm& dm, QWidget* parentWidget, QObject* parent)
    : DatasetList(dm.AWV,
                  new ListPanel(QStringLiteral("Wiedervorlagen"), QStringLiteral("WVGrid"),
                                QStringLiteral("AdvGlowButton4"), QStringLiteral("Close"),
                                parentWidget),
                  parent) {
    grid()->setColumnLayout(designLayout());
    grid()->setSortHandler([this](int column, bool& allow) { WVGridCanSort(column, allow); });
    connect(grid(), &ListGrid::openRequested, this, &FollowUpList::editRequested);
}

ColumnLayout FollowUpList::designLayout() {
    return {
        {QStringLiteral("Bezeichnung"), QStringLiteral("Projekt"), 150},
        {QStringLiteral("ABezeichnung"), QStringLiteral("Bezeichnung"), 168},
        {QStringLiteral("ADelegiert"), QStringLiteral("Delegiert"), 180},
        {QStringLiteral("AErledigtP"), QStringLiteral(" "), 64, true},
        {QStringLiteral("AVon"), QStringLiteral("Von"), 117},
        {QStringLiteral("ABis"), QStringLiteral("Bis"), 80},
        {QStringLiteral("AWV"), QStringLiteral("Wiedervorlage"), 80},
        {QStringLiteral("AVermerk"), QStringLiteral("Vermerk"), 80},
        {QStringLiteral("APrioBez"), QStringLiteral("Priorität"), 127},
        {QStringLiteral("AErledigt"), QStringLiteral("Erledigt"), 80},
        {QStringLiteral("AGesamtZeit"), QStringLiteral("Zeitaufwand"), 100},
    };
}

void FollowUpList::UpdateWV() {
    // The follow-up query comes with the task lists.
}

QString FollowUpList::orderTextFor(const QString& field, const QString& direction) const {
    const QString table = field == QLatin1String("Bezeichnung") ? QStringLiteral("Projects.")
                                                                : QStringLiteral("Aufgaben.");
    return QStringLiteral("order by ") + table + field + QLatin1Char(' ') + direction;
}
