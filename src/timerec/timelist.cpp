#include "timerec/timelist.h"

#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"

TimeList::TimeList(Tdm& dm, QWidget* parentWidget, QObject* parent)
    : DatasetList(dm.Time,
                  new ListPanel(QStringLiteral("Zeitnahmen"), QStringLiteral("TimeGrid"),
                                QStringLiteral("AdvGlowButton3"), QStringLiteral("Close"),
                                parentWidget),
                  parent),
      m_dm(dm) {
    grid()->setColumnLayout(designLayout());
    grid()->setSortHandler([this](int column, bool& allow) { TimeGridCanSort(column, allow); });
    connect(grid(), &ListGrid::openRequested, this, &TimeList::editRequested);
}

ColumnLayout TimeList::designLayout() {
    return {
        {QStringLiteral("Bezeichnung"), QStringLiteral("Bezeichnung"), 168},
        {QStringLiteral("Bearbeiter"), QStringLiteral("Bearbeiter"), 191},
        {QStringLiteral("VonDatum"), QStringLiteral("Von Datum"), 80},
        {QStringLiteral("VonUhrzeit"), QStringLiteral("Uhrzeit"), 80},
        {QStringLiteral("BisDatum"), QStringLiteral("Bis Datum"), 80},
        {QStringLiteral("BisUhrzeit"), QStringLiteral("Uhrzeit"), 80},
        {QStringLiteral("AufwandBez"), QStringLiteral("Zeitaufwand"), 64},
    };
}

void TimeList::setProject(int nr) {
    setBaseText(QStringLiteral("Select * From PRZeiten where PRID=") + QString::number(nr));
    clearOrderText();
}

void TimeList::showtimes() {
    runQuery();
    dataset().first();
}

void TimeList::enter() {
    const int nr = m_dm.Projekte.fieldByName(QStringLiteral("Nr")).asInteger();
    // The open tasks of the project are what the time entry editor offers.
    Dataset& tasks = m_dm.Aufgaben;
    tasks.close();
    tasks.setSql(QStringLiteral("Select * From Aufgaben where AProjectnr=") + QString::number(nr) +
                 QStringLiteral(" and aerledigt is null"));
    tasks.open();
    setProject(nr);
    showtimes();
    grid()->setFocus();
}

void TimeList::toggleSearchBar() {
    panel()->toggleSearchBar();
}
