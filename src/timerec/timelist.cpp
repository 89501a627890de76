#include "timerec/timelist.h"

#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "platform/guarded.h"
#include "platform/messagedialogs.h"
#include "timerec/timeentryeditor.h"

#include <QAction>
#include <QMenu>

TimeList::TimeList(Tdm& dm, QWidget* parentWidget, QObject* parent)
    : DatasetList(dm.Time,
                  new ListPanel(QStringLiteral("Zeitnahmen"), QStringLiteral("TimeGrid"),
                                QStringLiteral("AdvGlowButton3"), QStringLiteral("Close"),
                                parentWidget),
                  parent),
      m_dm(dm) {
    grid()->setColumnLayout(designLayout());
    grid()->setSortHandler([this](int column, bool& allow) { TimeGridCanSort(column, allow); });
    connect(grid(), &ListGrid::openRequested, this,
            [this] { runGuarded([this] { BTN_EditTimeClick(); }); });
    buildMenu();
    grid()->setContextMenu(m_contextMenu);
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

bool TimeList::hasEntry() const {
    return dataset().active() && dataset().recNo() >= 0;
}

void TimeList::BTN_AddTimeClick() {
    Dataset& projects = m_dm.Projekte;
    if (!m_editor || !projects.active() || projects.recNo() < 0)
        return;
    // Opened on another page, the project's entries may not be loaded yet.
    if (!dataset().active()) {
        setProject(projects.fieldByName(QStringLiteral("Nr")).asInteger());
        showtimes();
    }
    m_editor->newEntry();
}

void TimeList::BTN_EditTimeClick() {
    if (!m_editor || !hasEntry())
        return;
    m_editor->editEntry();
}

void TimeList::BTN_DelTimeClick() {
    if (!m_editor || !hasEntry())
        return;
    const auto answer = MessageDialogs::instance().yesNoQuestion(
        QStringLiteral("Zeiterfassung löschen?"),
        QStringLiteral("Soll die ausgewählte Zeiterfassung wirklich gelöscht werden?"));
    if (answer != MessageDialogs::Answer::Yes)
        return;
    Dataset& times = dataset();
    Field task = times.fieldByName(QStringLiteral("AID"));
    const int anr = task.isNull() ? 0 : task.asInteger();
    times.deleteRecord();
    m_editor->effortTotals().update(anr);
}

namespace {

template <typename F>
QAction* addEntry(QMenu* menu, const char* name, const QString& caption, QObject* context, F f) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, context, [f] { runGuarded(f); });
    return action;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

} // namespace

void TimeList::buildMenu() {
    QMenu* m = m_contextMenu = new QMenu(panel());
    m->setObjectName(QStringLiteral("PMenu_Time"));
    addEntry(m, "Zeiterfassunghinzufgen3", QStringLiteral("Zeiterfassung hinzufügen"), this,
             [this] { BTN_AddTimeClick(); });
    addEntry(m, "Zeiterfassungbearbeiten1", QStringLiteral("Zeiterfassung bearbeiten"), this,
             [this] { BTN_EditTimeClick(); });
    addEntry(m, "Zeiterfassunglschen1", QStringLiteral("Zeiterfassung löschen"), this,
             [this] { BTN_DelTimeClick(); });
    addSeparator(m, "N7");
    addEntry(m, "Aufgabehinzufgen3", QStringLiteral("Aufgabe hinzufügen"), this,
             [this] { Q_EMIT addTaskRequested(); });
    addEntry(m, "Aufgabenffnen3", QStringLiteral("Aufgaben öffnen"), this,
             [this] { Q_EMIT openTasksRequested(); });
    addSeparator(m, "N8");
    addEntry(m, "Dateihinzufgen3", QStringLiteral("Datei hinzufügen"), this,
             [this] { Q_EMIT addFilesRequested(); });
    addEntry(m, "Dateibersichtffnen3", QStringLiteral("Dateiübersicht öffnen"), this,
             [this] { Q_EMIT openFilesRequested(); });
    addSeparator(m, "N9");
    addEntry(m, "Projektschlieen2", QStringLiteral("Projekt schließen"), this,
             [this] { Q_EMIT closeProjectRequested(); });
    addSeparator(m, "N10");

    QMenu* p = m_printMenu = new QMenu(QStringLiteral("Drucken"), m);
    p->setObjectName(QStringLiteral("Drucken2"));
    p->menuAction()->setObjectName(QStringLiteral("Drucken2"));
    addEntry(p, "Zeiterfassungsliste1", QStringLiteral("Zeiterfassungsliste"), this,
             [this] { Q_EMIT printRequested(QStringLiteral("Zeiterfassungsliste")); });
    addEntry(p, "Einzelzeiterfassung3", QStringLiteral("Einzelzeiterfassung"), this,
             [this] { Q_EMIT printRequested(QStringLiteral("Einzelzeiterfassung")); });
    m->addMenu(p);

    addEntry(m, "TimeGridcustomize", QStringLiteral("Tabelle anpassen"), this,
             [this] { Q_EMIT customizeRequested(); });
}
