#include "data/datetimevalue.h"
#include "data/schema.h"
#include "datafixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

namespace {

const QString BusyText = "Die Datenbank wird gerade von einem anderen Programm bearbeitet. Bitte "
                         "versuchen Sie es später noch einmal.";

QString writer() {
    return QCoreApplication::applicationDirPath() + "/orbenta-testwriter";
}

// Another program on the same file, with SQLite alone.
struct RawHandle {
    sqlite3* db = nullptr;
    explicit RawHandle(const QString& file) {
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~RawHandle() { sqlite3_close_v2(db); }
    QString run(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        QString result;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return QString("error: ") + sqlite3_errmsg(db);
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            result =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        else if (rc != SQLITE_DONE)
            result = QString("error: ") + sqlite3_errmsg(db);
        sqlite3_finalize(statement);
        return result;
    }
};

// Bytes 18 and 19 of the file say which journal its next opening uses: 1 rollback, 2 WAL.
int fileFormat(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = f.read(20);
    return header.size() == 20 && header[18] == header[19] ? header[18] : -1;
}

void makeWal(const QString& file) {
    RawHandle raw(file);
    QCOMPARE(raw.run("PRAGMA journal_mode=WAL"), QString("wal"));
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dataSourceOfConnectionText_data();
    void dataSourceOfConnectionText();
    void missingFileIsReportedAndNotCreated();
    void newDatabaseRefusesExistingFile();
    void otherFileIsReportedAndKept();
    void columnTypesFromSchema_data();
    void columnTypesFromSchema();
    void rollbackJournalForEveryCopy();
    void walDatabaseSwitchedBackWhenAlone();
    void walDatabaseOfAnotherCopyStaysUntilAlone();
    void firstOpeningWaitsForTheLock();
    void emptyFileIsNoDatabase();
    void fullDisk_data();
    void fullDisk();
    void germanOrder_data();
    void germanOrder();
    void engineErrorsInGerman_data();
    void engineErrorsInGerman();
    void busyDatabaseWaitsThenFails();
    void cancelAfterFailedPost_data();
    void cancelAfterFailedPost();
};

void TestConnection::dataSourceOfConnectionText_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << "/srv/orbenta/";
    QTest::newRow("blanks") << "/home/anna/Orbenta Daten/";
    QTest::newRow("semicolon in a folder") << "/daten/a;b=c/";
    QTest::newRow("current folder") << "";
}

void TestConnection::dataSourceOfConnectionText() {
    QFETCH(QString, folder);
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(folder));
    QCOMPARE(connection.databaseFile(), folder + "ORBTData.mdb");
}

void TestConnection::missingFileIsReportedAndNotCreated() {
    TestEnvironment env;
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    try {
        connection.open();
        QFAIL("a missing database opened");
    } catch (const DataError& e) {
        QCOMPARE(e.message(),
                 QString("Die Datenbank »%1« wurde nicht gefunden.").arg(env.databaseFile()));
    }
    QVERIFY(!connection.connected());
    QVERIFY(!QFile::exists(env.databaseFile()));
}

void TestConnection::newDatabaseRefusesExistingFile() {
    TestEnvironment env;
    QFile file(env.databaseFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QVERIFY_THROWS_EXCEPTION(DataError, createDatabase(env.databaseFile()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

// A file of another program under the database's name (the old engine's, say).
void TestConnection::otherFileIsReportedAndKept() {
    TestEnvironment env;
    static const char raw[] = "Standard Jet DB\0\0\0\0 und mehr";
    const QByteArray content(raw, sizeof raw - 1);
    QFile file(env.databaseFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    try {
        connection.open();
        QFAIL("another program's file opened");
    } catch (const DataError& e) {
        QCOMPARE(e.message(),
                 QString("Die Datenbank »%1« kann nicht geöffnet werden: Die Datei ist keine "
                         "Datenbank.")
                     .arg(env.databaseFile()));
    }
    QVERIFY(!connection.connected());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestConnection::columnTypesFromSchema_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<int>("size");
    QTest::newRow("counter") << "projects"
                             << "NR" << FieldType::Counter << 0;
    QTest::newRow("text(255)") << "Projects"
                               << "Pojektnummer" << FieldType::Text << 255;
    QTest::newRow("text(50)") << "Aufgaben"
                              << "ADelegiert" << FieldType::Text << 50;
    QTest::newRow("memo") << "PRZeiten"
                          << "Beschreibung" << FieldType::Memo << 0;
    QTest::newRow("integer") << "Projects"
                             << "Archiv" << FieldType::Integer << 0;
    QTest::newRow("date-time") << "Aufgaben"
                               << "AWV" << FieldType::DateTime << 0;
    QTest::newRow("currency") << "Projects"
                              << "benBudget" << FieldType::Currency << 0;
    QTest::newRow("yes/no") << "HumanResources"
                            << "del" << FieldType::YesNo << 0;
}

void TestConnection::columnTypesFromSchema() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    DataFixture db;
    const TableInfo* info = db.connection.table(table);
    QVERIFY(info);
    const int index = info->columnIndex(column);
    QVERIFY(index >= 0);
    QTEST(info->columns.at(index).type, "type");
    QTEST(info->columns.at(index).size, "size");
    if (info->columns.at(index).type == FieldType::Counter)
        QCOMPARE(info->keyColumn, index);
}

// Every copy of the program, whatever path or file system it reaches the file by, uses the
// rollback journal and syncs every commit.
void TestConnection::rollbackJournalForEveryCopy() {
    DataFixture db;
    Connection second;
    second.setConnectionString(db.connection.connectionString());
    second.open();
    for (Connection* connection : {&db.connection, &second}) {
        QCOMPARE(connection->journalMode(), QString("delete"));
        sqlite3_stmt* statement = nullptr;
        QCOMPARE(
            sqlite3_prepare_v2(connection->handle(), "PRAGMA synchronous", -1, &statement, nullptr),
            SQLITE_OK);
        QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(statement, 0), 2); // FULL
        sqlite3_finalize(statement);
    }
    db.connection.execute("insert into Typen (Bezeichnung) values ('Wartung')");
    QCOMPARE(db.read("Select count(*) as n From Typen", "n"), QString("1"));
    QVERIFY(!QFile::exists(db.env.databaseFile() + "-wal"));
    QCOMPARE(fileFormat(db.env.databaseFile()), 1);
}

// A database an older copy left in WAL mode goes back to the rollback journal.
void TestConnection::walDatabaseSwitchedBackWhenAlone() {
    TestEnvironment env;
    env.createDatabase();
    makeWal(env.databaseFile());
    QCOMPARE(fileFormat(env.databaseFile()), 2);
    {
        Connection connection;
        connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
        connection.open();
        QCOMPARE(connection.journalMode(), QString("delete"));
        connection.execute("insert into Typen (Bezeichnung) values ('Wartung')");
    }
    QCOMPARE(fileFormat(env.databaseFile()), 1);
    QVERIFY(!QFile::exists(env.databaseFile() + "-wal"));
    QVERIFY(!QFile::exists(env.databaseFile() + "-shm"));
    QCOMPARE(RawHandle(env.databaseFile()).run("Select count(*) From Typen"), QString("1"));
}

// While another copy holds the database in WAL mode, the program opens it at once and goes on
// in WAL mode; the next copy that opens it alone switches it back.
void TestConnection::walDatabaseOfAnotherCopyStaysUntilAlone() {
    TestEnvironment env;
    env.createDatabase();
    makeWal(env.databaseFile());
    auto other = std::make_unique<RawHandle>(env.databaseFile());
    QCOMPARE(other->run("Select count(*) From Typen"), QString("0"));

    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(writer(), {"open", env.databaseFolder()});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.readAllStandardOutput(), QByteArray("ok wal\n"));
    QVERIFY2(timer.elapsed() < 2500, QByteArray::number(timer.elapsed()).constData());
    {
        Connection connection;
        connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
        connection.open();
        QCOMPARE(connection.journalMode(), QString("wal"));
        connection.execute("insert into Typen (Bezeichnung) values ('Wartung')");
        QCOMPARE(other->run("Select count(*) From Typen"), QString("1"));
    }
    other.reset();
    Connection alone;
    alone.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    alone.open();
    QCOMPARE(alone.journalMode(), QString("delete"));
    QCOMPARE(fileFormat(env.databaseFile()), 1);
}

// Even the first opening of a new database waits for another program's lock before it gives up.
void TestConnection::firstOpeningWaitsForTheLock() {
    TestEnvironment env;
    env.createDatabase();
    RawHandle other(env.databaseFile());
    QCOMPARE(other.run("BEGIN EXCLUSIVE"), QString());

    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    connection.setBusyTimeout(300);
    QElapsedTimer timer;
    timer.start();
    try {
        connection.open();
        QFAIL("opened a database locked by another program");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), BusyText);
    }
    QVERIFY2(timer.elapsed() >= 250, QByteArray::number(timer.elapsed()).constData());
    QVERIFY(!connection.connected());

    QCOMPARE(other.run("ROLLBACK"), QString());
    connection.open();
    QCOMPARE(connection.journalMode(), QString("delete"));
}

// An empty file under the database's name is not a database and stays as it is.
void TestConnection::emptyFileIsNoDatabase() {
    TestEnvironment env;
    QFile file(env.databaseFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    try {
        connection.open();
        QFAIL("an empty file opened");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), QString("Die Datenbank »%1« kann nicht geöffnet werden: Die Datei "
                                      "ist leer und keine Datenbank.")
                                  .arg(env.databaseFile()));
    }
    QVERIFY(!connection.connected());
    QCOMPARE(QFileInfo(env.databaseFile()).size(), 0);
    QCOMPARE(QDir(env.databaseFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"ORBTData.mdb"});
}

void TestConnection::fullDisk_data() {
    QTest::addColumn<bool>("wal");     // left in WAL mode by an older copy
    QTest::addColumn<QString>("mode"); // of the test writer
    QTest::addColumn<QString>("said");
    const QString full = "Auf dem Datenträger ist kein Platz mehr frei.";
    QTest::newRow("opening a WAL database")
        << true << "open"
        << "Die Datenbank »<disk>/ORBTData.mdb« kann nicht geöffnet werden: " + full;
    QTest::newRow("opening") << false << "open"
                             << "ok delete";
    QTest::newRow("writing") << false << "write" << full;
}

// On a full disk the program says so. The disk is a small memory file system that only the
// test's own processes see (a mount namespace).
void TestConnection::fullDisk() {
    QFETCH(bool, wal);
    QFETCH(QString, mode);
    QFETCH(QString, said);
    TestEnvironment env;
    env.createDatabase();
    if (wal)
        makeWal(env.databaseFile());
    const QString disk = env.rootFolder() + "/Datenträger";
    QVERIFY(QDir().mkpath(disk));
    const QString script = R"(mount -t tmpfs -o size=1m tmpfs "$1" || exit 99
cp "$2" "$1/" || exit 98
dd if=/dev/zero of="$1/voll" bs=4096 2>/dev/null
exec "$3" "$4" "$1/" test)";
    QProcess process;
    process.start("unshare", {"--map-root-user", "--mount", "sh", "-c", script, "sh", disk,
                              env.databaseFile(), writer(), mode});
    if (!process.waitForStarted())
        QSKIP("unshare is not there");
    QVERIFY(process.waitForFinished(10000));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() >= 98 ||
        process.readAllStandardError().contains("unshare"))
        QSKIP("no mount namespace of our own here");
    const QString output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    said.replace("<disk>", disk);
    QVERIFY2(output.endsWith(said), qPrintable(output));
    if (mode == "write")
        QVERIFY2(!output.contains("test-1\n"), qPrintable(output)); // nothing reported stored
}

void TestConnection::germanOrder_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("order");
    QTest::newRow("case ignored") << "apfel"
                                  << "APFEL" << 0;
    QTest::newRow("Ä with A, the accent breaks the tie") << "apfel"
                                                         << "Äpfel" << -1;
    QTest::newRow("ä before p as a") << "ähnlich"
                                     << "Apfel" << -1;
    QTest::newRow("umlaut not after z") << "Zebra"
                                        << "äpfel" << 1;
    QTest::newRow("ß as ss") << "Straße"
                             << "strasse" << 0;
    QTest::newRow("ß before u") << "Straße"
                                << "Strauch" << -1;
    QTest::newRow("Muller before Müller") << "Muller"
                                          << "Müller" << -1;
    QTest::newRow("MÜLLER equals müller") << "MÜLLER"
                                          << "müller" << 0;
    QTest::newRow("letters before accents") << "Müller"
                                            << "Mullerin" << -1;
    QTest::newRow("ö as o") << "Ofen"
                            << "öl" << -1;
    QTest::newRow("Ö before P") << "Öl"
                                << "Pfanne" << -1;
    QTest::newRow("combining accent like composed") << QString("Mu\u0308ller") << "Müller" << 0;
    QTest::newRow("empty first") << ""
                                 << "a" << -1;
}

void TestConnection::germanOrder() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, order);
    const QByteArray l = left.toUtf8(), r = right.toUtf8();
    const auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    QCOMPARE(
        sign(Connection::compareGerman(l.constData(), int(l.size()), r.constData(), int(r.size()))),
        order);
    QCOMPARE(
        sign(Connection::compareGerman(r.constData(), int(r.size()), l.constData(), int(l.size()))),
        -order);
}

void TestConnection::engineErrorsInGerman_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("statement"); // executed without a result, else opened
    QTest::addColumn<QString>("message");
    QTest::newRow("missing column") << "Select xyz From Projects" << false
                                    << "Fehler in der Abfrage: Das Feld »xyz« gibt es nicht.";
    QTest::newRow("sorting by a calculated field")
        << "Select * From Aufgaben\norder by AGZeitBez asc" << false
        << "Fehler in der Abfrage: Das Feld »AGZeitBez« gibt es nicht.";
    QTest::newRow("key without its number")
        << "delete from PRZeiten where PRID=" << true
        << "Fehler in der Anweisung: Die Anweisung ist unvollständig.";
    QTest::newRow("syntax") << "Select * Fro Projects" << false
                            << "Fehler in der Abfrage: Syntaxfehler bei »Fro«.";
    QTest::newRow("missing table") << "delete from Nirgends where ID=1" << true
                                   << "Fehler in der Anweisung: Die Tabelle »Nirgends« gibt es "
                                      "nicht.";
}

void TestConnection::engineErrorsInGerman() {
    QFETCH(QString, sql);
    QFETCH(bool, statement);
    DataFixture db;
    Dataset query(db.connection, "Query");
    query.setSql(sql);
    try {
        if (statement)
            query.execSql();
        else
            query.open();
        QFAIL("the engine took the text");
    } catch (const DataError& e) {
        QTEST(e.message(), "message");
    }
    QVERIFY(!query.active());
}

// A second running copy holds the write lock: a post waits for it, then fails clearly and
// keeps the row being edited; once the lock is gone the same post succeeds.
void TestConnection::busyDatabaseWaitsThenFails() {
    DataFixture db;
    db.connection.setBusyTimeout(300);
    Connection other;
    other.setConnectionString(db.connection.connectionString());
    other.open();
    other.beginWrite();

    Dataset typen(db.connection, "Typen");
    typen.setSql("Select * From Typen");
    typen.open(); // reading is not held up by the other writer
    typen.append();
    typen.fieldByName("Bezeichnung").setAsString("Wartung");
    QElapsedTimer timer;
    timer.start();
    try {
        typen.post();
        QFAIL("posted into a locked database");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), QString("Die Datenbank wird gerade von einem anderen Programm "
                                      "bearbeitet. Bitte versuchen Sie es später noch einmal."));
    }
    QVERIFY(timer.elapsed() >= 250);
    QCOMPARE(typen.state(), Dataset::State::Insert);

    other.rollback();
    typen.post();
    QCOMPARE(db.read("Select count(*) as n From Typen where Bezeichnung='Wartung'", "n"),
             QString("1"));
}

void TestConnection::cancelAfterFailedPost_data() {
    QTest::addColumn<bool>("append");
    QTest::newRow("new row") << true;
    QTest::newRow("changed row") << false;
}

// A post that fails keeps the row being edited; a cancel then brings back the stored state.
void TestConnection::cancelAfterFailedPost() {
    QFETCH(bool, append);
    DataFixture db;
    db.connection.execute("insert into Typen (Bezeichnung) values ('Wartung')");
    db.connection.setBusyTimeout(50);
    Connection other;
    other.setConnectionString(db.connection.connectionString());
    other.open();
    other.beginWrite();

    Dataset typen(db.connection, "Typen");
    typen.setSql("Select * From Typen");
    typen.open();
    if (append)
        typen.append();
    else
        typen.edit();
    typen.fieldByName("Bezeichnung").setAsString("Umbau");
    QVERIFY_THROWS_EXCEPTION(DataError, typen.post());
    QCOMPARE(typen.state(), append ? Dataset::State::Insert : Dataset::State::Edit);
    QCOMPARE(typen.fieldByName("Bezeichnung").asString(), QString("Umbau"));

    typen.cancel();
    other.rollback();
    QCOMPARE(typen.state(), Dataset::State::Browse);
    QCOMPARE(typen.recordCount(), 1);
    QCOMPARE(typen.recNo(), 0);
    QCOMPARE(typen.fieldByName("Bezeichnung").asString(), QString("Wartung"));
    QCOMPARE(db.read("Select count(*) as n From Typen where Bezeichnung='Wartung'", "n"),
             QString("1"));
    QCOMPARE(db.read("Select count(*) as n From Typen", "n"), QString("1"));
}

ORBENTA_TEST_MAIN(TestConnection)
#include "tst_connection.moc"
