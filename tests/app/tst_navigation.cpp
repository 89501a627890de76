#include "app/mainwindow.h"
#include "app/navigation.h"
#include "app/pagetoolbar.h"
#include "app/projectdetailspage.h"
#include "appfixture.h"
#include "data/dataset.h"
#include "data/tdm.h"
#include "lists/boundcontrols.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "projects/projecteditor.h"
#include "projects/projectfilespage.h"
#include "projects/projectlist.h"
#include "tasks/tasklist.h"
#include "timerec/timelist.h"

#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSplitter>
#include <QTabBar>
#include <QToolButton>

namespace {

// The program started on the fixture, the first project current.
struct Started {
    TestEnvironment env;
    FixtureKeys keys;
    std::unique_ptr<RunningProgram> program;

    bool start() {
        keys = writeFixture(env);
        storeDbPath(env.databaseFolder());
        program = std::make_unique<RunningProgram>(env);
        return program->show() && QTest::qWaitForWindowActive(&window());
    }
    TTMSForm1& window() { return program->window(); }
    Tdm& dm() { return program->dm(); }
    Navigation& nav() { return *window().navigation(); }
    PageToolBar& bar() { return *window().AdvToolBarPager1(); }
    int page() { return bar().activePage(); }
    // Where a key typed by the user goes.
    QWidget* keyTarget() {
        QWidget* focus = QApplication::focusWidget();
        return focus && focus->window() == &window() ? focus : &window();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(keyTarget(), Qt::Key(key), modifiers);
    }
    QList<int> visibleTabs() {
        QList<int> tabs;
        for (int page = 0; page < PageToolBar::PageCount; ++page)
            if (bar().isTabVisible(page))
                tabs << page;
        return tabs;
    }
    template <typename W = QWidget> W* find(const char* name) {
        return program->find<W>(QLatin1String(name));
    }
    QString caption() { return window().windowTitle(); }
};

const QList<int> ProjectTabs = {1, 2, 3, 4};

} // namespace

class NavigationTest : public QObject {
    Q_OBJECT
private slots:
    void toolBars();
    void followUpPanelStandsWhileFollowUpsAreDue();
    void shortcuts_data();
    void shortcuts();
    void refreshKey_data();
    void refreshKey();
    void refreshTickSparesTheEditedRow();
    void searchBarKey_data();
    void searchBarKey();
    void keysOfOtherWindowsAreNotOurs();
    void openingAtAPage_data();
    void openingAtAPage();
    void openingTwiceRunsTheEntryActionsAgain();
    void tabClickChangesPage();
    void closingTheProject();
    void detailsShowTheCurrentProject_data();
    void detailsShowTheCurrentProject();
    void filesPageCreatesTheFolder_data();
    void filesPageCreatesTheFolder();
    void editorTakesAllInput_data();
    void editorTakesAllInput();
    void savedProjectShowsOnDetails();
    void pagesFitTheDefaultSize();
    void openingWithAnEmptyList();
};

void NavigationTest::toolBars() {
    Started s;
    QVERIFY(s.start());
    QTabBar* tabs = s.bar().tabBar();
    QStringList captions;
    for (int page = 0; page < tabs->count(); ++page)
        captions << tabs->tabText(page);
    QCOMPARE(captions, (QStringList{QStringLiteral("Übersicht"), QStringLiteral("&Projekt"),
                                    QStringLiteral("&Aufgaben"), QStringLiteral("&Zeitnahme"),
                                    QStringLiteral("&Dateien")}));
    QCOMPARE(s.visibleTabs(), QList<int>{0});

    const QList<QPair<const char*, QStringList>> pages = {
        {"TAB_Uebersicht",
         {"&Neues Projekt", "Projekt &öffnen", "Projekt &löschen", "&Funktionen", "&Drucken"}},
        {"TAB_Projekt", {"&Bearbeiten", "&Drucken", "S&chließen"}},
        {"TAB_Todos", {"&Hinzufügen", "&Bearbeiten", "&Löschen", "&Drucken", "PR S&chließen"}},
        {"TAB_TIME", {"&Hinzufügen", "&Bearbeiten", "&Löschen", "&Drucken", "PR S&chließen"}},
        {"TAB_Files",
         {"Dat. &Hinzufügen", "Datei Ö&ffnen", "&Löschen", "&Neuer Ordner", "PR S&chließen"}},
    };
    for (const auto& [name, expected] : pages) {
        QWidget* page = s.find(name);
        QVERIFY2(page, name);
        QList<QToolButton*> buttons = page->findChildren<QToolButton*>();
        std::sort(buttons.begin(), buttons.end(),
                  [](QToolButton* a, QToolButton* b) { return a->x() < b->x(); });
        QStringList shown;
        for (QToolButton* button : buttons) {
            shown << button->text();
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QVERIFY(!button->icon().isNull());
        }
        if (page->isVisible()) // only the active page's bar is laid out
            QCOMPARE(shown, expected);
        else
            QCOMPARE(QSet<QString>(shown.begin(), shown.end()),
                     QSet<QString>(expected.begin(), expected.end()));
    }
    QCOMPARE(s.bar().BTN_Funct->menu(), s.window().projectList()->PMenu_Functions());

    // Options at the left end of the tab row, help at the right end.
    QToolButton* options = s.bar().optionsButton;
    QCOMPARE(options->toolTip(), QStringLiteral("Optionen"));
    QStringList entries;
    for (QAction* action : options->menu()->actions())
        entries << action->text();
    QCOMPARE(entries, (QStringList{QStringLiteral("Datenbankpfad festlegen"),
                                   QStringLiteral("Stammtabellen bearbeiten"),
                                   QStringLiteral("Einstellungen")}));
    QCOMPARE(s.bar().AdvGlowButton9->text(), QStringLiteral("?"));
    QVERIFY(options->geometry().right() < tabs->geometry().left());
    QVERIFY(s.bar().AdvGlowButton9->geometry().left() > tabs->geometry().right());
}

// Whoever runs the follow-up query, the panel below the project list follows its rows.
void NavigationTest::followUpPanelStandsWhileFollowUpsAreDue() {
    Started s;
    SettingsStore(SettingsStore::Scope::User)
        .writeInteger(OrbentaKey, QStringLiteral("WVHeight"), 200);
    QVERIFY(s.start());
    s.window().resize(900, 800);
    QWidget* panel = s.find("PN_WV");
    QVERIFY(!panel->isVisible());

    Dataset& followUps = s.dm().AWV;
    const auto run = [&](const QString& condition) {
        followUps.close();
        followUps.setSql({QStringLiteral("SELECT Projects.Bezeichnung, Aufgaben.*"),
                          QStringLiteral("FROM Projects INNER JOIN Aufgaben ON Projects.Nr = "
                                         "Aufgaben.AProjectnr"),
                          condition});
        followUps.open();
    };
    run(QStringLiteral("where aerledigt is null"));
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->height(), 200);
    run(QStringLiteral("where Anr=-1"));
    QVERIFY(!panel->isVisible());

    // A height the user gave it is what the next start restores.
    run(QStringLiteral("where aerledigt is null"));
    auto* splitter = s.find<QSplitter>("AdvSplitter1");
    QWidget* handle = splitter->handle(1);
    QTRY_COMPARE(handle->y(), splitter->sizes().first()); // laid out as the user sees it
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip - QPoint(0, 60));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 60));
    QCOMPARE(panel->height(), 260);
    run(QStringLiteral("where Anr=-1"));
    s.window().close();
    QCOMPARE(SettingsStore(SettingsStore::Scope::User)
                 .readInteger(OrbentaKey, QStringLiteral("WVHeight")),
             260);
}

void NavigationTest::shortcuts_data() {
    QTest::addColumn<int>("from"); // 0: no project open
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("to");

    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    const int alt = Qt::AltModifier;
    QTest::newRow("Ctrl+Tab 1 -> 2") << 1 << int(Qt::Key_Tab) << ctrl << 2;
    QTest::newRow("Ctrl+Tab 4 -> 1") << 4 << int(Qt::Key_Tab) << ctrl << 1;
    QTest::newRow("Ctrl+PageDown 3 -> 4") << 3 << int(Qt::Key_PageDown) << ctrl << 4;
    QTest::newRow("Ctrl+PageDown 4 -> 1") << 4 << int(Qt::Key_PageDown) << ctrl << 1;
    QTest::newRow("Ctrl+PageUp 1 -> 4") << 1 << int(Qt::Key_PageUp) << ctrl << 4;
    QTest::newRow("Ctrl+PageUp 3 -> 2") << 3 << int(Qt::Key_PageUp) << ctrl << 2;
    QTest::newRow("Ctrl+Shift+Tab 2 -> 1") << 2 << int(Qt::Key_Backtab) << ctrl + shift << 1;
    QTest::newRow("Ctrl+Shift+Tab 1 -> 4") << 1 << int(Qt::Key_Backtab) << ctrl + shift << 4;
    QTest::newRow("Ctrl+Shift+Tab as Tab") << 3 << int(Qt::Key_Tab) << ctrl + shift << 2;
    QTest::newRow("Ctrl+Shift+PageDown nothing") << 2 << int(Qt::Key_PageDown) << ctrl + shift << 2;
    QTest::newRow("Ctrl+Alt+Shift+Tab next")
        << 2 << int(Qt::Key_Backtab) << ctrl + shift + alt << 3;
    QTest::newRow("Ctrl+Alt+PageUp previous") << 2 << int(Qt::Key_PageUp) << ctrl + alt << 1;
    QTest::newRow("Ctrl+1") << 3 << int(Qt::Key_1) << ctrl << 1;
    QTest::newRow("Ctrl+2") << 1 << int(Qt::Key_2) << ctrl << 2;
    QTest::newRow("Ctrl+3") << 1 << int(Qt::Key_3) << ctrl << 3;
    QTest::newRow("Ctrl+4") << 1 << int(Qt::Key_4) << ctrl << 4;
    QTest::newRow("Ctrl+Alt+1") << 3 << int(Qt::Key_1) << ctrl + alt << 1;
    QTest::newRow("Ctrl+Shift+1 nothing") << 3 << int(Qt::Key_1) << ctrl + shift << 3;
    QTest::newRow("Ctrl+Shift+! nothing") << 3 << int(Qt::Key_Exclam) << ctrl + shift << 3;
    QTest::newRow("Ctrl+Alt+Shift+! page 1") << 3 << int(Qt::Key_Exclam) << ctrl + shift + alt << 1;
    QTest::newRow("Ctrl+keypad 2 nothing")
        << 1 << int(Qt::Key_2) << ctrl + int(Qt::KeypadModifier) << 1;
    QTest::newRow("Ctrl+5 nothing") << 1 << int(Qt::Key_5) << ctrl << 1;
    QTest::newRow("Alt+2 nothing") << 1 << int(Qt::Key_2) << alt << 1;
    QTest::newRow("Tab alone nothing") << 2 << int(Qt::Key_Tab) << 0 << 2;
    QTest::newRow("Ctrl+Tab on the overview nothing") << 0 << int(Qt::Key_Tab) << ctrl << 0;
    QTest::newRow("Ctrl+PageUp on the overview nothing") << 0 << int(Qt::Key_PageUp) << ctrl << 0;
    QTest::newRow("Ctrl+2 on the overview nothing") << 0 << int(Qt::Key_2) << ctrl << 0;
}

void NavigationTest::shortcuts() {
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, to);
    Started s;
    QVERIFY(s.start());
    if (from != 0)
        s.nav().openAt(from);
    QCOMPARE(s.page(), from);

    s.press(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(s.page(), to);
    QCOMPARE(s.bar().tabBar()->currentIndex(), to);
    const char* toolBars[] = {"TAB_Uebersicht", "TAB_Projekt", "TAB_Todos", "TAB_TIME",
                              "TAB_Files"};
    QVERIFY(s.find(toolBars[to])->isVisible());
    QCOMPARE(s.visibleTabs(), to == 0 ? QList<int>{0} : ProjectTabs);
    QVERIFY(s.env.dialogs().shown().isEmpty());
}

void NavigationTest::refreshKey_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("modifiers"); // -1: a tick of the refresh timer instead of F5
    QTest::addColumn<QString>("rerun"); // the dataset re-run; empty: none

    const int tick = -1;
    QTest::newRow("overview") << 0 << 0 << QStringLiteral("Projekte");
    QTest::newRow("overview, Ctrl+Shift")
        << 0 << int(Qt::ControlModifier | Qt::ShiftModifier) << QStringLiteral("Projekte");
    QTest::newRow("details") << 1 << 0 << QString();
    QTest::newRow("tasks") << 2 << 0 << QStringLiteral("Aufgaben");
    QTest::newRow("tasks, Alt") << 2 << int(Qt::AltModifier) << QStringLiteral("Aufgaben");
    QTest::newRow("time entries") << 3 << int(Qt::ShiftModifier) << QStringLiteral("Time");
    QTest::newRow("files") << 4 << 0 << QString();
    QTest::newRow("tick on the overview") << 0 << tick << QStringLiteral("Projekte");
    QTest::newRow("tick on the details") << 1 << tick << QString();
    QTest::newRow("tick on the tasks") << 2 << tick << QStringLiteral("Aufgaben");
    QTest::newRow("tick on the time entries") << 3 << tick << QStringLiteral("Time");
}

// F5 and the refresh timer show what another session added since, on the list of the page.
void NavigationTest::refreshKey() {
    QFETCH(int, page);
    QFETCH(int, modifiers);
    QFETCH(QString, rerun);
    Started s;
    QVERIFY(s.start());
    if (page != 0)
        s.nav().openAt(page);
    const QString folder = s.env.databaseFolder();
    addRowElsewhere(folder, QStringLiteral("Projects"), QStringLiteral("Bezeichnung"),
                    QStringLiteral("Neu"), QStringLiteral("Archiv"), 0);
    addRowElsewhere(folder, QStringLiteral("Aufgaben"), QStringLiteral("ABezeichnung"),
                    QStringLiteral("Neu"), QStringLiteral("AProjectnr"), s.keys.webProject);
    addRowElsewhere(folder, QStringLiteral("PRZeiten"), QStringLiteral("Bezeichnung"),
                    QStringLiteral("Neu"), QStringLiteral("PRID"), s.keys.webProject);

    Tdm& dm = s.dm();
    QList<Dataset*> lists = {&dm.Projekte, &dm.Aufgaben, &dm.Time};
    QList<int> before;
    for (Dataset* data : lists)
        before << (data->active() ? data->recordCount() : -1);

    if (modifiers < 0)
        s.window().Timer1Timer();
    else
        s.press(Qt::Key_F5, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(s.page(), page);
    for (int i = 0; i < lists.size(); ++i) {
        const int expected = lists[i]->name() == rerun ? before[i] + 1 : before[i];
        QCOMPARE(lists[i]->active() ? lists[i]->recordCount() : -1, expected);
    }
}

// A tick while the project editor has the list's row in hand leaves the row to the editor.
void NavigationTest::refreshTickSparesTheEditedRow() {
    Started s;
    QVERIFY(s.start());
    TForm3& editor = s.program->editor();
    s.window().projectList()->BTN_NewPRClick();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    s.window().Timer1Timer();
    QCOMPARE(s.dm().Projekte.state(), Dataset::State::Insert);
    QCOMPARE(s.dm().Projekte.recordCount(), 3);
    editor.AdvGlowButton1Click();
}

void NavigationTest::searchBarKey_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("list"); // whose search bar toggles; empty: none

    QTest::newRow("overview") << 0 << int(Qt::ControlModifier) << QString();
    QTest::newRow("details") << 1 << int(Qt::ControlModifier) << QString();
    QTest::newRow("tasks") << 2 << int(Qt::ControlModifier) << QStringLiteral("tasks");
    QTest::newRow("time entries") << 3 << int(Qt::ControlModifier) << QStringLiteral("times");
    QTest::newRow("time entries, Ctrl+Alt")
        << 3 << int(Qt::ControlModifier | Qt::AltModifier) << QStringLiteral("times");
    QTest::newRow("tasks, Ctrl+Shift only takes Tab")
        << 2 << int(Qt::ControlModifier | Qt::ShiftModifier) << QString();
    QTest::newRow("files") << 4 << int(Qt::ControlModifier) << QString();
}

void NavigationTest::searchBarKey() {
    QFETCH(int, page);
    QFETCH(int, modifiers);
    QFETCH(QString, list);
    Started s;
    QVERIFY(s.start());
    if (page != 0)
        s.nav().openAt(page);
    const QList<QPair<QString, ListPanel*>> panels = {
        {QStringLiteral("projects"), s.window().projectList()->panel()},
        {QStringLiteral("tasks"), s.window().taskList()->panel()},
        {QStringLiteral("times"), s.window().timeList()->panel()},
    };
    s.press(Qt::Key_F, Qt::KeyboardModifiers(modifiers));
    for (const auto& [name, panel] : panels)
        QCOMPARE(panel->searchBarVisible(), name == list);
    s.press(Qt::Key_F, Qt::KeyboardModifiers(modifiers));
    for (const auto& [name, panel] : panels)
        QVERIFY(!panel->searchBarVisible());
}

// Keys typed into the project editor are the editor's.
void NavigationTest::keysOfOtherWindowsAreNotOurs() {
    Started s;
    QVERIFY(s.start());
    s.nav().openAt(1);
    TForm3& editor = s.program->editor();
    s.window().detailsPage()->BTN_PREditClick();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QWidget* field = editor.findChild<QWidget*>(QStringLiteral("PrNummer"));
    QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_F1);
    QCOMPARE(s.page(), 1);
    QVERIFY(s.env.shell().openedDocuments().isEmpty());
    editor.AdvGlowButton1Click();
}

void NavigationTest::openingAtAPage_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("panels");

    const QStringList details = {QStringLiteral("PN_PRData1"), QStringLiteral("PN_PRData2"),
                                 QStringLiteral("PN_PRBemerkungen")};
    QTest::newRow("button") << QStringLiteral("BTN_OpenPR") << 1 << details;
    QTest::newRow("context menu") << QStringLiteral("Men_OpenPR") << 1 << details;
    QTest::newRow("Enter in the list") << QStringLiteral("Enter") << 1 << details;
    QTest::newRow("tasks") << QStringLiteral("MenuItem6") << 2
                           << QStringList{QStringLiteral("PN_Todos"), QStringLiteral("PN_ToDoBem")};
    QTest::newRow("time entries") << QStringLiteral("Zeiterfassungffnen1") << 3
                                  << QStringList{QStringLiteral("PN_Time"),
                                                 QStringLiteral("PN_TimeBem")};
    QTest::newRow("files") << QStringLiteral("Dateibersichtffnen1") << 4
                           << QStringList{QStringLiteral("PN_Files")};
}

void NavigationTest::openingAtAPage() {
    QFETCH(QString, how);
    QFETCH(int, page);
    QFETCH(QStringList, panels);
    Started s;
    QVERIFY(s.start());
    const QString nr = QString::number(s.keys.webProject);
    if (how == QLatin1String("BTN_OpenPR")) {
        QTest::mouseClick(s.bar().BTN_OpenPR, Qt::LeftButton);
    } else if (how == QLatin1String("Enter")) {
        ListGrid* grid = s.window().projectList()->grid();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
    } else {
        QAction* action = s.window().projectList()->findChild<QAction*>(how);
        if (!action) // the menus belong to the list's panel
            action = s.window().findChild<QAction*>(how);
        QVERIFY(action);
        action->trigger();
    }
    QCOMPARE(s.page(), page);
    QCOMPARE(s.caption(), QStringLiteral("Orbenta - Webseite Relaunch"));
    QCOMPARE(s.visibleTabs(), ProjectTabs);

    const QStringList all = {QStringLiteral("PN_Uebersicht"), QStringLiteral("PN_PRData1"),
                             QStringLiteral("PN_PRData2"),    QStringLiteral("PN_PRBemerkungen"),
                             QStringLiteral("PN_Todos"),      QStringLiteral("PN_ToDoBem"),
                             QStringLiteral("PN_Time"),       QStringLiteral("PN_TimeBem"),
                             QStringLiteral("PN_Files")};
    for (const QString& name : all) {
        QWidget* panel = s.program->find(name);
        QVERIFY2(panel, qPrintable(name));
        QVERIFY2(panel->isVisible() == panels.contains(name), qPrintable(name));
    }

    Tdm& dm = s.dm();
    const QString openTasks = QStringLiteral("Select * From Aufgaben where AProjectnr=") + nr +
                              QStringLiteral(" and aerledigt is null");
    switch (page) {
    case 1:
        QCOMPARE(s.find<QProgressBar>("PRErledigtBar")->value(), 40);
        break;
    case 2:
        QCOMPARE(dm.Aufgaben.sql().first(), openTasks);
        QCOMPARE(dm.Aufgaben.recordCount(), s.keys.openWebTasks);
        QCOMPARE(QApplication::focusWidget(), s.window().taskList()->grid());
        break;
    case 3:
        // The task choice of the time entry editor: one line, no order.
        QCOMPARE(dm.Aufgaben.sql(), QStringList{openTasks});
        QCOMPARE(dm.Aufgaben.recordCount(), s.keys.openWebTasks);
        QCOMPARE(dm.Time.sql().first(), QStringLiteral("Select * From PRZeiten where PRID=") + nr);
        QCOMPARE(dm.Time.recordCount(), s.keys.webTimeEntries);
        QCOMPARE(QApplication::focusWidget(), s.window().timeList()->grid());
        break;
    case 4:
        QCOMPARE(s.window().filesPage()->rootFolder(), s.env.databaseFolder() + "P-100");
        break;
    }
}

void NavigationTest::openingTwiceRunsTheEntryActionsAgain() {
    Started s;
    QVERIFY(s.start());
    QSignalSpy taskRuns(&s.dm().Aufgaben, &Dataset::afterOpen);
    QAction* openTasks = s.window().projectList()->PMenu_Functions()->findChild<QAction*>(
        QStringLiteral("MenuItem6"));
    QVERIFY(openTasks);
    openTasks->trigger();
    QCOMPARE(s.page(), 2);
    QCOMPARE(taskRuns.size(), 1);
    openTasks->trigger();
    QCOMPARE(s.page(), 2);
    QCOMPARE(taskRuns.size(), 2);

    // The done bar is set again on every entry of the details page.
    QProgressBar* bar = s.find<QProgressBar>("PRErledigtBar");
    s.window().projectList()->BTN_OpenPRClick();
    QCOMPARE(bar->value(), 40);
    bar->setValue(0);
    s.window().projectList()->BTN_OpenPRClick();
    QCOMPARE(s.page(), 1);
    QCOMPARE(bar->value(), 40);
    QCOMPARE(taskRuns.size(), 2);
}

// A tab click changes the page once; the active tab changes nothing.
void NavigationTest::tabClickChangesPage() {
    Started s;
    QVERIFY(s.start());
    s.nav().openAt(1);
    QSignalSpy taskRuns(&s.dm().Aufgaben, &Dataset::afterOpen);
    QTabBar* tabs = s.bar().tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    QCOMPARE(s.page(), 2);
    QCOMPARE(taskRuns.size(), 1);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    QCOMPARE(taskRuns.size(), 1);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(4).center());
    QCOMPARE(s.page(), 4);
    QVERIFY(s.find("PN_Files")->isVisible());
}

void NavigationTest::closingTheProject() {
    const char* closeButtons[] = {"BTN_PRClosePR", "BTN_PRClosePRTodos", "BTN_PRClosePRTime",
                                  "AdvGlowButton8"};
    for (int page = 1; page <= 4; ++page) {
        Started s;
        QVERIFY(s.start());
        s.nav().openAt(3); // Aufgaben and Time are open now
        s.nav().AdvToolBarPager1Change(page);
        Dataset& projects = s.dm().Projekte;
        projects.edit();
        projects.fieldByName(QStringLiteral("Bezeichnung")).setAsString(QStringLiteral("Halb"));

        QTest::mouseClick(s.find<QToolButton>(closeButtons[page - 1]), Qt::LeftButton);
        QCOMPARE(s.page(), 0);
        QCOMPARE(s.caption(), QStringLiteral("Orbenta"));
        QCOMPARE(s.visibleTabs(), QList<int>{0});
        QVERIFY(s.find("PN_Uebersicht")->isVisible());
        for (const char* panel : {"PN_PRData1", "PN_Todos", "PN_Time", "PN_Files"})
            QVERIFY(!s.find(panel)->isVisible());
        QVERIFY(!s.dm().Aufgaben.active());
        QVERIFY(!s.dm().Time.active());
        // The unsaved change is gone.
        QCOMPARE(projects.state(), Dataset::State::Browse);
        QCOMPARE(projects.fieldByName(QStringLiteral("Bezeichnung")).asString(),
                 QStringLiteral("Webseite Relaunch"));
        QCOMPARE(QApplication::focusWidget(), s.window().projectList()->grid());
    }
}

void NavigationTest::detailsShowTheCurrentProject_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("web");
    QTest::addColumn<QString>("closing");

    QTest::newRow("number") << "Projektnummer:"
                            << "P-100"
                            << "";
    QTest::newRow("title") << "Projektbezeichnung:"
                           << "Webseite Relaunch"
                           << "Jahresabschluss";
    QTest::newRow("type") << "Projekttyp:"
                          << "Intern"
                          << "Intern";
    QTest::newRow("client") << "Auftraggeber:"
                            << "Müller GmbH"
                            << "Müller GmbH";
    QTest::newRow("category") << "Kategorie:"
                              << "Entwicklung"
                              << "Entwicklung";
    QTest::newRow("priority") << "Priorität:"
                              << "hoch"
                              << "hoch";
    QTest::newRow("state") << "Status:"
                           << "in Arbeit"
                           << "in Arbeit";
    QTest::newRow("responsible") << "Verantwortlicher:"
                                 << "Anna Schmidt"
                                 << "Anna Schmidt";
    QTest::newRow("period") << "Zeitraum:"
                            << "01.03.2009\n31.12.2009"
                            << "01.03.2009\n31.12.2009";
    QTest::newRow("effort") << "Gesamt. Zeitaufwand:"
                            << "12:30"
                            << "12:30";
    QTest::newRow("budget") << "Budget:"
                            << "1500,5"
                            << "1500,5";
    QTest::newRow("used budget") << "verbrauchtes Budget:"
                                 << "300"
                                 << "300";
    QTest::newRow("kilometres") << "Kilometer Gesamt:"
                                << "120 km"
                                << "120 km";
    QTest::newRow("done") << "Erledigt:"
                          << "40"
                          << "75";
    QTest::newRow("done on") << "Erledigt am:"
                             << ""
                             << "";
    QTest::newRow("flat price") << "Pauschalpreis:"
                                << "999,99"
                                << "999,99";
    QTest::newRow("remarks") << "Bemerkungen:"
                             << "Erste Zeile\n\tEingerückt"
                             << "Belege sammeln";
}

namespace {

// What stands beside a caption of the details page, as the user reads it.
QString valueOf(QWidget* page, const QString& caption) {
    for (QLabel* label : page->findChildren<QLabel*>()) {
        if (label->text() != caption || qobject_cast<BoundLabel*>(label))
            continue;
        QWidget* panel = label->parentWidget();
        auto* form = qobject_cast<QFormLayout*>(panel->layout());
        if (!form) // the remarks: the memo below the caption
            return panel->findChild<QPlainTextEdit*>()->toPlainText();
        int row = -1;
        QFormLayout::ItemRole role;
        form->getWidgetPosition(label, &row, &role);
        QWidget* field = form->itemAt(row, QFormLayout::FieldRole)->widget();
        if (auto* bar = qobject_cast<QProgressBar*>(field))
            return QString::number(bar->value());
        if (auto* value = qobject_cast<BoundLabel*>(field))
            return value->text();
        QStringList lines; // the period: its lines top to bottom
        for (BoundLabel* value : field->findChildren<BoundLabel*>())
            lines << value->text();
        return lines.join(QLatin1Char('\n'));
    }
    return QStringLiteral("<no caption>");
}

} // namespace

void NavigationTest::detailsShowTheCurrentProject() {
    QFETCH(QString, label);
    QFETCH(QString, web);
    QFETCH(QString, closing);
    Started s;
    QVERIFY(s.start());
    QWidget* page = s.window().detailsPage();
    s.window().projectList()->BTN_OpenPRClick();
    QCOMPARE(valueOf(page, label), web);

    s.window().navigation()->BTN_PRClosePRClick();
    s.dm().Projekte.next();
    s.window().projectList()->BTN_OpenPRClick();
    QCOMPARE(s.caption(), QStringLiteral("Orbenta - Jahresabschluss"));
    QCOMPARE(valueOf(page, label), closing);
}

void NavigationTest::filesPageCreatesTheFolder_data() {
    QTest::addColumn<bool>("withNumber");
    QTest::newRow("by number text") << true;
    QTest::newRow("by key") << false;
}

void NavigationTest::filesPageCreatesTheFolder() {
    QFETCH(bool, withNumber);
    Started s;
    QVERIFY(s.start());
    if (!withNumber)
        s.dm().Projekte.next();
    const QString folder =
        s.env.databaseFolder() +
        (withNumber ? QStringLiteral("P-100") : QString::number(s.keys.closingProject));
    QVERIFY(!QFileInfo::exists(folder));
    s.nav().openAt(4);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(s.window().filesPage()->rootFolder(), folder);
    // Leaving and entering again finds it there.
    s.press(Qt::Key_Tab, Qt::ControlModifier);
    s.press(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(s.page(), 4);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(s.env.dialogs().shown().isEmpty());
}

void NavigationTest::editorTakesAllInput_data() {
    QTest::addColumn<QString>("open"); // the command that shows the editor
    QTest::addColumn<QString>("way");  // the way out

    for (const QString& open : {QStringLiteral("BTN_NewPR"), QStringLiteral("BTN_PREdit")}) {
        for (const QString& way : {QStringLiteral("save"), QStringLiteral("cancel"),
                                   QStringLiteral("Ctrl+S"), QStringLiteral("Ctrl+B")})
            QTest::newRow(qPrintable(open + QLatin1Char(' ') + way)) << open << way;
    }
}

// Shown without blocking, the editor takes all input until it is left, whichever way.
void NavigationTest::editorTakesAllInput() {
    QFETCH(QString, open);
    QFETCH(QString, way);
    Started s;
    QVERIFY(s.start());
    if (open == QLatin1String("BTN_PREdit"))
        s.nav().openAt(1);
    TForm3& editor = s.program->editor();
    QTest::mouseClick(s.find<QToolButton>(qPrintable(open)), Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QCOMPARE(editor.windowModality(), Qt::WindowModal);
    QCOMPARE(QApplication::activeModalWidget(), &editor);

    // The main window takes no key while the editor stands.
    QTest::keyClick(s.window().windowHandle(), Qt::Key_F1);
    QVERIFY(s.env.shell().openedDocuments().isEmpty());

    QWidget* field = editor.focusWidget() ? editor.focusWidget() : &editor;
    if (way == QLatin1String("save"))
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("AdvGlowButton2")),
                          Qt::LeftButton);
    else if (way == QLatin1String("cancel"))
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("AdvGlowButton1")),
                          Qt::LeftButton);
    else if (way == QLatin1String("Ctrl+S"))
        QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    else
        QTest::keyClick(field, Qt::Key_B, Qt::ControlModifier);

    QTRY_VERIFY(!editor.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QTRY_COMPARE(QApplication::activeWindow(), &s.window());
    QCOMPARE(s.dm().Projekte.state(), Dataset::State::Browse);
    QTest::keyClick(s.window().windowHandle(), Qt::Key_F1);
    QCOMPARE(s.env.shell().openedDocuments().size(), 1);
    QVERIFY(s.env.dialogs().shown().isEmpty());
}

// The editor's save shows on the details page: the bound values at once, the done bar by the
// editor's word.
void NavigationTest::savedProjectShowsOnDetails() {
    Started s;
    QVERIFY(s.start());
    s.window().projectList()->BTN_OpenPRClick();
    TForm3& editor = s.program->editor();
    QTest::mouseClick(s.bar().BTN_PREdit, Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    editor.findChild<QSpinBox*>(QStringLiteral("PrerledigtP"))->setValue(90);
    editor.findChild<QPlainTextEdit*>(QStringLiteral("DBAdvMemo1"))
        ->setPlainText(QStringLiteral("Neu geschrieben"));
    QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("AdvGlowButton2")),
                      Qt::LeftButton);
    QTRY_VERIFY(!editor.isVisible());
    QCOMPARE(s.find<QProgressBar>("PRErledigtBar")->value(), 90);
    QCOMPARE(s.find<QPlainTextEdit>("PN_PRBemerkungenMemo")->toPlainText(),
             QStringLiteral("Neu geschrieben"));
    QCOMPARE(s.dm().Projekte.fieldByName(QStringLiteral("Beschreibung")).asString(),
             QStringLiteral("Neu geschrieben"));
    QCOMPARE(s.caption(), QStringLiteral("Orbenta - Webseite Relaunch"));
}

// The window keeps the size it opened at: changing the page never makes it grow by itself.
void NavigationTest::pagesFitTheDefaultSize() {
    Started s;
    QVERIFY(s.start());
    TTMSForm1& window = s.window();
    const QSize opened = window.frameGeometry().size();
    QCOMPARE(opened, QSize(848, 461));
    for (int page : {1, 2, 3, 4, 2, 1}) {
        s.nav().openAt(page);
        QApplication::processEvents();
        QCOMPARE(window.frameGeometry().size(), opened);
    }
    s.nav().BTN_PRClosePRClick();
    QApplication::processEvents();
    QCOMPARE(window.frameGeometry().size(), opened);
}

// Nothing refuses opening while the list is empty: the pages stand with empty fields.
void NavigationTest::openingWithAnEmptyList() {
    TestEnvironment env;
    env.createDatabase();
    storeDbPath(env.databaseFolder());
    RunningProgram program(env);
    QVERIFY(program.show());
    QCOMPARE(program.dm().Projekte.recordCount(), 0);
    Navigation& nav = *program.window().navigation();
    for (int page = 1; page <= 4; ++page) {
        nav.openAt(page);
        QCOMPARE(program.window().AdvToolBarPager1()->activePage(), page);
        QCOMPARE(program.window().windowTitle(), QStringLiteral("Orbenta - "));
    }
    QCOMPARE(program.dm().Aufgaben.recordCount(), 0);
    QCOMPARE(program.dm().Time.recordCount(), 0);
    QCOMPARE(program.window().filesPage()->rootFolder(), env.databaseFolder() + "0");
    nav.BTN_PRClosePRClick();
    QCOMPARE(program.window().windowTitle(), QStringLiteral("Orbenta"));
    QVERIFY(env.dialogs().shown().isEmpty());
}

ORBENTA_TEST_MAIN(NavigationTest)
#include "tst_navigation.moc"
