#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "masterdata/datefield.h"
#include "masterdata/lookupfield.h"
#include "projects/projecteditor.h"
#include "testsupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

using Answer = MessageDialogs::Answer;

namespace {

// The editor over a shown main window, on a fresh database with the master datasets and the
// active project list open.
struct Editor {
    TestEnvironment env;
    Tdm dm{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    QWidget mainWindow;
    std::unique_ptr<TForm3> form;

    bool start() {
        env.connectDataModule(dm);
        for (Dataset* master : masters())
            master->open();
        dm.Projekte.open();
        mainWindow.resize(1000, 700);
        mainWindow.show();
        env.dialogs().setMainWindow(&mainWindow);
        form = std::make_unique<TForm3>(dm, &mainWindow);
        return QTest::qWaitForWindowActive(&mainWindow);
    }
    QList<Dataset*> masters() {
        return {&dm.Typen,     &dm.Auftraggeber, &dm.Kategorien,
                &dm.Prioquery, &dm.Status,       &dm.Verantw};
    }
    // A window-modal dialog counts as active with its parent, so wait for the dialog itself.
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
        QTest::keyClicks(field, text);
    }
    void save() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier); }

    // The stored projects, read afresh from the file.
    std::unique_ptr<Dataset> stored(const QString& table = QStringLiteral("Projects")) {
        auto check = std::make_unique<Dataset>(dm.ADOConnection1, QStringLiteral("check"));
        check->setSql(QStringLiteral("Select * From ") + table);
        check->open();
        return check;
    }
    int storedRows(const QString& table, const QString& column, const QString& text) {
        auto check = stored(table);
        const int index = check->fieldIndex(column);
        int count = 0;
        for (int row = 0; row < check->recordCount(); ++row) {
            if (check->text(row, index) == text)
                ++count;
        }
        return count;
    }
    // A project as another session left it: period 01.02.2009 to 31.12.2009, done on
    // 15.12.2009 at 80 percent, budget 1234,5.
    void addDoneProject() {
        Dataset& p = dm.Projekte;
        p.append();
        p.fieldByName(QStringLiteral("Bezeichnung")).setAsString(QStringLiteral("Altbau"));
        p.fieldByName(QStringLiteral("Von")).setAsDateTime(DateTimeValue::fromDate({2009, 2, 1}));
        p.fieldByName(QStringLiteral("Bis")).setAsDateTime(DateTimeValue::fromDate({2009, 12, 31}));
        p.fieldByName(QStringLiteral("Erledigt"))
            .setAsDateTime(DateTimeValue::fromDate({2009, 12, 15}));
        p.fieldByName(QStringLiteral("ErledigtP")).setAsInteger(80);
        p.fieldByName(QStringLiteral("Budget")).setAsString(QStringLiteral("1234,5"));
        p.post();
    }
};

QDate storedDate(Dataset& data, const char* column) {
    Field field = data.fieldByName(QLatin1String(column));
    return field.isNull() ? QDate() : DateTimeValue::toDate(field.asDateTime());
}

} // namespace

class ProjectEditorTest : public QObject {
    Q_OBJECT
private slots:
    void newProjectDefaults();
    void editFillsDates();
    void emptyDoneDateKeepsStoredDate();
    void editOnEmptyListStoresNewProject();
    void keys_data();
    void keys();
    void closingFromFieldAsksNothing_data();
    void closingFromFieldAsksNothing();
    void refusedValueKeepsEditorOpen_data();
    void refusedValueKeepsEditorOpen();
    void addedClientSurvivesCancel();
    void lookupRefresh_data();
    void lookupRefresh();
    void tabOrder();
    void neverStaysMinimised();
    void clickThatMadeAFieldAsk_data();
    void clickThatMadeAFieldAsk();
};

void ProjectEditorTest::newProjectDefaults() {
    Editor e;
    QVERIFY(e.start());
    QSignalSpy saved(e.form.get(), &TForm3::saved);
    QSignalSpy closed(e.form.get(), &TForm3::closed);

    e.form->newProject();
    QVERIFY(e.shown());
    QCOMPARE(e.form->windowTitle(), QStringLiteral("Neues Projekt"));
    QCOMPARE(e.form->size(), QSize(745, 497));
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    QCOMPARE(e.text("Zeitvon"), today);
    QCOMPARE(e.text("ZeitBis"), QString());
    QCOMPARE(e.text("PRErledigt"), QString());
    QCOMPARE(e.get<QSpinBox>("PrerledigtP")->value(), 0);
    QCOMPARE(e.get<QProgressBar>("PrerledigtPBar")->value(), 0);
    QCOMPARE(QApplication::focusWidget(), e.get("PrNummer"));

    e.typeInto("PrNummer", QStringLiteral("2009-17"));
    e.typeInto("PRBezeichnung", QStringLiteral("Neubau"));
    e.typeInto("PrerledigtP", QStringLiteral("45"));
    QCOMPARE(e.get<QProgressBar>("PrerledigtPBar")->value(), 45);
    e.save();

    QVERIFY(!e.form->isVisible());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toInt(), 45);
    QCOMPARE(closed.count(), 1);
    QTRY_COMPARE(QApplication::activeWindow(), &e.mainWindow);
    auto projects = e.stored();
    QCOMPARE(projects->recordCount(), 1);
    QCOMPARE(projects->fieldByName(QStringLiteral("Pojektnummer")).asString(),
             QStringLiteral("2009-17"));
    QCOMPARE(storedDate(*projects, "Von"), QDate::currentDate());
    QVERIFY(projects->fieldByName(QStringLiteral("Bis")).isNull());
    QVERIFY(projects->fieldByName(QStringLiteral("Erledigt")).isNull());
    QCOMPARE(projects->fieldByName(QStringLiteral("ErledigtP")).asInteger(), 45);
    QCOMPARE(projects->fieldByName(QStringLiteral("Archiv")).asInteger(), 0);
    // The list's own dataset shows the row without a re-run.
    QCOMPARE(e.dm.Projekte.recordCount(), 1);
    QCOMPARE(e.env.dialogs().shown().size(), 0);
}

void ProjectEditorTest::editFillsDates() {
    Editor e;
    QVERIFY(e.start());
    e.addDoneProject();
    e.form->editProject();
    QVERIFY(e.shown());
    QCOMPARE(e.form->windowTitle(), QStringLiteral("Projekt bearbeiten"));
    QCOMPARE(e.text("Zeitvon"), QStringLiteral("01.02.2009"));
    QCOMPARE(e.text("ZeitBis"), QStringLiteral("31.12.2009"));
    QCOMPARE(e.text("PRErledigt"), QStringLiteral("15.12.2009"));
    QCOMPARE(e.get<QSpinBox>("PrerledigtP")->value(), 80);
    QCOMPARE(e.get<QProgressBar>("PrerledigtPBar")->value(), 80);
    QCOMPARE(e.text("PRBezeichnung"), QStringLiteral("Altbau"));
    QCOMPARE(e.text("PrBudget"), QStringLiteral("1234,5"));
    QCOMPARE(e.dm.Projekte.state(), Dataset::State::Edit);

    // Moving the period by a new start date typed in.
    e.typeInto("Zeitvon", QStringLiteral("2.2.09"));
    e.save();
    QVERIFY(!e.form->isVisible());
    auto projects = e.stored();
    QCOMPARE(storedDate(*projects, "Von"), QDate(2009, 2, 2));
    QCOMPARE(storedDate(*projects, "Bis"), QDate(2009, 12, 31));
    QCOMPARE(projects->fieldByName(QStringLiteral("Budget")).asString(), QStringLiteral("1234,5"));
}

void ProjectEditorTest::emptyDoneDateKeepsStoredDate() {
    Editor e;
    QVERIFY(e.start());
    e.addDoneProject();
    QSignalSpy saved(e.form.get(), &TForm3::saved);
    e.form->editProject();
    QVERIFY(e.shown());
    e.typeInto("PRErledigt", QString());
    QTest::keyClick(e.get("PRErledigt"), Qt::Key_Delete);
    QTest::keyClick(e.get("PRErledigt"), Qt::Key_Tab);
    QCOMPARE(e.text("PRErledigt"), QString());
    e.save();

    QVERIFY(!e.form->isVisible());
    QCOMPARE(e.env.dialogs().shown().size(), 0);
    auto projects = e.stored();
    QCOMPARE(storedDate(*projects, "Erledigt"), QDate(2009, 12, 15));
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toInt(), 80);
}

void ProjectEditorTest::editOnEmptyListStoresNewProject() {
    Editor e;
    QVERIFY(e.start());
    e.form->editProject();
    QVERIFY(e.shown());
    QCOMPARE(e.form->windowTitle(), QStringLiteral("Projekt bearbeiten"));
    QCOMPARE(e.dm.Projekte.state(), Dataset::State::Insert);
    QCOMPARE(e.text("Zeitvon"), QString()); // no defaults of a new project
    e.typeInto("PRBezeichnung", QStringLiteral("Ohne Liste"));
    e.save();
    QVERIFY(!e.form->isVisible());
    auto projects = e.stored();
    QCOMPARE(projects->recordCount(), 1);
    QVERIFY(projects->fieldByName(QStringLiteral("Von")).isNull());
    QCOMPARE(e.storedRows(QStringLiteral("Projects"), QStringLiteral("Bezeichnung"),
                          QStringLiteral("Ohne Liste")),
             1);
}

void ProjectEditorTest::keys_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("projects"); // stored afterwards; -1: the editor stays open

    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    QTest::newRow("memo Ctrl+S") << "DBAdvMemo1" << int(Qt::Key_S) << ctrl << 1;
    QTest::newRow("memo Ctrl+Shift+S") << "DBAdvMemo1" << int(Qt::Key_S) << (ctrl | shift) << 1;
    QTest::newRow("memo Ctrl+Alt+B") << "DBAdvMemo1" << int(Qt::Key_B) << (ctrl | alt) << 0;
    QTest::newRow("lookup Ctrl+Shift+Alt+S")
        << "PrTyp" << int(Qt::Key_S) << (ctrl | shift | alt) << 1;
    QTest::newRow("spinner Ctrl+B") << "PrerledigtP" << int(Qt::Key_B) << ctrl << 0;
    QTest::newRow("date Ctrl+S") << "ZeitBis" << int(Qt::Key_S) << ctrl << 1;
    QTest::newRow("Alt+S") << "PrNummer" << int(Qt::Key_S) << alt << 1;
    QTest::newRow("Alt+B") << "PrNummer" << int(Qt::Key_B) << alt << 0;
    QTest::newRow("Escape does nothing")
        << "PRBezeichnung" << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << -1;
}

void ProjectEditorTest::keys() {
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, projects);

    Editor e;
    QVERIFY(e.start());
    e.form->newProject();
    QVERIFY(e.shown());
    e.typeInto("PRBezeichnung", QStringLiteral("Neubau"));
    e.typeInto("DBAdvMemo1", QStringLiteral("Erste Zeile"));
    QTest::keyClick(e.get("DBAdvMemo1"), Qt::Key_Return);
    QTest::keyClick(e.get("DBAdvMemo1"), Qt::Key_Tab); // the memo takes tabs as text
    QTest::keyClicks(e.get("DBAdvMemo1"), QStringLiteral("Zweite Zeile"));
    QWidget* target = e.form->findChild<QWidget*>(field);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key), modifiers);

    if (projects < 0) {
        QTest::qWait(50);
        QVERIFY(e.form->isVisible());
        // Nor does closing the window by other means than the two buttons.
        QVERIFY(!e.form->close());
        QVERIFY(e.form->isVisible());
        QCOMPARE(e.dm.Projekte.state(), Dataset::State::Insert);
        return;
    }
    QTRY_VERIFY(!e.form->isVisible()); // a mnemonic clicks after a short animation
    QCOMPARE(e.stored()->recordCount(), projects);
    if (projects == 1) {
        auto stored = e.stored();
        QCOMPARE(stored->fieldByName(QStringLiteral("Bezeichnung")).asString(),
                 QStringLiteral("Neubau"));
        QCOMPARE(stored->fieldByName(QStringLiteral("Beschreibung")).asString(),
                 QStringLiteral("Erste Zeile\n\tZweite Zeile"));
    } else {
        QCOMPARE(e.dm.Projekte.recordCount(), 0);
    }
    QCOMPARE(e.dm.Projekte.state(), Dataset::State::Browse);
}

void ProjectEditorTest::closingFromFieldAsksNothing_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("projects");

    QTest::newRow("new client, save") << "PrAuftraggeber"
                                      << "Unbekannt" << int(Qt::Key_S) << 1;
    QTest::newRow("new client, cancel") << "PrAuftraggeber"
                                        << "Unbekannt" << int(Qt::Key_B) << 0;
    QTest::newRow("no date, cancel") << "PRErledigt"
                                     << "bald" << int(Qt::Key_B) << 0;
}

// The keys end the editor without leaving the field, so neither rule asks, then or when the
// editor goes.
void ProjectEditorTest::closingFromFieldAsksNothing() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, projects);

    Editor e;
    QVERIFY(e.start());
    e.form->newProject();
    QVERIFY(e.shown());
    e.typeInto(field.toLatin1().constData(), typed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::ControlModifier);
    QVERIFY(!e.form->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), &e.mainWindow);
    QCOMPARE(e.env.dialogs().shown().size(), 0);
    QCOMPARE(e.stored()->recordCount(), projects);
    QCOMPARE(e.storedRows(QStringLiteral("Auftraggeber"), QStringLiteral("Bezeichnung"), typed), 0);
}

void ProjectEditorTest::refusedValueKeepsEditorOpen_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("bad");
    QTest::addColumn<QString>("good");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("stored");

    QTest::newRow("budget") << "PrBudget"
                            << "abc"
                            << "12,5"
                            << "Budget"
                            << "12,5";
    // A point groups thousands, so "1.500" is fifteen hundred and "1.5" is refused.
    QTest::newRow("budget, thousands point") << "PrBudget"
                                             << "1.5"
                                             << "1.500"
                                             << "Budget"
                                             << "1500";
    QTest::newRow("flat price") << "PrPreis"
                                << "1,2,3"
                                << "-3"
                                << "Pauschalpreis"
                                << "-3";
    QTest::newRow("end date") << "ZeitBis"
                              << "32.01.2009"
                              << "31.01.2009"
                              << "Bis"
                              << "31.01.2009";
}

// The user saves from the field itself, so its leaving rule has not run.
void ProjectEditorTest::refusedValueKeepsEditorOpen() {
    QFETCH(QString, field);
    QFETCH(QString, bad);
    QFETCH(QString, good);
    QFETCH(QString, column);
    QFETCH(QString, stored);

    Editor e;
    QVERIFY(e.start());
    QSignalSpy closed(e.form.get(), &TForm3::closed);
    e.form->newProject();
    QVERIFY(e.shown());
    e.typeInto("PRBezeichnung", QStringLiteral("Neubau"));
    e.typeInto(field.toLatin1().constData(), bad);
    e.save();

    const auto& shown = e.env.dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().kind, MessageDialogs::Kind::Message);
    QCOMPARE(shown.first().title, QStringLiteral("Orbenta"));
    QVERIFY2(shown.first().text.contains(bad), qPrintable(shown.first().text));
    QVERIFY(e.form->isVisible());
    QCOMPARE(closed.count(), 0);
    QCOMPARE(e.dm.Projekte.state(), Dataset::State::Insert);
    QCOMPARE(e.text(field.toLatin1().constData()), bad);
    QCOMPARE(e.stored()->recordCount(), 0);

    e.typeInto(field.toLatin1().constData(), good);
    e.save();
    QVERIFY(!e.form->isVisible());
    auto projects = e.stored();
    QCOMPARE(projects->recordCount(), 1);
    QCOMPARE(projects->fieldByName(column).asString(), stored);
}

void ProjectEditorTest::addedClientSurvivesCancel() {
    Editor e;
    QVERIFY(e.start());
    e.form->newProject();
    QVERIFY(e.shown());
    e.env.dialogs().scriptAnswers({Answer::Yes});
    e.typeInto("PrAuftraggeber", QStringLiteral("Neukunde"));
    QTest::keyClick(e.get("PrAuftraggeber"), Qt::Key_Tab);
    QCOMPARE(e.env.dialogs().shown().size(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier);

    QVERIFY(!e.form->isVisible());
    QCOMPARE(e.stored()->recordCount(), 0);
    QCOMPARE(e.storedRows(QStringLiteral("Auftraggeber"), QStringLiteral("Bezeichnung"),
                          QStringLiteral("Neukunde")),
             1);

    // The next showing offers it from the refreshed master.
    e.form->newProject();
    QVERIFY(e.shown());
    QVERIFY(e.get<LookupField>("PrAuftraggeber")->choices().contains(QStringLiteral("Neukunde")));
    QCOMPARE(e.get<LookupField>("PrAuftraggeber")->currentText(), QString());
}

void ProjectEditorTest::lookupRefresh_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("master"); // index into Editor::masters()
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("textColumn");
    QTest::addColumn<QString>("query"); // the master's text afterwards; empty: unchanged
    QTest::addColumn<bool>("closedBefore");
    QTest::addColumn<bool>("reread"); // the master shows rows stored by others since

    QTest::newRow("type") << "PrTyp" << 0 << "Typen"
                          << "Bezeichnung"
                          << "Select * From Typen where zuord=1" << false << true;
    QTest::newRow("client") << "PrAuftraggeber" << 1 << "Auftraggeber"
                            << "Bezeichnung"
                            << "Select * From auftraggeber where not del" << false << true;
    QTest::newRow("category") << "PrKatBez" << 2 << "Kategorien"
                              << "Bezeichnung"
                              << "Select * From Kategorien" << false << true;
    QTest::newRow("priority") << "PrPrio" << 3 << "Prio"
                              << "Prio" << QString() << false << true;
    QTest::newRow("state") << "PrStatus" << 4 << "Status"
                           << "Bezeichnung" << QString() << false << true;
    QTest::newRow("person, open") << "PrVerantw" << 5 << "HumanResources"
                                  << "Bezeichnung" << QString() << false << false;
    QTest::newRow("person, closed") << "PrVerantw" << 5 << "HumanResources"
                                    << "Bezeichnung" << QString() << true << true;
}

void ProjectEditorTest::lookupRefresh() {
    QFETCH(QString, field);
    QFETCH(int, master);
    QFETCH(QString, table);
    QFETCH(QString, textColumn);
    QFETCH(QString, query);
    QFETCH(bool, closedBefore);
    QFETCH(bool, reread);

    Editor e;
    QVERIFY(e.start());
    Dataset& data = *e.masters().at(master);
    if (closedBefore)
        data.close();
    const QStringList sqlBefore = data.sql();
    e.form->newProject();
    QVERIFY(e.shown());

    // Another program adds an entry meanwhile.
    Dataset other(e.dm.ADOConnection1, QStringLiteral("other"));
    other.setSql(QStringLiteral("Select * From ") + table);
    other.open();
    other.append();
    other.fieldByName(textColumn).setAsString(QStringLiteral("Von anderen"));
    if (table == QLatin1String("Typen"))
        other.fieldByName(QStringLiteral("zuord")).setAsInteger(1);
    other.post();

    const QString typed = QStringLiteral("Neu");
    e.env.dialogs().scriptAnswers({Answer::Yes});
    e.typeInto(field.toLatin1().constData(), typed);
    QTest::keyClick(e.get(field.toLatin1().constData()), Qt::Key_Tab);
    QCOMPARE(e.env.dialogs().shown().size(), 1);

    QCOMPARE(data.sql().join(QLatin1Char('\n')), query.isEmpty() ? sqlBefore.join('\n') : query);
    QVERIFY(data.active());
    QCOMPARE(data.state(), Dataset::State::Browse);
    QStringList held;
    for (int row = 0; row < data.recordCount(); ++row)
        held << data.text(row, data.fieldIndex(textColumn));
    QVERIFY2(held.contains(typed), qPrintable(held.join(", ")));
    QCOMPARE(held.contains(QStringLiteral("Von anderen")), reread);

    QCOMPARE(e.storedRows(table, textColumn, typed), 1);
    auto rows = e.stored(table);
    for (int row = 0; row < rows->recordCount(); ++row) {
        rows->moveTo(row);
        if (rows->fieldByName(textColumn).asString() != typed)
            continue;
        QCOMPARE(rows->fieldByName(QStringLiteral("del")).asBoolean(), false);
        if (table == QLatin1String("Typen"))
            QCOMPARE(rows->fieldByName(QStringLiteral("zuord")).asInteger(), 1);
    }
    // The project keeps the text, and no key of the master row.
    e.save();
    auto projects = e.stored();
    QCOMPARE(projects->recordCount(), 1);
    for (const char* key : {"TypID", "AuftraggeberID", "Kat", "Prio", "StatusID", "VerantwID"})
        QVERIFY(projects->fieldByName(QLatin1String(key)).isNull());
}

void ProjectEditorTest::tabOrder() {
    Editor e;
    QVERIFY(e.start());
    e.form->newProject();
    QVERIFY(e.shown());
    const QStringList expected{"AdvGlowButton2", "AdvGlowButton1", "PrNummer",    "PRBezeichnung",
                               "PrTyp",          "PrAuftraggeber", "PrKatBez",    "PrPrio",
                               "PrStatus",       "PrVerantw",      "Zeitvon",     "ZeitBis",
                               "PrGesamtZeit",   "PrBudget",       "PrbenBudget", "PrKM",
                               "PrerledigtP",    "PRErledigt",     "PrPreis",     "DBAdvMemo1"};
    e.get("AdvGlowButton2")->setFocus();
    QStringList walked;
    for (int i = 0; i < expected.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        while (focus && !expected.contains(focus->objectName()))
            focus = focus->parentWidget();
        walked << (focus ? focus->objectName() : QStringLiteral("?"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(walked, expected);
    QCOMPARE(e.env.dialogs().shown().size(), 0);
}

// Fixed size, a title without buttons, and the main window waiting: it cannot be minimised away.
void ProjectEditorTest::neverStaysMinimised() {
    Editor e;
    QVERIFY(e.start());
    e.form->newProject();
    QVERIFY(e.shown());
    const Qt::WindowFlags flags = e.form->windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                       Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
    QCOMPARE(e.form->minimumSize(), e.form->maximumSize());
    e.form->showMinimized();
    QTRY_VERIFY(!e.form->isMinimized());
    QVERIFY(e.form->isVisible());
    QCOMPARE(e.dm.Projekte.state(), Dataset::State::Insert);
}

void ProjectEditorTest::clickThatMadeAFieldAsk_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("projects"); // stored afterwards; -1: the editor stays open

    const int yes = int(Answer::Yes);
    const int no = int(Answer::No);
    const int cancel = int(Answer::Cancel);
    QTest::newRow("new client, Yes, save") << "PrAuftraggeber"
                                           << "Neukunde" << yes << "AdvGlowButton2" << 1;
    QTest::newRow("new client, No, save") << "PrAuftraggeber"
                                          << "Neukunde" << no << "AdvGlowButton2" << 1;
    QTest::newRow("new client, Cancel, save") << "PrAuftraggeber"
                                              << "Neukunde" << cancel << "AdvGlowButton2" << -1;
    QTest::newRow("new client, Yes, cancel") << "PrAuftraggeber"
                                             << "Neukunde" << yes << "AdvGlowButton1" << 0;
    QTest::newRow("no date, Yes, save") << "ZeitBis"
                                        << "bald" << yes << "AdvGlowButton2" << 1;
    QTest::newRow("no date, No, save") << "ZeitBis"
                                       << "bald" << no << "AdvGlowButton2" << -1;
}

// The press on a button takes the focus from a field whose rule then asks; the release goes to
// the question box. When the answer lets the field stand, the button's action goes on.
void ProjectEditorTest::clickThatMadeAFieldAsk() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, button);
    QFETCH(int, projects);

    Editor e;
    QVERIFY(e.start());
    e.form->newProject();
    QVERIFY(e.shown());
    e.typeInto("PRBezeichnung", QStringLiteral("Neubau"));
    e.typeInto(field.toLatin1().constData(), typed);
    e.env.dialogs().scriptAnswers({Answer(answer)});
    auto* pressed = e.get<QPushButton>(button.toLatin1().constData());
    QTest::mousePress(pressed, Qt::LeftButton);
    QCOMPARE(e.env.dialogs().shown().size(), 1);

    if (projects < 0) {
        QVERIFY(e.form->isVisible());
        QCOMPARE(QApplication::focusWidget(), e.get(field.toLatin1().constData()));
        QVERIFY(!pressed->isDown());
        QWidget* asked = e.get(field.toLatin1().constData());
        auto* box = qobject_cast<QComboBox*>(asked);
        QCOMPARE(box ? box->currentText() : qobject_cast<QLineEdit*>(asked)->text(), typed);
        QCOMPARE(e.stored()->recordCount(), 0);
        QTest::mouseRelease(pressed, Qt::LeftButton);
        QVERIFY(e.form->isVisible());
        return;
    }
    QVERIFY(!e.form->isVisible());
    QTest::mouseRelease(pressed, Qt::LeftButton);
    QCOMPARE(e.stored()->recordCount(), projects);
    if (projects == 1) {
        auto stored = e.stored();
        QCOMPARE(stored->fieldByName(QStringLiteral("Bezeichnung")).asString(),
                 QStringLiteral("Neubau"));
        if (field == QLatin1String("PrAuftraggeber"))
            QCOMPARE(stored->fieldByName(QStringLiteral("Auftraggeber")).asString(), typed);
        else
            QVERIFY(stored->fieldByName(QStringLiteral("Bis")).isNull());
    }
    QCOMPARE(e.storedRows(QStringLiteral("Auftraggeber"), QStringLiteral("Bezeichnung"), typed),
             field == QLatin1String("PrAuftraggeber") && answer == int(Answer::Yes) ? 1 : 0);
}

ORBENTA_TEST_MAIN(ProjectEditorTest)
#include "tst_projecteditor.moc"
