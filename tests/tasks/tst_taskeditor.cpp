#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "masterdata/lookupfield.h"
#include "tasks/taskeditor.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextLayout>

using Answer = MessageDialogs::Answer;

namespace {

double day(int y, int m, int d) {
    return DateTimeValue::fromDate(QDate(y, m, d));
}

// The editor over a shown main window, on a fresh database holding one project from 01.03.2009
// to 31.12.2009 and its task list open.
struct Editor {
    TestEnvironment env;
    Tdm dm{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    QWidget mainWindow;
    std::unique_ptr<TForm5> form;
    int project = 0;

    bool start(const QString& title = QStringLiteral("Webseite"), bool withPeriod = true) {
        env.connectDataModule(dm);
        dm.Prioquery.open();
        dm.Verantw.open();
        Dataset& p = dm.Projekte;
        p.setSql(QStringLiteral("Select * from Projects"));
        p.open();
        p.append();
        p.fieldByName(QStringLiteral("Bezeichnung")).setAsString(title);
        if (withPeriod) {
            p.fieldByName(QStringLiteral("Von")).setAsDateTime(day(2009, 3, 1));
            p.fieldByName(QStringLiteral("Bis")).setAsDateTime(day(2009, 12, 31));
        }
        p.post();
        project = p.fieldByName(QStringLiteral("Nr")).asInteger();
        openTasks();
        mainWindow.resize(1000, 700);
        mainWindow.show();
        env.dialogs().setMainWindow(&mainWindow);
        form = std::make_unique<TForm5>(dm, &mainWindow);
        return QTest::qWaitForWindowActive(&mainWindow);
    }
    void openTasks() {
        dm.Aufgaben.close();
        dm.Aufgaben.setSql(QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                           QString::number(project));
        dm.Aufgaben.open();
    }
    TaskProject taskProject() { return TaskProject::fromCurrentRow(dm.Projekte); }
    // A task with all four dates, 30 percent and a remark.
    void addTask() {
        Dataset& a = dm.Aufgaben;
        a.append();
        a.fieldByName(QStringLiteral("AProjectnr")).setAsInteger(project);
        a.fieldByName(QStringLiteral("ABezeichnung")).setAsString(QStringLiteral("Entwurf"));
        a.fieldByName(QStringLiteral("AVon")).setAsDateTime(day(2009, 3, 2));
        a.fieldByName(QStringLiteral("ABis")).setAsDateTime(day(2009, 3, 20));
        a.fieldByName(QStringLiteral("AWV")).setAsDateTime(day(2009, 3, 10));
        a.fieldByName(QStringLiteral("AErledigt")).setAsDateTime(day(2009, 3, 19));
        a.fieldByName(QStringLiteral("AErledigtP")).setAsInteger(30);
        a.fieldByName(QStringLiteral("ABeschreibung")).setAsString(QStringLiteral("Skizzen"));
        a.post();
    }
    bool shown() {
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); });
    }

    template <typename W = QWidget> W* get(const char* name) {
        return form->findChild<W*>(QLatin1String(name));
    }
    QString text(const char* name) { return get<QLineEdit>(name)->text(); }
    void typeInto(const char* name, const QString& text) {
        QWidget* field = get(name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }
    void save() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier); }

    // The stored tasks, read afresh from the file.
    std::unique_ptr<Dataset> stored() {
        auto check = std::make_unique<Dataset>(dm.ADOConnection1, QStringLiteral("check"));
        check->setSql(QStringLiteral("Select * From Aufgaben"));
        check->open();
        return check;
    }
};

// A row stored through another dataset, as another session would.
void addRowElsewhere(Tdm& dm, const QString& table, const QString& column, const QString& text) {
    Dataset other(dm.ADOConnection1, QStringLiteral("other"));
    other.setSql(QStringLiteral("Select * From ") + table);
    other.open();
    other.append();
    other.fieldByName(column).setAsString(text);
    other.post();
}

QDate storedDate(Dataset& data, const char* column) {
    Field field = data.fieldByName(QLatin1String(column));
    return field.isNull() ? QDate() : DateTimeValue::toDate(field.asDateTime());
}

} // namespace

class TaskEditorTest : public QObject {
    Q_OBJECT
private slots:
    void newTaskDefaults();
    void captionDoublesQuotes();
    void editFillsFields();
    void periodChecks_data();
    void periodChecks();
    void projectWithoutPeriodAsksNothing();
    void emptyDatesStoreEmpty();
    void unreadableDateKeepsEditorOpen();
    void keys_data();
    void keys();
    void cancelKeepsStoredValues();
    void percentage();
    void choices();
    void longDelegateFitsColumn();
    void editWithoutRowDoesNothing();
    void remarksLook();
    void tabOrder();
};

void TaskEditorTest::newTaskDefaults() {
    Editor e;
    QVERIFY(e.start());
    QSignalSpy saved(e.form.get(), &TForm5::saved);

    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    QCOMPARE(e.form->windowTitle(), QStringLiteral("Aufgabe zu Projekt: 'Webseite'"));
    QCOMPARE(e.form->size(), QSize(729, 511));
    QCOMPARE(e.text("AVon"), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    QCOMPARE(e.text("ABis"), QString());
    QCOMPARE(e.text("AWV"), QString());
    QCOMPARE(e.text("AErledigt"), QString());
    QCOMPARE(e.get<QSpinBox>("AerledigtP")->value(), 0);
    QCOMPARE(e.get<QProgressBar>("AdvProgressBar1")->value(), 0);
    QCOMPARE(QApplication::focusWidget(), e.get("ABezeichnung"));
    QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Insert);

    e.typeInto("ABezeichnung", QStringLiteral("Texte schreiben"));
    e.typeInto("AVermerk", QStringLiteral("dringend"));
    e.typeInto("ABeschreibung", QStringLiteral("Startseite"));
    QTest::keyClick(e.get("ABeschreibung"), Qt::Key_Return);
    QTest::keyClicks(e.get("ABeschreibung"), QStringLiteral("Impressum"));
    e.save();

    QVERIFY(!e.form->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), &e.mainWindow);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toBool(), false);
    auto tasks = e.stored();
    QCOMPARE(tasks->recordCount(), 1);
    QCOMPARE(tasks->fieldByName(QStringLiteral("AProjectnr")).asInteger(), e.project);
    QCOMPARE(tasks->fieldByName(QStringLiteral("ABezeichnung")).asString(),
             QStringLiteral("Texte schreiben"));
    QCOMPARE(tasks->fieldByName(QStringLiteral("AVermerk")).asString(), QStringLiteral("dringend"));
    QCOMPARE(tasks->fieldByName(QStringLiteral("ABeschreibung")).asString(),
             QStringLiteral("Startseite\nImpressum"));
    QCOMPARE(storedDate(*tasks, "AVon"), QDate::currentDate());
    QCOMPARE(tasks->fieldByName(QStringLiteral("AVon")).asDateTime(),
             std::floor(tasks->fieldByName(QStringLiteral("AVon")).asDateTime()));
    for (const char* empty : {"ABis", "AWV", "AErledigt", "AGesamtZeit", "APrio", "ADelegiertID"})
        QVERIFY2(tasks->fieldByName(QLatin1String(empty)).isNull(), empty);
    QCOMPARE(tasks->fieldByName(QStringLiteral("AErledigtP")).asInteger(), 0);
    // The list's own dataset shows the row without a re-run.
    QCOMPARE(e.dm.Aufgaben.recordCount(), 1);
    QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Browse);
    QCOMPARE(e.env.dialogs().shown().size(), 0);
}

void TaskEditorTest::captionDoublesQuotes() {
    Editor e;
    QVERIFY(e.start(QStringLiteral("Müller's Laden")));
    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    QCOMPARE(e.form->windowTitle(), QStringLiteral("Aufgabe zu Projekt: 'Müller''s Laden'"));
}

void TaskEditorTest::editFillsFields() {
    Editor e;
    QVERIFY(e.start());
    e.addTask();
    e.form->editTask(e.taskProject());
    QVERIFY(e.shown());
    QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Edit);
    QCOMPARE(e.text("ABezeichnung"), QStringLiteral("Entwurf"));
    QCOMPARE(e.text("AVon"), QStringLiteral("02.03.2009"));
    QCOMPARE(e.text("ABis"), QStringLiteral("20.03.2009"));
    QCOMPARE(e.text("AWV"), QStringLiteral("10.03.2009"));
    QCOMPARE(e.text("AErledigt"), QStringLiteral("19.03.2009"));
    QCOMPARE(e.get<QSpinBox>("AerledigtP")->value(), 30);
    QCOMPARE(e.get<QProgressBar>("AdvProgressBar1")->value(), 30);
    QCOMPARE(e.get<QPlainTextEdit>("ABeschreibung")->toPlainText(), QStringLiteral("Skizzen"));
    QCOMPARE(QApplication::focusWidget(), e.get("ABezeichnung"));
}

void TaskEditorTest::periodChecks_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QStringList>("questions"); // first lines of the questions, in order
    QTest::addColumn<QString>("focus");         // the field that keeps the editor; empty: saved

    const QString early = QStringLiteral("Die Anfangszeit der Aufgabe liegt vor des Startdatums "
                                         "des Projektes.");
    const QString late = QStringLiteral("Das Ende der Aufgabe liegt nach dem Projektende.");
    QTest::newRow("first and last day")
        << "01.03.2009"
        << "31.12.2009" << QList<Answer>() << QStringList() << QString();
    QTest::newRow("start a day early, Yes")
        << "28.02.2009"
        << "" << QList<Answer>{Answer::Yes} << QStringList{early} << QString();
    QTest::newRow("start a day early, No")
        << "28.02.2009"
        << "" << QList<Answer>{Answer::No} << QStringList{early} << QStringLiteral("AVon");
    QTest::newRow("end a day late, No")
        << "01.03.2009"
        << "01.01.2010" << QList<Answer>{Answer::No} << QStringList{late} << QStringLiteral("ABis");
    QTest::newRow("both outside, Yes twice")
        << "28.02.2009"
        << "01.01.2010" << QList<Answer>{Answer::Yes, Answer::Yes} << QStringList{early, late}
        << QString();
    QTest::newRow("start early Yes, end late No")
        << "28.02.2009"
        << "01.01.2010" << QList<Answer>{Answer::Yes, Answer::No} << QStringList{early, late}
        << QStringLiteral("ABis");
}

void TaskEditorTest::periodChecks() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, questions);
    QFETCH(QString, focus);

    Editor e;
    QVERIFY(e.start());
    QSignalSpy closed(e.form.get(), &TForm5::closed);
    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    e.typeInto("ABezeichnung", QStringLiteral("Grenzfall"));
    e.typeInto("AVon", from);
    e.typeInto("ABis", to);
    e.get("AVermerk")->setFocus();
    e.env.dialogs().scriptAnswers(answers);
    e.save();

    const auto& shown = e.env.dialogs().shown();
    QCOMPARE(shown.size(), questions.size());
    for (int i = 0; i < questions.size(); ++i) {
        QCOMPARE(shown.at(i).kind, MessageDialogs::Kind::YesNoQuestion);
        QCOMPARE(shown.at(i).title, QStringLiteral("Projektfehler!"));
        QCOMPARE(shown.at(i).text,
                 questions.at(i) + QStringLiteral("\nSoll die Zeit trotzdem übernommen werden?"));
    }
    QCOMPARE(e.env.dialogs().pendingAnswers(), 0);

    if (!focus.isEmpty()) {
        QVERIFY(e.form->isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(QApplication::focusWidget(), e.get(focus.toLatin1().constData()));
        QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Insert);
        QCOMPARE(e.stored()->recordCount(), 0);
        QCOMPARE(e.text(focus.toLatin1().constData()), focus == "AVon" ? from : to);
        return;
    }
    QVERIFY(!e.form->isVisible());
    auto tasks = e.stored();
    QCOMPARE(tasks->recordCount(), 1);
    QCOMPARE(storedDate(*tasks, "AVon"), QDate::fromString(from, QStringLiteral("dd.MM.yyyy")));
    QCOMPARE(storedDate(*tasks, "ABis"), QDate::fromString(to, QStringLiteral("dd.MM.yyyy")));
}

// A project without a period sets no limits; the dates are not compared with 30.12.1899.
void TaskEditorTest::projectWithoutPeriodAsksNothing() {
    Editor e;
    QVERIFY(e.start(QStringLiteral("Offen"), false));
    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    e.typeInto("AVon", QStringLiteral("01.01.1990"));
    e.typeInto("ABis", QStringLiteral("31.12.2030"));
    e.save();
    QCOMPARE(e.env.dialogs().shown().size(), 0);
    QVERIFY(!e.form->isVisible());
    auto tasks = e.stored();
    QCOMPARE(storedDate(*tasks, "AVon"), QDate(1990, 1, 1));
    QCOMPARE(storedDate(*tasks, "ABis"), QDate(2030, 12, 31));
}

void TaskEditorTest::emptyDatesStoreEmpty() {
    Editor e;
    QVERIFY(e.start());
    e.addTask();
    e.form->editTask(e.taskProject());
    QVERIFY(e.shown());
    for (const char* field : {"AVon", "ABis", "AWV", "AErledigt"})
        e.typeInto(field, QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    e.save();

    QCOMPARE(e.env.dialogs().shown().size(), 0);
    QVERIFY(!e.form->isVisible());
    auto tasks = e.stored();
    for (const char* column : {"AVon", "ABis", "AWV", "AErledigt"})
        QVERIFY2(tasks->fieldByName(QLatin1String(column)).isNull(), column);
    QCOMPARE(tasks->fieldByName(QStringLiteral("AErledigtP")).asInteger(), 30);
}

// Saved from the field itself, the leaving rule has not run: the save stops at that date.
void TaskEditorTest::unreadableDateKeepsEditorOpen() {
    Editor e;
    QVERIFY(e.start());
    QSignalSpy closed(e.form.get(), &TForm5::closed);
    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    e.typeInto("ABezeichnung", QStringLiteral("Termin"));
    e.typeInto("AWV", QStringLiteral("31.02.2009"));
    e.save();

    const auto& shown = e.env.dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().kind, MessageDialogs::Kind::Message);
    QCOMPARE(shown.first().text, QStringLiteral("'31.02.2009' ist kein gültiges Datum"));
    QVERIFY(e.form->isVisible());
    QCOMPARE(closed.count(), 0);
    QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Insert);
    QCOMPARE(e.stored()->recordCount(), 0);

    e.typeInto("AWV", QStringLiteral("28.02.2009"));
    e.save();
    QVERIFY(!e.form->isVisible());
    QCOMPARE(storedDate(*e.stored(), "AWV"), QDate(2009, 2, 28));
}

void TaskEditorTest::keys_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("stores");

    QTest::newRow("memo Ctrl+S, new") << "ABeschreibung" << int(Qt::Key_S) << false << true;
    QTest::newRow("memo Ctrl+B, new") << "ABeschreibung" << int(Qt::Key_B) << false << false;
    QTest::newRow("memo Ctrl+S, existing") << "ABeschreibung" << int(Qt::Key_S) << true << true;
    QTest::newRow("memo Ctrl+B, existing") << "ABeschreibung" << int(Qt::Key_B) << true << false;
    QTest::newRow("spinner Ctrl+S") << "AerledigtP" << int(Qt::Key_S) << false << true;
    QTest::newRow("lookup Ctrl+B") << "APrio" << int(Qt::Key_B) << true << false;
    QTest::newRow("date Ctrl+S") << "AErledigt" << int(Qt::Key_S) << true << true;
}

void TaskEditorTest::keys() {
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(bool, existing);
    QFETCH(bool, stores);

    Editor e;
    QVERIFY(e.start());
    if (existing) {
        e.addTask();
        e.form->editTask(e.taskProject());
    } else {
        e.form->newTask(e.taskProject());
    }
    QVERIFY(e.shown());
    e.typeInto("ABezeichnung", QStringLiteral("Neuer Titel"));
    e.typeInto("ABeschreibung", QStringLiteral("Zeile eins"));
    QTest::keyClick(e.get("ABeschreibung"), Qt::Key_Return);
    QTest::keyClick(e.get("ABeschreibung"), Qt::Key_Tab); // the memo takes tabs as text
    QTest::keyClicks(e.get("ABeschreibung"), QStringLiteral("zwei"));
    QWidget* target = e.get(field.toLatin1().constData());
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);

    QVERIFY(!e.form->isVisible());
    QCOMPARE(e.env.dialogs().shown().size(), 0);
    QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Browse);
    auto tasks = e.stored();
    QCOMPARE(tasks->recordCount(), existing || stores ? 1 : 0);
    QCOMPARE(e.dm.Aufgaben.recordCount(), existing || stores ? 1 : 0);
    if (tasks->recordCount() == 0)
        return;
    QCOMPARE(tasks->fieldByName(QStringLiteral("ABezeichnung")).asString(),
             stores ? QStringLiteral("Neuer Titel") : QStringLiteral("Entwurf"));
    QCOMPARE(tasks->fieldByName(QStringLiteral("ABeschreibung")).asString(),
             stores ? QStringLiteral("Zeile eins\n\tzwei") : QStringLiteral("Skizzen"));
}

// Cancel on an existing task: every field as stored, also those written by the save's first
// steps before a No stopped it.
void TaskEditorTest::cancelKeepsStoredValues() {
    Editor e;
    QVERIFY(e.start());
    e.addTask();
    e.form->editTask(e.taskProject());
    QVERIFY(e.shown());
    e.typeInto("AVon", QStringLiteral("05.03.2009"));
    e.typeInto("ABis", QStringLiteral("01.01.2010"));
    e.typeInto("AerledigtP", QStringLiteral("90"));
    e.env.dialogs().scriptAnswers({Answer::No});
    e.save();
    QVERIFY(e.form->isVisible());
    QTest::mouseClick(e.get<QPushButton>("AdvGlowButton1"), Qt::LeftButton);

    QVERIFY(!e.form->isVisible());
    QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Browse);
    for (Dataset* tasks : {e.stored().release(), &e.dm.Aufgaben}) {
        QCOMPARE(storedDate(*tasks, "AVon"), QDate(2009, 3, 2));
        QCOMPARE(storedDate(*tasks, "ABis"), QDate(2009, 3, 20));
        QCOMPARE(tasks->fieldByName(QStringLiteral("AErledigtP")).asInteger(), 30);
        if (tasks != &e.dm.Aufgaben)
            delete tasks;
    }
}

void TaskEditorTest::percentage() {
    Editor e;
    QVERIFY(e.start());
    e.addTask();
    QSignalSpy saved(e.form.get(), &TForm5::saved);

    // Opening sets the value; that is no change by the user.
    e.form->editTask(e.taskProject());
    QVERIFY(e.shown());
    e.typeInto("ABezeichnung", QStringLiteral("Entwurf 2"));
    e.save();
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.last().first().toBool(), false);

    e.form->editTask(e.taskProject());
    QVERIFY(e.shown());
    e.typeInto("AErledigt", QString());
    e.typeInto("AerledigtP", QStringLiteral("100"));
    QCOMPARE(e.get<QProgressBar>("AdvProgressBar1")->value(), 100);
    QCOMPARE(e.text("AErledigt"), QString());
    e.save();
    QCOMPARE(saved.count(), 2);
    QCOMPARE(saved.last().first().toBool(), true);
    auto tasks = e.stored();
    QCOMPARE(tasks->fieldByName(QStringLiteral("AErledigtP")).asInteger(), 100);
    QVERIFY(tasks->fieldByName(QStringLiteral("AErledigt")).isNull());

    // The arrow keys change it as well.
    e.form->editTask(e.taskProject());
    QVERIFY(e.shown());
    QTest::keyClick(e.get("AerledigtP"), Qt::Key_Down);
    QCOMPARE(e.get<QProgressBar>("AdvProgressBar1")->value(), 99);
    e.save();
    QCOMPARE(saved.last().first().toBool(), true);
}

// Each distinct name once, empty ones left out; the text of the row stays.
void TaskEditorTest::choices() {
    Editor e;
    QVERIFY(e.start());
    for (const QString& name : {QStringLiteral("hoch"), QStringLiteral(""), QStringLiteral("hoch"),
                                QStringLiteral("niedrig")})
        addRowElsewhere(e.dm, QStringLiteral("Prio"), QStringLiteral("Prio"), name);
    e.dm.Prioquery.close();
    e.dm.Prioquery.open();
    e.addTask();
    e.dm.Aufgaben.edit();
    e.dm.Aufgaben.fieldByName(QStringLiteral("APrioBez")).setAsString(QStringLiteral("alt"));
    e.dm.Aufgaben.post();

    e.form->editTask(e.taskProject());
    QVERIFY(e.shown());
    auto* prio = e.get<LookupField>("APrio");
    QCOMPARE(prio->choices(), (QStringList{QStringLiteral("hoch"), QStringLiteral("niedrig")}));
    QCOMPARE(prio->currentText(), QStringLiteral("alt"));

    // A new name added by the rule is offered at once and stored in the master table.
    e.env.dialogs().scriptAnswers({Answer::Yes});
    e.typeInto("APrio", QStringLiteral("sofort"));
    QTest::keyClick(e.get("APrio"), Qt::Key_Tab);
    QCOMPARE(e.env.dialogs().shown().size(), 1);
    QCOMPARE(e.env.dialogs().shown().first().title, QStringLiteral("Eingabe existiert nicht!"));
    QVERIFY(prio->choices().contains(QStringLiteral("sofort")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier);
    Dataset prios(e.dm.ADOConnection1, QStringLiteral("check"));
    prios.setSql(QStringLiteral("Select * From Prio where Prio='sofort'"));
    prios.open();
    QCOMPARE(prios.recordCount(), 1);
}

// A person's name may hold 255 characters, the task's column 50.
void TaskEditorTest::longDelegateFitsColumn() {
    Editor e;
    QVERIFY(e.start());
    const QString longName = QString(60, QLatin1Char('x'));
    addRowElsewhere(e.dm, QStringLiteral("HumanResources"), QStringLiteral("Bezeichnung"),
                    longName);
    e.dm.Verantw.close();
    e.dm.Verantw.open();
    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    auto* delegate = e.get<LookupField>("ADelegiert");
    delegate->setFocus();
    delegate->setCurrentIndex(delegate->findText(longName));
    QCOMPARE(delegate->currentText().size(), 50);
    e.typeInto("ADelegiert", longName);
    QCOMPARE(delegate->currentText().size(), 50);
    e.save();
    QVERIFY(!e.form->isVisible());
    QCOMPARE(e.stored()->fieldByName(QStringLiteral("ADelegiert")).asString(),
             QString(50, QLatin1Char('x')));
}

// With no task in the list there is nothing to edit: no row without a project comes about.
void TaskEditorTest::editWithoutRowDoesNothing() {
    Editor e;
    QVERIFY(e.start());
    e.form->editTask(e.taskProject());
    QVERIFY(!e.form->isVisible());
    QCOMPARE(e.dm.Aufgaben.state(), Dataset::State::Browse);
    QCOMPARE(e.dm.Aufgaben.recordCount(), 0);
}

void TaskEditorTest::remarksLook() {
    Editor e;
    QVERIFY(e.start());
    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    auto* memo = e.get<QPlainTextEdit>("ABeschreibung");
    QVERIFY(QFontInfo(memo->font()).fixedPitch());
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    e.typeInto("ABeschreibung", QStringLiteral("siehe https://example.org/a?b=1. Danke"));
    const QTextBlock block = memo->document()->firstBlock();
    const QString link = QStringLiteral("https://example.org/a?b=1");
    const int start = int(block.text().indexOf(link));
    bool underlined = false;
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (range.format.fontUnderline() && range.start == start && range.length == link.size())
            underlined = range.format.foreground().color() == QColor(Qt::blue);
    }
    QVERIFY(underlined);
    e.save();
}

void TaskEditorTest::tabOrder() {
    Editor e;
    QVERIFY(e.start());
    e.form->newTask(e.taskProject());
    QVERIFY(e.shown());
    const QStringList expected{"ABezeichnung", "APrio", "ADelegiert", "AVermerk",  "AVon",
                               "ABis",         "AWV",   "AerledigtP", "AErledigt", "ABeschreibung"};
    QStringList walked;
    for (int i = 0; i < expected.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        while (focus && !expected.contains(focus->objectName()))
            focus = focus->parentWidget();
        walked << (focus ? focus->objectName() : QStringLiteral("?"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(walked, expected);
    // The memo takes Tab as text; the buttons follow it.
    QCOMPARE(e.get<QPlainTextEdit>("ABeschreibung")->toPlainText(), QStringLiteral("\t"));
    QCOMPARE(e.env.dialogs().shown().size(), 0);
}

ORBENTA_TEST_MAIN(TaskEditorTest)
#include "tst_taskeditor.moc"
