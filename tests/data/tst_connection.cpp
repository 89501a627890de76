#include "data/datetimevalue.h"
#include "data/schema.h"
#include "datafixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

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
    void localDiskUsesWriteAheadLog();
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

void TestConnection::localDiskUsesWriteAheadLog() {
    DataFixture db;
    QCOMPARE(db.connection.journalMode(), QString("wal"));
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
