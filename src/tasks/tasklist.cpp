#include "tasks/tasklist.h"

#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"

TaskList::TaskList(Tdm& dm, QWidget* parentWidget, QObject* parent)
    : DatasetList(dm.Aufgaben,
                  new ListPanel(QStringLiteral("Aufgabenliste"), QStringLiteral("ToDoGrid"),
                                QStringLiteral("AdvGlowButton2"), QStringLiteral("Close"),
                                parentWidget),
                  parent),
      m_dm(dm) {
    grid()->setColumnLayout(designLayout());
    grid()->setSortHandler([this](int column, bool& allow) { ToDoGridCanSort(column, allow); });
    connect(grid(), &ListGrid::openRequested, this, &TaskList::editRequested);
}

ColumnLayout TaskList::designLayout() {
    return {
        {QStringLiteral("ABezeichnung"), QStringLiteral("Bezeichnung"), 168},
        {QStringLiteral("ADelegiert"), QStringLiteral("Delegiert"), 180},
        {QStringLiteral("AErledigtP"), QStringLiteral(" "), 64, true},
        {QStringLiteral("AVon"), QStringLiteral("Von"), 117},
        {QStringLiteral("ABis"), QStringLiteral("Bis"), 80},
        {QStringLiteral("AWV"), QStringLiteral("Wiedervorlage"), 80},
        {QStringLiteral("AVermerk"), QStringLiteral("Vermerk"), 80},
        {QStringLiteral("APrioBez"), QStringLiteral("Priorität"), 127},
        {QStringLiteral("AErledigt"), QStringLiteral("Erledigt"), 80},
        {QStringLiteral("AGZeitBez"), QStringLiteral("Zeitaufwand"), 100},
    };
}

void TaskList::setProject(int nr) {
    setBaseText(QStringLiteral("Select * From Aufgaben where AProjectnr=") + QString::number(nr) +
                QStringLiteral(" and aerledigt is null"));
    clearOrderText();
}

void TaskList::showaufgaben() {
    runQuery();
    dataset().first();
}

void TaskList::enter() {
    setProject(m_dm.Projekte.fieldByName(QStringLiteral("Nr")).asInteger());
    showaufgaben();
    grid()->setFocus();
}

void TaskList::toggleSearchBar() {
    panel()->toggleSearchBar();
}
