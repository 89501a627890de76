#include "datafixture.h"

#include <QTest>

// Values other tools wrote into the file: those of the column's kind read as such, the others
// are reported with field and value instead of reading as some other number.
class TestStoredValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readOrReported_data();
    void readOrReported();
    void refreshReports();
};

void TestStoredValues::readOrReported_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("stored"); // as SQL
    QTest::addColumn<QString>("text");   // the field's text, or the error
    const QString noAmount = "Der Wert »%1« im Feld »%2« ist kein gültiger Betrag.";
    const QString noDate = "Der Wert »%1« im Feld »%2« ist kein gültiges Datum.";
    const QString noNumber = "Der Wert »%1« im Feld »%2« ist keine gültige Zahl.";

    QTest::newRow("amount") << "Budget"
                            << "15000"
                            << "1,5";
    QTest::newRow("amount as REAL") << "Budget"
                                    << "cast(15000 as real) + 0.4"
                                    << "1,5";
    QTest::newRow("amount as text") << "Budget"
                                    << "'1.234,5'"
                                    << "1234,5";
    QTest::newRow("amount 1e300") << "Budget"
                                  << "1e300" << noAmount.arg("1e+300", "Budget");
    QTest::newRow("amount -1e300") << "Pauschalpreis"
                                   << "-1e300" << noAmount.arg("-1e+300", "Pauschalpreis");
    QTest::newRow("amount 2^63") << "benBudget"
                                 << "9223372036854775808.0"
                                 << noAmount.arg("9223372036854776000", "benBudget");
    QTest::newRow("amount as a word") << "Budget"
                                      << "'viel'" << noAmount.arg("viel", "Budget");

    QTest::newRow("date") << "Von"
                          << "39877"
                          << "05.03.2009";
    QTest::newRow("date with time") << "Von"
                                    << "39877.5"
                                    << "05.03.2009 12:00:00";
    QTest::newRow("date in 9999") << "Von"
                                  << "2958465"
                                  << "31.12.9999";
    QTest::newRow("date in year 100") << "Bis"
                                      << "-657434"
                                      << "01.01.0100";
    QTest::newRow("date as ISO text") << "Von"
                                      << "'2009-03-05'" << noDate.arg("2009-03-05", "Von");
    QTest::newRow("date 1e300") << "Erledigt"
                                << "1e300" << noDate.arg("1e+300", "Erledigt");
    QTest::newRow("date after 9999") << "Von"
                                     << "2958466" << noDate.arg("2958466", "Von");

    QTest::newRow("integer") << "ErledigtP"
                             << "80"
                             << "80";
    QTest::newRow("integer beyond 32 bits")
        << "ErledigtP"
        << "5000000000" << noNumber.arg("5000000000", "ErledigtP");
    QTest::newRow("integer 1e300") << "ErledigtP"
                                   << "1e300" << noNumber.arg("1e+300", "ErledigtP");
    QTest::newRow("integer as a word") << "Archiv"
                                       << "'nein'" << noNumber.arg("nein", "Archiv");
}

void TestStoredValues::readOrReported() {
    QFETCH(QString, column);
    QFETCH(QString, stored);
    QFETCH(QString, text);
    DataFixture db;
    db.connection.execute(QString("insert into Projects (Bezeichnung) values ('Altbau')"));
    db.connection.execute(QString("insert into Projects (Bezeichnung, %1) values ('Neubau', %2)")
                              .arg(column, stored));

    Dataset projects(db.connection, "Projekte");
    projects.setSql("Select * From Projects order by Nr");
    QString shown;
    try {
        projects.open();
        projects.last();
        shown = projects.fieldByName(column).asString();
    } catch (const DataError& e) {
        shown = e.message();
        QVERIFY(!projects.active());
    }
    QCOMPARE(shown, text);
}

// A value another tool writes while the dataset is open is reported when it is read again.
void TestStoredValues::refreshReports() {
    DataFixture db;
    db.connection.execute(
        QString("insert into Projects (Bezeichnung, Budget) values ('Altbau', 15000)"));
    Dataset projects(db.connection, "Projekte");
    projects.setSql("Select * From Projects");
    projects.open();
    db.connection.execute(QString("update Projects set Budget = 1e300"));
    try {
        projects.refresh();
        QFAIL("the refresh read 1e300 as an amount");
    } catch (const DataError& e) {
        QCOMPARE(e.message(),
                 QString("Der Wert »1e+300« im Feld »Budget« ist kein gültiger Betrag."));
    }
    QCOMPARE(projects.fieldByName("Budget").asString(), QString()); // never a wrong number
}

ORBENTA_TEST_MAIN(TestStoredValues)
#include "tst_storedvalues.moc"
