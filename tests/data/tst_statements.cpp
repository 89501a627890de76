#include "data/transaction.h"
#include "datafixture.h"

#include <QCollator>
#include <QLocale>
#include <QTest>

class TestStatements : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void germanOrderAgreesWithQCollator();
    void germanOrderInStatements_data();
    void germanOrderInStatements();
    void writeTransactionStoresAllOrNothing_data();
    void writeTransactionStoresAllOrNothing();
};

// QCollator (German, case-insensitive) sorts names and titles as the program's own order does;
// the program keeps its own for what QCollator does otherwise: ß equals ss there (Straße is
// found as strasse, as with the old engine), and signs sort after the letters.
void TestStatements::germanOrderAgreesWithQCollator() {
    const QStringList texts{"apfel",
                            "Apfel",
                            "APFEL",
                            "Äpfel",
                            "ähnlich",
                            "Ahorn",
                            "Ärger",
                            "Arzt",
                            "Ärzte",
                            "Bäcker",
                            "Backer",
                            "Baecker",
                            "Übersicht",
                            "Ueber",
                            "Uhr",
                            "Tür",
                            "tür",
                            "Tur",
                            "Turm",
                            "Ofen",
                            "öl",
                            "Öl",
                            "Ölfarbe",
                            "Pfanne",
                            "Muller",
                            "Müller",
                            "MÜLLER",
                            "Mullerin",
                            "Müller",
                            "Zebra",
                            "zebra",
                            "Zoo",
                            "Maß",
                            "Masse",
                            "Mast",
                            "Fuß",
                            "Fussel",
                            "größer",
                            "Café",
                            "cafe",
                            "Éclair",
                            "naïve",
                            "Schröder",
                            "Schroeder",
                            "Schulz",
                            "Krüger",
                            "Köhler",
                            "König",
                            "Özlem",
                            "Sören",
                            "",
                            "a",
                            "1. Bauabschnitt",
                            "10 Tage",
                            "2 Tage",
                            "Projekt 10",
                            "Projekt 2",
                            "Projekt A",
                            "ProjektA",
                            "Projekt-A",
                            "x y",
                            "xy",
                            "x.y",
                            "Dachdeckerei Müller GmbH",
                            "Dachdeckerei Müller KG",
                            "Bäckerei Weiß e.K.",
                            "Bäckerei Weber"};
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    for (const QString& a : texts) {
        for (const QString& b : texts) {
            const QByteArray l = a.toUtf8(), r = b.toUtf8();
            const int own = sign(Connection::compareGerman(l.constData(), int(l.size()),
                                                           r.constData(), int(r.size())));
            if (own != sign(collator.compare(a, b)))
                QFAIL(qPrintable(QString("»%1« and »%2«: %3 here, %4 with QCollator")
                                     .arg(a, b)
                                     .arg(own)
                                     .arg(sign(collator.compare(a, b)))));
        }
    }
    const QByteArray sharpS("Straße"), doubleS("strasse"), sign1("€ Betrag"), word("Betrag");
    QCOMPARE(Connection::compareGerman(sharpS.constData(), int(sharpS.size()), doubleS.constData(),
                                       int(doubleS.size())),
             0);
    QVERIFY(collator.compare("Straße", "strasse") != 0);
    QVERIFY(Connection::compareGerman(sign1.constData(), int(sign1.size()), word.constData(),
                                      int(word.size())) > 0);
    QVERIFY(collator.compare("€ Betrag", "Betrag") < 0);
}

void TestStatements::germanOrderInStatements_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("runs");
    const QString same; // runs as it stands
    QTest::newRow("list order")
        << "Select * From Projects\norder by Bezeichnung asc"
        << "Select * From Projects\norder by Bezeichnung COLLATE GERMAN asc";
    QTest::newRow("number order") << "Select * From Projects\norder by Nr desc" << same;
    QTest::newRow("date order") << "Select * From PRZeiten where PRID=3\norder by VonDatum asc"
                                << same;
    QTest::newRow("comparison") << "Select * From Typen where Bezeichnung='Umbau' and not del"
                                << "Select * From Typen where Bezeichnung COLLATE GERMAN='Umbau' "
                                   "and not del";
    QTest::newRow("follow-ups by project")
        << "Select Projects.Bezeichnung, Aufgaben.* \nFROM Projects INNER JOIN Aufgaben ON "
           "Projects.Nr = Aufgaben.AProjectnr\n where awv<=now() and aerledigt is null\norder by "
           "Projects.Bezeichnung desc"
        << "Select Projects.Bezeichnung, Aufgaben.* \nFROM Projects INNER JOIN Aufgaben ON "
           "Projects.Nr = Aufgaben.AProjectnr\n where awv<=now() and aerledigt is null\norder by "
           "Projects.Bezeichnung COLLATE GERMAN desc";
    QTest::newRow("follow-ups by date")
        << "SELECT Projects.Bezeichnung, Aufgaben.*\nFROM Projects INNER JOIN Aufgaben ON "
           "Projects.Nr = Aufgaben.AProjectnr\norder by Aufgaben.AWV asc"
        << same;
    QTest::newRow("written columns stay")
        << "update Projects set GesamtZeit='12:30', Bezeichnung='a' where Pojektnummer='7'"
        << "update Projects set GesamtZeit='12:30', Bezeichnung='a' where Pojektnummer COLLATE "
           "GERMAN='7'";
    QTest::newRow("texts and names in quotes")
        << "insert into Typen (Bezeichnung) values ('where Bezeichnung=1')" << same;
    QTest::newRow("own collation kept")
        << "select * from Typen where Bezeichnung collate nocase = 'x'" << same;
    QTest::newRow("inner select")
        << "select * from Aufgaben where AProjectnr in (select Nr from Projects where "
           "[Bezeichnung]='x') order by ABezeichnung, AWV"
        << "select * from Aufgaben where AProjectnr in (select Nr from Projects where "
           "[Bezeichnung] COLLATE GERMAN='x') order by ABezeichnung COLLATE GERMAN, AWV";
    QTest::newRow("sum") << "Select SUM(Aufwand) as summeaufwand from PRZeiten where AID=4" << same;
}

// The program's statements sort and compare texts German, though the tables declare no
// collation.
void TestStatements::germanOrderInStatements() {
    QFETCH(QString, sql);
    QFETCH(QString, runs);
    DataFixture db;
    QCOMPARE(db.connection.withGermanOrder(sql), runs.isNull() ? sql : runs);
}

void TestStatements::writeTransactionStoresAllOrNothing_data() {
    QTest::addColumn<int>("failure"); // 0: none, 1: before the commit, 2: a statement inside
    QTest::newRow("committed") << 0;
    QTest::newRow("error before the commit") << 1;
    QTest::newRow("failed statement caught inside") << 2;
}

// Several statements in one write are stored together or not at all: an error before the
// commit rolls all back, and a write an error ended inside cannot be committed any more.
void TestStatements::writeTransactionStoresAllOrNothing() {
    QFETCH(int, failure);
    DataFixture db;
    db.connection.execute("insert into PRZeiten (PRID) values (7); "
                          "insert into Aufgaben (AProjectnr) values (7)");
    try {
        WriteTransaction write(db.connection);
        db.connection.execute("delete from PRZeiten where PRID=7");
        if (failure == 1)
            throw DataError("abgebrochen");
        if (failure == 2)
            QVERIFY_THROWS_EXCEPTION(DataError, db.connection.execute("delete from Nirgends"));
        db.connection.execute("delete from Aufgaben where AProjectnr=7");
        write.commit();
        QCOMPARE(failure, 0);
    } catch (const DataError& e) {
        QCOMPARE(e.message(), failure == 1 ? QString("abgebrochen")
                                           : QString("Die Änderung wurde nach einem Fehler "
                                                     "zurückgenommen und nicht gespeichert."));
    }
    const QString left = failure == 0 ? "0" : "1";
    QCOMPARE(db.read("Select count(*) as n From PRZeiten", "n"), left);
    QCOMPARE(db.read("Select count(*) as n From Aufgaben", "n"), left);
    // The next write runs on its own.
    db.connection.execute("insert into Typen (Bezeichnung) values ('danach')");
    QCOMPARE(db.read("Select count(*) as n From Typen", "n"), QString("1"));
}

ORBENTA_TEST_MAIN(TestStatements)
#include "tst_statements.moc"
