#include "printing/reporterror.h"
#include "printing/reportproject.h"
#include "testsupport.h"

#include <QCoreApplication>

class TestReportProject : public QObject {
    Q_OBJECT
private slots:
    void shippedProjectHasEveryReport();
    void readsLayout();
    void layoutErrorNamesReportAndLine_data();
    void layoutErrorNamesReportAndLine();
    void missingFileIsAnError();
};

// The build puts the project beside the programs, where the program looks for it.
void TestReportProject::shippedProjectHasEveryReport() {
    const QString file =
        QCoreApplication::applicationDirPath() + QStringLiteral("/reports/orbt.rav");
    const ReportProject project = ReportProject::load(file);
    for (const char* name : {"PRListe", "PRDetails", "Aufgabenliste", "ADetails", "Zeitliste",
                             "Zeitnahme", "Wiedervorlagen"})
        QVERIFY2(project.report(QLatin1String(name)), name);
    QCOMPARE(project.parameters(), (QStringList{"Projekt", "Aufgabe"}));
    QVERIFY(project.report("PRDetails")->currentRowOnly);
    QVERIFY(!project.report("PRListe")->currentRowOnly);
}

void TestReportProject::readsLayout() {
    const ReportProject project = ReportProject::parse(
        "# comment\n"
        "parameters Projekt\n"
        "report \"Meine Liste\"\n"
        "  title \"Liste für \\\"alle\\\"\"\n"
        "  data RVProjekte\n"
        "  page A5 landscape\n"
        "  margins 10 12,5 10 8\n"
        "  font \"DejaVu Serif\" 11\n"
        "  filter Status equals \"offen\"\n"
        "  band detail height 4 stripe #eeeeee\n"
        "    field 0 1 30 5 Bezeichnung bold align right format money when Budget\n"
        "    line 0 0 100 0 width 0.5 color #ff0000  # trailing comment\n"
        "    box 1 2 3 4 fill lightgray\n"
        "  end\n"
        "end\n");
    const ReportLayout* r = project.report("Meine Liste");
    QVERIFY(r);
    QCOMPARE(r->title, QString("Liste für \"alle\""));
    QCOMPARE(r->pageSize, QPageSize::A5);
    QCOMPARE(r->orientation, QPageLayout::Landscape);
    QCOMPARE(r->margins, QMarginsF(10, 12.5, 10, 8));
    QCOMPARE(r->filter.test, ReportFilter::Test::Equals);
    QCOMPARE(r->filter.value, QString("offen"));
    const ReportBand* detail = r->band(ReportBand::Kind::Detail);
    QVERIFY(detail);
    QCOMPARE(detail->height, 6.0); // grows to its lowest element
    QCOMPARE(detail->elements.size(), 3);
    const ReportElement& field = detail->elements.at(0);
    QCOMPARE(field.line, 11);
    QCOMPARE(field.source, QString("Bezeichnung"));
    QCOMPARE(field.font.family, QString("DejaVu Serif"));
    QCOMPARE(field.font.size, 11.0);
    QVERIFY(field.font.bold);
    QCOMPARE(field.align, Qt::AlignRight);
    QCOMPARE(field.format, ValueFormat::Money);
    QCOMPARE(field.when, QString("Budget"));
    QCOMPARE(detail->elements.at(1).color, QColor(Qt::red));
    QCOMPARE(detail->elements.at(2).fill, QColor("lightgray"));
    QCOMPARE(project.report("meine liste"), nullptr); // names are exact
}

void TestReportProject::layoutErrorNamesReportAndLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    const QString head = "report A\n  data RVProjekte\n  band detail\n";
    QTest::newRow("unknown element")
        << head + "    fild 0 0 10 5 X\n  end\nend\n"
        << "Fehler im Bericht »A«, Zeile 4: Unbekanntes Element »fild«";
    QTest::newRow("no number") << head + "    text 0 x 10 5 \"a\"\n  end\nend\n"
                               << "Fehler im Bericht »A«, Zeile 4: »x« ist keine Zahl";
    QTest::newRow("missing text") << head + "    text 0 0 10 5\n  end\nend\n"
                                  << "Zeile 4: Hier fehlt der Text in Anführungszeichen.";
    QTest::newRow("unknown option") << head + "    field 0 0 10 5 X fett\n  end\nend\n"
                                    << "Zeile 4: Unbekannte Angabe »fett«.";
    QTest::newRow("option of another kind") << head + "    line 0 0 10 0 bold\n  end\nend\n"
                                            << "Zeile 4: Die Angabe »bold« passt nicht";
    QTest::newRow("open quote") << head + "    text 0 0 10 5 \"offen\n  end\nend\n"
                                << "Zeile 4: Das Anführungszeichen wird nicht geschlossen.";
    QTest::newRow("open placeholder") << head + "    text 0 0 10 5 \"{Seite\"\n  end\nend\n"
                                      << "Zeile 4: Die Klammer { wird nicht geschlossen.";
    QTest::newRow("zero width") << head + "    box 0 0 0 5\n  end\nend\n"
                                << "Zeile 4: Breite und Höhe müssen größer als 0 sein.";
    QTest::newRow("band not ended") << "report A\n  data RVProjekte\n  band detail\n"
                                    << "Fehler im Bericht »A«, Zeile 3: Das Band wird nicht mit "
                                       "»end« abgeschlossen.";
    QTest::newRow("report not ended") << "report A\n  title \"x\"\n"
                                      << "Fehler im Bericht »A«, Zeile 1: Der Bericht wird nicht";
    QTest::newRow("duplicate report") << "report A\nend\nreport A\nend\n"
                                      << "Zeile 3: Den Bericht »A« gibt es schon.";
    QTest::newRow("detail without data") << "report B\n  band detail\n  end\nend\n"
                                         << "Fehler im Bericht »B«, Zeile 4: Der Bericht hat ein "
                                            "Band »detail«, aber keine Datenverbindung";
    QTest::newRow("outside a report") << "titel \"x\"\n"
                                      << "Fehler im Berichtsprojekt, Zeile 1: Unbekannte Angabe";
    QTest::newRow("bad colour") << "report A\n  band pageheader\n    box 0 0 5 5 fill #zz\n"
                                   "  end\nend\n"
                                << "Zeile 3: »#zz« ist keine Farbe";
    QTest::newRow("margins fill the page")
        << "report A\n  page A5\n  margins 80\nend\n"
        << "Zeile 4: Die Ränder lassen auf der Seite keinen Platz.";
}

void TestReportProject::layoutErrorNamesReportAndLine() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        ReportProject::parse(text);
        QFAIL("no error");
    } catch (const ReportError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
}

void TestReportProject::missingFileIsAnError() {
    TestEnvironment env;
    try {
        ReportProject::load(env.rootFolder() + "/fehlt.rav");
        QFAIL("no error");
    } catch (const ReportError& e) {
        QVERIFY(e.message().contains("kann nicht gelesen werden"));
    }
}

ORBENTA_TEST_MAIN(TestReportProject)
#include "tst_reportproject.moc"
