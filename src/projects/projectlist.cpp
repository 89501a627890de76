#include "projects/projectlist.h"

#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "platform/guarded.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>

ProjectList::ProjectList(Tdm& dm, QWidget* parentWidget, QObject* parent)
    : DatasetList(dm.Projekte,
                  new ListPanel(QStringLiteral("Projektliste"), QStringLiteral("UebersichtGrid"),
                                QStringLiteral("AdvGlowButton1"), QStringLiteral("Suche schließen"),
                                parentWidget),
                  parent),
      m_dm(dm) {
    m_showArchived = new QCheckBox(QStringLiteral("archivierte Projekte anzeigen"), panel());
    m_showArchived->setObjectName(QStringLiteral("AdvOfficeCheckBox4"));
    panel()->addTitleBarWidget(m_showArchived);
    connect(m_showArchived, &QCheckBox::toggled, this, [this] { AdvOfficeCheckBox4Click(); });

    grid()->setColumnLayout(designLayout());
    grid()->setSortHandler(
        [this](int column, bool& allow) { UebersichtGridCanSort(column, allow); });
    connect(grid(), &ListGrid::openRequested, this, [this] { Q_EMIT openProjectRequested(1); });

    setBaseText(ActiveProjects);
    buildMenus();
    grid()->setContextMenu(m_contextMenu);

    connect(&dm, &Tdm::projectRowChanged, this, &ProjectList::updateArchiveCaptions);
    connect(this, &ProjectList::archiveRequested, this,
            [this] { runGuarded([this] { Projektarchivieren1Click(); }); });
}

ColumnLayout ProjectList::designLayout() {
    return {
        {QStringLiteral("Pojektnummer"), QStringLiteral("Pojektnummer"), 78},
        {QStringLiteral("Bezeichnung"), QStringLiteral("Bezeichnung"), 243},
        {QStringLiteral("Status"), QStringLiteral("Status"), 110},
        {QStringLiteral("ErledigtP"), QStringLiteral(" "), 64, true},
        {QStringLiteral("AuftraggeberID"), QStringLiteral("AuftraggeberID"), 175},
        {QStringLiteral("Von"), QStringLiteral("Von"), 80},
        {QStringLiteral("Bis"), QStringLiteral("Bis"), 80},
        {QStringLiteral("Erledigt"), QStringLiteral("Erledigt"), 80},
        {QStringLiteral("KatBez"), QStringLiteral("Kategorie"), 175},
        {QStringLiteral("PrioBez"), QStringLiteral("Priorität"), 175},
        {QStringLiteral("Verantw"), QStringLiteral("Verantwortlicher"), 175},
        {QStringLiteral("Budget"), QStringLiteral("Gen. Budget"), 100},
        {QStringLiteral("benBudget"), QStringLiteral("verbr. Budget"), 100},
        {QStringLiteral("GesamtZeit"), QStringLiteral("Aufwand"), 100},
        {QStringLiteral("Typ"), QStringLiteral("Typ"), 175},
        {QStringLiteral("Pauschalpreis"), QStringLiteral("Pauschalpreis"), 100},
    };
}

void ProjectList::showprojecte() {
    runQuery();
    Q_EMIT updateFollowUps();
}

namespace {

const QString Archive = QStringLiteral("Projekt archivieren");
const QString Reactivate = QStringLiteral("Projekt reaktivieren");
// The archive entries stand at these places of their menus.
constexpr int FunctionsArchivePosition = 9;
constexpr int ContextArchivePosition = 14;

} // namespace

void ProjectList::updateArchiveCaptions() {
    Dataset& projects = m_dm.Projekte;
    // An empty value counts as active.
    const bool archived = projects.active() && projects.recNo() >= 0 &&
                          projects.fieldByName(QStringLiteral("Archiv")).asInteger() != 0;
    const QString caption = archived ? Reactivate : Archive;
    m_functionsMenu->actions().at(FunctionsArchivePosition)->setText(caption);
    m_contextMenu->actions().at(ContextArchivePosition)->setText(caption);
}

void ProjectList::Projektarchivieren1Click() {
    Dataset& projects = m_dm.Projekte;
    // Editing no row would start a new, empty one.
    if (!projects.active() || projects.recNo() < 0)
        return;
    const bool archive = m_functionsMenu->actions().at(FunctionsArchivePosition)->text() == Archive;
    projects.edit();
    try {
        projects.fieldByName(QStringLiteral("Archiv")).setAsInteger(archive ? 1 : 0);
        projects.post();
    } catch (...) {
        // The row does not stay in edit mode to be posted by the next move.
        projects.cancel();
        throw;
    }
    showprojecte();
}

void ProjectList::AdvOfficeCheckBox4Click() {
    // The order chosen by header clicks stays in force.
    setBaseText(m_showArchived->isChecked() ? AllProjects : ActiveProjects);
    showprojecte();
}

namespace {

template <typename F>
QAction* addEntry(QMenu* menu, const char* name, const QString& caption, QObject* context, F f) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, context, f);
    return action;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

} // namespace

void ProjectList::buildMenus() {
    // updateArchiveCaptions sets the captions of both archive entries by the current project.

    QMenu* m = m_contextMenu = new QMenu(panel());
    m->setObjectName(QStringLiteral("PMenue_Uebersicht"));
    addEntry(m, "Projektbearbeiten1", QStringLiteral("Projekt bearbeiten"), this,
             [this] { Q_EMIT editProjectRequested(); });
    addEntry(m, "Projekthinzufgen1", QStringLiteral("Projekt hinzufügen"), this,
             [this] { Q_EMIT newProjectRequested(); });
    addEntry(m, "Men_OpenPR", QStringLiteral("Projekt öffnen"), this,
             [this] { Q_EMIT openProjectRequested(1); });
    addEntry(m, "Men_DelPR", QStringLiteral("Projekt löschen"), this,
             [this] { Q_EMIT deleteProjectRequested(); });
    addSeparator(m, "N1");
    addEntry(m, "Aufgabehinzufgen1", QStringLiteral("Aufgabe hinzufügen"), this,
             [this] { Q_EMIT addTaskRequested(); });
    addEntry(m, "Aufgabenffnen1", QStringLiteral("Aufgaben öffnen"), this,
             [this] { Q_EMIT openProjectRequested(2); });
    addSeparator(m, "N2");
    addEntry(m, "Zeiterfassunghinzufgen1", QStringLiteral("Zeiterfassung hinzufügen"), this,
             [this] { Q_EMIT addTimeEntryRequested(); });
    addEntry(m, "Zeiterfassungffnen1", QStringLiteral("Zeiterfassung öffnen"), this,
             [this] { Q_EMIT openProjectRequested(3); });
    addSeparator(m, "N3");
    addEntry(m, "Dateihinzufgen1", QStringLiteral("Datei hinzufügen"), this,
             [this] { Q_EMIT addFilesRequested(); });
    addEntry(m, "Dateibersichtffnen1", QStringLiteral("Dateiübersicht öffnen"), this,
             [this] { Q_EMIT openProjectRequested(4); });
    addSeparator(m, "N16");
    addEntry(m, "Projektarchivieren2", Archive, this, [this] { Q_EMIT archiveRequested(); });
    addSeparator(m, "N4");

    QMenu* p = m_printMenu = new QMenu(QStringLiteral("Drucken"), m);
    p->setObjectName(QStringLiteral("Men_PrintPR"));
    p->menuAction()->setObjectName(QStringLiteral("Men_PrintPR"));
    const auto print = [this](const QString& report) {
        return [this, report] { Q_EMIT printRequested(report); };
    };
    addEntry(p, "Projektliste2", QStringLiteral("Projektliste"), this,
             print(QStringLiteral("Projektliste")));
    addEntry(p, "EinzelProjekt2", QStringLiteral("Einzelprojekt"), this,
             print(QStringLiteral("Einzelprojekt")));
    addSeparator(p, "N12");
    addEntry(p, "Aufgabenliste3", QStringLiteral("Aufgabenliste"), this,
             print(QStringLiteral("Aufgabenliste")));
    addSeparator(p, "N13");
    addEntry(p, "Zeitnahmen2", QStringLiteral("Zeitnahmen"), this,
             print(QStringLiteral("Zeitnahmen")));
    m->addMenu(p);

    addEntry(m, "MainGridcustomize", QStringLiteral("Tabelle anpassen"), this,
             [this] { Q_EMIT customizeRequested(); });

    QMenu* f = m_functionsMenu = new QMenu(panel());
    f->setObjectName(QStringLiteral("PMenu_Functions"));
    addEntry(f, "MenuItem5", QStringLiteral("Aufgabe hinzufügen"), this,
             [this] { Q_EMIT addTaskRequested(); });
    addEntry(f, "MenuItem6", QStringLiteral("Aufgaben öffnen"), this,
             [this] { Q_EMIT openProjectRequested(2); });
    addSeparator(f, "MenuItem7");
    addEntry(f, "MenuItem8", QStringLiteral("Zeiterfassung hinzufügen"), this,
             [this] { Q_EMIT addTimeEntryRequested(); });
    addEntry(f, "MenuItem9", QStringLiteral("Zeiterfassung öffnen"), this,
             [this] { Q_EMIT openProjectRequested(3); });
    addSeparator(f, "MenuItem10");
    // The same operations as the context menu's entries of these captions.
    addEntry(f, "MenuItem11", QStringLiteral("Datei hinzufügen"), this,
             [this] { Q_EMIT addFilesRequested(); });
    addEntry(f, "MenuItem12", QStringLiteral("Dateiübersicht öffnen"), this,
             [this] { Q_EMIT openProjectRequested(4); });
    addSeparator(f, "N15");
    addEntry(f, "Projektarchivieren1", Archive, this, [this] { Q_EMIT archiveRequested(); });
}
