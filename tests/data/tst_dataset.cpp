#include "data/datetimevalue.h"
#include "datafixture.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QString number(double value) {
    return QString::number(value, 'f', 6);
}

const QStringList FollowUpQuery{
    "SELECT Projects.Bezeichnung, Aufgaben.*",
    "FROM Projects INNER JOIN Aufgaben ON Projects.Nr = Aufgaben.AProjectnr",
    " where awv<=now() and aerledigt is null", "order by Bezeichnung"};

} // namespace

class TestDataset : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void snapshotRule();
    void rowDeletedThroughAnotherDataset();
    void editWithoutRowStartsOne();
    void counterAndDefaultsRightAfterPost();
    void followUpQueryUsesNow_data();
    void followUpQueryUsesNow();
    void joinWritesOnlyTheBaseTable();
    void germanOrderInQueries();
    void tooLongTextIsRefused();
    void currencyIsExact();
    void textIntoTypedFields_data();
    void textIntoTypedFields();
    void invalidDateLeavesTheFieldEmpty();
    void sumReadsAsGermanNumber_data();
    void sumReadsAsGermanNumber();
    void namesIgnoreCase();
    void navigation();
    void cancelOfAppendRemovesTheRow();
    void deleteRemovesFromDatabaseAndSnapshot();
    void refreshRereadsHeldRowsOnly();
    void failingControlStopsPost();
    void largeResultKeepsEveryValue();
};

// A change posted through one dataset reaches another only when that one is reopened.
void TestDataset::snapshotRule() {
    DataFixture db;
    db.connection.execute("insert into Projects (Bezeichnung) values ('Alt')");
    Dataset a(db.connection, "A"), b(db.connection, "B");
    a.setSql("Select * From Projects");
    b.setSql("Select * From Projects");
    a.open();
    b.open();

    a.edit();
    a.fieldByName("Bezeichnung").setAsString("Neu");
    a.post();
    a.append();
    a.fieldByName("Bezeichnung").setAsString("Zweites");
    a.post();

    QCOMPARE(a.recordCount(), 2);
    a.first();
    QCOMPARE(a.fieldByName("Bezeichnung").asString(), QString("Neu"));
    QCOMPARE(b.recordCount(), 1);
    QCOMPARE(b.fieldByName("Bezeichnung").asString(), QString("Alt"));

    b.close();
    b.open();
    QCOMPARE(b.recordCount(), 2);
    QCOMPARE(b.fieldByName("Bezeichnung").asString(), QString("Neu"));
}

// The other dataset still holds the row: its changes are refused, its deletion is harmless.
void TestDataset::rowDeletedThroughAnotherDataset() {
    DataFixture db;
    db.connection.execute(
        "insert into Aufgaben (AProjectnr, ABezeichnung) values (1, 'a'), (1, 'b')");
    Dataset list(db.connection, "List"), editor(db.connection, "Editor");
    // The task list's text: its base text, then an empty order line.
    list.setSql(QStringList{"Select * From Aufgaben where AProjectnr=1 and aerledigt is null", ""});
    editor.setSql("Select * From Aufgaben");
    list.open();
    editor.open();
    editor.deleteRecord();

    list.edit();
    list.fieldByName("ABezeichnung").setAsString("geändert");
    try {
        list.post();
        QFAIL("a deleted row was posted");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), QString("Der Datensatz kann nicht gespeichert werden: er wurde "
                                      "inzwischen gelöscht."));
    }
    QCOMPARE(list.state(), Dataset::State::Edit);
    list.cancel();
    QCOMPARE(list.fieldByName("ABezeichnung").asString(), QString("a"));
    QCOMPARE(db.read("Select count(*) as n From Aufgaben", "n"), QString("1"));

    list.deleteRecord();
    QCOMPARE(list.recordCount(), 1);
    QCOMPARE(list.fieldByName("ABezeichnung").asString(), QString("b"));
    QCOMPARE(db.read("Select * From Aufgaben", "ABezeichnung"), QString("b"));
}

// The first save of the options, with no row yet, creates the row.
void TestDataset::editWithoutRowStartsOne() {
    DataFixture db;
    Dataset optionen(db.connection, "Optionen");
    optionen.setTable("Optionen", false);
    optionen.open();
    QCOMPARE(optionen.fieldByName("ARefresh").asInteger(), 0);
    optionen.edit();
    QCOMPARE(optionen.state(), Dataset::State::Insert);
    optionen.fieldByName("ARefresh").setAsInteger(5);
    optionen.post();
    QCOMPARE(optionen.recordCount(), 1);
    QCOMPARE(db.read("Select * From Optionen", "ARefresh"), QString("5"));
}

void TestDataset::counterAndDefaultsRightAfterPost() {
    DataFixture db;
    Dataset projekte(db.connection, "Projekte");
    projekte.setSql(QStringList{"Select * From Projects", "where archiv=0"});
    projekte.open();
    QVERIFY(projekte.isEmpty());
    int previous = 0;
    for (const QString title : {"Erstes", "Zweites"}) {
        projekte.append();
        projekte.fieldByName("Bezeichnung").setAsString(title);
        projekte.post();
        const Field nr = projekte.fieldByName("Nr");
        QVERIFY(!nr.isNull());
        QVERIFY(nr.asInteger() > previous);
        previous = nr.asInteger();
        QVERIFY(!projekte.fieldByName("Archiv").isNull());
        QCOMPARE(projekte.fieldByName("Archiv").asInteger(), 0);
    }

    Dataset typen(db.connection, "Typen");
    typen.setTable("Typen", true);
    typen.open();
    typen.append();
    typen.post(); // nothing set at all
    QVERIFY(typen.fieldByName("ID").asInteger() > 0);
    QVERIFY(!typen.fieldByName("del").isNull());
    QCOMPARE(typen.fieldByName("del").asBoolean(), false);
}

void TestDataset::followUpQueryUsesNow_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("default order") << "order by Bezeichnung"
                                   << "Bezeichnung" << QStringList{"Anbau", "Umbau", "Umbau"};
    QTest::newRow("project column, descending")
        << "order by Projects.Bezeichnung desc"
        << "Bezeichnung" << QStringList{"Umbau", "Umbau", "Anbau"};
    QTest::newRow("task column") << "order by Aufgaben.AWV desc"
                                 << "ABezeichnung" << QStringList{"heute", "gestern", "vorgestern"};
}

// Due earlier and due today at midnight are listed; due tomorrow and done are not. The lines
// are sent as the follow-up list sends them.
void TestDataset::followUpQueryUsesNow() {
    QFETCH(QString, order);
    QFETCH(QString, field);
    DataFixture db;
    const double today = DateTimeValue::today();
    db.connection.execute("insert into Projects (Nr, Bezeichnung) values (1, 'Umbau'), "
                          "(2, 'Anbau')");
    const auto task = [&](int project, const QString& title, double due, const QString& done) {
        db.connection.execute(
            QString("insert into Aufgaben (AProjectnr, ABezeichnung, AWV, AErledigt) "
                    "values (%1, '%2', %3, %4)")
                .arg(project)
                .arg(title, number(due), done));
    };
    task(1, "gestern", today - 1, "null");
    task(1, "heute", today, "null");
    task(2, "vorgestern", today - 2, "null");
    task(1, "morgen", today + 1, "null");
    task(2, "erledigt", today - 1, number(today));

    Dataset awv(db.connection, "AWV");
    awv.setSql(QStringList{"Select Projects.Bezeichnung, Aufgaben.* ",
                           "FROM Projects INNER JOIN Aufgaben ON Projects.Nr = Aufgaben.AProjectnr",
                           " where awv<=now() and aerledigt is null", order});
    awv.open();
    QStringList values;
    for (awv.first(); !awv.eof(); awv.next())
        values << awv.fieldByName(field).asString();
    QTEST(values, "values");
}

void TestDataset::joinWritesOnlyTheBaseTable() {
    DataFixture db;
    db.connection.execute("insert into Projects (Nr, Bezeichnung) values (1, 'Umbau')");
    db.connection.execute(
        "insert into Aufgaben (AProjectnr, ABezeichnung, AWV) values (1, 'Alt', 1)");
    Dataset awv(db.connection, "AWV");
    awv.setSql(FollowUpQuery);
    awv.open();
    QCOMPARE(awv.recordCount(), 1);
    QCOMPARE(awv.fieldDef(awv.fieldIndex("Bezeichnung")).table, QString("Projects"));

    awv.edit();
    awv.fieldByName("ABezeichnung").setAsString("Neu");
    awv.fieldByName("Bezeichnung").setAsString("Nicht gespeichert");
    awv.post();
    QCOMPARE(db.read("Select * From Aufgaben", "ABezeichnung"), QString("Neu"));
    QCOMPARE(db.read("Select * From Projects", "Bezeichnung"), QString("Umbau"));
}

void TestDataset::germanOrderInQueries() {
    DataFixture db;
    const QStringList stored{"Zebra", "Öl",   "ähnlich", "Strauch",
                             "Apfel", "Ofen", "Straße",  "Mull"};
    for (const QString& text : stored)
        db.connection.execute(QString("insert into Typen (Bezeichnung) values ('%1')").arg(text));
    Dataset typen(db.connection, "Typen");
    typen.setSql(QStringList{"Select * From Typen where not del", "order by Bezeichnung asc"});
    typen.open();
    QStringList order;
    for (typen.first(); !typen.eof(); typen.next())
        order << typen.fieldByName("Bezeichnung").asString();
    QCOMPARE(order,
             QStringList({"ähnlich", "Apfel", "Mull", "Ofen", "Öl", "Straße", "Strauch", "Zebra"}));
    QCOMPARE(db.read("Select * From Typen where Bezeichnung = 'APFEL'", "Bezeichnung"),
             QString("Apfel"));
}

// Nothing is ever cut: a text over its column's size is refused, the row stays as it was.
void TestDataset::tooLongTextIsRefused() {
    DataFixture db;
    Dataset projekte(db.connection, "Projekte");
    projekte.setSql("Select * From Projects");
    projekte.open();
    projekte.append();
    projekte.fieldByName("Bezeichnung").setAsString(QString(255, QChar(u'ä')));
    try {
        projekte.fieldByName("Bezeichnung").setAsString(QString(256, QChar(u'x')));
        QFAIL("a text of 256 characters went into text(255)");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), QString("Der Text für das Feld »Bezeichnung« ist zu lang "
                                      "(höchstens 255 Zeichen)."));
    }
    QVERIFY_THROWS_EXCEPTION(DataError,
                             projekte.fieldByName("Gesamtkm").setAsString(QString(51, u'1')));
    // A character beyond the BMP is one character, though written as two UTF-16 units.
    const QString face = QString::fromUtf8("\U0001F600");
    projekte.fieldByName("GesamtZeit").setAsString(face.repeated(50));
    QVERIFY_THROWS_EXCEPTION(DataError,
                             projekte.fieldByName("Gesamtkm").setAsString(face.repeated(51)));
    projekte.fieldByName("Beschreibung").setAsString(QString(5000, u'm')); // memo: no limit
    projekte.post();
    QCOMPARE(db.read("Select * From Projects", "Bezeichnung"), QString(255, QChar(u'ä')));
    QCOMPARE(db.read("Select * From Projects", "Gesamtkm"), QString());
    QCOMPARE(db.read("Select * From Projects", "GesamtZeit"), face.repeated(50));
    QCOMPARE(db.read("Select * From Projects", "Beschreibung").size(), 5000);
}

void TestDataset::currencyIsExact() {
    DataFixture db;
    Dataset projekte(db.connection, "Projekte");
    projekte.setSql("Select * From Projects");
    projekte.open();
    projekte.append();
    projekte.fieldByName("Budget").setAsCurrency(*Currency::fromText("0,1") +
                                                 *Currency::fromText("0,2"));
    projekte.fieldByName("benBudget").setAsString("123456789012345,6789"); // 19 digits
    projekte.fieldByName("Pauschalpreis").setAsString("0,1");
    projekte.post();
    db.connection.execute("update Projects set Pauschalpreis = Pauschalpreis + 2000");

    Dataset reread(db.connection, "Reread");
    reread.setSql("Select * From Projects");
    reread.open();
    QCOMPARE(reread.fieldByName("Budget").asString(), QString("0,3"));
    QCOMPARE(reread.fieldByName("Budget").asCurrency(), *Currency::fromText("0,3"));
    QCOMPARE(reread.fieldByName("benBudget").asString(), QString("123456789012345,6789"));
    QCOMPARE(reread.fieldByName("benBudget").displayText(), QString("123456789012345,6789"));
    QCOMPARE(reread.fieldByName("Pauschalpreis").asString(), QString("0,3"));
    reread.refresh();
    QCOMPARE(reread.fieldByName("benBudget").asString(), QString("123456789012345,6789"));
}

void TestDataset::textIntoTypedFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored"); // as asString reads it after the post
    QTest::addColumn<QString>("error");
    QTest::newRow("amount, German") << "Budget"
                                    << "1.234,50"
                                    << "1234,5"
                                    << "";
    QTest::newRow("amount, letters") << "Budget"
                                     << "abc"
                                     << ""
                                     << "»abc« ist kein gültiger Betrag für das Feld »Budget«.";
    QTest::newRow("integer") << "ErledigtP"
                             << " 75 "
                             << "75"
                             << "";
    QTest::newRow("integer, letters") << "ErledigtP"
                                      << "viel"
                                      << ""
                                      << "»viel« ist keine gültige Zahl für das Feld »ErledigtP«.";
    QTest::newRow("date") << "Von"
                          << "5.3.2009"
                          << "05.03.2009"
                          << "";
    QTest::newRow("date with time") << "Von"
                                    << "05.03.2009 14:30"
                                    << "05.03.2009 14:30:00"
                                    << "";
    QTest::newRow("date with time before 1899") << "Von"
                                                << "29.12.1899 06:00"
                                                << "29.12.1899 06:00:00"
                                                << "";
    QTest::newRow("impossible date") << "Von"
                                     << "31.02.2009"
                                     << ""
                                     << "»31.02.2009« ist kein gültiges Datum für das Feld »Von«.";
    QTest::newRow("empty text clears") << "Bezeichnung"
                                       << ""
                                       << ""
                                       << "";
}

void TestDataset::textIntoTypedFields() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QFETCH(QString, error);
    DataFixture db;
    db.connection.execute("insert into Projects (Bezeichnung) values ('vorher')");
    Dataset projekte(db.connection, "Projekte");
    projekte.setSql("Select * From Projects");
    projekte.open();
    projekte.edit();
    try {
        projekte.fieldByName(field).setAsString(text);
        QVERIFY2(error.isEmpty(), "the text was taken");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), error);
        return;
    }
    projekte.post();
    QCOMPARE(db.read("Select * From Projects", field), stored);
    QCOMPARE(projekte.fieldByName(field).isNull(), stored.isEmpty());
}

// An invalid date converts to NaN; the field takes it as empty, in the snapshot as stored.
void TestDataset::invalidDateLeavesTheFieldEmpty() {
    DataFixture db;
    db.connection.execute("insert into Projects (Von) values (40000)");
    Dataset projekte(db.connection, "Projekte");
    projekte.setSql("Select * From Projects");
    projekte.open();
    projekte.edit();
    projekte.fieldByName("Von").setAsDateTime(DateTimeValue::fromDate(QDate()));
    projekte.post();
    QVERIFY(projekte.fieldByName("Von").isNull());
    QCOMPARE(db.read("Select count(*) as n From Projects where Von is null", "n"), QString("1"));
}

void TestDataset::sumReadsAsGermanNumber_data() {
    QTest::addColumn<int>("project");
    QTest::addColumn<QString>("sum");
    QTest::newRow("no rows") << 9 << "";
    QTest::newRow("rows") << 5 << "0,875";
}

void TestDataset::sumReadsAsGermanNumber() {
    QFETCH(int, project);
    DataFixture db;
    db.connection.execute("insert into PRZeiten (PRID, Aufwand) values (5, 0.5), (5, 0.25), "
                          "(5, 0.125), (6, 3)");
    Dataset sum(db.connection, "SumQuery");
    sum.setSql(
        QString("Select SUM(Aufwand) as summeaufwand from PRZeiten where PRID=%1").arg(project));
    sum.open();
    QCOMPARE(sum.recordCount(), 1);
    QTEST(sum.fieldByName("summeaufwand").asString(), "sum");
}

void TestDataset::namesIgnoreCase() {
    DataFixture db;
    db.connection.execute("insert into Projects (Bezeichnung, Archiv) values ('Umbau', 0)");
    Dataset projekte(db.connection, "Projekte");
    projekte.setSql(QStringList{"select BEZEICHNUNG, nr from PROJECTS", "where ARCHIV=0"});
    projekte.open();
    QCOMPARE(projekte.fieldByName("bezeichnung").asString(), QString("Umbau"));
    QVERIFY(projekte.fieldByName("NR").asInteger() > 0);
    QVERIFY_THROWS_EXCEPTION(DataError, projekte.fieldByName("Nirgends"));
    QVERIFY_THROWS_EXCEPTION(DataError, projekte.setSql("Select * From Projects"));
}

void TestDataset::navigation() {
    DataFixture db;
    db.connection.execute("insert into Status (Bezeichnung) values ('a'), ('b'), ('c')");
    Dataset status(db.connection, "Status");
    status.setTable("Status", true);
    QSignalSpy scrolled(&status, &Dataset::afterScroll);
    status.open();
    QCOMPARE(scrolled.count(), 1); // right after opening with rows
    QVERIFY(status.bof() && !status.eof());
    QStringList seen;
    for (; !status.eof(); status.next())
        seen << status.fieldByName("Bezeichnung").asString();
    QCOMPARE(seen, QStringList({"a", "b", "c"}));
    QCOMPARE(status.recNo(), 2);
    QCOMPARE(scrolled.count(), 3); // the step past the end moves nowhere
    status.prior();
    QCOMPARE(status.fieldByName("Bezeichnung").asString(), QString("b"));
    status.moveTo(99);
    QCOMPARE(status.recNo(), 2);

    Dataset none(db.connection, "None");
    none.setSql("Select * From Status where ID < 0");
    QSignalSpy noScroll(&none, &Dataset::afterScroll);
    none.open();
    QVERIFY(none.bof() && none.eof());
    QCOMPARE(none.recNo(), -1);
    QCOMPARE(none.fieldByName("Bezeichnung").asString(), QString());
    QCOMPARE(noScroll.count(), 0);
}

void TestDataset::cancelOfAppendRemovesTheRow() {
    DataFixture db;
    db.connection.execute("insert into Kategorien (Bezeichnung) values ('a'), ('b')");
    Dataset kategorien(db.connection, "Kategorien");
    kategorien.setSql(QStringList{"Select * From Kategorien", "where not del"});
    kategorien.open();
    kategorien.first();
    QSignalSpy removed(&kategorien, &Dataset::rowRemoved);
    kategorien.append();
    QCOMPARE(kategorien.recordCount(), 3);
    QCOMPARE(kategorien.recNo(), 2);
    kategorien.fieldByName("Bezeichnung").setAsString("verworfen");
    kategorien.cancel();
    QCOMPARE(kategorien.state(), Dataset::State::Browse);
    QCOMPARE(kategorien.recordCount(), 2);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(kategorien.fieldByName("Bezeichnung").asString(), QString("a"));
    QCOMPARE(db.read("Select count(*) as n From Kategorien", "n"), QString("2"));

    // A cancelled edit brings back the stored value.
    kategorien.edit();
    kategorien.fieldByName("Bezeichnung").setAsString("x");
    kategorien.cancel();
    QCOMPARE(kategorien.fieldByName("Bezeichnung").asString(), QString("a"));
}

void TestDataset::deleteRemovesFromDatabaseAndSnapshot() {
    DataFixture db;
    db.connection.execute("insert into Aufgaben (ABezeichnung) values ('a'), ('b'), ('c')");
    db.connection.execute("insert into PRZeiten (AID, Bezeichnung) values (2, 'bleibt')");
    Dataset aufgaben(db.connection, "Aufgaben");
    aufgaben.setSql("Select * From Aufgaben");
    aufgaben.open();
    aufgaben.next();
    aufgaben.deleteRecord();
    QCOMPARE(aufgaben.recordCount(), 2);
    QCOMPARE(aufgaben.fieldByName("ABezeichnung").asString(), QString("c"));
    aufgaben.deleteRecord();
    QCOMPARE(aufgaben.fieldByName("ABezeichnung").asString(), QString("a"));
    QCOMPARE(db.read("Select count(*) as n From Aufgaben", "n"), QString("1"));
    // The database enforces no references: the time entry of the deleted task stays.
    QCOMPARE(db.read("Select * From PRZeiten", "AID"), QString("2"));

    // The last row: no row is current any more, and those who follow the row are told.
    QSignalSpy scrolled(&aufgaben, &Dataset::afterScroll);
    aufgaben.deleteRecord();
    QCOMPARE(scrolled.count(), 1);
    QVERIFY(aufgaben.isEmpty() && aufgaben.eof() && aufgaben.bof());
    QCOMPARE(aufgaben.recNo(), -1);
    QCOMPARE(aufgaben.fieldByName("ABezeichnung").asString(), QString());
    try {
        aufgaben.deleteRecord();
        QFAIL("an empty dataset deleted a row");
    } catch (const DataError& e) {
        QCOMPARE(e.message(),
                 QString("Aufgaben: Operation bei leerer Datenmenge nicht ausführbar"));
    }
    QCOMPARE(db.read("Select count(*) as n From Aufgaben", "n"), QString("0"));
}

void TestDataset::refreshRereadsHeldRowsOnly() {
    DataFixture db;
    db.connection.execute("insert into Aufgaben (ABezeichnung, AWV) values ('a', 1), ('b', 1)");
    Dataset awv(db.connection, "AWV");
    awv.setSql(QStringList{"SELECT Aufgaben.* FROM Aufgaben", "where aerledigt is null"});
    awv.open();
    awv.last();
    db.connection.execute("update Aufgaben set AErledigt = 40000, ABezeichnung = 'B' where "
                          "ABezeichnung = 'b'");
    db.connection.execute("delete from Aufgaben where ABezeichnung = 'a'");
    db.connection.execute("insert into Aufgaben (ABezeichnung) values ('neu')");

    awv.refresh();
    QCOMPARE(awv.recordCount(), 2);
    QCOMPARE(awv.recNo(), 1);
    QCOMPARE(awv.fieldByName("ABezeichnung").asString(), QString("B"));
    QCOMPARE(awv.fieldByName("AErledigt").asDateTime(), 40000.0);
    awv.first();
    QCOMPARE(awv.fieldByName("ABezeichnung").asString(), QString("a"));
}

// Bound controls write their texts when the post starts; one that cannot stops the post.
void TestDataset::failingControlStopsPost() {
    DataFixture db;
    Dataset typen(db.connection, "Typen");
    typen.setSql("Select * From Typen");
    typen.open();
    typen.append();
    bool fail = true;
    connect(typen.dataSource(), &DataSource::updateRecord, &typen, [&] {
        typen.fieldByName("Bezeichnung").setAsString("vom Feld");
        if (fail)
            throw DataError("»x« ist keine gültige Zahl.");
    });
    QVERIFY_THROWS_EXCEPTION(DataError, typen.post());
    QCOMPARE(typen.state(), Dataset::State::Insert);
    QCOMPARE(db.read("Select count(*) as n From Typen", "n"), QString("0"));
    fail = false;
    typen.post();
    QCOMPARE(db.read("Select * From Typen", "Bezeichnung"), QString("vom Feld"));
}

// A result of many rows and long texts reads back every value, also after the edits that
// change its rows (append, cancel, delete, refresh), and is the same again when reopened.
void TestDataset::largeResultKeepsEveryValue() {
    DataFixture db;
    db.connection.execute(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000) "
        "insert into PRZeiten (PRID, AID, Bezeichnung, Beschreibung, Aufwand) "
        "select i, -i, 'Eintrag ' || i, "
        "case when i % 250 = 0 then printf('%.*c', 70000, 'x') end, i / 96.0 from n");
    Dataset time(db.connection, "Time");
    time.setSql("Select * From PRZeiten order by ID");
    const auto check = [&](int row, int prid) {
        QCOMPARE(time.text(row, time.fieldIndex("PRID")), QString::number(prid));
        QCOMPARE(time.text(row, time.fieldIndex("Bezeichnung")),
                 "Eintrag " + QString::number(prid));
        QCOMPARE(time.text(row, time.fieldIndex("Beschreibung")).size(), prid % 250 ? 0 : 70000);
        QCOMPARE(time.value(row, time.fieldIndex("Aufwand")).toDouble(), prid / 96.0);
        if (prid <= 1000)
            QCOMPARE(time.text(row, time.fieldIndex("AID")), QString::number(-prid));
    };
    for (int round = 0; round < 2; ++round) {
        time.open();
        QCOMPARE(time.recordCount(), 1000);
        for (int row = 0; row < 1000; ++row)
            check(row, row + 1);
        time.close();
    }

    time.open();
    time.last();
    time.append();
    time.fieldByName("Bezeichnung").setAsString("neu");
    time.cancel();
    QCOMPARE(time.recordCount(), 1000);
    time.moveTo(255);
    time.deleteRecord();
    time.append();
    time.fieldByName("PRID").setAsInteger(1001);
    time.fieldByName("Bezeichnung").setAsString("Eintrag 1001");
    time.fieldByName("Aufwand").setAsFloat(1001 / 96.0);
    time.post();
    db.connection.execute("update PRZeiten set Bezeichnung = 'geändert' where PRID = 500");
    time.refresh();
    QCOMPARE(time.recordCount(), 1000);
    for (int row = 0; row < 999; ++row) {
        const int prid = row < 255 ? row + 1 : row + 2;
        if (prid == 500)
            QCOMPARE(time.text(row, time.fieldIndex("Bezeichnung")), QString("geändert"));
        else
            check(row, prid);
    }
    check(999, 1001);
}

ORBENTA_TEST_MAIN(TestDataset)
#include "tst_dataset.moc"
