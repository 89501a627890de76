#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "timefixture.h"
#include "timerec/timelist.h"

#include <QAction>
#include <QMenu>
#include <QVBoxLayout>

using Answer = MessageDialogs::Answer;
using Kind = MessageDialogs::Kind;

namespace {

// The time page's list over the fixture's project, entered as the page is.
struct ListFixture : TimeFixture {
    std::unique_ptr<TimeList> list;
    int reruns = 0;

    bool startList() {
        if (!start())
            return false;
        list = std::make_unique<TimeList>(dm, &mainWindow);
        auto* layout = new QVBoxLayout(&mainWindow);
        layout->addWidget(list->panel());
        list->setEditor(form.get());
        form->effortTotals().setTaskListRerun([this] {
            ++reruns;
            loadTasks();
        });
        list->enter();
        return true;
    }
    ListGrid* grid() { return list->grid(); }
    int column(const char* field) {
        for (int position = 1; position <= grid()->columnLayout().size(); ++position)
            if (grid()->fieldAt(position) == QLatin1String(field))
                return position;
        return -1;
    }
};

QStringList captions(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

} // namespace

class TimeListTest : public QObject {
    Q_OBJECT
private slots:
    void menuAndColumns();
    void enterEditsTheSelectedEntry();
    void emptyListDoesNothing();
    void deleteEntry_data();
    void deleteEntry();
    void deletingTheLastEntries();
    void addOpensANewEntry();
};

void TimeListTest::menuAndColumns() {
    ListFixture f;
    QVERIFY(f.startList());
    QCOMPARE(captions(f.list->PMenu_Time()),
             (QStringList{"Zeiterfassung hinzufügen", "Zeiterfassung bearbeiten",
                          "Zeiterfassung löschen", "-", "Aufgabe hinzufügen", "Aufgaben öffnen",
                          "-", "Datei hinzufügen", "Dateiübersicht öffnen", "-",
                          "Projekt schließen", "-", "Drucken", "Tabelle anpassen"}));
    QCOMPARE(captions(f.list->printMenu()),
             (QStringList{"Zeiterfassungsliste", "Einzelzeiterfassung"}));

    // 05.03.2009 09:00 to 17:30 and an entry without times or effort.
    f.insert(QStringLiteral("PRZeiten"), {{QStringLiteral("PRID"), f.project},
                                          {QStringLiteral("Bezeichnung"), QStringLiteral("Mit")},
                                          {QStringLiteral("VonDatum"), f.day(2009, 3, 5)},
                                          {QStringLiteral("VonUhrzeit"), 0.375},
                                          {QStringLiteral("BisDatum"), f.day(2009, 3, 5)},
                                          {QStringLiteral("BisUhrzeit"), 17.5 / 24},
                                          {QStringLiteral("Aufwand"), 8.5 / 24}});
    f.insert(QStringLiteral("PRZeiten"), {{QStringLiteral("PRID"), f.project},
                                          {QStringLiteral("Bezeichnung"), QStringLiteral("Ohne")}});
    f.list->showtimes();
    QCOMPARE(f.grid()->cellText(0, f.column("VonDatum")), QStringLiteral("05:03:2009"));
    QCOMPARE(f.grid()->cellText(0, f.column("VonUhrzeit")), QStringLiteral("09:00"));
    QCOMPARE(f.grid()->cellText(0, f.column("BisUhrzeit")), QStringLiteral("17:30"));
    QCOMPARE(f.grid()->cellText(0, f.column("AufwandBez")), QStringLiteral("08:30"));
    QCOMPARE(f.grid()->cellText(1, f.column("VonUhrzeit")), QString());
    QCOMPARE(f.grid()->cellText(1, f.column("AufwandBez")), QString());
}

void TimeListTest::enterEditsTheSelectedEntry() {
    ListFixture f;
    QVERIFY(f.startList());
    f.addEntry(f.entwurf, 0.25, QStringLiteral("Erster"));
    f.addEntry(0, 0.5, QStringLiteral("Zweiter"));
    f.list->showtimes();
    f.grid()->setFocus();
    QTest::keyClick(f.grid(), Qt::Key_Down);
    QTest::keyClick(f.grid(), Qt::Key_Return, Qt::ShiftModifier);
    QVERIFY(f.shown());
    QCOMPARE(f.text("DBLUEdit1"), QStringLiteral("Zweiter"));
    QCOMPARE(f.effortShown(), QStringLiteral("12:00"));
    QCOMPARE(f.dm.Time.state(), Dataset::State::Edit);
    f.cancel();
    QVERIFY(!f.form->isVisible());
}

void TimeListTest::emptyListDoesNothing() {
    ListFixture f;
    QVERIFY(f.startList());
    QCOMPARE(f.dm.Time.recordCount(), 0);
    f.list->BTN_EditTimeClick();
    f.list->BTN_DelTimeClick();
    f.grid()->setFocus();
    QTest::keyClick(f.grid(), Qt::Key_Return);
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.env.dialogs().shown().size(), 0);
    QCOMPARE(f.dm.Time.recordCount(), 0);
}

void TimeListTest::deleteEntry_data() {
    QTest::addColumn<bool>("onTask");
    QTest::addColumn<bool>("yes");
    QTest::newRow("with task") << true << true;
    QTest::newRow("without task") << false << true;
    QTest::newRow("no") << true << false;
}

void TimeListTest::deleteEntry() {
    QFETCH(bool, onTask);
    QFETCH(bool, yes);
    ListFixture f;
    QVERIFY(f.startList());
    f.addEntry(onTask ? f.entwurf : 0, 0.25, QStringLiteral("Weg"));
    f.addEntry(f.entwurf, 0.5, QStringLiteral("Bleibt"));
    f.addEntry(0, 0.125, QStringLiteral("Auch"));
    f.list->showtimes();
    f.reruns = 0;
    f.env.dialogs().scriptAnswers({yes ? Answer::Yes : Answer::No});
    f.grid()->contextMenu()->findChild<QAction*>(QStringLiteral("Zeiterfassunglschen1"))->trigger();

    QCOMPARE(f.env.dialogs().shown().size(), 1);
    QCOMPARE(f.env.dialogs().shown().first().kind, Kind::YesNoQuestion);
    QCOMPARE(f.env.dialogs().shown().first().title, QStringLiteral("Zeiterfassung löschen?"));
    QCOMPARE(f.env.dialogs().shown().first().text,
             QStringLiteral("Soll die ausgewählte Zeiterfassung wirklich gelöscht werden?"));
    if (!yes) {
        QCOMPARE(f.entryCount(), 3);
        QCOMPARE(f.dm.Time.recordCount(), 3);
        QCOMPARE(f.reruns, 0);
        QVERIFY(!f.taskTotal(f.entwurf));
        return;
    }
    QCOMPARE(f.entryCount(), 2);
    QCOMPARE(f.dm.Time.recordCount(), 2);
    QCOMPARE(f.grid()->cellText(0, f.column("Bezeichnung")), QStringLiteral("Bleibt"));
    // Only an entry with a task recomputes that task and re-runs the task list.
    QCOMPARE(f.reruns, onTask ? 1 : 0);
    if (onTask)
        QCOMPARE(*f.taskTotal(f.entwurf), 0.5);
    else
        QVERIFY(!f.taskTotal(f.entwurf));
    QCOMPARE(f.projectTotal(), QStringLiteral("15:00"));
}

// A sum over no entries stores 0: no task total to show, the project total "00:00".
void TimeListTest::deletingTheLastEntries() {
    ListFixture f;
    QVERIFY(f.startList());
    f.addEntry(f.entwurf, 0.25);
    f.addEntry(0, 0.5);
    f.list->showtimes();
    for (int i = 0; i < 2; ++i) {
        f.env.dialogs().scriptAnswers({Answer::Yes});
        f.list->BTN_DelTimeClick();
    }
    QCOMPARE(f.entryCount(), 0);
    QCOMPARE(*f.taskTotal(f.entwurf), 0.0);
    QCOMPARE(f.projectTotal(), QStringLiteral("00:00"));
    QCOMPARE(f.env.dialogs().unexpectedQuestions(), 0);
}

void TimeListTest::addOpensANewEntry() {
    ListFixture f;
    QVERIFY(f.startList());
    f.addEntry(0, 0.5, QStringLiteral("Alt"));
    f.list->showtimes();
    f.grid()
        ->contextMenu()
        ->findChild<QAction*>(QStringLiteral("Zeiterfassunghinzufgen3"))
        ->trigger();
    QVERIFY(f.shown());
    QCOMPARE(f.dm.Time.state(), Dataset::State::Insert);
    f.typeInto("DBLUEdit1", QStringLiteral("Neu"));
    f.typeInto("DatumVon", QStringLiteral("23.06.2009"));
    f.typeInto("DatumBis", QStringLiteral("23.06.2009"));
    f.save();
    QVERIFY(!f.form->isVisible());
    // The new row stands after the rows listed before, without a re-run.
    QCOMPARE(f.dm.Time.recordCount(), 2);
    QCOMPARE(f.grid()->cellText(1, f.column("Bezeichnung")), QStringLiteral("Neu"));
    QCOMPARE(f.grid()->cellText(1, f.column("AufwandBez")), QStringLiteral("00:00"));
}

ORBENTA_TEST_MAIN(TimeListTest)
#include "tst_timelist.moc"
