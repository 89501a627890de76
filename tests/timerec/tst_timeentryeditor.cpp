#include "masterdata/lookupfield.h"
#include "timefixture.h"
#include "timerec/taskchoice.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using Answer = MessageDialogs::Answer;
using Kind = MessageDialogs::Kind;

namespace {

const QString EffortError =
    QStringLiteral("Das Ende des eingegebenen Zeitraums kann nicht vor dem Begin sein!");

int errorsShown() {
    int count = 0;
    for (const auto& shown : MessageDialogs::instance().shown()) {
        if (shown.kind == Kind::Error && shown.title == QStringLiteral("Fehler!") &&
            shown.text == EffortError)
            ++count;
    }
    return count;
}

std::optional<double> storedValue(Dataset& data, const char* column) {
    Field field = data.fieldByName(QLatin1String(column));
    if (field.isNull())
        return std::nullopt;
    return field.asDateTime();
}

bool same(std::optional<double> a, std::optional<double> b) {
    if (!a || !b)
        return !a && !b;
    return qAbs(*a - *b) < 1e-9;
}

} // namespace

class TimeEntryEditorTest : public QObject {
    Q_OBJECT
private slots:
    void newEntryDefaults();
    void effort_data();
    void effort();
    void savingFromADateFieldComputesTheEffort();
    void timeOfDayStoredAndShown();
    void editShowsStoredEffortWithoutRecomputing();
    void periodChecks_data();
    void periodChecks();
    void noToStartQuestionThenCancelStoresNothing();
    void noPeriodLimitsAskNothing();
    void totalsOfOneTask();
    void movingAnEntryFixesBothTotals();
    void removingTheTask();
    void taskDoneSinceKeepsItsTitleAndPeriod();
    void unknownTaskCreatesNoRow();
};

void TimeEntryEditorTest::newEntryDefaults() {
    TimeFixture f;
    QVERIFY(f.start());
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Zeiterfassung"));
    f.form->newEntry();
    QVERIFY(f.shown());
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Zeiterfassung zu Projekt: 'Haus ''Süd'''"));
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    QCOMPARE(f.text("DatumVon"), today);
    QCOMPARE(f.text("DatumBis"), today);
    QCOMPARE(f.get<QTimeEdit>("AdvDateTimePicker1")->text(), QStringLiteral("00:00:00"));
    QCOMPARE(f.get<QTimeEdit>("AdvDateTimePicker2")->text(), QStringLiteral("00:00:00"));
    QCOMPARE(f.effortShown(), QStringLiteral("00:00"));
    QCOMPARE(QApplication::focusWidget(), f.get("DBLUEdit1"));
    // The open tasks of the project are offered, none chosen; the persons not marked deleted.
    auto* tasks = f.get<TaskChoice>("DBLookupComboBox1");
    QCOMPARE(tasks->titles(),
             (QStringList{QStringLiteral("Entwurf"), QStringLiteral("Umsetzung")}));
    QCOMPARE(tasks->currentText(), QString());
    QCOMPARE(f.get<LookupField>("Durchgef")->choices(),
             (QStringList{QStringLiteral("Anna Schmidt"), QStringLiteral("Ben Ott")}));
    QCOMPARE(f.dm.Time.state(), Dataset::State::Insert);
    QVERIFY(f.dm.Time.fieldByName(QStringLiteral("Aufwand")).isNull());

    // Leaving a date field at once computes an effort of nothing.
    f.get("DatumVon")->setFocus(Qt::TabFocusReason);
    f.leave();
    QVERIFY(!f.dm.Time.fieldByName(QStringLiteral("Aufwand")).isNull());
    QCOMPARE(f.dm.Time.fieldByName(QStringLiteral("Aufwand")).asDateTime(), 0.0);

    f.typeInto("DBLUEdit1", QStringLiteral("Besprechung"));
    f.typeInto("Durchgef", QStringLiteral("Ben Ott"));
    f.typeInto("DBAdvMemo1", QStringLiteral("Protokoll"));
    // Today lies after the end of the project.
    f.env.dialogs().scriptAnswers({Answer::Yes});
    f.save();
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.env.dialogs().shown().size(), 1);
    QCOMPARE(f.env.dialogs().shown().first().title, QStringLiteral("Projektfehler!"));
    auto entry = f.lastEntry();
    QCOMPARE(entry->fieldByName(QStringLiteral("PRID")).asInteger(), f.project);
    QCOMPARE(entry->fieldByName(QStringLiteral("Bezeichnung")).asString(),
             QStringLiteral("Besprechung"));
    QCOMPARE(entry->fieldByName(QStringLiteral("Bearbeiter")).asString(),
             QStringLiteral("Ben Ott"));
    QCOMPARE(entry->fieldByName(QStringLiteral("Beschreibung")).asString(),
             QStringLiteral("Protokoll"));
    QVERIFY(entry->fieldByName(QStringLiteral("AID")).isNull());
    QVERIFY(entry->fieldByName(QStringLiteral("ABezeichnung")).isNull());
    QCOMPARE(DateTimeValue::toDate(entry->fieldByName(QStringLiteral("VonDatum")).asDateTime()),
             QDate::currentDate());
    // The list's own dataset shows the row without a re-run.
    QCOMPARE(f.dm.Time.recordCount(), 1);
    QCOMPARE(f.projectTotal(), QStringLiteral("00:00"));
}

// The period typed in, end before start (so that typing the hours passes through no negative
// period with an end time), then the field left.
void TimeEntryEditorTest::effort_data() {
    QTest::addColumn<QString>("vonDate");
    QTest::addColumn<QString>("vonTime");
    QTest::addColumn<QString>("bisDate");
    QTest::addColumn<QString>("bisTime");
    QTest::addColumn<double>("effort"); // NaN: left empty
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("error");

    const double none = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("one day") << "23.06.2009"
                             << "090000"
                             << "23.06.2009"
                             << "173000" << 0.3541666666666667 << "08:30" << false;
    QTest::newRow("past midnight") << "23.06.2009"
                                   << "220000"
                                   << "24.06.2009"
                                   << "013000" << 0.1458333333333333 << "03:30" << false;
    QTest::newRow("several days") << "22.06.2009"
                                  << "080000"
                                  << "24.06.2009"
                                  << "110000" << 2.125 << "51:00" << false;
    QTest::newRow("end before start") << "23.06.2009"
                                      << "090000"
                                      << "23.06.2009"
                                      << "080000" << 0.0 << "00:00" << true;
    QTest::newRow("end time midnight") << "23.06.2009"
                                       << "090000"
                                       << "23.06.2009"
                                       << "000000" << -0.375 << "09:00" << false;
    QTest::newRow("one date only") << "23.06.2009"
                                   << "090000"
                                   << ""
                                   << "173000" << none << "00:00" << false;
}

void TimeEntryEditorTest::effort() {
    QFETCH(QString, vonDate);
    QFETCH(QString, vonTime);
    QFETCH(QString, bisDate);
    QFETCH(QString, bisTime);
    QFETCH(double, effort);
    QFETCH(QString, shown);
    QFETCH(bool, error);

    TimeFixture f;
    QVERIFY(f.start());
    f.form->newEntry();
    QVERIFY(f.shown());
    f.typeInto("DatumBis", bisDate);
    f.typeInto("DatumVon", vonDate);
    f.typeTime("AdvDateTimePicker2", bisTime);
    f.typeTime("AdvDateTimePicker1", vonTime);
    f.leave();
    QCOMPARE(f.effortShown(), shown);
    if (error)
        QVERIFY(errorsShown() >= 1);
    QCOMPARE(f.env.dialogs().shown().size(), errorsShown());
    QCOMPARE(errorsShown() > 0, error);

    f.save();
    QVERIFY(!f.form->isVisible());
    auto entry = f.lastEntry();
    QVERIFY(same(storedValue(*entry, "Aufwand"),
                 effort == effort ? std::optional<double>(effort) : std::nullopt));
}

// Ctrl+S with the focus still in a changed date field: the stored effort belongs to the period
// stored, not to the one before the last change.
void TimeEntryEditorTest::savingFromADateFieldComputesTheEffort() {
    TimeFixture f;
    QVERIFY(f.start());
    f.form->newEntry();
    QVERIFY(f.shown());
    f.typeInto("DatumVon", QStringLiteral("23.06.2009"));
    f.typeInto("DatumBis", QStringLiteral("24.06.2009"));
    f.save();
    QVERIFY(!f.form->isVisible());
    QVERIFY(same(storedValue(*f.lastEntry(), "Aufwand"), 1.0));
    QCOMPARE(f.projectTotal(), QStringLiteral("24:00"));
}

void TimeEntryEditorTest::timeOfDayStoredAndShown() {
    TimeFixture f;
    QVERIFY(f.start());
    f.form->newEntry();
    QVERIFY(f.shown());
    f.typeInto("DatumVon", QStringLiteral("23.06.2009"));
    f.typeInto("DatumBis", QStringLiteral("24.06.2009"));
    f.typeTime("AdvDateTimePicker1", QStringLiteral("000001"));
    f.leave();
    f.save();
    QVERIFY(!f.form->isVisible());
    auto entry = f.lastEntry();
    QVERIFY(same(storedValue(*entry, "VonUhrzeit"), 1.0 / 86400));
    QVERIFY(!storedValue(*entry, "BisUhrzeit"));
    QVERIFY(same(storedValue(*entry, "Aufwand"), 1.0 - 1.0 / 86400));

    // Reopened: the empty time shows as midnight, the stored one to the second.
    f.loadTimes();
    f.form->editEntry();
    QVERIFY(f.shown());
    QCOMPARE(f.get<QTimeEdit>("AdvDateTimePicker1")->text(), QStringLiteral("00:00:01"));
    QCOMPARE(f.get<QTimeEdit>("AdvDateTimePicker2")->text(), QStringLiteral("00:00:00"));
    QCOMPARE(f.text("DatumVon"), QStringLiteral("23.06.2009"));
    QCOMPARE(f.effortShown(), QStringLiteral("23:59"));
    f.cancel();
    QVERIFY(!f.form->isVisible());
}

void TimeEntryEditorTest::editShowsStoredEffortWithoutRecomputing() {
    TimeFixture f;
    QVERIFY(f.start());
    // The stored effort does not match the period: opening must not change it.
    const int id = f.addEntry(f.entwurf, 0.5);
    f.loadTimes();
    f.form->editEntry();
    QVERIFY(f.shown());
    QCOMPARE(QApplication::focusWidget(), f.get("DBLUEdit1"));
    QCOMPARE(f.effortShown(), QStringLiteral("12:00"));
    QCOMPARE(f.get<QComboBox>("DBLookupComboBox1")->currentText(), QStringLiteral("Entwurf"));
    QCOMPARE(f.text("DatumBis"), QStringLiteral("23.06.2009"));
    f.typeInto("DBLUEdit1", QStringLiteral("Umbenannt"));
    f.save();
    QVERIFY(!f.form->isVisible());
    auto entry = f.entry(id);
    QVERIFY(same(storedValue(*entry, "Aufwand"), 0.5));
    QCOMPARE(entry->fieldByName(QStringLiteral("Bezeichnung")).asString(),
             QStringLiteral("Umbenannt"));
    QCOMPARE(entry->fieldByName(QStringLiteral("ABezeichnung")).asString(),
             QStringLiteral("Entwurf"));
    QVERIFY(same(f.taskTotal(f.entwurf), 0.5));
    QCOMPARE(f.projectTotal(), QStringLiteral("12:00"));
}

void TimeEntryEditorTest::periodChecks_data() {
    QTest::addColumn<bool>("onTask"); // the task Entwurf, 22.06. to 24.06.; else the project
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("bis");
    QTest::addColumn<QString>("question"); // first line; empty: none
    QTest::addColumn<bool>("yes");

    const QString taskStart =
        QStringLiteral("Die Anfangszeit der Zeiterfassung liegt vor dem Beginn der Aufgabe.");
    const QString taskEnd =
        QStringLiteral("Das Ende der Zeiterfassung liegt nach dem Ende der Aufgabe.");
    const QString projectStart = QStringLiteral(
        "Die Anfangszeit der Zeiterfassung liegt vor dem Startdatums des Projektes.");
    const QString projectEnd =
        QStringLiteral("Das Ende der Zeiterfassung liegt nach dem Projektende.");

    QTest::newRow("task limits equal") << true << "22.06.2009"
                                       << "24.06.2009"
                                       << "" << true;
    QTest::newRow("task start before, no") << true << "21.06.2009"
                                           << "23.06.2009" << taskStart << false;
    QTest::newRow("task start before, yes") << true << "21.06.2009"
                                            << "23.06.2009" << taskStart << true;
    QTest::newRow("task end after, no") << true << "23.06.2009"
                                        << "25.06.2009" << taskEnd << false;
    QTest::newRow("task end after, yes") << true << "23.06.2009"
                                         << "25.06.2009" << taskEnd << true;
    QTest::newRow("project limits equal") << false << "01.06.2009"
                                          << "30.06.2009"
                                          << "" << true;
    QTest::newRow("project start before, no") << false << "31.05.2009"
                                              << "02.06.2009" << projectStart << false;
    QTest::newRow("project end after, no") << false << "29.06.2009"
                                           << "01.07.2009" << projectEnd << false;
    QTest::newRow("project end after, yes") << false << "29.06.2009"
                                            << "01.07.2009" << projectEnd << true;
    QTest::newRow("no end date") << true << "23.06.2009"
                                 << ""
                                 << "" << true;
}

void TimeEntryEditorTest::periodChecks() {
    QFETCH(bool, onTask);
    QFETCH(QString, von);
    QFETCH(QString, bis);
    QFETCH(QString, question);
    QFETCH(bool, yes);

    TimeFixture f;
    QVERIFY(f.start());
    f.form->newEntry();
    QVERIFY(f.shown());
    if (onTask) {
        auto* tasks = f.get<QComboBox>("DBLookupComboBox1");
        tasks->setFocus(Qt::TabFocusReason);
        QTest::keyClick(tasks, Qt::Key_Down); // the first task, Entwurf
        QCOMPARE(tasks->currentText(), QStringLiteral("Entwurf"));
    }
    f.typeInto("DatumVon", von);
    f.typeInto("DatumBis", bis);
    f.typeInto("DBLUEdit1", QStringLiteral("Kontrolle"));
    f.env.dialogs().clearShown();
    if (!question.isEmpty())
        f.env.dialogs().scriptAnswers({yes ? Answer::Yes : Answer::No});
    const int before = f.entryCount();
    f.save();

    const auto& shown = f.env.dialogs().shown();
    if (question.isEmpty()) {
        QCOMPARE(shown.size(), 0);
    } else {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Kind::YesNoQuestion);
        QCOMPARE(shown.first().title, QStringLiteral("Projektfehler!"));
        QCOMPARE(shown.first().text,
                 question + QStringLiteral("\nSoll die Zeit trotzdem übernommen werden?"));
    }
    if (yes) {
        QVERIFY(!f.form->isVisible());
        QCOMPARE(f.entryCount(), before + 1);
        auto entry = f.lastEntry();
        QCOMPARE(entry->fieldByName(QStringLiteral("ABezeichnung")).asString(),
                 onTask ? QStringLiteral("Entwurf") : QString());
        QCOMPARE(entry->fieldByName(QStringLiteral("AID")).asInteger(), onTask ? f.entwurf : 0);
    } else {
        // The dialog stays, nothing is stored, the date asked about has the focus.
        QVERIFY(f.form->isVisible());
        QCOMPARE(f.entryCount(), before);
        const bool startAsked = question.contains(QStringLiteral("Anfangszeit"));
        QCOMPARE(QApplication::focusWidget(), f.get(startAsked ? "DatumVon" : "DatumBis"));
        QCOMPARE(f.dm.Time.state(), Dataset::State::Insert);
    }
}

void TimeEntryEditorTest::noToStartQuestionThenCancelStoresNothing() {
    TimeFixture f;
    QVERIFY(f.start());
    f.form->newEntry();
    QVERIFY(f.shown());
    f.typeInto("DatumVon", QStringLiteral("1.1.2009"));
    f.env.dialogs().scriptAnswers({Answer::No});
    f.save();
    QVERIFY(f.form->isVisible());
    f.cancel();
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.entryCount(), 0);
    QCOMPARE(f.dm.Time.recordCount(), 0);
    QCOMPARE(f.dm.Time.state(), Dataset::State::Browse);
    QVERIFY(f.mainWindow.isEnabled());
}

// A project without a period, and a task without one: nothing to check against.
void TimeEntryEditorTest::noPeriodLimitsAskNothing() {
    TimeFixture f;
    QVERIFY(f.start(false));
    for (const bool onTask : {false, true}) {
        f.form->newEntry();
        QVERIFY(f.shown());
        if (onTask) {
            auto* tasks = f.get<QComboBox>("DBLookupComboBox1");
            tasks->setFocus(Qt::TabFocusReason);
            QTest::keyClick(tasks, Qt::Key_Down);
            QTest::keyClick(tasks, Qt::Key_Down);
            QCOMPARE(tasks->currentText(), QStringLiteral("Umsetzung"));
        }
        f.typeInto("DatumVon", QStringLiteral("01.01.1990"));
        f.typeInto("DatumBis", QStringLiteral("31.12.2030"));
        f.save();
        QVERIFY(!f.form->isVisible());
    }
    QCOMPARE(f.env.dialogs().shown().size(), 0);
    QCOMPARE(f.entryCount(), 2);
}

// Entries on one task, through the editor: each save brings both totals up to date.
void TimeEntryEditorTest::totalsOfOneTask() {
    TimeFixture f;
    QVERIFY(f.start());
    const struct {
        const char* from;
        const char* to;
    } periods[] = {{"090000", "180000"}, {"080000", "200000"}, {"030000", "000000"}};
    for (const auto& period : periods) {
        f.form->newEntry();
        QVERIFY(f.shown());
        auto* tasks = f.get<QComboBox>("DBLookupComboBox1");
        tasks->setFocus(Qt::TabFocusReason);
        QTest::keyClick(tasks, Qt::Key_Down);
        f.typeInto("DatumVon", QStringLiteral("23.06.2009"));
        f.typeInto("DatumBis", QStringLiteral("23.06.2009"));
        f.typeTime("AdvDateTimePicker2", QLatin1String(period.to));
        f.typeTime("AdvDateTimePicker1", QLatin1String(period.from));
        f.leave();
        f.save();
        QVERIFY(!f.form->isVisible());
    }
    QVERIFY(same(f.taskTotal(f.entwurf), 0.75));
    QCOMPARE(f.projectTotal(), QStringLiteral("18:00"));

    // An entry with an empty effort adds nothing.
    f.form->newEntry();
    QVERIFY(f.shown());
    auto* tasks = f.get<QComboBox>("DBLookupComboBox1");
    tasks->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tasks, Qt::Key_Down);
    f.typeInto("DatumBis", QString());
    f.save();
    QVERIFY(!f.form->isVisible());
    QVERIFY(!storedValue(*f.lastEntry(), "Aufwand"));
    QVERIFY(same(f.taskTotal(f.entwurf), 0.75));
    QCOMPARE(f.projectTotal(), QStringLiteral("18:00"));
    QCOMPARE(f.env.dialogs().shown().size(), 0);
    // The task choice is back on the open tasks of the project.
    QCOMPARE(f.dm.Aufgaben.recordCount(), 2);
}

void TimeEntryEditorTest::movingAnEntryFixesBothTotals() {
    TimeFixture f;
    QVERIFY(f.start());
    f.addEntry(f.entwurf, 0.25);
    f.addEntry(f.entwurf, 0.5);
    f.addEntry(f.umsetzung, 0.125);
    f.loadTimes();
    f.dm.Time.first(); // the first entry, 0.25 on Entwurf
    f.form->editEntry();
    QVERIFY(f.shown());
    auto* tasks = f.get<QComboBox>("DBLookupComboBox1");
    tasks->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tasks, Qt::Key_Down);
    QCOMPARE(tasks->currentText(), QStringLiteral("Umsetzung"));
    f.save();
    QVERIFY(!f.form->isVisible());
    QVERIFY(same(f.taskTotal(f.entwurf), 0.5));
    QVERIFY(same(f.taskTotal(f.umsetzung), 0.375));
    QCOMPARE(f.projectTotal(), QStringLiteral("21:00"));
    QCOMPARE(f.lastEntry()->recordCount(), 3);
}

void TimeEntryEditorTest::removingTheTask() {
    TimeFixture f;
    QVERIFY(f.start());
    const int id = f.addEntry(f.entwurf, 0.25);
    f.loadTimes();
    f.form->editEntry();
    QVERIFY(f.shown());
    QTest::mouseClick(f.get<QToolButton>("AdvGlowButton3"), Qt::LeftButton);
    QCOMPARE(f.get<QComboBox>("DBLookupComboBox1")->currentText(), QString());
    QCOMPARE(f.form->removedTask(), f.entwurf);
    f.save();
    QVERIFY(!f.form->isVisible());
    auto entry = f.entry(id);
    QVERIFY(entry->fieldByName(QStringLiteral("AID")).isNull());
    QVERIFY(entry->fieldByName(QStringLiteral("ABezeichnung")).isNull());
    // The task has no entry left: its total is 0, which the task list shows as nothing.
    QVERIFY(same(f.taskTotal(f.entwurf), 0.0));
    QCOMPARE(f.projectTotal(), QStringLiteral("06:00"));

    // Reopened, the removed task number is forgotten.
    f.form->editEntry();
    QVERIFY(f.shown());
    QCOMPARE(f.form->removedTask(), 0);
    f.cancel();
}

void TimeEntryEditorTest::taskDoneSinceKeepsItsTitleAndPeriod() {
    TimeFixture f;
    QVERIFY(f.start());
    const int id = f.addEntry(f.abnahme, 0.25, QStringLiteral("Abnahmetermin"));
    f.loadTimes();
    f.form->editEntry();
    QVERIFY(f.shown());
    // Not among the choices; the entry still carries it.
    QCOMPARE(f.get<QComboBox>("DBLookupComboBox1")->currentText(), QString());
    // 23.06. lies after the end of the done task (10.06.), not of the project.
    f.env.dialogs().scriptAnswers({Answer::Yes});
    f.save();
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.env.dialogs().shown().size(), 1);
    QCOMPARE(f.env.dialogs().shown().first().text,
             QStringLiteral("Das Ende der Zeiterfassung liegt nach dem Ende der Aufgabe.\nSoll "
                            "die Zeit trotzdem übernommen werden?"));
    auto entry = f.entry(id);
    QCOMPARE(entry->fieldByName(QStringLiteral("AID")).asInteger(), f.abnahme);
    QCOMPARE(entry->fieldByName(QStringLiteral("ABezeichnung")).asString(),
             QStringLiteral("Abnahme"));
    QVERIFY(same(f.taskTotal(f.abnahme), 0.25));
}

void TimeEntryEditorTest::unknownTaskCreatesNoRow() {
    TimeFixture f;
    QVERIFY(f.start());
    const int tasksBefore = f.stored(QStringLiteral("Select * From Aufgaben"))->recordCount();
    const int id = f.addEntry(9999, 0.5);
    f.loadTimes();
    f.form->editEntry();
    QVERIFY(f.shown());
    f.save();
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.env.dialogs().shown().size(), 0);
    QCOMPARE(f.stored(QStringLiteral("Select * From Aufgaben"))->recordCount(), tasksBefore);
    QCOMPARE(f.entry(id)->fieldByName(QStringLiteral("AID")).asInteger(), 9999);
    QCOMPARE(f.projectTotal(), QStringLiteral("12:00"));
}

ORBENTA_TEST_MAIN(TimeEntryEditorTest)
#include "tst_timeentryeditor.moc"
