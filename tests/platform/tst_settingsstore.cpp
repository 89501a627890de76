#include "testsupport.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using Scope = SettingsStore::Scope;

namespace {

QByteArray fileContent(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// The value names stored on disk under the Orbenta key, as spelled there.
QStringList storedNames(const QString& file) {
    const QJsonObject root = QJsonDocument::fromJson(fileContent(file)).object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key().compare(OrbentaKey, Qt::CaseInsensitive) == 0)
            return it.value().toObject().keys();
    }
    return {};
}

// Lets writes beyond a size fail as on a full disk, for root as well as for everyone else.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void namesIgnoreCaseWithoutTwins();
    void otherTypeReadsAsMissing_data();
    void otherTypeReadsAsMissing();
    void missingFileKeyAndValue();
    void corruptFileReadsAsEmpty_data();
    void corruptFileReadsAsEmpty();
    void keptFilesGetTheirOwnNames();
    void unmovableFileIsNotOverwritten();
    void leftTemporariesRemoved();
    void keyHierarchy();
    void writesReachOtherInstances();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void batchWritesOnce_data();
    void batchWritesOnce();
};

void TestSettingsStore::namesIgnoreCaseWithoutTwins() {
    TestEnvironment env;
    {
        SettingsStore store(Scope::User);
        store.writeInteger(OrbentaKey, "left", 20);
        store.writeInteger("software\\selvaner\\ORBENTA", "LEFT", 35);
        QCOMPARE(store.readInteger(OrbentaKey, "Left"), 35);
        QCOMPARE(store.valueNames(OrbentaKey), QStringList{"LEFT"});

        // A name written with another type replaces the value too.
        store.writeString(OrbentaKey, "Max", "ja");
        store.writeInteger(OrbentaKey, "MAX", 0);
        QCOMPARE(store.readInteger(OrbentaKey, "max"), 0);
        QCOMPARE(store.readString(OrbentaKey, "max"), std::nullopt);
    }
    QStringList names = storedNames(env.userSettingsFile());
    names.sort();
    QCOMPARE(names, (QStringList{"LEFT", "MAX"}));

    SettingsStore reopened(Scope::User);
    QCOMPARE(reopened.readInteger(OrbentaKey, "left"), 35);
    QCOMPARE(reopened.readInteger(OrbentaKey, "Max"), 0);
}

// Values as an administrator might have typed them into the file.
void TestSettingsStore::otherTypeReadsAsMissing_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<std::optional<int>>("integer");
    QTest::addColumn<std::optional<QString>>("text");

    QTest::newRow("integer") << QByteArray("20") << std::optional<int>(20)
                             << std::optional<QString>();
    QTest::newRow("negative") << QByteArray("-7") << std::optional<int>(-7)
                              << std::optional<QString>();
    QTest::newRow("text") << QByteArray("\"/srv/Orbenta Daten/\"") << std::optional<int>()
                          << std::optional<QString>("/srv/Orbenta Daten/");
    QTest::newRow("digits as text")
        << QByteArray("\"20\"") << std::optional<int>() << std::optional<QString>("20");
    QTest::newRow("empty text") << QByteArray("\"\"") << std::optional<int>()
                                << std::optional<QString>("");
    QTest::newRow("fraction") << QByteArray("1.5") << std::optional<int>()
                              << std::optional<QString>();
    QTest::newRow("beyond int") << QByteArray("3000000000") << std::optional<int>()
                                << std::optional<QString>();
    QTest::newRow("boolean") << QByteArray("true") << std::optional<int>()
                             << std::optional<QString>();
    QTest::newRow("null") << QByteArray("null") << std::optional<int>() << std::optional<QString>();
    QTest::newRow("list") << QByteArray("[1]") << std::optional<int>() << std::optional<QString>();
    // Far beyond any integer: read as missing, never converted.
    QTest::newRow("1e21") << QByteArray("1e21") << std::optional<int>() << std::optional<QString>();
    QTest::newRow("2^63") << QByteArray("9223372036854775808") << std::optional<int>()
                          << std::optional<QString>();
    QTest::newRow("-1e300") << QByteArray("-1e300") << std::optional<int>()
                            << std::optional<QString>();
    QTest::newRow("1.7e308") << QByteArray("1.7e308") << std::optional<int>()
                             << std::optional<QString>();
    QTest::newRow("largest int") << QByteArray("2147483647") << std::optional<int>(2147483647)
                                 << std::optional<QString>();
    QTest::newRow("smallest int") << QByteArray("-2147483648") << std::optional<int>(-2147483648)
                                  << std::optional<QString>();
}

void TestSettingsStore::otherTypeReadsAsMissing() {
    QFETCH(QByteArray, json);
    QFETCH(std::optional<int>, integer);
    QFETCH(std::optional<QString>, text);
    TestEnvironment env;
    writeFile(env.machineSettingsFile(),
              "{\"SOFTWARE\\\\Selvaner\\\\Orbenta\": {\"DBPath\": " + json + "}}");

    const SettingsStore store(Scope::Machine);
    QCOMPARE(store.readInteger(OrbentaKey, "dbpath"), integer);
    QCOMPARE(store.readString(OrbentaKey, "DBPATH"), text);
}

void TestSettingsStore::missingFileKeyAndValue() {
    TestEnvironment env;
    SettingsStore store(Scope::User);
    QVERIFY(!store.keyExists(OrbentaKey));
    QCOMPARE(store.readInteger(OrbentaKey, "width"), std::nullopt);
    QCOMPARE(store.readInteger(OrbentaKey, "width").value_or(848), 848);
    QVERIFY(store.valueNames(OrbentaKey).isEmpty());
    QVERIFY(!QFile::exists(env.userSettingsFile())); // reading creates nothing

    store.createKey(OrbentaKey);
    QVERIFY(store.keyExists(OrbentaKey));
    QCOMPARE(store.readInteger(OrbentaKey, "width"), std::nullopt);
    QCOMPARE(store.readString(OrbentaKey, "width"), std::nullopt);

    // Each scope has its own file.
    QVERIFY(!SettingsStore(Scope::Machine).keyExists(OrbentaKey));
}

void TestSettingsStore::corruptFileReadsAsEmpty_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("kept"); // moved aside before the next write
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("blanks only") << QByteArray(" \n ") << false;
    QTest::newRow("garbage") << QByteArray("\x01\xff\x00 kein JSON", 14) << true;
    QTest::newRow("cut off") << QByteArray("{\"SOFTWARE\\\\Selvaner\\\\Orbenta\": {\"left\": 2")
                             << true;
    QTest::newRow("invalid UTF-8")
        << QByteArray("{\"SOFTWARE\\\\Selvaner\\\\Orbenta\": {\"DBPath\": \"/srv/\xfc/\"}}")
        << true;
    QTest::newRow("NUL byte") << QByteArray(
                                     "{\"SOFTWARE\\\\Selvaner\\\\Orbenta\": {\"left\": 2}}\0\n", 46)
                              << true;
    QTest::newRow("list") << QByteArray("[1, 2]") << true;
    QTest::newRow("key not an object")
        << QByteArray("{\"SOFTWARE\\\\Selvaner\\\\Orbenta\": 5}") << false;
}

void TestSettingsStore::corruptFileReadsAsEmpty() {
    QFETCH(QByteArray, content);
    QFETCH(bool, kept);
    TestEnvironment env;
    writeFile(env.userSettingsFile(), content);
    SettingsStore::takeNotice();
    const QString aside =
        env.userSettingsFile() + ".unreadable-" + QDate::currentDate().toString("yyyy-MM-dd");

    SettingsStore store(Scope::User);
    QCOMPARE(store.readInteger(OrbentaKey, "left"), std::nullopt);
    QVERIFY(store.valueNames(OrbentaKey).isEmpty());

    // The next write replaces the broken file with a sound one.
    store.writeInteger(OrbentaKey, "LEFT", 40);
    QCOMPARE(SettingsStore(Scope::User).readInteger(OrbentaKey, "left"), 40);

    // A file that cannot be parsed is kept as it was, and the user hears where, once.
    QCOMPARE(fileContent(aside), kept ? content : QByteArray());
    QCOMPARE(QFileInfo::exists(aside), kept);
    const QString notice = SettingsStore::takeNotice();
    if (kept) {
        QCOMPARE(notice,
                 QStringLiteral("Die Einstellungsdatei „%1“ war beschädigt und konnte nicht "
                                "gelesen werden. Sie wurde unverändert als „%2“ "
                                "aufbewahrt; Fensterposition und Spalten der Listen "
                                "beginnen wieder mit den Vorgaben.")
                     .arg(env.userSettingsFile(), aside));
    } else {
        QCOMPARE(notice, QString());
    }
    QCOMPARE(SettingsStore::takeNotice(), QString());
}

// A second broken file on the same day does not replace the first one kept.
void TestSettingsStore::keptFilesGetTheirOwnNames() {
    TestEnvironment env;
    const QString aside =
        env.userSettingsFile() + ".unreadable-" + QDate::currentDate().toString("yyyy-MM-dd");
    writeFile(aside, "erste");
    writeFile(aside + "-2", "zweite");
    writeFile(env.userSettingsFile(), "{\"abgeschnitten");

    SettingsStore(Scope::User).writeInteger(OrbentaKey, "TOP", 5);

    QCOMPARE(fileContent(aside), QByteArray("erste"));
    QCOMPARE(fileContent(aside + "-2"), QByteArray("zweite"));
    QCOMPARE(fileContent(aside + "-3"), QByteArray("{\"abgeschnitten"));
    QVERIFY(SettingsStore::takeNotice().contains(aside + "-3"));
    QCOMPARE(SettingsStore(Scope::User).readInteger(OrbentaKey, "top"), 5);
    // The machine scope is only read: a broken machine file stays where it is.
    writeFile(env.machineSettingsFile(), "[\"DBPath\"]");
    QCOMPARE(SettingsStore(Scope::Machine).readString(OrbentaKey, "DBPath"), std::nullopt);
    QCOMPARE(fileContent(env.machineSettingsFile()), QByteArray("[\"DBPath\"]"));
    QCOMPARE(SettingsStore::takeNotice(), QString());
}

// Where the broken file cannot be moved aside, nothing replaces it.
void TestSettingsStore::unmovableFileIsNotOverwritten() {
    if (geteuid() == 0)
        QSKIP("root may write into any folder");
    TestEnvironment env;
    writeFile(env.userSettingsFile(), "[1, 2]");
    const QString folder = QFileInfo(env.userSettingsFile()).absolutePath();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    auto restore = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    SettingsStore store(Scope::User);
    QVERIFY(SettingsStore::takeNotice().contains("bleibt unverändert"));
    QVERIFY_THROWS_EXCEPTION(SettingsError, store.writeInteger(OrbentaKey, "LEFT", 1));
    QCOMPARE(fileContent(env.userSettingsFile()), QByteArray("[1, 2]"));
}

// Temporary files of a write a crash interrupted go with the next write; the file another
// running copy is writing this very moment stays, and so does everything else in the folder.
void TestSettingsStore::leftTemporariesRemoved() {
    TestEnvironment env;
    SettingsStore(Scope::User).writeInteger(OrbentaKey, "LEFT", 1);
    const QString file = env.userSettingsFile();
    const QStringList others{file + ".a1B2c3", file + ".unreadable-2026-01-02", file + ".bak",
                             file + ".Zz9"};
    for (const QString& other : others)
        writeFile(other, "{");
    writeFile(file + ".Xy7kQ2", "{\"halb");
    writeFile(file + ".OLDtmp", "{\"halb");
    QFile old(file + ".OLDtmp");
    QVERIFY(old.open(QIODevice::ReadWrite));
    QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                            QFileDevice::FileModificationTime));
    old.close();
    QFile crashed(file + ".Xy7kQ2");
    QVERIFY(crashed.open(QIODevice::ReadWrite));
    QVERIFY(crashed.setFileTime(QDateTime::currentDateTime().addDays(-2),
                                QFileDevice::FileModificationTime));
    crashed.close();

    SettingsStore(Scope::User).writeInteger(OrbentaKey, "LEFT", 2);

    QVERIFY(!QFileInfo::exists(file + ".OLDtmp"));
    QVERIFY(!QFileInfo::exists(file + ".Xy7kQ2"));
    for (const QString& other : others)
        QVERIFY2(QFileInfo::exists(other), qPrintable(other));
    QCOMPARE(SettingsStore(Scope::User).readInteger(OrbentaKey, "left"), 2);
}

void TestSettingsStore::keyHierarchy() {
    TestEnvironment env;
    const QString grid = OrbentaKey + "\\MainGrid";
    {
        SettingsStore store(Scope::User);
        store.writeInteger(OrbentaKey, "left", 1);
        store.createKey(grid);
        store.writeInteger(grid, "left", 2);
        store.createKey(grid.toUpper()); // present already: changes nothing
        store.createKey(OrbentaKey + "\\ToDoGrid");
    }
    SettingsStore store(Scope::User);
    QVERIFY(store.keyExists("\\software\\selvaner\\orbenta\\maingrid\\"));
    QVERIFY(store.keyExists(OrbentaKey + "\\TODOGRID")); // empty keys are kept
    QVERIFY(store.keyExists("SOFTWARE\\Selvaner"));      // parents exist with their children
    QVERIFY(!store.keyExists("SOFTWARE\\Selvaner\\Orb"));
    QVERIFY(!store.keyExists(grid + "\\Spalte"));

    // A subkey's values are its own.
    QCOMPARE(store.readInteger(OrbentaKey, "left"), 1);
    QCOMPARE(store.readInteger(grid, "LEFT"), 2);
    QCOMPARE(store.valueNames(grid), QStringList{"left"});
    QCOMPARE(store.readInteger(OrbentaKey + "\\TimeGrid", "left"), std::nullopt);
}

void TestSettingsStore::writesReachOtherInstances() {
    TestEnvironment env;
    SettingsStore first(Scope::User);
    SettingsStore second(Scope::User);
    first.writeInteger(OrbentaKey, "WIDTH", 900);
    second.writeInteger(OrbentaKey, "HEIGHT", 700); // must not drop WIDTH
    second.deleteValue(OrbentaKey, "nirgends");

    SettingsStore fresh(Scope::User);
    QCOMPARE(fresh.readInteger(OrbentaKey, "width"), 900);
    QCOMPARE(fresh.readInteger(OrbentaKey, "height"), 700);

    QCOMPARE(first.readInteger(OrbentaKey, "height"), std::nullopt); // a snapshot until...
    first.reload();
    QCOMPARE(first.readInteger(OrbentaKey, "height"), 700);

    fresh.deleteValue(OrbentaKey, "Width");
    QCOMPARE(SettingsStore(Scope::User).readInteger(OrbentaKey, "width"), std::nullopt);
}

void TestSettingsStore::failedWriteKeepsOldFile_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expectedText");
    QTest::newRow("disk full mid-write") << "limit"
                                         << "konnte nicht geschrieben werden";
    QTest::newRow("folder is a file") << "file"
                                      << "konnte nicht geschrieben werden";
    QTest::newRow("folder without rights") << "rights"
                                           << "Keine Schreibberechtigung";
}

void TestSettingsStore::failedWriteKeepsOldFile() {
    QFETCH(QString, how);
    QFETCH(QString, expectedText);
    if (how == "rights" && geteuid() == 0)
        QSKIP("root may write into any folder");
    TestEnvironment env;
    QString file = env.machineSettingsFile();
    if (how == "file") {
        writeFile(env.rootFolder() + "/blockiert", "kein Ordner");
        file = env.rootFolder() + "/blockiert/Orbenta.json";
        SettingsStore::setLocations(file, env.userSettingsFile());
    } else {
        SettingsStore(Scope::Machine).writeString(OrbentaKey, "DBPath", "/alt/");
    }
    const QByteArray before = fileContent(file);
    const QString folder = QFileInfo(file).absolutePath();

    SettingsStore store(Scope::Machine);
    const QString big(200000, QLatin1Char('x'));
    try {
        if (how == "limit") {
            FileSizeLimit limit(before.size() + 100);
            store.writeString(OrbentaKey, "DBPath", big);
        } else if (how == "rights") {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            auto restore = qScopeGuard([&] {
                QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            });
            store.writeString(OrbentaKey, "DBPath", big);
        } else {
            store.writeString(OrbentaKey, "DBPath", big);
        }
        QFAIL("the write did not fail");
    } catch (const SettingsError& e) {
        QVERIFY2(e.message().contains(expectedText), qPrintable(e.message()));
        QVERIFY2(e.message().contains("Einstellungen wurden nicht gespeichert"),
                 qPrintable(e.message()));
    }

    QCOMPARE(fileContent(file), before);
    // Neither the store nor the folder keeps a trace of the failed write.
    QCOMPARE(store.readString(OrbentaKey, "DBPath"),
             how == "file" ? std::nullopt : std::optional<QString>("/alt/"));
    if (how != "file")
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Orbenta.json"});
}

void TestSettingsStore::batchWritesOnce_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("completed") << "completed";
    QTest::newRow("nested") << "nested";
    QTest::newRow("thrown inside") << "thrown";
    QTest::newRow("file cannot be written") << "unwritable";
}

// The values of a batch reach the file together at its end, or none of them do.
void TestSettingsStore::batchWritesOnce() {
    QFETCH(QString, how);
    TestEnvironment env;
    SettingsStore(Scope::User).writeInteger(OrbentaKey, "left", 20);
    SettingsStore(Scope::User).writeInteger(OrbentaKey, "top", 20);

    SettingsStore store(Scope::User);
    // Written meanwhile by another store: the batch starts from the file as it is then.
    SettingsStore(Scope::User).writeInteger(OrbentaKey, "WVHeight", 150);
    const QByteArray start = fileContent(env.userSettingsFile());
    bool failed = false;
    try {
        std::optional<FileSizeLimit> full;
        if (how == "unwritable")
            full.emplace(start.size() + 100);
        store.batch([&] {
            store.writeInteger(OrbentaKey, "LEFT", 60);
            if (how == "nested")
                store.batch([&] { store.writeInteger(OrbentaKey, "WIDTH", 900); });
            else
                store.writeInteger(OrbentaKey, "WIDTH", 900);
            // Nothing is on disk before the batch ends.
            QCOMPARE(fileContent(env.userSettingsFile()), start);
            QCOMPARE(store.readInteger(OrbentaKey, "left"), 60);
            if (how == "thrown")
                throw SettingsError("abgebrochen");
            if (how == "unwritable")
                store.writeString(OrbentaKey, "Notiz", QString(200000, QLatin1Char('x')));
        });
    } catch (const SettingsError&) {
        failed = true;
    }
    QCOMPARE(failed, how == "thrown" || how == "unwritable");

    const SettingsStore fresh(Scope::User);
    if (failed) {
        QCOMPARE(fileContent(env.userSettingsFile()), start);
        QCOMPARE(store.readInteger(OrbentaKey, "left"), 20); // dropped from memory too
        QCOMPARE(store.readInteger(OrbentaKey, "width"), std::nullopt);
    } else {
        QCOMPARE(fresh.readInteger(OrbentaKey, "left"), 60);
        QCOMPARE(fresh.readInteger(OrbentaKey, "width"), 900);
        QCOMPARE(fresh.readInteger(OrbentaKey, "top"), 20);
        QCOMPARE(fresh.readInteger(OrbentaKey, "WVHeight"), 150);
    }
}

ORBENTA_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
