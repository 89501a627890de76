#include "data/tdm.h"
#include "disksnapshot.h"
#include "platform/guarded.h"
#include "projects/deletionwindow.h"
#include "projects/projectdeletion.h"
#include "projects/projectlist.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <sqlite3.h>

using Answer = MessageDialogs::Answer;

namespace {

const QString Question =
    QStringLiteral("Soll das  Projekt mit all seinen Daten und Dateien wirklich gelöscht werden?");

// A database with projects, their tasks and time entries, the project list open on all
// projects, and the deletion with its window over a shown main window.
struct Deletion {
    TestEnvironment env;
    Tdm dm{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    QWidget mainWindow;
    std::unique_ptr<TPRDelete> window;
    std::unique_ptr<ProjectDeletion> deletion;
    int released = 0;
    QList<QPair<int, QString>> steps; // bar value with the text standing beside it

    Deletion() {
        env.connectDataModule(dm);
        dm.setFirstShow(false);
        dm.Projekte.setSql(ProjectList::AllProjects);
        dm.Projekte.open();
        mainWindow.resize(800, 600);
        mainWindow.show();
        env.dialogs().setMainWindow(&mainWindow);
        window = std::make_unique<TPRDelete>(&mainWindow);
        QObject::connect(window->DelProgress(), &QProgressBar::valueChanged, window.get(),
                         [this](int value) {
                             steps.append({value, window->Label1()->text()});
                         });
        ProjectDeletion::Parts parts;
        parts.dm = &dm;
        parts.window = window.get();
        parts.databaseFolder = [this] { return env.databaseFolder(); };
        parts.releaseFiles = [this] { ++released; };
        parts.rerunList = [this] {
            dm.Projekte.close();
            dm.Projekte.open();
        };
        deletion = std::make_unique<ProjectDeletion>(parts);
    }

    int addProject(const QString& number, const QString& title, int tasks = 2, int times = 3) {
        Dataset& p = dm.Projekte;
        p.append();
        p.fieldByName("Pojektnummer").setAsString(number);
        p.fieldByName("Bezeichnung").setAsString(title);
        p.post();
        const int nr = p.fieldByName("Nr").asInteger();
        Dataset& a = dm.Aufgaben;
        a.close();
        a.setSql("Select * From Aufgaben");
        a.open();
        for (int i = 0; i < tasks; ++i) {
            a.append();
            a.fieldByName("AProjectnr").setAsInteger(nr);
            a.fieldByName("ABezeichnung").setAsString(title + " Aufgabe");
            a.post();
        }
        Dataset& t = dm.Time;
        t.close();
        t.open();
        for (int i = 0; i < times; ++i) {
            t.append();
            t.fieldByName("PRID").setAsInteger(nr);
            t.fieldByName("Bezeichnung").setAsString(title + " Zeit");
            t.post();
        }
        return nr;
    }
    void select(int nr) {
        Dataset& p = dm.Projekte;
        for (int row = 0; row < p.recordCount(); ++row) {
            if (p.value(row, p.fieldIndex("Nr")).toInt() == nr)
                p.moveTo(row);
        }
        QCOMPARE(p.fieldByName("Nr").asInteger(), nr);
    }
    int stored(const QString& table, const QString& column, int nr) {
        Dataset check(dm.ADOConnection1, "check");
        check.setSql(QStringLiteral("Select * From %1 where %2=%3").arg(table, column).arg(nr));
        check.open();
        return check.recordCount();
    }
    // Project row, tasks and time entries as stored.
    QList<int> rowsOf(int nr) {
        return {stored("Projects", "Nr", nr), stored("Aufgaben", "AProjectnr", nr),
                stored("PRZeiten", "PRID", nr)};
    }
    QString folder(const QString& name) { return env.databaseFolder() + name; }
    void fillFolder(const QString& name) {
        QVERIFY(QDir().mkpath(folder(name) + "/Angebote/2026"));
        QVERIFY(writeFile(folder(name) + "/Vertrag.pdf", "Vertrag"));
        QVERIFY(writeFile(folder(name) + "/Angebote/2026/Angebot.txt", "Angebot"));
    }
    // What the database folder holds besides the database with its journals.
    QStringList entries() {
        QStringList names =
            QDir(env.databaseFolder())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        names.removeIf([](const QString& name) { return name.startsWith("ORBTData.mdb"); });
        return names;
    }
    void blockDeletesOn(const QString& table) {
        const QByteArray sql = "CREATE TRIGGER block BEFORE DELETE ON " + table.toUtf8() +
                               " BEGIN SELECT RAISE(ABORT, 'gesperrt'); END";
        QCOMPARE(
            sqlite3_exec(dm.ADOConnection1.handle(), sql.constData(), nullptr, nullptr, nullptr),
            SQLITE_OK);
    }
};

} // namespace

class TestProjectDeletion : public QObject {
    Q_OBJECT

private slots:
    void window();
    void deletesTheProjectWithEverythingItOwns_data();
    void deletesTheProjectWithEverythingItOwns();
    void answeringNoChangesNothing();
    void noCurrentProjectDoesNothing();
    void sharedFolderIsKept_data();
    void sharedFolderIsKept();
    void linksLeadingOutAreRemovedAsLinks();
    void engineErrorMidwayLeavesEverything_data();
    void engineErrorMidwayLeavesEverything();
};

void TestProjectDeletion::window() {
    QWidget mainWindow;
    TPRDelete window(&mainWindow);
    QCOMPARE(window.windowTitle(), "Lösche Projekt!");
    QCOMPARE(window.size(), QSize(297, 72));
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(window.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(window.findChild<QLabel*>("Label1"), window.Label1());
    QProgressBar* bar = window.findChild<QProgressBar*>("DelProgress");
    QVERIFY(bar);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QVERIFY(window.DelProgress()->styleSheet().contains("#32CD32"));
    QVERIFY(!window.isVisible());
}

void TestProjectDeletion::deletesTheProjectWithEverythingItOwns_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("withFolder");
    QTest::newRow("folder named by the number text") << "P-100" << true;
    QTest::newRow("folder named by the key") << "" << true;
    QTest::newRow("no documents folder") << "P-100" << false;
}

void TestProjectDeletion::deletesTheProjectWithEverythingItOwns() {
    QFETCH(QString, number);
    QFETCH(bool, withFolder);
    Deletion d;
    const int other = d.addProject("A-1", "Nachbar");
    const int nr = d.addProject(number, "Webseite");
    const QString name = number.isEmpty() ? QString::number(nr) : number;
    d.fillFolder("A-1");
    // The folder named by the key belongs to no one here while the number text names the
    // project's folder: it stays.
    QVERIFY(QDir().mkpath(d.folder(QString::number(nr))));
    if (withFolder)
        d.fillFolder(name);
    const QStringList neighbour = diskSnapshot(d.folder("A-1"));
    d.select(nr);
    d.env.dialogs().scriptAnswers({Answer::Yes});

    d.deletion->run();

    const auto shown = d.env.dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, MessageDialogs::Kind::YesNoQuestion);
    QCOMPARE(shown[0].title, "Projekt löschen?");
    QCOMPARE(shown[0].text, Question);

    QCOMPARE(d.rowsOf(nr), QList<int>({0, 0, 0}));
    QCOMPARE(d.rowsOf(other), QList<int>({1, 2, 3}));
    QStringList left{"A-1"};
    if (!number.isEmpty())
        left << QString::number(nr);
    left.sort();
    QCOMPARE(d.entries(), left);
    QCOMPARE(diskSnapshot(d.folder("A-1")), neighbour);
    // The list dropped the row itself.
    QCOMPARE(d.dm.Projekte.recordCount(), 1);
    QCOMPARE(d.dm.Projekte.fieldByName("Nr").asInteger(), other);

    using Step = QPair<int, QString>;
    const QString files = withFolder ? "Lösche Dateien..." : "";
    QCOMPARE(d.steps, QList<Step>({{0, ""},
                                   {25, files},
                                   {50, "Lösche Zeiterfassungen..."},
                                   {75, "Lösche Aufgaben..."},
                                   {100, "Lösche Projekt..."}}));
    QCOMPARE(d.released, 1);
    // The window stays a moment with its last step while the program goes on.
    QVERIFY(d.window->isVisible());
    QVERIFY(d.window->pauseTimer().isActive());
    QCOMPARE(d.window->pauseTimer().interval(), 3000);
    d.window->pauseElapsed();
    QVERIFY(!d.window->isVisible());
}

void TestProjectDeletion::answeringNoChangesNothing() {
    Deletion d;
    const int nr = d.addProject("P-100", "Webseite");
    d.fillFolder("P-100");
    const QStringList before = diskSnapshot(d.folder("P-100"));
    d.select(nr);
    d.env.dialogs().scriptAnswers({Answer::No});

    d.deletion->run();

    QCOMPARE(d.env.dialogs().shown().size(), 1);
    QCOMPARE(d.rowsOf(nr), QList<int>({1, 2, 3}));
    QCOMPARE(diskSnapshot(d.folder("P-100")), before);
    QCOMPARE(d.entries(), QStringList{"P-100"});
    QVERIFY(d.steps.isEmpty());
    QVERIFY(!d.window->isVisible());
    QCOMPARE(d.released, 0);
    QCOMPARE(d.dm.Projekte.fieldByName("Nr").asInteger(), nr);
}

void TestProjectDeletion::noCurrentProjectDoesNothing() {
    Deletion d;
    QVERIFY(QDir().mkpath(d.folder("0")));
    d.deletion->run();
    QVERIFY(d.env.dialogs().shown().isEmpty());
    QCOMPARE(d.entries(), QStringList{"0"});
    QVERIFY(!d.window->isVisible());
}

void TestProjectDeletion::sharedFolderIsKept_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("two equal number texts") << false;
    QTest::newRow("number text equal to the other's key") << true;
}

// The documents of a project that is not being deleted stay; the user is told.
void TestProjectDeletion::sharedFolderIsKept() {
    QFETCH(bool, byKey);
    Deletion d;
    const int other = d.addProject(byKey ? "" : "Gemeinsam", "Bleibt");
    const QString shared = byKey ? QString::number(other) : "Gemeinsam";
    const int nr = d.addProject(shared, "Geht");
    d.fillFolder(shared);
    const QStringList before = diskSnapshot(d.folder(shared));
    d.select(nr);
    d.env.dialogs().scriptAnswers({Answer::Yes});

    d.deletion->run();

    QCOMPARE(d.rowsOf(nr), QList<int>({0, 0, 0}));
    QCOMPARE(d.rowsOf(other), QList<int>({1, 2, 3}));
    QCOMPARE(d.entries(), QStringList{shared});
    QCOMPARE(diskSnapshot(d.folder(shared)), before);
    const auto shown = d.env.dialogs().shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].kind, MessageDialogs::Kind::Message);
    QCOMPARE(shown[1].text, QStringLiteral("Der Dokumentenordner »%1« gehört auch zum Projekt "
                                           "»Bleibt«. Er wird deshalb nicht gelöscht.")
                                .arg(d.folder(shared)));
    QCOMPARE(d.steps.at(1), qMakePair(25, QString()));
}

// Links inside the folder go as links; the folders and files they lead to stay as they were.
void TestProjectDeletion::linksLeadingOutAreRemovedAsLinks() {
    Deletion d;
    const int nr = d.addProject("P-100", "Webseite");
    d.fillFolder("P-100");
    const QString outside = d.env.rootFolder() + "/draussen";
    QVERIFY(QDir().mkpath(outside + "/Archiv"));
    QVERIFY(writeFile(outside + "/Archiv/wichtig.txt", "wichtig"));
    QVERIFY(writeFile(outside + "/Liste.txt", "Liste"));
    QVERIFY(QFile::link(outside, d.folder("P-100") + "/Ordner draussen"));
    QVERIFY(QFile::link(outside + "/Liste.txt", d.folder("P-100") + "/Angebote/Liste.txt"));
    QVERIFY(QFile::setPermissions(outside + "/Liste.txt", QFile::ReadOwner));
    const QStringList before = diskSnapshot(outside);
    d.select(nr);
    d.env.dialogs().scriptAnswers({Answer::Yes});

    d.deletion->run();

    QCOMPARE(d.entries(), QStringList());
    QCOMPARE(diskSnapshot(outside), before);
    QCOMPARE(d.rowsOf(nr), QList<int>({0, 0, 0}));
}

void TestProjectDeletion::engineErrorMidwayLeavesEverything_data() {
    QTest::addColumn<QString>("table");
    QTest::newRow("time entries") << "PRZeiten";
    QTest::newRow("tasks, after the time entries") << "Aufgaben";
    QTest::newRow("the project row, last") << "Projects";
}

void TestProjectDeletion::engineErrorMidwayLeavesEverything() {
    QFETCH(QString, table);
    Deletion d;
    const int nr = d.addProject("P-100", "Webseite");
    d.fillFolder("P-100");
    const QStringList before = diskSnapshot(d.folder("P-100"));
    d.blockDeletesOn(table);
    d.select(nr);
    d.env.dialogs().scriptAnswers({Answer::Yes});

    QVERIFY(!runGuarded([&] { d.deletion->run(); }));

    const auto shown = d.env.dialogs().shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].title, "Orbenta");
    QVERIFY2(shown[1].text.contains("gesperrt"), qPrintable(shown[1].text));
    QCOMPARE(d.rowsOf(nr), QList<int>({1, 2, 3}));
    QCOMPARE(diskSnapshot(d.folder("P-100")), before);
    QCOMPARE(d.entries(), QStringList{"P-100"});
    QCOMPARE(d.dm.Projekte.recordCount(), 1);
    QCOMPARE(d.dm.Projekte.fieldByName("Nr").asInteger(), nr);
    QVERIFY(!d.window->isVisible());
    QVERIFY(!d.window->pauseTimer().isActive());

    // Once the engine lets it, the same project goes in full.
    QCOMPARE(
        sqlite3_exec(d.dm.ADOConnection1.handle(), "DROP TRIGGER block", nullptr, nullptr, nullptr),
        SQLITE_OK);
    d.env.dialogs().scriptAnswers({Answer::Yes});
    d.deletion->run();
    QCOMPARE(d.rowsOf(nr), QList<int>({0, 0, 0}));
    QCOMPARE(d.entries(), QStringList());
}

ORBENTA_TEST_MAIN(TestProjectDeletion)
#include "tst_projectdeletion.moc"
