#include "masterdata/datefield.h"
#include "testsupport.h"

#include <QAction>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

using Answer = MessageDialogs::Answer;

namespace {

const QString Title = QStringLiteral("Fehler");
const QString Question =
    QStringLiteral("Ihre Eingabe entspricht nicht einem Datum. Soll die Eingabe gelöscht werden?\n"
                   "Bei \"Nein\" erhält das Feld wieder den Fokus bis ein korrektes Datum "
                   "eingegeben wurde.");

// A window with the date field and another one after it to leave it for.
struct Window {
    TestEnvironment env;
    QWidget window;
    DateField* date = new DateField(&window);
    DateField* next = new DateField(&window);

    Window() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(date);
        layout->addWidget(next);
        window.show();
        window.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&window); }
    int questions() const { return env.dialogs().shown().size(); }
    // Types the text into the empty field and leaves it with Tab.
    void typeAndLeave(const QString& text) {
        date->setFocus();
        QTest::keyClicks(date, text);
        QTest::keyClick(date, Qt::Key_Tab);
    }
};

} // namespace

class DateFieldTest : public QObject {
    Q_OBJECT
private slots:
    void leaving_data();
    void leaving();
    void noAsksAgainUntilDate();
    void returningFocusLeavesNextFieldAlone();
    void calendarPicksDay_data();
    void calendarPicksDay();
    void buttonShowsCalendarIcon();
};

void DateFieldTest::leaving_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer"); // -1: no question expected
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<bool>("focusBack");

    QTest::newRow("empty") << QString() << -1 << QString() << false;
    QTest::newRow("date") << "05.03.2009" << -1 << "05.03.2009" << false;
    QTest::newRow("short year") << "5.3.09" << -1 << "5.3.09" << false;
    QTest::newRow("impossible day, Yes") << "31.02.2009" << int(Answer::Yes) << QString() << false;
    QTest::newRow("letters, Yes") << "morgen" << int(Answer::Yes) << QString() << false;
    QTest::newRow("letters, No") << "morgen" << int(Answer::No) << "morgen" << true;
    QTest::newRow("month 13, No") << "1.13.2009" << int(Answer::No) << "1.13.2009" << true;
}

void DateFieldTest::leaving() {
    QFETCH(QString, text);
    QFETCH(int, answer);
    QFETCH(QString, textAfter);
    QFETCH(bool, focusBack);

    Window w;
    QVERIFY(w.ready());
    if (answer >= 0)
        w.env.dialogs().scriptAnswers({Answer(answer)});
    w.typeAndLeave(text);

    if (answer < 0) {
        QCOMPARE(w.questions(), 0);
    } else {
        QCOMPARE(w.questions(), 1);
        const auto& shown = w.env.dialogs().shown().first();
        QCOMPARE(shown.kind, MessageDialogs::Kind::YesNoQuestion);
        QCOMPARE(shown.title, Title);
        QCOMPARE(shown.text, Question);
    }
    QCOMPARE(w.date->text(), textAfter);
    QCOMPARE(QApplication::focusWidget(), focusBack ? static_cast<QWidget*>(w.date) : w.next);
    QCOMPARE(w.env.dialogs().unexpectedQuestions(), 0);
}

void DateFieldTest::noAsksAgainUntilDate() {
    Window w;
    QVERIFY(w.ready());
    w.env.dialogs().scriptAnswers({Answer::No, Answer::No});
    w.typeAndLeave(QStringLiteral("3.3.20099"));
    QCOMPARE(QApplication::focusWidget(), w.date);
    QTest::keyClick(w.date, Qt::Key_Tab);
    QCOMPARE(w.questions(), 2);
    QCOMPARE(QApplication::focusWidget(), w.date);
    QCOMPARE(w.date->text(), QStringLiteral("3.3.20099"));

    // Corrected, it lets the user go.
    QTest::keyClick(w.date, Qt::Key_Backspace);
    QTest::keyClick(w.date, Qt::Key_Tab);
    QCOMPARE(w.questions(), 2);
    QCOMPARE(QApplication::focusWidget(), w.next);
    QCOMPARE(w.date->text(), QStringLiteral("3.3.2009"));
}

// The field the user was heading for loses the focus again without having been left by the user.
void DateFieldTest::returningFocusLeavesNextFieldAlone() {
    Window w;
    QVERIFY(w.ready());
    w.next->setText(QStringLiteral("auch kein Datum"));
    w.env.dialogs().scriptAnswers({Answer::No});
    w.typeAndLeave(QStringLiteral("kein Datum"));
    QCOMPARE(w.questions(), 1);
    QCOMPARE(w.env.dialogs().unexpectedQuestions(), 0);
    QCOMPARE(QApplication::focusWidget(), w.date);
    QCOMPARE(w.next->text(), QStringLiteral("auch kein Datum"));
}

void DateFieldTest::calendarPicksDay_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("shown"); // the day the calendar opens on
    const QDate today = QDate::currentDate();
    QTest::newRow("F4 on a date") << int(Qt::Key_F4) << Qt::KeyboardModifiers() << "28.2.20"
                                  << QDate(2020, 2, 28);
    QTest::newRow("Alt+Down on no date")
        << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::AltModifier) << "bald" << today;
}

void DateFieldTest::calendarPicksDay() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, typed);
    QFETCH(QDate, shown);

    Window w;
    QVERIFY(w.ready());
    // Opening the calendar is no leaving: nothing is asked, whatever the text.
    w.date->setFocus();
    QTest::keyClicks(w.date, typed);
    QTest::keyClick(w.date, Qt::Key(key), modifiers);
    QVERIFY(w.date->calendarVisible());
    QCOMPARE(w.questions(), 0);
    QCOMPARE(w.date->calendar()->selectedDate(), shown);

    QWidget* inCalendar = QApplication::focusWidget();
    QVERIFY(inCalendar && w.date->calendar()->isAncestorOf(inCalendar));
    QTest::keyClick(inCalendar, Qt::Key_Right);
    QTest::keyClick(inCalendar, Qt::Key_Right);
    QTest::keyClick(inCalendar, Qt::Key_Return);

    QVERIFY(!w.date->calendarVisible());
    QCOMPARE(w.date->text(), shown.addDays(2).toString(QStringLiteral("dd.MM.yyyy")));
    QTRY_COMPARE(QApplication::focusWidget(), w.date);
    QCOMPARE(w.questions(), 0);
}

// The button beside the text shows a calendar, not an arrow, and opens the calendar.
void DateFieldTest::buttonShowsCalendarIcon() {
    Window w;
    QVERIFY(w.ready());
    auto* button = w.date->findChild<QAction*>(QStringLiteral("calendarButton"));
    QVERIFY(button);
    const QIcon icon = button->icon();
    QVERIFY(!icon.isNull());
    const QImage shown = icon.pixmap(16, 16).toImage();
    const QImage arrow =
        w.date->style()->standardIcon(QStyle::SP_ArrowDown).pixmap(16, 16).toImage();
    QVERIFY(shown != arrow);
    if (QIcon::fromTheme(QStringLiteral("x-office-calendar")).isNull()) {
        // The program's own: a sheet with a red head.
        bool red = false;
        for (int x = 0; x < shown.width(); ++x) {
            const QColor pixel = shown.pixelColor(x, 4);
            red = red || (pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100);
        }
        QVERIFY(red);
    }
    button->trigger();
    QVERIFY(w.date->calendarVisible());
    QCOMPARE(w.questions(), 0);
}

ORBENTA_TEST_MAIN(DateFieldTest)
#include "tst_datefield.moc"
