#include "platform/orbentaerror.h"
#include "projects/projectfolder.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

// Every entry below a folder, but those of `skipped`, with kind, size and modification time.
QStringList snapshot(const QString& folder, const QString& skipped = QString()) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (!skipped.isEmpty() && (info.filePath() + '/').startsWith(skipped))
            continue;
        entries << QStringLiteral("%1 %2 %3 %4")
                       .arg(info.filePath(), info.isSymLink() ? "link"
                                             : info.isDir()   ? "dir"
                                                              : "file")
                       .arg(info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

QString errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const OrbentaError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class ProjectFolderTest : public QObject {
    Q_OBJECT

private slots:
    void folderNames_data();
    void folderNames();
    void hostileNumbersStayInside_data();
    void hostileNumbersStayInside();
    void emptyDatabaseFolderIsTheCurrentFolder();
    void links_data();
    void links();
    void linkedDatabaseFolderAndFileInTheWay();
};

void ProjectFolderTest::folderNames_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("nr");
    QTest::addColumn<QString>("folder");
    // Ordinary numbers name their folder exactly as typed.
    QTest::newRow("year and counter") << "P2026-001" << 3 << "P2026-001";
    QTest::newRow("letter and number") << "A-17" << 3 << "A-17";
    QTest::newRow("year and month") << "2024-03" << 3 << "2024-03";
    QTest::newRow("blanks and umlauts") << "Umbau Bäckerei Müller" << 3 << "Umbau Bäckerei Müller";
    QTest::newRow("three points") << "..." << 3 << "...";
    QTest::newRow("point first") << ".intern" << 3 << ".intern";
    QTest::newRow("percent inside") << "Rabatt 10%" << 3 << "Rabatt 10%";
    QTest::newRow("empty: the key") << "" << 5 << "5";
    // Numbers that would lead elsewhere get a name of their own, marked by a leading "%".
    QTest::newRow("point") << "." << 3 << "%.";
    QTest::newRow("two points") << ".." << 3 << "%..";
    QTest::newRow("up") << "../escape-up" << 3 << "%..%2Fescape-up";
    QTest::newRow("down and up") << "a/../../escape-mid" << 3 << "%a%2F..%2F..%2Fescape-mid";
    QTest::newRow("absolute") << "/etc/orbenta" << 3 << "%%2Fetc%2Forbenta";
    QTest::newRow("slash alone") << "/" << 3 << "%%2F";
    QTest::newRow("empty component") << "a//b" << 3 << "%a%2F%2Fb";
    QTest::newRow("trailing slash") << "A-17/" << 3 << "%A-17%2F";
    QTest::newRow("backslash") << "..\\..\\win" << 3 << "%..%5C..%5Cwin";
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3) << 3 << "%a%00b";
    // A leading "%" is encoded too, so no ordinary number ever meets a mapped one.
    QTest::newRow("percent first") << "%..%2Fescape-up" << 3 << "%%25..%252Fescape-up";
}

void ProjectFolderTest::folderNames() {
    QFETCH(QString, number);
    QFETCH(int, nr);
    QFETCH(QString, folder);
    QCOMPARE(ProjectFolder::name(number, nr), folder);
    QCOMPARE(ProjectFolder::path("/srv/Orbenta Daten/", number, nr),
             "/srv/Orbenta Daten/" + folder);
    // The same project always finds the same folder, with or without the trailing separator.
    QCOMPARE(ProjectFolder::path("/srv/Orbenta Daten", number, nr), "/srv/Orbenta Daten/" + folder);
}

void ProjectFolderTest::hostileNumbersStayInside_data() {
    QTest::addColumn<QString>("number");
    QTest::newRow("point") << ".";
    QTest::newRow("two points") << "..";
    QTest::newRow("up") << "../escape-up";
    QTest::newRow("down and up") << "a/../../escape-mid";
    QTest::newRow("absolute") << "<root>/absolut";
    QTest::newRow("empty component") << "a//b";
    QTest::newRow("backslash") << "..\\escape-win";
    QTest::newRow("NUL") << QString::fromUtf16(u"..\0/x", 5);
}

void ProjectFolderTest::hostileNumbersStayInside() {
    QFETCH(QString, number);
    TestEnvironment env;
    number.replace("<root>", env.rootFolder());
    const QString database = env.databaseFolder();
    QFile neighbour(env.rootFolder() + "/nachbar.txt");
    QVERIFY(neighbour.open(QIODevice::WriteOnly));
    neighbour.write("bleibt");
    neighbour.close();
    const QStringList outside = snapshot(env.rootFolder(), database);

    const QString folder = ProjectFolder::create(database, number, 7);

    QCOMPARE(folder, database + ProjectFolder::name(number, 7));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(database).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{ProjectFolder::name(number, 7)});
    QCOMPARE(snapshot(env.rootFolder(), database), outside);
    // The same project finds the same folder again.
    QCOMPARE(ProjectFolder::create(database, number, 7), folder);
}

void ProjectFolderTest::emptyDatabaseFolderIsTheCurrentFolder() {
    TestEnvironment env;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(env.databaseFolder()));
    const QString folder = ProjectFolder::create(QString(), "..", 1);
    QDir::setCurrent(previous);
    QCOMPARE(folder, QDir::cleanPath(env.databaseFolder()) + "/%..");
    QVERIFY(QFileInfo(folder).isDir());
}

void ProjectFolderTest::links_data() {
    QTest::addColumn<QString>("target"); // relative to the test's root folder
    QTest::addColumn<bool>("allowed");
    QTest::newRow("to a folder outside") << "draussen" << false;
    QTest::newRow("to nowhere outside") << "draussen/fehlt" << false;
    QTest::newRow("to the database folder itself") << "Orbenta Daten" << false;
    QTest::newRow("to the folder above") << "." << false;
    QTest::newRow("to another folder inside") << "Orbenta Daten/Ablage" << true;
}

// A project folder that is a link is used only while it leads to a folder inside.
void ProjectFolderTest::links() {
    QFETCH(QString, target);
    QFETCH(bool, allowed);
    TestEnvironment env;
    const QString database = env.databaseFolder();
    QVERIFY(QDir().mkpath(env.rootFolder() + "/draussen"));
    QVERIFY(QDir().mkpath(database + "Ablage"));
    QVERIFY(QFile::link(env.rootFolder() + '/' + target, database + "A-17"));
    const QStringList before = snapshot(env.rootFolder());

    const QString error = errorOf([&] { ProjectFolder::create(database, "A-17", 1); });
    QCOMPARE(error.isEmpty(), allowed);
    if (!allowed) {
        QCOMPARE(error, QStringLiteral("Der Dokumentenordner »%1A-17« liegt nicht im "
                                       "Datenbankordner »%2«; er wird nicht verwendet.")
                            .arg(database, QDir::cleanPath(database)));
        QCOMPARE(errorOf([&] { ProjectFolder::checkedPath(database, "A-17", 1); }), error);
    }
    QCOMPARE(snapshot(env.rootFolder()), before);
}

// The database folder reached through a link is its own inside; a file is no folder.
void ProjectFolderTest::linkedDatabaseFolderAndFileInTheWay() {
    TestEnvironment env;
    const QString linked = env.rootFolder() + "/Verknüpfung/";
    QVERIFY(QFile::link(QDir::cleanPath(env.databaseFolder()), QDir::cleanPath(linked)));
    QCOMPARE(ProjectFolder::create(linked, "A-17", 1), linked + "A-17");
    QVERIFY(QFileInfo(env.databaseFolder() + "A-17").isDir());

    QFile file(env.databaseFolder() + "ORBTData.mdb");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(errorOf([&] { ProjectFolder::create(env.databaseFolder(), "ORBTData.mdb", 1); }),
             QStringLiteral("»%1ORBTData.mdb« ist kein Ordner; dort kann kein Dokumentenordner "
                            "liegen.")
                 .arg(env.databaseFolder()));
    QCOMPARE(QFileInfo(file.fileName()).size(), 0);
}

ORBENTA_TEST_MAIN(ProjectFolderTest)
#include "tst_projectfolder.moc"
