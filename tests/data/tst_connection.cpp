#include "datafixture.h"
#include "datetimevalue.h"
#include "schema.h"

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
    void columnTypesFromSchema_data();
    void columnTypesFromSchema();
    void localDiskUsesWriteAheadLog();
    void germanOrder_data();
    void germanOrder();
    void engineErrorsInGerman();
    void busyDatabaseWaitsThenFails();
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

void TestConnection::engineErrorsInGerman() {
    DataFixture db;
    Dataset query(db.connection, "Query");
    query.setSql("Select xyz From Projects");
    try {
        query.open();
        QFAIL("a missing column opened");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), QString("Fehler in der Abfrage: no such column: xyz"));
    }
    QVERIFY(!query.active());
    try {
        db.connection.execute("delete from Nirgends where ID=1");
        QFAIL("a missing table was written");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), QString("Fehler in der Anweisung: no such table: Nirgends"));
    }
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

ORBENTA_TEST_MAIN(TestConnection)
#include "tst_connection.moc"
