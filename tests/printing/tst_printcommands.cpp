#include "app/mainwindow.h"
#include "app/navigation.h"
#include "app/pagetoolbar.h"
#include "appfixture.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "printing/reportcommands.h"
#include "printsupport.h"
#include "projects/projectlist.h"
#include "tasks/tasklist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QToolButton>

namespace {

// The program on the fixture, with the report project in its program folder.
struct Started {
    TestEnvironment env;
    ScriptedOutput output;
    FixtureKeys keys;
    std::unique_ptr<RunningProgram> program;
    int printed = 0;

    bool start(bool withReports = true) {
        keys = writeFixture(env);
        storeDbPath(env.databaseFolder());
        program = std::make_unique<RunningProgram>(env);
        if (withReports) {
            QDir().mkpath(program->programFolder() + "reports");
            QFile::copy(QCoreApplication::applicationDirPath() + "/reports/orbt.rav",
                        program->programFolder() + "reports/orbt.rav");
        }
        return program->show();
    }
    TTMSForm1& window() { return program->window(); }
    Tdm& dm() { return program->dm(); }
    PageToolBar& bar() { return *window().AdvToolBarPager1(); }
    ReportCommands& reports() { return *window().findChild<ReportCommands*>(); }

    QAction* entry(QMenu* menu, const char* name) {
        return menu->findChild<QAction*>(QLatin1String(name));
    }
    // Runs what prints, answering the output dialog with a PDF file; the text read back.
    QString print(const std::function<void()>& trigger) {
        const QString file = env.rootFolder() + QString("/druck%1.pdf").arg(++printed);
        ScriptedOutput::choose(file);
        trigger();
        return QFile::exists(file) ? pdfText(file) : QString();
    }
    QString lastReport() {
        const auto& deliveries = ScriptedOutput::output().deliveries();
        return deliveries.isEmpty() ? QString() : deliveries.last().report;
    }
    void select(const QString& title) {
        Dataset& p = dm().Projekte;
        for (int row = 0; row < p.recordCount(); ++row)
            if (p.text(row, p.fieldIndex("Bezeichnung")) == title)
                p.moveTo(row);
        QCOMPARE(p.fieldByName("Bezeichnung").asString(), title);
    }
    int rowOf(Dataset& data, const QString& field, const QString& text) {
        for (int row = 0; row < data.recordCount(); ++row)
            if (data.text(row, data.fieldIndex(field)) == text)
                return row;
        return -1;
    }
};

// Rows written beside the program, as another session would.
int addRow(const QString& folder, const QString& table, const std::function<void(Dataset&)>& fill) {
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(folder));
    connection.open();
    Dataset data(connection, "elsewhere");
    data.setSql("Select * From " + table);
    data.open();
    data.append();
    fill(data);
    data.post();
    return data.field(0).asInteger();
}

// The follow-up list's query, as the overview loads it.
void loadFollowUps(Tdm& dm) {
    dm.AWV.close();
    dm.AWV.setSql(QStringList{"Select Projects.Bezeichnung, Aufgaben.* ",
                              "FROM Projects INNER JOIN Aufgaben ON Projects.Nr = "
                              "Aufgaben.AProjectnr",
                              " where awv<=now() and aerledigt is null", "order by Bezeichnung"});
    dm.AWV.open();
}

int taskNr(Tdm& dm, const QString& title) {
    Dataset all(dm.ADOConnection1, "all");
    all.setSql("Select * From Aufgaben where ABezeichnung='" + title + "'");
    all.open();
    return all.fieldByName("Anr").asInteger();
}

} // namespace

class PrintCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void entriesRunTheirReports_data();
    void entriesRunTheirReports();
    void overviewListsAndSheet();
    void taskListAndSheet();
    void timeListAndSheet();
    void followUpListAndSheet();
    void timeListFromOverviewIsTheSelectedProjects();
    void taskListFromOverviewIsTheSelectedProjects();
    void noTasksGivesMessage();
    void entryWithDoneTaskHasNoTask();
    void followUpOfProjectNotListedHandsItsOwnTitle();
    void missingReportProjectPrintsNothing();
};

void PrintCommandsTest::entriesRunTheirReports_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("report");
    const int overview = PageToolBar::Uebersicht;
    QTest::newRow("tool bar Projektliste") << overview << "PMenu_PRPrint"
                                           << "Projektliste1"
                                           << "PRListe";
    QTest::newRow("tool bar Einzelprojekt") << overview << "PMenu_PRPrint"
                                            << "EinzelProjekt1"
                                            << "PRDetails";
    QTest::newRow("tool bar Aufgabenliste") << overview << "PMenu_PRPrint"
                                            << "Aufgabenliste1"
                                            << "Aufgabenliste";
    QTest::newRow("tool bar Zeitnahmen") << overview << "PMenu_PRPrint"
                                         << "Listedrucken1"
                                         << "Zeitliste";
    QTest::newRow("menu Projektliste") << overview << "Men_PrintPR"
                                       << "Projektliste2"
                                       << "PRListe";
    QTest::newRow("menu Einzelprojekt") << overview << "Men_PrintPR"
                                        << "EinzelProjekt2"
                                        << "PRDetails";
    QTest::newRow("menu Aufgabenliste") << overview << "Men_PrintPR"
                                        << "Aufgabenliste3"
                                        << "Aufgabenliste";
    QTest::newRow("menu Zeitnahmen") << overview << "Men_PrintPR"
                                     << "Zeitnahmen2"
                                     << "Zeitliste";
    QTest::newRow("project page Drucken") << int(PageToolBar::Projekt) << ""
                                          << ""
                                          << "PRDetails";
    QTest::newRow("task page Aufgabenliste") << int(PageToolBar::Todos) << "PMenu_ToDoPrint"
                                             << "Aufgabenliste2"
                                             << "Aufgabenliste";
    QTest::newRow("task page Einzelaufgabe") << int(PageToolBar::Todos) << "PMenu_ToDoPrint"
                                             << "Einzelaufgabe"
                                             << "ADetails";
    QTest::newRow("time page Zeiterfassungsliste") << int(PageToolBar::Time) << "PMenu_TimePrint"
                                                   << "Listedrucken2"
                                                   << "Zeitliste";
    QTest::newRow("time page Einzelzeiterfassung") << int(PageToolBar::Time) << "PMenu_TimePrint"
                                                   << "Einzelzeiterfassung1"
                                                   << "Zeitnahme";
}

void PrintCommandsTest::entriesRunTheirReports() {
    QFETCH(int, page);
    QFETCH(QString, menu);
    QFETCH(QString, entry);
    QFETCH(QString, report);
    Started s;
    QVERIFY(s.start());
    if (page != PageToolBar::Uebersicht)
        s.window().navigation()->openAt(page);
    const QString text = s.print([&] {
        if (menu.isEmpty()) {
            s.bar().BTN_PRPrintDetails->click();
            return;
        }
        auto* owner = s.window().findChild<QMenu*>(menu);
        QVERIFY(owner);
        QAction* action = owner->findChild<QAction*>(entry);
        QVERIFY(action);
        action->trigger();
    });
    QCOMPARE(s.lastReport(), report);
    QVERIFY(text.contains("Seite 1 von 1"));
    QVERIFY(TestEnvironment::dialogs().shown().isEmpty());
}

void PrintCommandsTest::overviewListsAndSheet() {
    Started s;
    QVERIFY(s.start());
    Dataset& projects = s.dm().Projekte;
    s.select("Jahresabschluss");
    const int row = projects.recNo();

    const QString list =
        s.print([&] { s.entry(s.bar().PMenu_PRPrint, "Projektliste1")->trigger(); });
    QVERIFY(list.contains("Projektliste"));
    QVERIFY(list.contains("Webseite Relaunch") && list.contains("P-100"));
    QVERIFY(list.contains("Jahresabschluss"));
    QVERIFY(!list.contains("Altprojekt")); // as the overview has loaded them
    QVERIFY(list.contains(QRegularExpression("Anzahl Projekte:\\s+2")));
    QCOMPARE(projects.recNo(), row);

    const QString sheet =
        s.print([&] { s.entry(s.bar().PMenu_PRPrint, "EinzelProjekt1")->trigger(); });
    QVERIFY(sheet.contains("Projektblatt"));
    QVERIFY(sheet.contains("Jahresabschluss"));
    QVERIFY(sheet.contains("Belege sammeln")); // the remarks memo
    QVERIFY(sheet.contains("75 %"));
    QVERIFY(!sheet.contains("Webseite Relaunch"));
    QCOMPARE(projects.recNo(), row);
}

void PrintCommandsTest::taskListAndSheet() {
    Started s;
    QVERIFY(s.start());
    s.select("Webseite Relaunch");
    s.window().navigation()->openAt(PageToolBar::Todos);
    Dataset& tasks = s.dm().Aufgaben;
    // All tasks, the done one among them.
    TaskList* list = s.window().taskList();
    list->setBaseText("Select * From Aufgaben where AProjectnr=" +
                      QString::number(s.keys.webProject));
    list->showaufgaben();
    tasks.moveTo(s.rowOf(tasks, "ABezeichnung", "Umsetzung"));
    const int row = tasks.recNo();

    const QString text =
        s.print([&] { s.entry(s.bar().PMenu_ToDoPrint, "Aufgabenliste2")->trigger(); });
    QVERIFY(text.contains("Projekt: Webseite Relaunch"));
    QVERIFY(text.contains("Entwurf") && text.contains("Umsetzung"));
    // The done task is marked.
    QVERIFY(text.contains(QRegularExpression("✓\\s+Angebot")));
    QVERIFY(!text.contains(QRegularExpression("✓\\s+Entwurf")));
    QVERIFY(text.contains(QRegularExpression("Anzahl Aufgaben:\\s+3")));
    QCOMPARE(tasks.recNo(), row);

    const QString sheet =
        s.print([&] { s.entry(s.bar().PMenu_ToDoPrint, "Einzelaufgabe")->trigger(); });
    QVERIFY(sheet.contains("Aufgabenblatt"));
    QVERIFY(sheet.contains("Projekt: Webseite Relaunch"));
    QVERIFY(sheet.contains("Umsetzung:")); // its remarks, "Umsetzung:\n\tDetails"
    QVERIFY(sheet.contains("Details"));
    QVERIFY(!sheet.contains("Entwurf"));
    QCOMPARE(tasks.recNo(), row);
}

void PrintCommandsTest::timeListAndSheet() {
    Started s;
    QVERIFY(s.start());
    s.select("Webseite Relaunch");
    s.window().navigation()->openAt(PageToolBar::Time);
    Dataset& times = s.dm().Time;
    times.moveTo(s.rowOf(times, "Bezeichnung", "Programmierung"));
    QCOMPARE(times.fieldByName("Bezeichnung").asString(), QString("Programmierung"));

    const QString text =
        s.print([&] { s.entry(s.bar().PMenu_TimePrint, "Listedrucken2")->trigger(); });
    QVERIFY(text.contains("Zeiterfassungsliste"));
    QVERIFY(text.contains("Projekt: Webseite Relaunch"));
    QVERIFY(text.contains("Besprechung") && text.contains("Programmierung"));
    QVERIFY(!text.contains("Sichtung"));
    QVERIFY(text.contains("05.03.2009"));
    QVERIFY(text.contains(QRegularExpression("Gesamtaufwand \\(Std.:Min.\\):\\s+00:00")));
    // The list was loaded for the report; the entry selected before is selected again.
    QCOMPARE(times.fieldByName("Bezeichnung").asString(), QString("Programmierung"));

    const QString sheet =
        s.print([&] { s.entry(s.bar().PMenu_TimePrint, "Einzelzeiterfassung1")->trigger(); });
    QVERIFY(sheet.contains("Zeiterfassung"));
    QVERIFY(sheet.contains("Projekt: Webseite Relaunch"));
    QVERIFY(sheet.contains("Programmierung erledigt")); // its remarks
    QVERIFY(!sheet.contains("Besprechung"));
}

void PrintCommandsTest::followUpListAndSheet() {
    Started s;
    QVERIFY(s.start());
    const QString folder = s.env.databaseFolder();
    addRow(folder, "Aufgaben", [&](Dataset& a) {
        a.fieldByName("AProjectnr").setAsInteger(s.keys.closingProject);
        a.fieldByName("ABezeichnung").setAsString("Steuerberater anrufen");
        a.fieldByName("AWV").setAsDateTime(DateTimeValue::today() - 2);
    });
    loadFollowUps(s.dm());
    QCOMPARE(s.dm().AWV.recordCount(), 1);

    ReportCommands& reports = s.reports();
    const QString list = s.print([&] { reports.Wiedervorlagenliste1Click(); });
    QVERIFY(list.contains("Wiedervorlagen"));
    QVERIFY(list.contains("Steuerberater anrufen") && list.contains("Jahresabschluss"));
    QVERIFY(list.contains(DateTimeValue::shortDateText(DateTimeValue::today() - 2)));

    s.select("Webseite Relaunch");
    const QString sheet = s.print([&] { reports.Einzelaufgabe2Click(); });
    QCOMPARE(s.lastReport(), QString("ADetails"));
    QVERIFY(sheet.contains("Projekt: Jahresabschluss"));
    QVERIFY(sheet.contains("Steuerberater anrufen"));
    // The overview's selection moved to the follow-up's project; the task dataset holds the
    // one task.
    QCOMPARE(s.dm().Projekte.fieldByName("Bezeichnung").asString(), QString("Jahresabschluss"));
    QCOMPARE(s.dm().Aufgaben.recordCount(), 1);
}

void PrintCommandsTest::timeListFromOverviewIsTheSelectedProjects() {
    Started s;
    QVERIFY(s.start());
    s.select("Jahresabschluss");
    const int row = s.dm().Projekte.recNo();
    const QString text =
        s.print([&] { s.entry(s.bar().PMenu_PRPrint, "Listedrucken1")->trigger(); });
    QVERIFY(text.contains("Projekt: Jahresabschluss"));
    QVERIFY(text.contains("Sichtung"));
    QVERIFY(!text.contains("Besprechung"));
    QCOMPARE(s.dm().Projekte.recNo(), row);
    QCOMPARE(s.bar().activePage(), int(PageToolBar::Uebersicht));
}

void PrintCommandsTest::taskListFromOverviewIsTheSelectedProjects() {
    Started s;
    QVERIFY(s.start());
    // A project opened earlier leaves its tasks in the task dataset.
    s.select("Webseite Relaunch");
    s.window().navigation()->openAt(PageToolBar::Todos);
    s.window().navigation()->BTN_PRClosePRClick();
    s.select("Jahresabschluss");

    const QString text = s.print([&] {
        s.window().projectList()->printMenu()->findChild<QAction*>("Aufgabenliste3")->trigger();
    });
    QVERIFY(text.contains("Projekt: Jahresabschluss"));
    QVERIFY(text.contains("Belege"));
    QVERIFY(!text.contains("Entwurf"));
    QVERIFY(!text.contains("Umsetzung"));
}

void PrintCommandsTest::noTasksGivesMessage() {
    Started s;
    QVERIFY(s.start());
    addRow(s.env.databaseFolder(), "Projects", [](Dataset& p) {
        p.fieldByName("Bezeichnung").setAsString("Ohne Aufgaben");
        p.fieldByName("Archiv").setAsInteger(0);
    });
    s.window().projectList()->showprojecte();
    s.select("Ohne Aufgaben");
    ScriptedOutput::choose(s.env.rootFolder() + "/nichts.pdf");
    s.entry(s.bar().PMenu_PRPrint, "Aufgabenliste1")->trigger();
    auto shown = TestEnvironment::dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().kind, MessageDialogs::Kind::Message);
    QCOMPARE(shown.first().text, QString("Es liegen keine Aufgaben vor"));
    QCOMPARE(ScriptedOutput::output().dialogsShown(), 0);

    // The same on the task page for a single task.
    TestEnvironment::dialogs().clearShown();
    s.window().navigation()->openAt(PageToolBar::Todos);
    s.entry(s.bar().PMenu_ToDoPrint, "Einzelaufgabe")->trigger();
    shown = TestEnvironment::dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, QString("Es liegen keine Aufgaben vor"));
    QCOMPARE(ScriptedOutput::output().dialogsShown(), 0);
    QVERIFY(!QFile::exists(s.env.rootFolder() + "/nichts.pdf"));
}

void PrintCommandsTest::entryWithDoneTaskHasNoTask() {
    Started s;
    QVERIFY(s.start());
    const QString folder = s.env.databaseFolder();
    Tdm& dm = s.dm();
    for (const char* task : {"Angebot", "Entwurf"}) {
        const int nr = taskNr(dm, task);
        addRow(folder, "PRZeiten", [&](Dataset& t) {
            t.fieldByName("PRID").setAsInteger(s.keys.webProject);
            t.fieldByName("AID").setAsInteger(nr);
            t.fieldByName("ABezeichnung").setAsString(task);
            t.fieldByName("Bezeichnung").setAsString(QString("Arbeit an ") + task);
        });
    }
    s.select("Webseite Relaunch");
    s.window().navigation()->openAt(PageToolBar::Time); // the open tasks are the choice
    Dataset& times = dm.Time;
    const auto sheetOf = [&](const QString& entry) {
        times.moveTo(s.rowOf(times, "Bezeichnung", entry));
        return s.print(
            [&] { s.entry(s.bar().PMenu_TimePrint, "Einzelzeiterfassung1")->trigger(); });
    };
    QVERIFY(sheetOf("Arbeit an Entwurf").contains(QRegularExpression("Aufgabe:\\s+Entwurf")));
    QCOMPARE(s.reports().engine().parameter("Aufgabe"), QString("Entwurf"));
    // "Angebot" is done: not among the open tasks loaded.
    const QString done = sheetOf("Arbeit an Angebot");
    QVERIFY(done.contains(QRegularExpression("Aufgabe:\\s*\\n")));
    QCOMPARE(s.reports().engine().parameter("Aufgabe"), QString());
}

void PrintCommandsTest::followUpOfProjectNotListedHandsItsOwnTitle() {
    Started s;
    QVERIFY(s.start());
    addRow(s.env.databaseFolder(), "Aufgaben", [&](Dataset& a) {
        a.fieldByName("AProjectnr").setAsInteger(s.keys.oldProject);
        a.fieldByName("ABezeichnung").setAsString("Archiv prüfen");
        a.fieldByName("AWV").setAsDateTime(DateTimeValue::today() - 1);
    });
    loadFollowUps(s.dm());
    QCOMPARE(s.dm().AWV.fieldByName("Bezeichnung").asString(), QString("Altprojekt"));
    s.select("Webseite Relaunch");

    const QString sheet = s.print([&] { s.reports().Einzelaufgabe2Click(); });
    QVERIFY(sheet.contains("Projekt: Altprojekt"));
    QVERIFY(!sheet.contains("Projekt: Jahresabschluss"));
    QVERIFY(sheet.contains("Archiv prüfen"));
    QCOMPARE(s.reports().engine().parameter("Projekt"), QString("Altprojekt"));
}

void PrintCommandsTest::missingReportProjectPrintsNothing() {
    Started s;
    QVERIFY(s.start(false));
    ScriptedOutput::choose(s.env.rootFolder() + "/nichts.pdf");
    s.entry(s.bar().PMenu_PRPrint, "Projektliste1")->trigger();
    const auto shown = TestEnvironment::dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().kind, MessageDialogs::Kind::Error);
    QVERIFY(shown.first().text.contains("reports/orbt.rav"));
    QVERIFY(shown.first().text.contains("Es wird nichts gedruckt."));
    QVERIFY(ScriptedOutput::output().deliveries().isEmpty());
    QVERIFY(!QFile::exists(s.env.rootFolder() + "/nichts.pdf"));
}

ORBENTA_TEST_MAIN(PrintCommandsTest)
#include "tst_printcommands.moc"
