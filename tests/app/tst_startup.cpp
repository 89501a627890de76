#include "app/mainwindow.h"
#include "app/pagetoolbar.h"
#include "appfixture.h"
#include "data/dataset.h"
#include "data/tdm.h"
#include "lists/boundcontrols.h"
#include "lists/listgrid.h"
#include "projects/projecteditor.h"
#include "projects/projectlist.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <QToolButton>
#include <optional>

using Kind = MessageDialogs::Kind;

namespace {

const QString MissingTitle = QStringLiteral("Falscher Datenbankpfad!");
const QString MissingText = QStringLiteral(
    "Der Datenbankpfad stimmt nicht!\nBitte wählen Sie den Datenbankpfad aus.\n\nWICHTIG: Diese "
    "Änderungen können nur mit Administrationsrechten durchgeführt werden, ansonsten werden die "
    "Änderungen nicht gespeichert.");

std::optional<int> stored(const char* name) {
    return SettingsStore(SettingsStore::Scope::User)
        .readInteger(OrbentaKey, QString::fromLatin1(name));
}

void storeGeometry(int left, int top, int width, int height) {
    SettingsStore user(SettingsStore::Scope::User);
    user.writeInteger(OrbentaKey, QStringLiteral("left"), left);
    user.writeInteger(OrbentaKey, QStringLiteral("top"), top);
    user.writeInteger(OrbentaKey, QStringLiteral("width"), width);
    user.writeInteger(OrbentaKey, QStringLiteral("height"), height);
}

QStringList storedNames() {
    QStringList names = SettingsStore(SettingsStore::Scope::User).valueNames(OrbentaKey);
    for (QString& name : names)
        name = name.toLower();
    names.sort();
    return names;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void geometryFromSettings_data();
    void geometryFromSettings();
    void geometryRoundTrip();
    void closingMaximisedKeepsNormalGeometry();
    void databaseFolder_data();
    void databaseFolder();
    void emptyDbPathUsesCurrentFolder();
    void missingDatabaseCancelled();
    void missingDatabasePicked();
    void connectionError();
    void options_data();
    void options();
    void minimumHeightAfterFirstShowing();
    void lowStoredHeightStandsUntilResized();
    void changeDatabaseFolder_data();
    void changeDatabaseFolder();
    void help_data();
    void help();
};

void StartupTest::geometryFromSettings_data() {
    QTest::addColumn<QVariantMap>("settings");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<int>("wvHeight");

    QTest::newRow("nothing stored") << QVariantMap() << QRect(20, 20, 848, 461) << false << 150;
    QTest::newRow("each value on its own")
        << QVariantMap{{QStringLiteral("TOP"), 5}, {QStringLiteral("Width"), 1000}}
        << QRect(20, 5, 1000, 461) << false << 150;
    QTest::newRow("text instead of a number")
        << QVariantMap{{QStringLiteral("left"), QStringLiteral("300")},
                       {QStringLiteral("height"), 700}}
        << QRect(20, 20, 848, 700) << false << 150;
    QTest::newRow("all stored") << QVariantMap{{QStringLiteral("LEFT"), 100},
                                               {QStringLiteral("TOP"), 80},
                                               {QStringLiteral("WIDTH"), 900},
                                               {QStringLiteral("HEIGHT"), 700},
                                               {QStringLiteral("WVHeight"), 220},
                                               {QStringLiteral("MAX"), 0}}
                                << QRect(100, 80, 900, 700) << false << 220;
    QTest::newRow("maximised") << QVariantMap{{QStringLiteral("max"), 1},
                                              {QStringLiteral("height"), 700}}
                               << QRect(20, 20, 848, 700) << true << 150;
    QTest::newRow("max other than 1")
        << QVariantMap{{QStringLiteral("max"), 2}} << QRect(20, 20, 848, 461) << false << 150;
}

// What creation applies, before the window is shown.
void StartupTest::geometryFromSettings() {
    QFETCH(QVariantMap, settings);
    QFETCH(QRect, frame);
    QFETCH(bool, maximised);
    QFETCH(int, wvHeight);
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    SettingsStore user(SettingsStore::Scope::User);
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        if (it.value().typeId() == QMetaType::QString)
            user.writeString(OrbentaKey, it.key(), it.value().toString());
        else
            user.writeInteger(OrbentaKey, it.key(), it.value().toInt());
    }

    RunningProgram program(env);
    TTMSForm1& window = program.window();
    QCOMPARE(window.windowState().testFlag(Qt::WindowMaximized), maximised);
    QCOMPARE(window.windowTitle(), QStringLiteral("Orbenta"));
    QVERIFY(env.dialogs().shown().isEmpty());
    if (!maximised) {
        QCOMPARE(window.frameGeometry(), frame);
    } else {
        // Maximised over the stored normal geometry, which a restore brings back.
        QVERIFY(program.show());
        QTRY_VERIFY(window.isMaximized());
        window.showNormal();
        QTRY_COMPARE(window.frameGeometry(), frame);
    }

    // The follow-up panel's height goes back as it came, even while the panel is hidden.
    QVERIFY(program.show());
    window.close();
    QCOMPARE(stored("WVHeight"), wvHeight);
}

// The numbers stored are the outer frame: a run that changes nothing gives them back.
void StartupTest::geometryRoundTrip() {
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    storeGeometry(100, 80, 900, 700);
    for (int run = 0; run < 2; ++run) {
        RunningProgram program(env);
        QVERIFY(program.show());
        QTRY_COMPARE(program.window().frameGeometry(), QRect(100, 80, 900, 700));
        program.window().close();
        QCOMPARE(stored("left"), 100);
        QCOMPARE(stored("top"), 80);
        QCOMPARE(stored("width"), 900);
        QCOMPARE(stored("height"), 700);
        QCOMPARE(stored("max"), 0);
    }
}

void StartupTest::closingMaximisedKeepsNormalGeometry() {
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    storeGeometry(100, 80, 900, 700);
    SettingsStore(SettingsStore::Scope::User)
        .writeInteger(OrbentaKey, QStringLiteral("WVHeight"), 180);
    const QStringList before = storedNames();
    {
        RunningProgram program(env);
        QVERIFY(program.show());
        program.window().showMaximized();
        QTRY_VERIFY(program.window().isMaximized());
        program.window().close();
    }
    // Only max was added; the normal geometry stays as it was.
    QStringList expected = QStringList(before) << QStringLiteral("max");
    expected.sort();
    QCOMPARE(storedNames(), expected);
    QCOMPARE(stored("max"), 1);
    QCOMPARE(stored("left"), 100);
    QCOMPARE(stored("height"), 700);
    QCOMPARE(stored("WVHeight"), 180);

    RunningProgram next(env);
    QVERIFY(next.show());
    QTRY_VERIFY(next.window().isMaximized());
    next.window().showNormal();
    QTRY_COMPARE(next.window().frameGeometry(), QRect(100, 80, 900, 700));
}

void StartupTest::databaseFolder_data() {
    QTest::addColumn<bool>("trailingSlash");
    QTest::newRow("with /") << true;
    QTest::newRow("without /") << false;
}

void StartupTest::databaseFolder() {
    QFETCH(bool, trailingSlash);
    TestEnvironment env;
    writeFixture(env);
    QString folder = env.databaseFolder();
    if (!trailingSlash)
        folder.chop(1);
    storeDbPath(folder);

    RunningProgram program(env);
    QCOMPARE(program.window().databaseFile(), env.databaseFile());
    QVERIFY(program.show());
    QVERIFY(env.dialogs().shown().isEmpty());
    QVERIFY(program.dm().ADOConnection1.connected());
    // The active projects; the archived one stays out.
    QCOMPARE(program.dm().Projekte.recordCount(), 2);
    QCOMPARE(QApplication::focusWidget(), program.window().projectList()->grid());
}

void StartupTest::emptyDbPathUsesCurrentFolder() {
    TestEnvironment env;
    writeFixture(env);
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(env.databaseFolder()));
    {
        RunningProgram program(env);
        QCOMPARE(program.window().databaseFile(), QStringLiteral("ORBTData.mdb"));
        QVERIFY(program.show());
        QVERIFY(env.dialogs().shown().isEmpty());
        QVERIFY(env.fileDialogs().requests().isEmpty());
        QCOMPARE(program.dm().Projekte.recordCount(), 2);
    }
    QDir::setCurrent(previous);
}

void StartupTest::missingDatabaseCancelled() {
    TestEnvironment env;
    storeDbPath(env.databaseFolder()); // no database in it
    env.fileDialogs().scriptResults({QString()});

    RunningProgram program(env);
    QCOMPARE(env.dialogs().shown().size(), 1);
    const MessageDialogs::Shown shown = env.dialogs().shown().first();
    QCOMPARE(shown.kind, Kind::Error);
    QCOMPARE(shown.title, MissingTitle);
    QCOMPARE(shown.text, MissingText);
    QCOMPARE(env.fileDialogs().requests().size(), 1);
    QCOMPARE(env.fileDialogs().requests().first().filter,
             QStringLiteral("Orbenta Datenbank|ORBTData.mdb"));
    QCOMPARE(env.fileDialogs().requests().first().initialFolder, program.programFolder());

    program.window().show();
    QTRY_VERIFY(!program.window().isVisible());
    QVERIFY(QApplication::quitOnLastWindowClosed());
    // No further message, no connection, no minimum height; the geometry is saved.
    QCOMPARE(env.dialogs().shown().size(), 1);
    QVERIFY(!program.dm().ADOConnection1.connected());
    program.window().resize(848, 300);
    QCOMPARE(program.window().height(), 300);
    QVERIFY(env.shell().startedPrograms().isEmpty());
    QCOMPARE(stored("width"), 848);
}

void StartupTest::missingDatabasePicked() {
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.rootFolder() + QStringLiteral("/leer/"));
    env.fileDialogs().scriptResults({env.databaseFile()});

    RunningProgram program(env);
    QCOMPARE(env.shell().startedPrograms().size(), 1);
    const RecordingShell::StartedProgram started = env.shell().startedPrograms().first();
    QCOMPARE(started.program, program.programFolder() + QStringLiteral("dbpath"));
    QCOMPARE(started.arguments,
             QStringLiteral("Software\\Selvaner\\Orbenta ") + env.databaseFolder());
    QCOMPARE(started.workingFolder, program.programFolder());
    // The picked folder serves this run, whatever dbpath makes of it.
    QCOMPARE(program.window().databaseFolder(), env.databaseFolder());
    QVERIFY(program.show());
    QCOMPARE(env.dialogs().shown().size(), 1);
    QCOMPARE(program.dm().Projekte.recordCount(), 2);
}

// The file is there but no database: the engine's text, and the window stays without data.
void StartupTest::connectionError() {
    TestEnvironment env;
    QFile file(env.databaseFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    storeDbPath(env.databaseFolder());

    RunningProgram program(env);
    QVERIFY(program.show());
    QCOMPARE(env.dialogs().shown().size(), 1);
    QCOMPARE(env.dialogs().shown().first().kind, Kind::Message);
    QVERIFY(!env.dialogs().shown().first().text.isEmpty());
    QVERIFY(program.window().isVisible());
    QVERIFY(!program.dm().Projekte.active());
    QVERIFY(!program.dm().Typen.active());
    QVERIFY(!program.dm().Time.active());
    // Only the overview's tab stands, so no project page can be reached without data.
    PageToolBar* bar = program.window().AdvToolBarPager1();
    QVERIFY(bar->isTabVisible(0));
    for (int page = 1; page < PageToolBar::PageCount; ++page)
        QVERIFY(!bar->isTabVisible(page));
}

void StartupTest::options_data() {
    QTest::addColumn<bool>("withRow");
    QTest::addColumn<int>("refresh");
    QTest::addColumn<int>("tabStop");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<QColor>("background");

    QTest::newRow("no row") << false << 0 << 0 << 0 << QColor(0xBF, 0xDB, 0xFF);
    QTest::newRow("olive, 2 minutes") << true << 2 << 3 << 5 << QColor(0xEA, 0xF0, 0xCF);
    QTest::newRow("black, no refresh") << true << 0 << 8 << 1 << QColor(0x3A, 0x3A, 0x3A);
    QTest::newRow("unknown scheme keeps the design look")
        << true << 1 << 2 << 9 << QColor(0xBF, 0xDB, 0xFF);
}

void StartupTest::options() {
    QFETCH(bool, withRow);
    QFETCH(int, refresh);
    QFETCH(int, tabStop);
    QFETCH(int, scheme);
    QFETCH(QColor, background);
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    if (withRow) {
        Tdm fill(env.rootFolder() + QLatin1Char('/'));
        fill.ADOConnection1.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
        fill.ADOConnection1.open();
        fill.Optionen.open();
        fill.Optionen.append();
        fill.Optionen.fieldByName(QStringLiteral("ARefresh")).setAsInteger(refresh);
        fill.Optionen.fieldByName(QStringLiteral("Tabstop")).setAsInteger(tabStop);
        fill.Optionen.fieldByName(QStringLiteral("FarbSchema")).setAsInteger(scheme);
        fill.Optionen.post();
    }

    RunningProgram program(env);
    QVERIFY(program.show());
    TTMSForm1& window = program.window();
    QCOMPARE(window.refreshMinutes(), refresh);
    QCOMPARE(window.tabStop(), tabStop);
    QCOMPARE(window.colourScheme(), scheme);
    QVERIFY(!program.dm().Optionen.active());
    QCOMPARE(window.Timer1()->isActive(), refresh != 0);
    if (refresh != 0)
        QCOMPARE(window.Timer1()->interval(), refresh * 60000);
    // The tab stop is the editor's; the main window's own memos keep 4.
    QCOMPARE(program.editor().findChild<BoundMemo*>(QStringLiteral("DBAdvMemo1"))->tabWidthChars(),
             tabStop);
    QCOMPARE(program.find<BoundMemo>(QStringLiteral("PN_PRBemerkungenMemo"))->tabWidthChars(), 4);
    QWidget* content = program.find(QStringLiteral("contentArea"));
    QVERIFY(content);
    QCOMPARE(content->grab().toImage().pixelColor(content->width() - 2, content->height() - 2),
             background);
}

void StartupTest::minimumHeightAfterFirstShowing() {
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    storeGeometry(20, 20, 848, 700);
    RunningProgram program(env);
    TTMSForm1& window = program.window();
    window.resize(848, 300);
    QCOMPARE(window.height(), 300);
    window.resize(848, 700);
    QVERIFY(program.show());
    QTRY_COMPARE(window.frameGeometry().height(), 700);
    window.resize(window.width(), 300);
    QTRY_COMPARE(window.frameGeometry().height(), 610);
    window.resize(window.width(), 800);
    QTRY_COMPARE(window.height(), 800);
}

void StartupTest::lowStoredHeightStandsUntilResized() {
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    RunningProgram program(env);
    TTMSForm1& window = program.window();
    QVERIFY(program.show());
    QCOMPARE(window.frameGeometry().height(), 461);
    window.resize(window.width(), window.height() + 20);
    QTRY_COMPARE(window.frameGeometry().height(), 610);
    window.resize(window.width(), 800);
    QTRY_COMPARE(window.height(), 800);
}

void StartupTest::changeDatabaseFolder_data() {
    QTest::addColumn<QString>("pick"); // in the database folder's parent; empty: cancelled
    QTest::addColumn<bool>("restart");

    QTest::newRow("cancelled") << QString() << false;
    QTest::newRow("same folder") << QStringLiteral("Orbenta Daten/ORBTData.mdb") << false;
    QTest::newRow("other letter case") << QStringLiteral("orbenta daten/ORBTData.mdb") << true;
    QTest::newRow("other folder") << QStringLiteral("Neu/ORBTData.mdb") << true;
}

void StartupTest::changeDatabaseFolder() {
    QFETCH(QString, pick);
    QFETCH(bool, restart);
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    const QString parent = env.rootFolder() + QLatin1Char('/');
    env.fileDialogs().scriptResults({pick.isEmpty() ? QString() : parent + pick});

    RunningProgram program(env);
    int ended = 0;
    program.window().setProgramEnd([&] { ++ended; });
    QVERIFY(program.show());
    program.window().AdvToolBarPager1()->PM_DBPFad->trigger();

    QCOMPARE(env.fileDialogs().requests().size(), 1);
    QCOMPARE(env.fileDialogs().requests().first().initialFolder, env.databaseFolder());
    QCOMPARE(ended, restart ? 1 : 0);
    if (!restart) {
        QVERIFY(env.shell().startedPrograms().isEmpty());
        QVERIFY(env.dialogs().shown().isEmpty());
        return;
    }
    const QString folder = QFileInfo(parent + pick).path() + QLatin1Char('/');
    QCOMPARE(env.shell().startedPrograms().size(), 1);
    QCOMPARE(env.shell().startedPrograms().first().arguments,
             QStringLiteral("Software\\Selvaner\\Orbenta ") + folder);
    QCOMPARE(env.dialogs().shown().size(), 1);
    QCOMPARE(env.dialogs().shown().first().kind, Kind::Error);
    QCOMPARE(env.dialogs().shown().first().title, QStringLiteral("Neustart erforderlich!"));
    QCOMPARE(env.dialogs().shown().first().text,
             QStringLiteral("Damit die Einstellungen wirksam werden muss das Programm neu "
                            "gestartet werden.\nDas Programm wird nun geschlossen!"));
    // The program ends without its closing steps: nothing of the window is stored.
    program.window().close();
    QVERIFY(storedNames().isEmpty());
}

void StartupTest::help_data() {
    QTest::addColumn<int>("key"); // 0: the button "?"
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("projectOpen");
    QTest::addColumn<QString>("present"); // the help file in the program folder, if any
    QTest::addColumn<QString>("opened");

    const QString name = QStringLiteral("Orbenta.chm");
    QTest::newRow("button") << 0 << 0 << false << name << name;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << false << name << name;
    QTest::newRow("Ctrl+Shift+F1 on a project page")
        << int(Qt::Key_F1) << int(Qt::ControlModifier | Qt::ShiftModifier) << true << QString()
        << name;
    QTest::newRow("Alt+F1") << int(Qt::Key_F1) << int(Qt::AltModifier) << false << QString()
                            << name;
    QTest::newRow("button, file named in other case")
        << 0 << 0 << false << QStringLiteral("orbenta.CHM") << QStringLiteral("orbenta.CHM");
    QTest::newRow("F1, file named in other case")
        << int(Qt::Key_F1) << 0 << false << QStringLiteral("ORBENTA.chm")
        << QStringLiteral("ORBENTA.chm");
}

void StartupTest::help() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, projectOpen);
    QFETCH(QString, present);
    QFETCH(QString, opened);
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    RunningProgram program(env);
    if (!present.isEmpty()) {
        QVERIFY(QDir().mkpath(program.programFolder()));
        QFile help(program.programFolder() + present);
        QVERIFY(help.open(QIODevice::WriteOnly));
    }
    QVERIFY(program.show());
    if (projectOpen)
        program.window().projectList()->BTN_OpenPRClick();
    if (key == 0)
        program.window().AdvToolBarPager1()->AdvGlowButton9->click();
    else
        QTest::keyClick(program.window().windowHandle(), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
    QCOMPARE(env.shell().openedDocuments(), QStringList{program.programFolder() + opened});
    QVERIFY(env.dialogs().shown().isEmpty());
}

ORBENTA_TEST_MAIN(StartupTest)
#include "tst_startup.moc"
