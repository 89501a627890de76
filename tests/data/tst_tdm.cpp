#include "data/datetimevalue.h"
#include "datafixture.h"

#include <QSignalSpy>
#include <QTest>

class TestTdm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void datasetsAndTheirTexts();
    void connectionTextAndReportProject();
    void creationTextsSelect();
    void calculatedFields_data();
    void calculatedFields();
    void displayTexts();
    void projectRowChangeAfterFirstShow();
    void timeOpensWithoutProject();

private:
    struct Module {
        DataFixture db;
        Tdm tdm{"/opt/orbenta/"};
        Module() {
            tdm.ADOConnection1.setConnectionString(db.connection.connectionString());
            tdm.ADOConnection1.open();
        }
    };
};

void TestTdm::datasetsAndTheirTexts() {
    Tdm tdm("/opt/orbenta/");
    const QStringList names{"Projekte",  "Typen",  "Auftraggeber", "Kategorien",
                            "Prioquery", "Status", "Verantw",      "Aufgaben",
                            "Time",      "AWV",    "SumQuery",     "Optionen"};
    for (const QString& name : names) {
        Dataset* dataset = tdm.findChild<Dataset*>(name);
        QVERIFY2(dataset, qPrintable(name));
        QCOMPARE(dataset->dataSource()->objectName(), name + "DS");
        QCOMPARE(tdm.findChild<DataSource*>(name + "DS"), dataset->dataSource());
    }
    QCOMPARE(tdm.ProjekteDS(), tdm.Projekte.dataSource());
    QCOMPARE(tdm.Projekte.sql(), QStringList({"Select * From Projects", "where archiv=0"}));
    QCOMPARE(tdm.Kategorien.sql(), QStringList({"Select * From Kategorien", "where not del"}));
    QCOMPARE(tdm.Aufgaben.sql(), QStringList({"Select * From Aufgaben"}));
    QCOMPARE(tdm.AWV.sql(), QStringList({"SELECT Projects.Bezeichnung, Aufgaben.*",
                                         "FROM Projects INNER JOIN Aufgaben ON Projects.Nr = "
                                         "Aufgaben.AProjectnr;"}));
    QVERIFY(tdm.SumQuery.sql().isEmpty());
}

void TestTdm::connectionTextAndReportProject() {
    Tdm tdm("/opt/orbenta/");
    QCOMPARE(tdm.reportProjectFile(), QString("/opt/orbenta/reports/orbt.rav"));
    QCOMPARE(Tdm::connectionStringFor("/home/anna/Orbenta Daten/"),
             QString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/home/anna/Orbenta "
                     "Daten/ORBTData.mdb;Persist Security Info=False"));
}

// The master datasets leave out rows flagged deleted; the project list leaves out archived
// projects and those whose Archiv is empty.
void TestTdm::creationTextsSelect() {
    Module m;
    Connection& c = m.tdm.ADOConnection1;
    for (const char* table : {"Typen", "Auftraggeber", "Kategorien", "Status", "HumanResources"})
        c.execute(QString("insert into %1 (Bezeichnung, del) values ('bleibt', 0), ('weg', 1)")
                      .arg(table));
    c.execute("insert into Prio (Prio, del) values ('bleibt', 0), ('weg', 1)");
    const QList<QPair<Dataset*, QString>> masters{
        {&m.tdm.Typen, "Bezeichnung"},      {&m.tdm.Auftraggeber, "Bezeichnung"},
        {&m.tdm.Kategorien, "Bezeichnung"}, {&m.tdm.Prioquery, "Prio"},
        {&m.tdm.Status, "Bezeichnung"},     {&m.tdm.Verantw, "Bezeichnung"}};
    for (const auto& [dataset, field] : masters) {
        dataset->open();
        QCOMPARE(dataset->recordCount(), 1);
        QCOMPARE(dataset->fieldByName(field).asString(), QString("bleibt"));
    }

    c.execute("insert into Projects (Bezeichnung, Archiv) values ('aktiv', 0), ('archiviert', 1), "
              "('leer', null)");
    m.tdm.Projekte.open();
    QCOMPARE(m.tdm.Projekte.recordCount(), 1);
    QCOMPARE(m.tdm.Projekte.fieldByName("Bezeichnung").asString(), QString("aktiv"));

    // The follow-up list's first text, with its closing semicolon, opens as it stands.
    c.execute("insert into Aufgaben (AProjectnr, ABezeichnung) select Nr, 'Aufgabe' from "
              "Projects where Bezeichnung = 'aktiv'");
    m.tdm.AWV.open();
    QCOMPARE(m.tdm.AWV.recordCount(), 1);
    QCOMPARE(m.tdm.AWV.fieldByName("Bezeichnung").asString(), QString("aktiv"));

    m.tdm.Optionen.open();
    QVERIFY(m.tdm.Optionen.isEmpty());
    QCOMPARE(m.tdm.Optionen.fieldByName("ARefresh").asInteger(), 0);
}

void TestTdm::calculatedFields_data() {
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("calculated");
    QTest::addColumn<QString>("text");
    QTest::newRow("task without total") << "Aufgaben"
                                        << "null"
                                        << "AGesamtZeit"
                                        << "AGZeitBez"
                                        << "";
    QTest::newRow("task total 0") << "Aufgaben"
                                  << "0"
                                  << "AGesamtZeit"
                                  << "AGZeitBez"
                                  << "";
    QTest::newRow("task total 1,5 days") << "Aufgaben"
                                         << "1.5"
                                         << "AGesamtZeit"
                                         << "AGZeitBez"
                                         << "36:00";
    QTest::newRow("entry without effort") << "Time"
                                          << "null"
                                          << "Aufwand"
                                          << "AufwandBez"
                                          << "";
    QTest::newRow("entry of no effort") << "Time"
                                        << "0"
                                        << "Aufwand"
                                        << "AufwandBez"
                                        << "00:00";
    QTest::newRow("entry of 59:59 minutes")
        << "Time" << QString::number(3599.0 / 86400, 'g', 17) << "Aufwand"
        << "AufwandBez"
        << "00:59";
}

void TestTdm::calculatedFields() {
    QFETCH(QString, dataset);
    QFETCH(QString, stored);
    QFETCH(QString, source);
    QFETCH(QString, calculated);
    Module m;
    Dataset& ds = dataset == "Time" ? m.tdm.Time : m.tdm.Aufgaben;
    m.tdm.ADOConnection1.execute(
        QString("insert into %1 (%2) values (%3)")
            .arg(dataset == "Time" ? "PRZeiten" : "Aufgaben", source, stored));
    ds.open();
    const Field field = ds.fieldByName(calculated);
    QCOMPARE(field.def().type, FieldType::Calculated);
    QCOMPARE(field.def().sourceField, source);
    QTEST(field.asString(), "text");
    QTEST(field.displayText(), "text");

    // Computed whenever read: an edit of its source shows at once.
    ds.edit();
    ds.fieldByName(source).setAsFloat(0.25);
    QCOMPARE(field.asString(), QString("06:00"));
}

void TestTdm::displayTexts() {
    Module m;
    const double day = DateTimeValue::fromDate(QDate(2009, 3, 5));
    const QString at = QString::number(day + (8 * 60 + 30) / 1440.0, 'g', 17);
    m.tdm.ADOConnection1.execute(
        QString("insert into PRZeiten (VonDatum, BisDatum, VonUhrzeit, BisUhrzeit, Aufwand) "
                "values (%1, %1, %2, %3, 0.5)")
            .arg(day)
            .arg(QString::number((8 * 60 + 30) / 1440.0, 'g', 17), at));
    m.tdm.ADOConnection1.execute(
        QString("insert into Projects (Von, Erledigt, Budget, Archiv) values (%1, %2, 12345000, 0)")
            .arg(day)
            .arg(at));
    m.tdm.Time.open();
    QCOMPARE(m.tdm.Time.fieldByName("VonDatum").displayText(), QString("05:03:2009"));
    QCOMPARE(m.tdm.Time.fieldByName("BisDatum").displayText(), QString("05:03:2009"));
    QCOMPARE(m.tdm.Time.fieldByName("VonUhrzeit").displayText(), QString("08:30"));
    QCOMPARE(m.tdm.Time.fieldByName("BisUhrzeit").displayText(), QString("08:30"));
    QCOMPARE(m.tdm.Time.fieldByName("VonDatum").asString(), QString("05.03.2009"));
    m.tdm.Projekte.open();
    QCOMPARE(m.tdm.Projekte.fieldByName("Von").displayText(), QString("05.03.2009"));
    QCOMPARE(m.tdm.Projekte.fieldByName("Erledigt").displayText(), QString("05.03.2009 08:30:00"));
    QCOMPARE(m.tdm.Projekte.fieldByName("Bis").displayText(), QString());
    QCOMPARE(m.tdm.Projekte.fieldByName("Budget").displayText(), QString("1234,5"));
}

void TestTdm::projectRowChangeAfterFirstShow() {
    Module m;
    m.tdm.ADOConnection1.execute(
        "insert into Projects (Bezeichnung, Archiv) values ('a', 0), ('b', 0)");
    QSignalSpy changed(&m.tdm, &Tdm::projectRowChanged);
    m.tdm.Projekte.open();
    QCOMPARE(changed.count(), 0); // the first-show flag is still set
    m.tdm.Projekte.close();
    m.tdm.setFirstShow(false);
    m.tdm.Projekte.open();
    QCOMPARE(changed.count(), 1);
    m.tdm.Projekte.next();
    QCOMPARE(changed.count(), 2);
}

// At start no project is open: the time entries open with all their fields, but no row of
// the database is read.
void TestTdm::timeOpensWithoutProject() {
    Module m;
    m.tdm.ADOConnection1.execute("insert into PRZeiten (PRID, Aufwand) values (1, 0.5), (0, 1), "
                                 "(null, 2)");
    m.tdm.Time.open();
    m.tdm.openTimeWithoutProject();
    QVERIFY(m.tdm.Time.active());
    QCOMPARE(m.tdm.Time.recordCount(), 0);
    QVERIFY(m.tdm.Time.fieldIndex("Aufwand") >= 0);
    QVERIFY(m.tdm.Time.fieldIndex("AufwandBez") >= 0);
    QCOMPARE(m.tdm.Time.fieldDef(m.tdm.Time.fieldIndex("VonUhrzeit")).displayFormat,
             QString("HH:mm"));
}

ORBENTA_TEST_MAIN(TestTdm)
#include "tst_tdm.moc"
