#include "app/mainwindow.h"
#include "app/navigation.h"
#include "app/pagetoolbar.h"
#include "appfixture.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "lists/listgrid.h"
#include "platform/guarded.h"
#include "projects/projectlist.h"
#include "tasks/followuplist.h"
#include "tasks/taskeditor.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>

using Answer = MessageDialogs::Answer;

namespace {

void clickHeader(ListGrid* grid, int position) {
    QHeaderView* h = grid->horizontalHeader();
    const int section = h->logicalIndex(position);
    const int x = h->sectionViewportPosition(section) + h->sectionSize(section) / 2;
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
}

QAction* entry(const QMenu* menu, const QString& caption) {
    for (QAction* action : menu->actions()) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

double daysFromToday(int days) {
    return DateTimeValue::fromDate(QDate::currentDate().addDays(days));
}

struct Task {
    QString title;
    int followUp;      // days from today
    bool done = false; // a done date
    int percent = 0;
    double total = 0;      // effort total in days
    bool archived = false; // of the archived project
};

// The program on the fixture with follow-up tasks added before it starts: tasks of
// "Webseite Relaunch", or of the archived "Altprojekt".
struct Started {
    TestEnvironment env;
    FixtureKeys keys;
    std::unique_ptr<RunningProgram> program;

    bool start(const QList<Task>& tasks) {
        keys = writeFixture(env);
        {
            Connection connection;
            connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
            connection.open();
            Dataset a(connection, QStringLiteral("add"));
            a.setSql(QStringLiteral("Select * From Aufgaben"));
            a.open();
            for (const Task& t : tasks) {
                a.append();
                a.fieldByName(QStringLiteral("AProjectnr"))
                    .setAsInteger(t.archived ? keys.oldProject : keys.webProject);
                a.fieldByName(QStringLiteral("ABezeichnung")).setAsString(t.title);
                a.fieldByName(QStringLiteral("AWV")).setAsDateTime(daysFromToday(t.followUp));
                a.fieldByName(QStringLiteral("AErledigtP")).setAsInteger(t.percent);
                if (t.done)
                    a.fieldByName(QStringLiteral("AErledigt")).setAsDateTime(daysFromToday(-1));
                if (t.total != 0)
                    a.fieldByName(QStringLiteral("AGesamtZeit")).setAsDateTime(t.total);
                a.post();
            }
        }
        storeDbPath(env.databaseFolder());
        program = std::make_unique<RunningProgram>(env);
        return program->show() && QTest::qWaitForWindowActive(&window());
    }
    TTMSForm1& window() { return program->window(); }
    Tdm& dm() { return program->dm(); }
    FollowUpList& list() { return *window().followUpList(); }
    ListGrid* grid() { return list().grid(); }
    QWidget* panel() { return window().findChild<QWidget*>(QStringLiteral("PN_WV")); }
    TForm5& editor() { return *window().findChild<TForm5*>(QStringLiteral("Form5")); }
    bool editorShown() {
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == &editor(); });
    }
    QStringList column(int position) {
        QStringList texts;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            texts << grid()->cellText(row, position);
        return texts;
    }
    QStringList titles() { return column(2); }
    QList<bool> struckOut() {
        QList<bool> rows;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            rows << list().WVGridGetCellColor(row);
        return rows;
    }
    // Makes the follow-up with the title current.
    void select(const QString& title) {
        for (int row = 0; row < grid()->model()->rowCount(); ++row) {
            if (grid()->cellText(row, 2) == title)
                dm().AWV.moveTo(row);
        }
    }
    void typeInto(const char* name, const QString& text) {
        auto* field = editor().findChild<QWidget*>(QLatin1String(name));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }
    void saveEditor() {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    }
    int storedCount(const QString& sql) {
        Dataset check(dm().ADOConnection1, QStringLiteral("check"));
        check.setSql(sql);
        check.open();
        return check.recordCount();
    }
};

} // namespace

class FollowUpListTest : public QObject {
    Q_OBJECT
private slots:
    void dueTasks();
    void nothingDueHidesThePanel();
    void sortPrefixes();
    void effortShowsAsDuration();
    void deleteOnlyFollowUpHidesPanel();
    void savedDoneStaysStruckOutUntilRebuild();
    void changedPercentageRebuilds();
    void laterFollowUpStaysUntilF5();
    void archivedProjectOwnPeriod();
    void popupMenu();
    void refusedQueryKeepsPanel();
};

// Due: the follow-up date has come (today's included) and there is no done date; tasks of
// archived projects too. Ordered by project title without a click.
void FollowUpListTest::dueTasks() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("heute"), 0},
                     {QStringLiteral("morgen"), 1},
                     {QStringLiteral("gestern erledigt"), -1, true, 100},
                     {QStringLiteral("gestern 100 Prozent"), -1, false, 100},
                     {QStringLiteral("alt"), -30, false, 0, 0, true}}));
    QVERIFY(s.panel()->isVisible());
    QVERIFY(
        s.window().findChild<QSplitter*>(QStringLiteral("AdvSplitter1"))->handle(1)->isVisible());
    QCOMPARE(s.column(1), (QStringList{"Altprojekt", "Webseite Relaunch", "Webseite Relaunch"}));
    // Within a project the engine's order holds.
    QStringList titles = s.titles();
    QCOMPARE(titles.takeFirst(), QStringLiteral("alt"));
    titles.sort();
    QCOMPARE(titles, (QStringList{"gestern 100 Prozent", "heute"}));
    QVERIFY(s.column(7).contains(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))));
    QCOMPARE(s.struckOut(), (QList<bool>{false, false, false}));
    QCOMPARE(s.dm().AWV.sql().last(), QStringLiteral("order by Bezeichnung"));
}

void FollowUpListTest::nothingDueHidesThePanel() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("morgen"), 1}}));
    QVERIFY(!s.panel()->isVisible());
    // The splitter's grip goes with the panel.
    QVERIFY(
        !s.window().findChild<QSplitter*>(QStringLiteral("AdvSplitter1"))->handle(1)->isVisible());
    QCOMPARE(s.dm().AWV.recordCount(), 0);
}

void FollowUpListTest::sortPrefixes() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("b"), -2},
                     {QStringLiteral("a"), -1},
                     {QStringLiteral("c"), 0, false, 0, 0, true}}));
    clickHeader(s.grid(), 7); // "Wiedervorlage"
    QCOMPARE(s.list().sortState().orderText, QStringLiteral("order by Aufgaben.AWV asc"));
    QCOMPARE(s.titles(), (QStringList{"b", "a", "c"}));
    clickHeader(s.grid(), 1); // "Projekt"
    QCOMPARE(s.list().sortState().orderText, QStringLiteral("order by Projects.Bezeichnung asc"));
    clickHeader(s.grid(), 1);
    QCOMPARE(s.list().sortState().orderText, QStringLiteral("order by Projects.Bezeichnung desc"));
    QCOMPARE(s.column(1).first(), QStringLiteral("Webseite Relaunch"));
    QCOMPARE(s.column(1).last(), QStringLiteral("Altprojekt"));
    // A sort of the project list runs this one again in its own order.
    clickHeader(s.window().projectList()->grid(), 2);
    QCOMPARE(s.dm().AWV.sql().last(), QStringLiteral("order by Projects.Bezeichnung desc"));
    QCOMPARE(s.env.dialogs().shown().size(), 0);
}

void FollowUpListTest::effortShowsAsDuration() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("ohne"), -1},
                     {QStringLiteral("eineinhalb Tage"), -1, false, 0, 1.5},
                     {QStringLiteral("zehneinhalb Stunden"), -1, false, 0, 10.5 / 24}}));
    QCOMPARE(s.column(11), (QStringList{"", "36:00", "10:30"}));
}

void FollowUpListTest::deleteOnlyFollowUpHidesPanel() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("einzige"), 0}}));
    QVERIFY(s.panel()->isVisible());
    QMenu* menu = s.list().PMenu_WV();

    s.env.dialogs().scriptAnswers({Answer::No});
    entry(menu, QStringLiteral("Aufgabe löschen"))->trigger();
    QVERIFY(s.panel()->isVisible());
    QCOMPARE(s.titles(), (QStringList{"einzige"}));

    s.env.dialogs().scriptAnswers({Answer::Yes});
    entry(menu, QStringLiteral("Aufgabe löschen"))->trigger();
    const auto& shown = s.env.dialogs().shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.last().title, QStringLiteral("Aufgabe löschen?"));
    QCOMPARE(shown.last().text,
             QStringLiteral("Soll die ausgewählte Aufgabe wirklich gelöscht werden?"));
    QVERIFY(!s.panel()->isVisible());
    QCOMPARE(s.storedCount(QStringLiteral("Select * From Aufgaben where ABezeichnung='einzige'")),
             0);
}

// Saved with a done date and the percentage untouched: refreshed in place, struck out.
void FollowUpListTest::savedDoneStaysStruckOutUntilRebuild() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("erste"), -1}, {QStringLiteral("zweite"), 0}}));
    s.select(QStringLiteral("erste"));
    QTest::keyClick(s.grid(), Qt::Key_Return);
    QVERIFY(s.editorShown());
    QCOMPARE(s.editor().windowTitle(), QStringLiteral("Aufgabe zu Projekt: 'Webseite Relaunch'"));
    QCOMPARE(s.dm().Aufgaben.sql().join(QString()),
             QStringLiteral("Select * From Aufgaben where Anr=") +
                 QString::number(s.dm().AWV.fieldByName(QStringLiteral("Anr")).asInteger()));
    s.typeInto("AErledigt", QStringLiteral("01.04.2009"));
    s.saveEditor();

    QVERIFY(!s.editor().isVisible());
    QCOMPARE(s.titles(), (QStringList{"erste", "zweite"}));
    QCOMPARE(s.struckOut(), (QList<bool>{true, false}));
    QCOMPARE(s.column(10).first(), QStringLiteral("01.04.2009"));

    // F5 on the overview rebuilds it.
    QTest::keyClick(s.window().projectList()->grid(), Qt::Key_F5);
    QCOMPARE(s.titles(), (QStringList{"zweite"}));
}

void FollowUpListTest::changedPercentageRebuilds() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("erste"), -1}, {QStringLiteral("zweite"), 0}}));
    s.select(QStringLiteral("erste"));
    entry(s.list().PMenu_WV(), QStringLiteral("Aufgabe bearbeiten"))->trigger();
    QVERIFY(s.editorShown());
    s.typeInto("AErledigt", QStringLiteral("01.04.2009"));
    s.typeInto("AerledigtP", QStringLiteral("100"));
    s.saveEditor();
    QCOMPARE(s.titles(), (QStringList{"zweite"}));
    QCOMPARE(s.struckOut(), (QList<bool>{false}));
}

void FollowUpListTest::laterFollowUpStaysUntilF5() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("verschieben"), 0}}));
    s.select(QStringLiteral("verschieben"));
    QTest::keyClick(s.grid(), Qt::Key_Return);
    QVERIFY(s.editorShown());
    const QString later = QDate::currentDate().addDays(7).toString(QStringLiteral("dd.MM.yyyy"));
    s.typeInto("AWV", later);
    s.saveEditor();
    QCOMPARE(s.titles(), (QStringList{"verschieben"}));
    QCOMPARE(s.column(7), (QStringList{later}));
    QVERIFY(s.panel()->isVisible());
    QTest::keyClick(s.window().projectList()->grid(), Qt::Key_F5);
    QVERIFY(!s.panel()->isVisible());
}

// A follow-up of an archived project while only active ones are listed: the caption and the
// period checks are its own project's (01.03.2009 to 31.12.2009), not the last listed one's.
void FollowUpListTest::archivedProjectOwnPeriod() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("alt"), -1, false, 0, 0, true}}));
    Dataset& projects = s.dm().Projekte;
    projects.first();
    const int selected = projects.fieldByName(QStringLiteral("Nr")).asInteger();
    QTest::keyClick(s.grid(), Qt::Key_Return);
    QVERIFY(s.editorShown());
    QCOMPARE(s.editor().windowTitle(), QStringLiteral("Aufgabe zu Projekt: 'Altprojekt'"));
    // The project list stays where it was.
    QCOMPARE(projects.fieldByName(QStringLiteral("Nr")).asInteger(), selected);

    s.typeInto("AVon", QStringLiteral("28.02.2009"));
    s.env.dialogs().scriptAnswers({Answer::Yes});
    s.saveEditor();
    QCOMPARE(s.env.dialogs().shown().size(), 1);
    QCOMPARE(s.env.dialogs().shown().first().title, QStringLiteral("Projektfehler!"));
    QVERIFY(!s.editor().isVisible());
    QCOMPARE(s.storedCount(QStringLiteral("Select * From Aufgaben where AProjectnr=%1 and "
                                          "ABezeichnung='alt' and AVon is not null")
                               .arg(s.keys.oldProject)),
             1);
}

void FollowUpListTest::popupMenu() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("heute"), 0}}));
    QMenu* menu = s.list().PMenu_WV();
    QCOMPARE(menu->objectName(), QStringLiteral("PMenu_WV"));
    QCOMPARE(s.grid()->contextMenu(), menu);
    QStringList captions;
    for (const QAction* action : menu->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(captions, (QStringList{"Aufgabe bearbeiten", "Aufgabe löschen", "-", "Drucken",
                                    "Tabelle anpassen"}));
    QStringList print;
    for (const QAction* action : s.list().printMenu()->actions())
        print << action->text();
    QCOMPARE(print, (QStringList{"Wiedervorlagenliste", "Einzelaufgabe"}));
}

// A query the engine refuses (tried twice) shows its error once; the panel stays as it was.
void FollowUpListTest::refusedQueryKeepsPanel() {
    Started s;
    QVERIFY(s.start({{QStringLiteral("heute"), 0}}));
    QVERIFY(s.panel()->isVisible());
    s.list().sortState().orderText = QStringLiteral("order by Aufgaben.Unbekannt asc");
    QVERIFY(!runGuarded([&] { s.list().UpdateWV(); }));
    QCOMPARE(s.env.dialogs().shown().size(), 1);
    QVERIFY(s.panel()->isVisible());
}

ORBENTA_TEST_MAIN(FollowUpListTest)
#include "tst_followuplist.moc"
