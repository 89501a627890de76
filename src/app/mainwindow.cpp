#include "app/mainwindow.h"

#include "app/colourschemes.h"
#include "app/keyboardshortcuts.h"
#include "app/navigation.h"
#include "app/pagetoolbar.h"
#include "app/programfiles.h"
#include "app/projectdetailspage.h"
#include "app/remarkspanel.h"
#include "app/windowplacement.h"
#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "platform/filedialogs.h"
#include "platform/guarded.h"
#include "platform/messagedialogs.h"
#include "platform/settingsstore.h"
#include "platform/shellservices.h"
#include "printing/reportcommands.h"
#include "projects/projecteditor.h"
#include "projects/projectfilespage.h"
#include "projects/projectlist.h"
#include "tasks/followuplist.h"
#include "tasks/tasklist.h"
#include "timerec/timeentryeditor.h"
#include "timerec/timelist.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <climits>

namespace {

const QString DatabaseFileName = QStringLiteral("ORBTData.mdb");
const QString DatabaseFilter = QStringLiteral("Orbenta Datenbank|ORBTData.mdb");
constexpr int MinimumOuterHeight = 610;

// The background of the main window's content area, in the colour of the scheme.
class ContentArea : public QWidget {
public:
    explicit ContentArea(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("contentArea"));
    }
    void setBackground(const QColor& colour) {
        m_background = colour;
        update();
    }
    QColor background() const { return m_background; }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_background); }

private:
    QColor m_background = QColor(0xBF, 0xDB, 0xFF);
};

// The follow-up panel asks the splitter for the height the user left it at.
class FollowUpPanel : public QWidget {
public:
    FollowUpPanel(int height, QWidget* parent) : QWidget(parent), m_height(height) {
        setObjectName(QStringLiteral("PN_WV"));
    }
    void setPreferredHeight(int height) { m_height = height; }
    QSize sizeHint() const override { return {QWidget::sizeHint().width(), m_height}; }

private:
    int m_height;
};

// Handlers run from signals: an exception shows the error box and the program goes on.
template <typename F> auto guarded(F f) {
    return [f](auto&&...) { runGuarded(f); };
}

// The print entries of the tool bar, of the page "Projekt" and of the project list's menu.
void wirePrintCommands(TTMSForm1* window, Tdm& dm, ReportCommands* reports) {
    PageToolBar* bar = window->AdvToolBarPager1();
    Navigation* nav = window->navigation();
    TaskList* tasks = window->taskList();
    ReportCommands::Hooks hooks;
    hooks.overviewActive = [nav] { return nav->activePage() == PageToolBar::Uebersicht; };
    // The open tasks of the project selected in the overview; the order chosen stays.
    hooks.rerunTaskList = [tasks, &dm] {
        tasks->setBaseText(
            QStringLiteral("Select * From Aufgaben where AProjectnr=") +
            QString::number(dm.Projekte.fieldByName(QStringLiteral("Nr")).asInteger()) +
            QStringLiteral(" and aerledigt is null"));
        tasks->showaufgaben();
    };
    hooks.window = [window] { return window; };
    reports->setHooks(hooks);

    using Command = void (ReportCommands::*)();
    const auto entry = [reports](QMenu* menu, const char* name, Command command) {
        if (QAction* action = menu->findChild<QAction*>(QLatin1String(name)))
            QObject::connect(action, &QAction::triggered, reports,
                             guarded([reports, command] { (reports->*command)(); }));
    };
    entry(bar->PMenu_PRPrint, "Projektliste1", &ReportCommands::Projektliste1Click);
    entry(bar->PMenu_PRPrint, "EinzelProjekt1", &ReportCommands::EinzelProjekt1Click);
    entry(bar->PMenu_PRPrint, "Aufgabenliste1", &ReportCommands::Aufgabenliste1Click);
    entry(bar->PMenu_PRPrint, "Listedrucken1", &ReportCommands::Listedrucken1Click);
    entry(bar->PMenu_ToDoPrint, "Aufgabenliste2", &ReportCommands::Aufgabenliste1Click);
    entry(bar->PMenu_ToDoPrint, "Einzelaufgabe", &ReportCommands::EinzelaufgabeClick);
    entry(bar->PMenu_TimePrint, "Listedrucken2", &ReportCommands::Listedrucken1Click);
    entry(bar->PMenu_TimePrint, "Einzelzeiterfassung1", &ReportCommands::Einzelzeiterfassung1Click);
    QObject::connect(bar->BTN_PRPrintDetails, &QToolButton::clicked, reports,
                     guarded([reports] { reports->EinzelProjekt1Click(); }));
    QObject::connect(window->projectList(), &ProjectList::printRequested, reports,
                     [reports](const QString& caption) {
                         runGuarded([&] {
                             if (caption == QLatin1String("Projektliste"))
                                 reports->Projektliste1Click();
                             else if (caption == QLatin1String("Einzelprojekt"))
                                 reports->EinzelProjekt1Click();
                             else if (caption == QLatin1String("Aufgabenliste"))
                                 reports->Aufgabenliste1Click();
                             else if (caption == QLatin1String("Zeitnahmen"))
                                 reports->Listedrucken1Click();
                         });
                     });
}

QString folderOf(const QString& file) {
    QString folder = QFileInfo(file).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

TTMSForm1::TTMSForm1(const QString& programFolder, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TTMSForm1"));
    MessageDialogs::instance().setMainWindow(this);

    // The window opens on the overview.
    setWindowTitle(QStringLiteral("Orbenta"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_bar = new PageToolBar(central);
    layout->addWidget(m_bar);
    m_content = new ContentArea(central);
    layout->addWidget(m_content, 1);
    setCentralWidget(central);
    m_bar->setActivePage(PageToolBar::Uebersicht);

    readDatabaseFolder();
    m_placement = new WindowPlacement(this);
    readGeometry();

    // Installed, the program's files lie in the install's share folder, not beside it.
    m_executableFolder =
        programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    m_programFolder = programFolder.isEmpty() ? ProgramFiles::programFolder(m_executableFolder)
                                              : programFolder;
    if (!m_programFolder.endsWith(QLatin1Char('/')))
        m_programFolder += QLatin1Char('/');

    if (!QFileInfo::exists(databaseFile()))
        missingDatabase();

    m_timer.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer, &QTimer::timeout, this, guarded([this] { Timer1Timer(); }));

    m_endProgram = [this] {
        hide();
        QCoreApplication::quit();
    };
}

TTMSForm1::~TTMSForm1() {
    delete m_keys;
    m_keys = nullptr;
    if (MessageDialogs::instance().mainWindow() == this)
        MessageDialogs::instance().setMainWindow(nullptr);
}

QString TTMSForm1::databaseFile() const {
    // An empty folder leaves the name to the current folder.
    return m_databaseFolder + DatabaseFileName;
}

void TTMSForm1::readDatabaseFolder() {
    const SettingsStore machine(SettingsStore::Scope::Machine);
    m_databaseFolder = machine.readString(OrbentaKey, QStringLiteral("DBPath")).value_or(QString());
    if (!m_databaseFolder.isEmpty() && !m_databaseFolder.endsWith(QLatin1Char('/')))
        m_databaseFolder += QLatin1Char('/');
}

void TTMSForm1::readGeometry() {
    const SettingsStore user(SettingsStore::Scope::User);
    const auto value = [&](const char* name, int fallback) {
        return user.readInteger(OrbentaKey, QString::fromLatin1(name)).value_or(fallback);
    };
    // The stored numbers are the outer frame; a size of nothing counts as missing.
    const auto size = [&](const char* name, int fallback) {
        const int stored = value(name, fallback);
        return stored > 0 ? stored : fallback;
    };
    m_placement->restore(
        QRect(value("left", 20), value("top", 20), size("width", 848), size("height", 461)),
        value("max", 0) == 1);
    m_wvHeight = value("WVHeight", 150);
}

void TTMSForm1::missingDatabase() {
    MessageDialogs::instance().error(
        QStringLiteral("Falscher Datenbankpfad!"),
        QStringLiteral("Der Datenbankpfad stimmt nicht!\nBitte wählen Sie den Datenbankpfad "
                       "aus.\n\nWICHTIG: Diese Änderungen können nur mit Administrationsrechten "
                       "durchgeführt werden, ansonsten werden die Änderungen nicht gespeichert."));
    const QString file =
        FileDialogs::instance().openFile(this, QString(), DatabaseFilter, m_programFolder);
    if (file.isEmpty())
        return;
    // Used for this run even when dbpath cannot store it.
    m_databaseFolder = folderOf(file);
    startDbPath(m_databaseFolder);
}

void TTMSForm1::startDbPath(const QString& folder) {
    ShellServices::instance().startProgram(
        ProgramFiles::helperProgram(m_programFolder, m_executableFolder, QStringLiteral("dbpath")),
        QStringLiteral("Software\\Selvaner\\Orbenta ") + folder, m_programFolder);
}

void TTMSForm1::attach(Tdm& dm, const Dialogs& dialogs) {
    m_dm = &dm;
    m_dialogs = dialogs;
    buildPages();
    wireCommands();
    // Until the first showing succeeds only the overview's tab stands.
    m_navigation->showOverview();
}

QWidget* TTMSForm1::makeListPage(const QString& name, QWidget* list) {
    auto* page = new QWidget(m_content);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    list->setParent(page);
    layout->addWidget(list);
    return page;
}

void TTMSForm1::buildPages() {
    Tdm& dm = *m_dm;
    m_projects = new ProjectList(dm, m_content, this);
    m_followUps = new FollowUpList(dm, m_content, this);
    m_tasks = new TaskList(dm, m_content, this);
    m_times = new TimeList(dm, m_content, this);

    PN_Uebersicht = new QWidget(m_content);
    PN_Uebersicht->setObjectName(QStringLiteral("PN_Uebersicht"));
    auto* overview = new QVBoxLayout(PN_Uebersicht);
    overview->setContentsMargins(0, 0, 0, 0);
    AdvSplitter1 = new QSplitter(Qt::Vertical, PN_Uebersicht);
    AdvSplitter1->setObjectName(QStringLiteral("AdvSplitter1"));
    AdvSplitter1->setHandleWidth(5);
    AdvSplitter1->setChildrenCollapsible(false);
    AdvSplitter1->addWidget(m_projects->panel());
    PN_WV = new FollowUpPanel(m_wvHeight, AdvSplitter1);
    auto* followUps = new QVBoxLayout(PN_WV);
    followUps->setContentsMargins(0, 0, 0, 0);
    m_followUps->panel()->setParent(PN_WV);
    followUps->addWidget(m_followUps->panel());
    AdvSplitter1->addWidget(PN_WV);
    AdvSplitter1->setStretchFactor(0, 1);
    AdvSplitter1->setStretchFactor(1, 0);
    PN_WV->hide(); // shown while follow-ups are due
    overview->addWidget(AdvSplitter1);

    m_details = new ProjectDetailsPage(dm, m_content);
    PN_Todos = makeListPage(QStringLiteral("PN_Todos"), m_tasks->panel());
    PN_ToDoBem = new RemarksPanel(QStringLiteral("PN_ToDoBem"), dm.AufgabenDS(),
                                  QStringLiteral("ABeschreibung"), m_content);
    PN_Time = makeListPage(QStringLiteral("PN_Time"), m_times->panel());
    PN_TimeBem = new RemarksPanel(QStringLiteral("PN_TimeBem"), dm.TimeDS(),
                                  QStringLiteral("Beschreibung"), m_content);
    for (RemarksPanel* remarks : {PN_ToDoBem, PN_TimeBem})
        remarks->setFixedHeight(130);
    m_files = new ProjectFilesPage(
        dm, [this] { return m_databaseFolder; }, m_content);

    auto* layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(PN_Uebersicht, 1);
    layout->addWidget(m_details, 1);
    layout->addWidget(PN_Todos, 1);
    layout->addWidget(PN_ToDoBem);
    layout->addWidget(PN_Time, 1);
    layout->addWidget(PN_TimeBem);
    layout->addWidget(m_files, 1);

    Navigation::Parts parts;
    parts.dm = m_dm;
    parts.window = this;
    parts.bar = m_bar;
    parts.pages[PageToolBar::Uebersicht] = {m_projects, {PN_Uebersicht}};
    parts.pages[PageToolBar::Projekt] = {
        m_details,
        {m_details->PN_PRData1(), m_details->PN_PRData2(), m_details->PN_PRBemerkungen()}};
    parts.pages[PageToolBar::Todos] = {m_tasks, {PN_Todos, PN_ToDoBem}};
    parts.pages[PageToolBar::Time] = {m_times, {PN_Time, PN_TimeBem}};
    parts.pages[PageToolBar::Files] = {m_files, {m_files}};
    parts.projects = m_projects;
    parts.followUps = m_followUps;
    parts.details = m_details;
    parts.PN_Uebersicht = PN_Uebersicht;
    m_navigation = new Navigation(parts, this);
    m_keys = new KeyboardShortcuts(this, *m_navigation, [this] { AdvGlowButton9Click(); });
}

void TTMSForm1::wireCommands() {
    PageToolBar* bar = m_bar;
    Navigation* nav = m_navigation;
    connect(bar, &PageToolBar::AdvToolBarPager1Change, this,
            [nav](int page) { runGuarded([&] { nav->AdvToolBarPager1Change(page); }); });
    ProjectList* projects = m_projects;
    ProjectDetailsPage* details = m_details;
    connect(bar->BTN_NewPR, &QToolButton::clicked, projects,
            guarded([projects] { projects->BTN_NewPRClick(); }));
    connect(bar->BTN_OpenPR, &QToolButton::clicked, projects,
            guarded([projects] { projects->BTN_OpenPRClick(); }));
    connect(bar->BTN_PREdit, &QToolButton::clicked, details,
            guarded([details] { details->BTN_PREditClick(); }));
    for (QToolButton* close : bar->closeButtons())
        connect(close, &QToolButton::clicked, this, guarded([nav] { nav->BTN_PRClosePRClick(); }));
    connect(bar->AdvGlowButton9, &QToolButton::clicked, this,
            guarded([this] { AdvGlowButton9Click(); }));
    connect(bar->PM_DBPFad, &QAction::triggered, this, guarded([this] { PM_DBPFadClick(); }));
    bar->setFunctionsMenu(m_projects->PMenu_Functions());

    connect(m_projects, &ProjectList::openProjectRequested, this,
            [nav](int page) { runGuarded([&] { nav->openAt(page); }); });
    connect(m_projects, &ProjectList::updateFollowUps, m_followUps, &FollowUpList::UpdateWV);

    // Whoever re-runs the follow-ups, the panel stands exactly while some are due.
    connect(&m_dm->AWV, &Dataset::afterOpen, this, [this] { updateFollowUpPanel(); });
    connect(AdvSplitter1, &QSplitter::splitterMoved, this, [this] {
        m_wvHeight = PN_WV->height();
        static_cast<FollowUpPanel*>(PN_WV)->setPreferredHeight(m_wvHeight);
    });

    if (TForm3* editor = m_dialogs.projectEditor) {
        connect(projects, &ProjectList::newProjectRequested, editor,
                guarded([editor] { editor->newProject(); }));
        connect(projects, &ProjectList::editProjectRequested, editor,
                guarded([editor] { editor->editProject(); }));
        connect(details, &ProjectDetailsPage::editProjectRequested, editor,
                guarded([editor] { editor->editProject(); }));
        connect(editor, &TForm3::saved, details, &ProjectDetailsPage::setDonePercentage);
    }

    auto* reports = new ReportCommands(*m_dm, this);
    reports->setObjectName(QStringLiteral("ReportCommands"));
    wirePrintCommands(this, *m_dm, reports);
    wireTimeRecording();
}

void TTMSForm1::wireTimeRecording() {
    TimeList* times = m_times;
    TaskList* tasks = m_tasks;
    Navigation* nav = m_navigation;
    TForm6* editor = m_dialogs.timeEditor;
    times->setEditor(editor);
    if (editor) {
        Tdm* dm = m_dm;
        // After a task total: the task list of the current project, its order kept.
        editor->effortTotals().setTaskListRerun([tasks, dm] {
            tasks->setBaseText(
                QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                QString::number(dm->Projekte.fieldByName(QStringLiteral("Nr")).asInteger()) +
                QStringLiteral(" and aerledigt is null"));
            tasks->showaufgaben();
        });
    }

    PageToolBar* bar = m_bar;
    connect(bar->BTN_AddTime, &QToolButton::clicked, times,
            guarded([times] { times->BTN_AddTimeClick(); }));
    connect(bar->BTN_EditTime, &QToolButton::clicked, times,
            guarded([times] { times->BTN_EditTimeClick(); }));
    connect(bar->BTN_DelTime, &QToolButton::clicked, times,
            guarded([times] { times->BTN_DelTimeClick(); }));

    connect(m_projects, &ProjectList::addTimeEntryRequested, this,
            guarded([this] { Zeiterfassunghinzufgen1Click(); }));
    connect(times, &TimeList::openTasksRequested, this,
            guarded([nav] { nav->AdvToolBarPager1Change(PageToolBar::Todos); }));
    connect(times, &TimeList::openFilesRequested, this,
            guarded([nav] { nav->AdvToolBarPager1Change(PageToolBar::Files); }));
    ProjectFilesPage* files = m_files;
    connect(times, &TimeList::addFilesRequested, files,
            guarded([files] { files->Dateihinzufgen1Click(); }));
    connect(times, &TimeList::closeProjectRequested, this,
            guarded([nav] { nav->BTN_PRClosePRClick(); }));
    if (auto* reports = findChild<ReportCommands*>(QStringLiteral("ReportCommands"))) {
        connect(times, &TimeList::printRequested, reports, [reports](const QString& report) {
            runGuarded([&] {
                if (report == QLatin1String("Zeiterfassungsliste"))
                    reports->Listedrucken1Click();
                else if (report == QLatin1String("Einzelzeiterfassung"))
                    reports->Einzelzeiterfassung1Click();
            });
        });
    }
}

void TTMSForm1::Zeiterfassunghinzufgen1Click() {
    Dataset& projects = m_dm->Projekte;
    if (!m_dialogs.timeEditor || !projects.active() || projects.recNo() < 0)
        return;
    const int nr = projects.fieldByName(QStringLiteral("Nr")).asInteger();
    m_tasks->setBaseText(QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                         QString::number(nr) + QStringLiteral(" and aerledigt is null"));
    m_tasks->clearOrderText();
    m_tasks->showaufgaben();
    m_times->setProject(nr);
    m_times->showtimes();
    m_times->BTN_AddTimeClick();
}

void TTMSForm1::Zeiterfassunghinzufgen2Click() {
    Dataset& tasks = m_dm->Aufgaben;
    const int anr = tasks.active() && tasks.recNo() >= 0
                        ? tasks.fieldByName(QStringLiteral("Anr")).asInteger()
                        : 0;
    m_times->BTN_AddTimeClick();
    // Adding reloads the task choice; the task noted before is chosen all the same.
    Dataset& times = m_dm->Time;
    if (anr != 0 && times.state() == Dataset::State::Insert)
        times.fieldByName(QStringLiteral("AID")).setAsInteger(anr);
}

void TTMSForm1::updateFollowUpPanel() {
    const bool due = m_dm->AWV.active() && m_dm->AWV.recordCount() > 0;
    if (!due) {
        PN_WV->hide();
        return;
    }
    if (!PN_WV->isHidden())
        return;
    PN_WV->show();
    const int total = AdvSplitter1->height() - AdvSplitter1->handleWidth();
    if (total > m_wvHeight)
        AdvSplitter1->setSizes({total - m_wvHeight, m_wvHeight});
}

void TTMSForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_firstShow)
        FormShow();
}

void TTMSForm1::FormShow() {
    if (!m_firstShow)
        return;
    if (!QFileInfo::exists(databaseFile())) {
        // Ends the program through the closing steps, once the window has finished showing.
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
        return;
    }
    // Cleared before connecting, so every data event from now on is handled normally.
    m_firstShow = false;
    m_dm->setFirstShow(false);

    runGuarded([this] {
        Connection& connection = m_dm->ADOConnection1;
        if (connection.connected())
            connection.close();
        connection.setConnectionString(Tdm::connectionStringFor(m_databaseFolder));
        connection.open();

        readOptions();
        if (m_refreshMinutes != 0)
            setarefresh();
        else
            m_timer.stop();
        settabstops();
        setfarbschema(m_scheme);

        m_navigation->showOverview();

        m_projects->setBaseText(ProjectList::ActiveProjects);
        m_projects->sortState().orderText.clear();
        m_projects->showprojecte();

        for (Dataset* master : {&m_dm->Typen, &m_dm->Auftraggeber, &m_dm->Kategorien,
                                &m_dm->Prioquery, &m_dm->Status, &m_dm->Verantw})
            master->open();
        m_dm->openTimeWithoutProject();

        loadListLayouts();
        // The user starts in the project list, as on every return to the overview.
        m_projects->grid()->setFocus();
        raise();
        activateWindow();
    });
}

void TTMSForm1::readOptions() {
    Dataset& options = m_dm->Optionen;
    options.open();
    try {
        options.first();
        if (options.isEmpty()) {
            m_refreshMinutes = m_tabStop = m_scheme = 0;
        } else {
            m_refreshMinutes = options.fieldByName(QStringLiteral("ARefresh")).asInteger();
            m_scheme = options.fieldByName(QStringLiteral("FarbSchema")).asInteger();
            m_tabStop = options.fieldByName(QStringLiteral("Tabstop")).asInteger();
        }
    } catch (...) {
        options.close();
        throw;
    }
    options.close();
}

void TTMSForm1::loadListLayouts() {
    // The stored column layouts of MainGrid, ToDoGrid, TimeGrid and WVGrid are applied here.
}

void TTMSForm1::setfarbschema(int number) {
    if (const ColourScheme* scheme = ::colourScheme(number)) {
        const QPalette palette = windowPalette(*scheme);
        setPalette(palette);
        if (m_dialogs.projectEditor)
            m_dialogs.projectEditor->setPalette(palette);
        if (m_dialogs.timeEditor)
            m_dialogs.timeEditor->setPalette(palette);
        static_cast<ContentArea*>(m_content)->setBackground(scheme->contentBackground);
    }
    // The options button takes over the look of the tool bars in every case.
    m_bar->optionsButton->setPalette(m_bar->palette());
}

void TTMSForm1::settabstops() {
    if (m_dialogs.projectEditor)
        m_dialogs.projectEditor->setRemarkTabWidth(m_tabStop);
    if (m_dialogs.timeEditor)
        m_dialogs.timeEditor->setRemarkTabWidth(m_tabStop);
}

void TTMSForm1::setarefresh() {
    const qint64 interval = qint64(m_refreshMinutes) * 60000;
    // An interval of 0 gives no ticks; the timer would otherwise fire without pause.
    if (interval <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.setInterval(int(qMin<qint64>(interval, INT_MAX)));
    m_timer.start();
}

void TTMSForm1::Timer1Timer() {
    // Re-running a list while its row is being edited would throw the user's typing away; the
    // next tick comes soon enough.
    if (const Dataset* list = m_navigation->activeListDataset();
        list && (list->state() == Dataset::State::Edit || list->state() == Dataset::State::Insert))
        return;
    m_navigation->refreshActivePage();
}

void TTMSForm1::closeEvent(QCloseEvent* event) {
    if (m_runClosingSteps)
        FormClose();
    QMainWindow::closeEvent(event);
}

void TTMSForm1::FormClose() {
    runGuarded([this] {
        SettingsStore user(SettingsStore::Scope::User);
        // All values in one write of the file.
        user.batch([&] {
            user.createKey(OrbentaKey);
            if (isMaximized()) {
                // The last normal geometry stays stored for the next start.
                user.writeInteger(OrbentaKey, QStringLiteral("max"), 1);
                return;
            }
            // Where the window stands, frame included; what was read while it has not stood yet.
            const QRect frame = m_placement->outerGeometry();
            user.writeInteger(OrbentaKey, QStringLiteral("MAX"), 0);
            user.writeInteger(OrbentaKey, QStringLiteral("LEFT"), frame.x());
            user.writeInteger(OrbentaKey, QStringLiteral("TOP"), frame.y());
            user.writeInteger(OrbentaKey, QStringLiteral("WIDTH"), frame.width());
            user.writeInteger(OrbentaKey, QStringLiteral("HEIGHT"), frame.height());
            const int wvHeight = PN_WV && !PN_WV->isHidden() ? PN_WV->height() : m_wvHeight;
            user.writeInteger(OrbentaKey, QStringLiteral("WVHeight"), wvHeight);
        });
        // The list layouts are saved here once they are loaded at the first showing; a program
        // ending at its first showing leaves the stored ones as they are.
    });
}

void TTMSForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_projects)
        m_projects->grid()->viewport()->update();
}

bool TTMSForm1::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Resize: {
        // The minimum height holds from the first resize after the first showing on, as the
        // window opens at its stored height even when that is lower. Placing the window at its
        // stored geometry is no such resize.
        const auto* resize = static_cast<QResizeEvent*>(event);
        if (!m_firstShow && m_placement->placed() && !m_placement->placing() &&
            resize->oldSize().isValid() && resize->oldSize() != resize->size())
            m_resizedSinceShown = true;
        applyMinimumHeight();
        break;
    }
    case QEvent::Move:
    case QEvent::WindowStateChange:
        applyMinimumHeight();
        break;
    default:
        break;
    }
    return result;
}

// The minimum is an outer height; the frame's share is known once the window is framed.
void TTMSForm1::applyMinimumHeight() {
    if (!m_resizedSinceShown)
        return;
    const QMargins margins = m_placement->frameMargins();
    setMinimumHeight(qMax(0, MinimumOuterHeight - margins.top() - margins.bottom()));
}

void TTMSForm1::PM_DBPFadClick() {
    const QString file =
        FileDialogs::instance().openFile(this, QString(), DatabaseFilter, m_databaseFolder);
    if (file.isEmpty())
        return;
    const QString folder = folderOf(file);
    if (folder == m_databaseFolder) // letter case counts
        return;
    m_databaseFolder = folder;
    startDbPath(folder);
    MessageDialogs::instance().error(
        QStringLiteral("Neustart erforderlich!"),
        QStringLiteral("Damit die Einstellungen wirksam werden muss das Programm neu gestartet "
                       "werden.\nDas Programm wird nun geschlossen!"));
    // Neither geometry nor layouts are saved on this way out.
    m_runClosingSteps = false;
    m_endProgram();
}

void TTMSForm1::AdvGlowButton9Click() {
    // The help file's name is matched without regard to case, as the shell it was written for
    // does; a help file that cannot be opened gives no message.
    const QString name = QStringLiteral("Orbenta.chm");
    const QStringList present = QDir(m_programFolder).entryList({name}, QDir::Files);
    const QString file = present.isEmpty() || present.contains(name) ? name : present.first();
    ShellServices::instance().openDocument(m_programFolder + file);
}
