#include "data/tdm.h"
#include "masterdata/lookupfield.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QLineEdit>
#include <QVBoxLayout>

using Answer = MessageDialogs::Answer;

namespace {

const QString Title = QStringLiteral("Eingabe existiert nicht!");
const QString Question = QStringLiteral(
    "Ihre Eingabe existiert noch nicht in der Auswahl. Soll Ihre Eingabe hinzugefügt werden?");
const MasterRefresh Clients{MasterRefresh::ReplaceQuery,
                            QStringLiteral("Select * From auftraggeber where not del"),
                            {},
                            {}};

// A client field of a new project row, with the clients "Acme" and "Bauer", and a field after
// it to leave it for.
struct Window {
    TestEnvironment env;
    Tdm dm{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    QWidget window;
    LookupField* field = nullptr;
    QLineEdit* next = nullptr;

    bool start(const MasterRefresh& refresh = Clients) {
        env.connectDataModule(dm);
        dm.Auftraggeber.open();
        for (const char* name : {"Acme", "Bauer"}) {
            dm.Auftraggeber.append();
            dm.Auftraggeber.fieldByName(QStringLiteral("Bezeichnung"))
                .setAsString(QLatin1String(name));
            dm.Auftraggeber.post();
        }
        dm.Projekte.open();
        dm.Projekte.append();

        auto* layout = new QVBoxLayout(&window);
        field = new LookupField(&window);
        field->bind(dm.ProjekteDS(), QStringLiteral("Auftraggeber"));
        field->setMasterRule(dm.Auftraggeber, QStringLiteral("Bezeichnung"), refresh);
        field->setChoicesFrom(dm.Auftraggeber, QStringLiteral("Bezeichnung"));
        next = new QLineEdit(&window);
        layout->addWidget(field);
        layout->addWidget(next);
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    void type(const QString& text) {
        field->setFocus();
        QTest::keyClicks(field, text);
    }
    int lookupQuestions() const {
        int count = 0;
        for (const auto& shown : env.dialogs().shown()) {
            if (shown.kind == MessageDialogs::Kind::LookupQuestion)
                ++count;
        }
        return count;
    }
    // Stored clients of exactly this text, letter case included, read afresh from the file.
    int storedClients(const QString& text) {
        Dataset check(dm.ADOConnection1, QStringLiteral("check"));
        check.setSql(QStringLiteral("Select * From Auftraggeber"));
        check.open();
        const int column = check.fieldIndex(QStringLiteral("Bezeichnung"));
        int count = 0;
        for (int row = 0; row < check.recordCount(); ++row) {
            if (check.text(row, column) == text)
                ++count;
        }
        return count;
    }
};

} // namespace

class LookupFieldTest : public QObject {
    Q_OBJECT
private slots:
    void leaving_data();
    void leaving();
    void addedOnceAndKeptAfterCancel();
    void enterMovesOnAndListIsNoLeaving();
    void failingInsertKeepsText();
    void choicesFollowMaster();
    void arrowKeysStartFromTheText_data();
    void arrowKeysStartFromTheText();
};

void LookupFieldTest::leaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer"); // -1: no question expected
    QTest::addColumn<bool>("focusBack");
    QTest::addColumn<int>("stored");   // clients of that text afterwards
    QTest::addColumn<bool>("offered"); // among the choices afterwards

    QTest::newRow("empty") << QString() << -1 << false << 0 << false;
    QTest::newRow("known") << "Bauer" << -1 << false << 1 << true;
    QTest::newRow("new, Yes") << "Neukunde" << int(Answer::Yes) << false << 1 << true;
    QTest::newRow("new, No") << "Neukunde" << int(Answer::No) << false << 0 << false;
    QTest::newRow("new, Cancel") << "Neukunde" << int(Answer::Cancel) << true << 0 << false;
    QTest::newRow("other case, No") << "acme" << int(Answer::No) << false << 0 << false;
    QTest::newRow("other case, Yes") << "BAUER" << int(Answer::Yes) << false << 1 << true;
}

void LookupFieldTest::leaving() {
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(bool, focusBack);
    QFETCH(int, stored);
    QFETCH(bool, offered);

    Window w;
    QVERIFY(w.start());
    if (answer >= 0)
        w.env.dialogs().scriptAnswers({Answer(answer)});
    w.type(typed);
    QTest::keyClick(w.field, Qt::Key_Tab);

    QCOMPARE(w.lookupQuestions(), answer >= 0 ? 1 : 0);
    if (answer >= 0) {
        QCOMPARE(w.env.dialogs().shown().first().title, Title);
        QCOMPARE(w.env.dialogs().shown().first().text, Question);
    }
    QCOMPARE(w.env.dialogs().unexpectedQuestions(), 0);
    QCOMPARE(QApplication::focusWidget(), focusBack ? static_cast<QWidget*>(w.field) : w.next);
    QCOMPARE(w.field->currentText(), typed);
    QCOMPARE(w.field->choices().contains(typed), offered);
    QCOMPARE(w.storedClients(typed), stored);

    // Whatever the answer, the edited row keeps the typed text.
    w.dm.Projekte.post();
    QCOMPARE(w.dm.Projekte.fieldByName(QStringLiteral("Auftraggeber")).asString(), typed);
}

void LookupFieldTest::addedOnceAndKeptAfterCancel() {
    Window w;
    QVERIFY(w.start());
    w.env.dialogs().scriptAnswers({Answer::Yes});
    w.type(QStringLiteral("Neukunde"));
    QTest::keyClick(w.field, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.next);

    // Back and away again: the text is a choice now, so nothing is asked.
    QTest::keyClick(w.next, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), w.field);
    QTest::keyClick(w.field, Qt::Key_Tab);
    QCOMPARE(w.lookupQuestions(), 1);
    QCOMPARE(w.env.dialogs().unexpectedQuestions(), 0);
    QCOMPARE(w.field->choices().count(QStringLiteral("Neukunde")), 1);

    // The client was stored at once; dropping the edited row keeps it.
    w.dm.Projekte.cancel();
    QCOMPARE(w.storedClients(QStringLiteral("Neukunde")), 1);
    QCOMPARE(w.dm.Auftraggeber.sql().join(QLatin1Char(' ')), Clients.query);
}

void LookupFieldTest::enterMovesOnAndListIsNoLeaving() {
    Window w;
    QVERIFY(w.start());
    w.type(QStringLiteral("Neukunde"));
    // The box's own list taking the focus is no leaving.
    QTest::keyClick(w.field, Qt::Key_F4);
    QTRY_VERIFY(w.field->view()->isVisible());
    w.field->hidePopup();
    QCOMPARE(w.lookupQuestions(), 0);
    QTRY_COMPARE(QApplication::focusWidget(), w.field);
    QCOMPARE(w.field->currentText(), QStringLiteral("Neukunde"));

    w.env.dialogs().scriptAnswers({Answer::No});
    QTest::keyClick(w.field, Qt::Key_Return);
    QCOMPARE(w.lookupQuestions(), 1);
    QCOMPARE(QApplication::focusWidget(), w.next);
    QCOMPARE(w.field->choices(), QStringList({QStringLiteral("Acme"), QStringLiteral("Bauer")}));
}

void LookupFieldTest::failingInsertKeepsText() {
    Window w;
    QVERIFY(
        w.start({MasterRefresh::ReplaceQuery, QStringLiteral("Select * From Nichtda"), {}, {}}));
    w.env.dialogs().scriptAnswers({Answer::Yes});
    w.type(QStringLiteral("Neukunde"));
    QTest::keyClick(w.field, Qt::Key_Tab);

    // The engine's error reaches the user; the text stays in the field and among the choices.
    const auto& shown = w.env.dialogs().shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.last().kind, MessageDialogs::Kind::Message);
    QCOMPARE(shown.last().title, QStringLiteral("Orbenta"));
    QVERIFY(!shown.last().text.isEmpty());
    QCOMPARE(w.field->currentText(), QStringLiteral("Neukunde"));
    QVERIFY(w.field->choices().contains(QStringLiteral("Neukunde")));
    QCOMPARE(w.storedClients(QStringLiteral("Neukunde")), 0);
}

void LookupFieldTest::choicesFollowMaster() {
    Window w;
    QVERIFY(w.start());
    w.type(QStringLiteral("Zu"));
    // A closed master offers nothing; the typed text stays.
    w.dm.Auftraggeber.close();
    w.field->setChoicesFrom(w.dm.Auftraggeber, QStringLiteral("Bezeichnung"));
    QCOMPARE(w.field->choices(), QStringList());
    QCOMPARE(w.field->currentText(), QStringLiteral("Zu"));
}

void LookupFieldTest::arrowKeysStartFromTheText_data() {
    QTest::addColumn<QString>("stored"); // the edited row's text, written by code
    QTest::addColumn<QString>("added");  // typed and added with Yes before
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty, Down") << QString() << QString() << int(Qt::Key_Down) << "Acme";
    QTest::newRow("second entry, Up") << "Bauer" << QString() << int(Qt::Key_Up) << "Acme";
    QTest::newRow("unknown text, Down") << "Zu" << QString() << int(Qt::Key_Down) << "Acme";
    QTest::newRow("added entry, Up") << QString() << "Neukunde" << int(Qt::Key_Up) << "Bauer";
}

// The entry the field shows is the one the arrow keys step from; with none, Down gives the first.
void LookupFieldTest::arrowKeysStartFromTheText() {
    QFETCH(QString, stored);
    QFETCH(QString, added);
    QFETCH(int, key);
    QFETCH(QString, expected);

    Window w;
    QVERIFY(w.start());
    if (!stored.isEmpty())
        w.dm.Projekte.fieldByName(QStringLiteral("Auftraggeber")).setAsString(stored);
    w.field->setChoicesFrom(w.dm.Auftraggeber, QStringLiteral("Bezeichnung"));
    QCOMPARE(w.field->currentText(), stored);
    if (!added.isEmpty()) {
        w.env.dialogs().scriptAnswers({Answer::Yes});
        w.type(added);
        QTest::keyClick(w.field, Qt::Key_Tab);
        QTest::keyClick(w.next, Qt::Key_Backtab);
        QCOMPARE(w.field->currentText(), added);
    }
    w.field->setFocus();
    QTest::keyClick(w.field, Qt::Key(key));
    QCOMPARE(w.field->currentText(), expected);
    QCOMPARE(w.env.dialogs().unexpectedQuestions(), 0);
}

ORBENTA_TEST_MAIN(LookupFieldTest)
#include "tst_lookupfield.moc"
