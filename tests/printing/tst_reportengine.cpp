#include "data/tdm.h"
#include "printing/reportcommands.h"
#include "printing/reporterror.h"
#include "printsupport.h"
#include "testsupport.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

const char* TestProject = R"(
parameters Projekt
report Liste
    title "Testliste"
    data RVProjekte
    page A4 portrait
    margins 15
    band pageheader height 10
        text 0 0 150 6 "{Titel} für {Projekt}" bold
    end
    band columns height 6
        text 0 0 40 6 "Nummer"
        text 40 0 60 6 "Bezeichnung"
    end
    band detail height 6
        field 0 0 40 6 Pojektnummer
        field 40 0 60 6 Bezeichnung
        field 100 0 80 6 TestBezeichnung
    end
    band summary height 6
        text 0 0 40 6 "Anzahl:"
        count 40 0 20 6
        sum 60 0 40 6 Budget format money
    end
    band pagefooter height 6
        text 0 0 180 6 "Seite {Seite} von {Seiten}" align right
    end
end
report Offene
    data RVProjekte
    filter Status equals "offen"
    band detail height 6
        field 0 0 60 6 Bezeichnung
    end
end
report Blatt
    data RVProjekte
    rows current
    band detail height 20
        text 0 0 40 6 "Bemerkungen:"
        field 40 0 100 6 Beschreibung wrap
        text 0 8 40 6 "Ende des Blatts"
    end
end
report Falsch
    data RVProjekte
    band detail height 6
        field 0 0 60 6 Bezeichnug
    end
end
)";

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listRunsOverPagesWithNumbersAndSums();
    void currentRowAndFilterStayAsTheyWere();
    void extraMemoColumnIsTheSameOnEveryRow();
    void everyDestinationWritesThePages_data();
    void everyDestinationWritesThePages();
    void unknownReportDoesNothing();
    void cancelledOutputDoesNothing();
    void missingProjectGivesMessageAndPrintsNothing();
    void projectIsLoadedOnceAndParametersStay();
    void wrongFieldNamesReportAndLine();
    void longTextWrapsGrowsItsBandAndGoesOnToTheNextPage();
    void outputDialogOffersPrinterFirst();
    void previewOpensMaximisedAtFullSize();

private:
    void addProjects(int count);
    void writeProject(const QString& text);
    QString pdf(const QString& name) const { return m_env->rootFolder() + "/" + name + ".pdf"; }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedOutput> m_output;
    std::unique_ptr<Tdm> m_dm;
    std::unique_ptr<ReportCommands> m_commands;
    QString m_projectFile;
};

void TestReportEngine::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_output = std::make_unique<ScriptedOutput>();
    m_dm = std::make_unique<Tdm>(m_env->rootFolder() + "/");
    m_env->connectDataModule(*m_dm);
    m_commands = std::make_unique<ReportCommands>(*m_dm);
    m_projectFile = m_env->rootFolder() + "/test.rav";
    writeProject(QString::fromUtf8(TestProject));
    m_commands->engine().setProjectFile(m_projectFile);
    m_commands->engine().setPrintDate(QDateTime(QDate(2024, 5, 17), QTime(9, 30)));
}

void TestReportEngine::cleanup() {
    m_commands.reset();
    m_dm.reset();
    m_output.reset();
    m_env.reset();
}

void TestReportEngine::writeProject(const QString& text) {
    QFile file(m_projectFile);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

// Projects "P-001" ... with every third one "offen" and a budget of 10 each.
void TestReportEngine::addProjects(int count) {
    Dataset& p = m_dm->Projekte;
    p.close();
    p.setSql("Select * from Projects");
    p.open();
    for (int i = 1; i <= count; ++i) {
        p.append();
        p.fieldByName("Pojektnummer").setAsString(QString("P-%1").arg(i, 3, 10, QChar('0')));
        p.fieldByName("Bezeichnung").setAsString(QString("Projekt %1").arg(i));
        p.fieldByName("Status").setAsString(i % 3 == 0 ? "offen" : "fertig");
        p.fieldByName("Budget").setAsString("10");
        p.fieldByName("Beschreibung").setAsString(QString("Notiz %1").arg(i));
        p.post();
    }
    p.close();
    p.open();
}

void TestReportEngine::listRunsOverPagesWithNumbersAndSums() {
    addProjects(100);
    m_commands->engine().setParameter("Projekt", "Alle");
    ScriptedOutput::choose(pdf("liste"));
    QVERIFY(m_commands->engine().execute("Liste"));

    // 245 mm for the rows of each page: 40 rows of 6 mm, so 40 + 40 + 20 and the sums.
    QCOMPARE(pdfPages(pdf("liste")), 3);
    const QString text = pdfText(pdf("liste"));
    QVERIFY(text.contains("Testliste für Alle"));
    for (const char* expected : {"Seite 1 von 3", "Seite 2 von 3", "Seite 3 von 3", "P-001",
                                 "P-040", "P-041", "P-100", "Projekt 77"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
    QVERIFY(text.contains(QRegularExpression("Anzahl:\\s+100\\s+1\\.000,00")));
    // Column heads on every page.
    QCOMPARE(text.count("Nummer"), 3);
    // Page 2 begins with row 41.
    const QStringList pages = text.split('\f');
    QVERIFY(pages.at(1).contains("P-041") && !pages.at(1).contains("P-040"));

    const auto& deliveries = ScriptedOutput::output().deliveries();
    QCOMPARE(deliveries.size(), 1);
    QCOMPARE(deliveries.first().report, QString("Liste"));
    QCOMPARE(deliveries.first().pages, 3);
    QVERIFY(ScriptedOutput::output().statusTexts().contains("Erstelle Seite 3"));
    QVERIFY(ScriptedOutput::output().statusTexts().contains("Drucke Seite 3"));
}

void TestReportEngine::currentRowAndFilterStayAsTheyWere() {
    addProjects(30);
    Dataset& p = m_dm->Projekte;
    p.moveTo(17);
    QSignalSpy moves(&p, &Dataset::afterScroll);
    QSignalSpy records(p.dataSource(), &DataSource::dataChanged);

    ScriptedOutput::choose(pdf("offene"));
    QVERIFY(m_commands->engine().execute("Offene"));
    const QString open = pdfText(pdf("offene"));
    QVERIFY(open.contains("Projekt 3\n") || open.contains("Projekt 3 "));
    QVERIFY(open.contains("Projekt 30"));
    QVERIFY(!open.contains("Projekt 1\n") && !open.contains("Projekt 2\n"));
    QCOMPARE(open.count("Projekt "), 10);

    // The controls saw no other row, and the list stands where it stood.
    QCOMPARE(p.recNo(), 17);
    QCOMPARE(moves.count(), 0);
    QCOMPARE(records.count(), 0);

    // The filter held for that run only.
    ScriptedOutput::choose(pdf("liste"));
    QVERIFY(m_commands->engine().execute("Liste"));
    QCOMPARE(pdfText(pdf("liste")).count("P-0"), 30);
    QCOMPARE(p.recNo(), 17);
}

void TestReportEngine::extraMemoColumnIsTheSameOnEveryRow() {
    addProjects(12);
    m_dm->Projekte.moveTo(4); // "Notiz 5"
    ScriptedOutput::choose(pdf("liste"));
    QVERIFY(m_commands->engine().execute("Liste"));
    const QString text = pdfText(pdf("liste"));
    QCOMPARE(text.count("Notiz 5"), 12);
    QVERIFY(!text.contains("Notiz 1"));

    // The columns the connection offers: the dataset's fields, then the memo column.
    const auto columns = m_commands->RVProjekte.columns();
    QCOMPARE(columns.size(), m_dm->Projekte.fieldCount() + 1);
    QCOMPARE(columns.last().name, QString("TestBezeichnung"));
    QCOMPARE(columns.last().type, FieldType::Memo);
    QCOMPARE(columns.last().size, 30);
    QCOMPARE(m_commands->RVAWS.extraColumnName(), QString());
}

void TestReportEngine::everyDestinationWritesThePages_data() {
    QTest::addColumn<ReportOutput::Destination>("destination");
    QTest::newRow("printer") << ReportOutput::Destination::Printer;
    QTest::newRow("preview") << ReportOutput::Destination::Preview;
    QTest::newRow("file") << ReportOutput::Destination::File;
}

void TestReportEngine::everyDestinationWritesThePages() {
    QFETCH(ReportOutput::Destination, destination);
    addProjects(45);
    ScriptedOutput::choose(pdf("ausgabe"), destination);
    QVERIFY(m_commands->engine().execute("Liste"));
    QCOMPARE(pdfPages(pdf("ausgabe")), 2);
    QVERIFY(pdfText(pdf("ausgabe")).contains("Seite 2 von 2"));
    QCOMPARE(ScriptedOutput::output().deliveries().first().destination, destination);
}

void TestReportEngine::unknownReportDoesNothing() {
    addProjects(3);
    ScriptedOutput::choose(pdf("nichts"));
    QVERIFY(!m_commands->engine().execute("Gibtsnicht"));
    QCOMPARE(ScriptedOutput::output().dialogsShown(), 0);
    QVERIFY(ScriptedOutput::output().deliveries().isEmpty());
    QVERIFY(!QFile::exists(pdf("nichts")));
    QVERIFY(TestEnvironment::dialogs().shown().isEmpty());
}

void TestReportEngine::cancelledOutputDoesNothing() {
    addProjects(3);
    ScriptedOutput::cancelNext();
    QVERIFY(!m_commands->engine().execute("Liste"));
    QCOMPARE(ScriptedOutput::output().dialogsShown(), 1);
    QVERIFY(ScriptedOutput::output().deliveries().isEmpty());
    QVERIFY(ScriptedOutput::output().statusTexts().isEmpty());
}

void TestReportEngine::missingProjectGivesMessageAndPrintsNothing() {
    addProjects(3);
    m_commands->engine().setProjectFile(m_env->rootFolder() + "/reports/orbt.rav");
    ScriptedOutput::choose(pdf("liste"));
    QVERIFY(!m_commands->engine().execute("Liste"));
    const auto& shown = TestEnvironment::dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().kind, MessageDialogs::Kind::Error);
    QVERIFY(shown.first().text.contains("wurde nicht gefunden"));
    QVERIFY(shown.first().text.contains("orbt.rav"));
    QCOMPARE(ScriptedOutput::output().dialogsShown(), 0);
    QVERIFY(!QFile::exists(pdf("liste")));

    // Once it is there, the next command finds it.
    m_commands->engine().setProjectFile(m_projectFile);
    QVERIFY(m_commands->engine().execute("Liste"));
    QVERIFY(QFile::exists(pdf("liste")));
}

void TestReportEngine::projectIsLoadedOnceAndParametersStay() {
    addProjects(2);
    ReportEngine& engine = m_commands->engine();
    engine.setParameter("Projekt", "Alpha");
    ScriptedOutput::choose(pdf("eins"));
    QVERIFY(engine.execute("Liste"));
    QVERIFY(pdfText(pdf("eins")).contains("Testliste für Alpha"));

    // A change of the file while the program runs is not seen; the parameter keeps its value.
    writeProject(QString::fromUtf8(TestProject).replace("Testliste", "Geändert"));
    ScriptedOutput::choose(pdf("zwei"));
    QVERIFY(engine.execute("Liste"));
    QVERIFY(pdfText(pdf("zwei")).contains("Testliste für Alpha"));
}

void TestReportEngine::wrongFieldNamesReportAndLine() {
    addProjects(5);
    m_dm->Projekte.moveTo(2);
    ScriptedOutput::choose(pdf("falsch"));
    try {
        m_commands->engine().execute("Falsch");
        QFAIL("no error");
    } catch (const ReportError& e) {
        QCOMPARE(e.message(), QString("Fehler im Bericht »Falsch«, Zeile 48: Das Feld »Bezeichnug« "
                                      "gibt es in der Datenverbindung »RVProjekte« nicht."));
    }
    QVERIFY(ScriptedOutput::output().deliveries().isEmpty());
    QCOMPARE(m_dm->Projekte.recNo(), 2);
    QVERIFY(!m_commands->RVProjekte.running());
}

void TestReportEngine::longTextWrapsGrowsItsBandAndGoesOnToTheNextPage() {
    addProjects(1);
    ReportEngine& engine = m_commands->engine();
    const auto endOfSheet = [](const RenderedReport& report) {
        for (const RenderedItem& item : report.pages.first().items)
            if (item.text == "Ende des Blatts")
                return item.rect.top();
        return -1.0;
    };
    const double unwrapped = endOfSheet(engine.render("Blatt"));
    QVERIFY(unwrapped > 0);

    // Three paragraphs of many words each: wrapped at 100 mm, one line each at least.
    QStringList paragraphs;
    for (int i = 1; i <= 3; ++i)
        paragraphs << QString("Absatz %1: ").arg(i) + QString("viele Wörter ").repeated(30);
    Dataset& p = m_dm->Projekte;
    p.edit();
    p.fieldByName("Beschreibung").setAsString(paragraphs.join("\r\n"));
    p.post();
    const RenderedReport wrapped = engine.render("Blatt");
    int lines = 0;
    for (const RenderedItem& item : wrapped.pages.first().items)
        if (item.text.contains("Wörter"))
            ++lines;
    QVERIFY2(lines >= 9, qPrintable(QString::number(lines)));
    // "Ende des Blatts" moved down by what the text needed beyond its 6 mm.
    QVERIFY(endOfSheet(wrapped) > unwrapped + 25);

    // Far longer than a page: it goes on, line by line, on the following pages.
    QStringList many;
    for (int i = 1; i <= 150; ++i)
        many << QString("Zeile %1").arg(i);
    p.edit();
    p.fieldByName("Beschreibung").setAsString(many.join('\n'));
    p.post();
    ScriptedOutput::choose(pdf("lang"));
    QVERIFY(engine.execute("Blatt"));
    QVERIFY(pdfPages(pdf("lang")) >= 2);
    const QString text = pdfText(pdf("lang"));
    for (int i = 1; i <= 150; ++i)
        QVERIFY2(text.contains(QString("Zeile %1\n").arg(i)), qPrintable(QString::number(i)));
    QVERIFY(text.contains("Ende des Blatts"));
}

void TestReportEngine::outputDialogOffersPrinterFirst() {
    std::unique_ptr<QDialog> dialog(
        ReportOutput::createOutputDialog(nullptr, m_env->rootFolder() + "/PRListe.pdf"));
    QCOMPARE(dialog->windowTitle(), QString("Output Options"));
    auto* printer = dialog->findChild<QRadioButton*>("RB_Printer");
    auto* file = dialog->findChild<QRadioButton*>("RB_File");
    auto* name = dialog->findChild<QLineEdit*>("ED_FileName");
    auto* ok = dialog->findChild<QPushButton*>("BTN_OK");
    QVERIFY(printer && file && name && ok);
    QVERIFY(printer->isChecked());
    QVERIFY(!name->isEnabled());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

    // A file without a name is refused with a message; the dialog stays.
    QTest::mouseClick(file, Qt::LeftButton, {}, QPoint(8, file->height() / 2));
    QVERIFY(name->isEnabled());
    name->clear();
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QCOMPARE(TestEnvironment::dialogs().shown().size(), 1);
    QCOMPARE(TestEnvironment::dialogs().shown().first().text,
             QString("Bitte geben Sie den Namen der PDF-Datei an."));
    QTest::keyClicks(name, m_env->rootFolder() + "/liste");
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
}

void TestReportEngine::previewOpensMaximisedAtFullSize() {
    QPrinter printer;
    std::unique_ptr<QPrintPreviewDialog> dialog(
        ReportOutput::createPreviewDialog(&printer, nullptr));
    QCOMPARE(dialog->windowTitle(), QString("Report Vorschau"));
    QVERIFY(dialog->windowState() & Qt::WindowMaximized);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto* preview = dialog->findChild<QPrintPreviewWidget*>();
    QVERIFY(preview);
    QCOMPARE(preview->zoomMode(), QPrintPreviewWidget::CustomZoom);
    QCOMPARE(preview->zoomFactor(), 1.0);
    dialog->close();
}

ORBENTA_TEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
