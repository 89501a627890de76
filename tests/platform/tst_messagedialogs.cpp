#include "testsupport.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

#include <functional>
#include <memory>

using Answer = MessageDialogs::Answer;
using Kind = MessageDialogs::Kind;

Q_DECLARE_METATYPE(MessageDialogs::Kind)

namespace {

// Throws from its event handler, as a handler of the program does when something fails.
class ThrowingObject : public QObject {
public:
    explicit ThrowingObject(std::function<void()> thrower) : m_thrower(std::move(thrower)) {}
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            m_thrower();
        return QObject::event(e);
    }

private:
    std::function<void()> m_thrower;
};

} // namespace

class TestMessageDialogs : public QObject {
    Q_OBJECT

private slots:
    void scriptedAnswersAndRecords();
    void unansweredQuestionsAreCounted();
    void exceptionsBecomeTheMessageBox_data();
    void exceptionsBecomeTheMessageBox();
    void applicationIsGerman();
    void realBoxes_data();
    void realBoxes();
};

void TestMessageDialogs::scriptedAnswersAndRecords() {
    TestEnvironment env;
    MessageDialogs& d = MessageDialogs::instance();
    d.scriptAnswers({Answer::No, Answer::Yes});

    QCOMPARE(d.lookupQuestion("Neuer Auftraggeber", "Hinzufügen?"), Answer::No);
    d.error("Falscher Datenbankpfad!", "Der Datenbankpfad stimmt nicht!");
    QCOMPARE(d.yesNoQuestion("Löschen", "Wirklich löschen?"), Answer::Yes);
    d.message("Kein Drucker");

    QCOMPARE(d.pendingAnswers(), 0);
    QCOMPARE(d.unexpectedQuestions(), 0);
    const QList<MessageDialogs::Shown>& shown = d.shown();
    QCOMPARE(shown.size(), 4);
    QCOMPARE(shown[0].kind, Kind::LookupQuestion);
    QCOMPARE(shown[0].title, "Neuer Auftraggeber");
    QCOMPARE(shown[0].text, "Hinzufügen?");
    QCOMPARE(shown[1].kind, Kind::Error);
    QCOMPARE(shown[1].title, "Falscher Datenbankpfad!");
    QCOMPARE(shown[2].kind, Kind::YesNoQuestion);
    QCOMPARE(shown[3].kind, Kind::Message);
    QCOMPARE(shown[3].title, "Orbenta");
    QCOMPARE(shown[3].text, "Kein Drucker");
}

void TestMessageDialogs::unansweredQuestionsAreCounted() {
    TestEnvironment env;
    MessageDialogs& d = MessageDialogs::instance();
    QCOMPARE(d.lookupQuestion("A", "a"), Answer::Cancel);
    QCOMPARE(d.yesNoQuestion("B", "b"), Answer::No);
    QCOMPARE(d.unexpectedQuestions(), 2);
    QCOMPARE(d.shown().size(), 2);

    d.clearShown();
    QCOMPARE(d.unexpectedQuestions(), 0);
    QVERIFY(d.shown().isEmpty());
}

void TestMessageDialogs::exceptionsBecomeTheMessageBox_data() {
    QTest::addColumn<bool>("ownError");
    QTest::addColumn<QString>("text");
    QTest::newRow("own error") << true << "Der Text ist zu lang für „Bezeichnung“.";
    QTest::newRow("other exception") << false << "Fehler bei der Prüfung";
}

void TestMessageDialogs::exceptionsBecomeTheMessageBox() {
    QFETCH(bool, ownError);
    QFETCH(QString, text);
    TestEnvironment env;
    auto thrower = [&] {
        if (ownError)
            throw OrbentaError(text);
        throw std::runtime_error(text.toStdString());
    };

    // From an event handler: the event counts as handled and the program goes on.
    ThrowingObject object(thrower);
    QEvent event(QEvent::User);
    QVERIFY(QCoreApplication::sendEvent(&object, &event));
    QCOMPARE(MessageDialogs::instance().shown().size(), 1);
    QCOMPARE(MessageDialogs::instance().shown()[0].kind, Kind::Message);
    QCOMPARE(MessageDialogs::instance().shown()[0].title, "Orbenta");
    QCOMPARE(MessageDialogs::instance().shown()[0].text, text);

    // From code run guarded outside an event handler.
    MessageDialogs::instance().clearShown();
    bool after = false;
    QVERIFY(!runGuarded([&] {
        thrower();
        after = true;
    }));
    QVERIFY(!after);
    QCOMPARE(MessageDialogs::instance().shown().size(), 1);
    QCOMPARE(MessageDialogs::instance().shown()[0].text, text);
    QVERIFY(runGuarded([] {}));
}

void TestMessageDialogs::applicationIsGerman() {
    QCOMPARE(QApplication::applicationName(), "Orbenta");
    QVERIFY(!QApplication::windowIcon().isNull());
    QVERIFY(!QApplication::windowIcon().pixmap(32, 32).isNull());
    QCOMPARE(QLocale().toString(QDate(2009, 3, 1), "dddd, d. MMMM yyyy"), "Sonntag, 1. März 2009");

    // The toolkit's own texts, here a text field's context menu.
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList entries;
    for (QAction* a : menu->actions())
        entries << a->text().remove('&').section('\t', 0, 0);
    QVERIFY2(entries.contains("Rückgängig") && entries.contains("Einfügen"),
             qPrintable(entries.join(", ")));
}

void TestMessageDialogs::realBoxes_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("icon");
    QTest::newRow("lookup question")
        << Kind::LookupQuestion << QStringList{"Abbrechen", "Ja", "Nein"}
        << int(QMessageBox::Question);
    QTest::newRow("yes/no question")
        << Kind::YesNoQuestion << QStringList{"Ja", "Nein"} << int(QMessageBox::Question);
    QTest::newRow("error") << Kind::Error << QStringList{"OK"} << int(QMessageBox::Critical);
    QTest::newRow("message") << Kind::Message << QStringList{"OK"} << int(QMessageBox::Information);
}

// The boxes the real mode shows, looked at without waiting for an answer.
void TestMessageDialogs::realBoxes() {
    QFETCH(Kind, kind);
    QFETCH(QStringList, buttons);
    QFETCH(int, icon);

    QWidget mainWindow;
    mainWindow.setGeometry(60, 50, 600, 450);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    std::unique_ptr<QMessageBox> box(MessageDialogs::createBox(
        kind, "Neustart erforderlich!", "Erste Zeile\r\nZweite Zeile", &mainWindow));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));

    QStringList texts;
    for (QAbstractButton* b : box->buttons())
        texts << b->text().remove('&');
    texts.sort();
    QCOMPARE(texts, buttons);
    QCOMPARE(int(box->icon()), icon);
    QCOMPARE(box->windowTitle(), "Neustart erforderlich!");
    QCOMPARE(box->text(), "Erste Zeile\nZweite Zeile");
    const QPoint offset = box->geometry().center() - mainWindow.geometry().center();
    QVERIFY2(offset.manhattanLength() <= 4,
             qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
    box->close();
}

ORBENTA_TEST_MAIN(TestMessageDialogs)
#include "tst_messagedialogs.moc"
