#include "app/mainwindow.h"
#include "app/navigation.h"
#include "app/pagetoolbar.h"
#include "appfixture.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "lists/listgrid.h"
#include "projects/projectlist.h"
#include "tasks/taskeditor.h"
#include "tasks/tasklist.h"
#include "timerec/timeentryeditor.h"
#include "timerec/timelist.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

using Answer = MessageDialogs::Answer;

namespace {

void clickHeader(ListGrid* grid, int position) {
    QHeaderView* h = grid->horizontalHeader();
    const int section = h->logicalIndex(position);
    const int x = h->sectionViewportPosition(section) + h->sectionSize(section) / 2;
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
}

// The entries of a menu as "caption", separators as "-", submenus with their entries.
QStringList entries(const QMenu* menu) {
    QStringList result;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            result << QStringLiteral("-");
        else if (action->menu())
            result << action->text() + QStringLiteral(": ") +
                          entries(action->menu()).join(QStringLiteral(", "));
        else
            result << action->text();
    }
    return result;
}

QAction* entry(const QMenu* menu, const QString& caption) {
    for (QAction* action : menu->actions()) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

// The program on the fixture: "Webseite Relaunch" with the open tasks Entwurf and Umsetzung and
// the done task Angebot, "Jahresabschluss" with the open task Belege.
struct Started {
    TestEnvironment env;
    FixtureKeys keys;
    std::unique_ptr<RunningProgram> program;

    bool start() {
        keys = writeFixture(env);
        storeDbPath(env.databaseFolder());
        program = std::make_unique<RunningProgram>(env);
        return program->show() && QTest::qWaitForWindowActive(&window());
    }
    TTMSForm1& window() { return program->window(); }
    Tdm& dm() { return program->dm(); }
    TaskList& list() { return *window().taskList(); }
    ListGrid* grid() { return list().grid(); }
    TForm5& editor() { return *window().findChild<TForm5*>(QStringLiteral("Form5")); }
    int page() { return window().AdvToolBarPager1()->activePage(); }
    bool editorShown() {
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == &editor(); });
    }
    // Makes the project with the key current on the overview.
    void select(int nr) {
        Dataset& p = dm().Projekte;
        for (int row = 0; row < p.recordCount(); ++row) {
            if (p.value(row, p.fieldIndex(QStringLiteral("Nr"))).toInt() == nr)
                p.moveTo(row);
        }
    }
    void openTasksOf(int nr) {
        select(nr);
        window().navigation()->openAt(PageToolBar::Todos);
    }
    QStringList titles() {
        QStringList texts;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            texts << grid()->cellText(row, 1);
        return texts;
    }
    QList<bool> struckOut() {
        QList<bool> rows;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            rows << list().ToDoGridGetCellColor(row);
        return rows;
    }
    void typeInto(const char* name, const QString& text) {
        auto* field = editor().findChild<QWidget*>(QLatin1String(name));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
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
    // A task of the web project written straight to the file.
    void addTask(const QString& title, int percent, bool done) {
        Dataset a(dm().ADOConnection1, QStringLiteral("add"));
        a.setSql(QStringLiteral("Select * From Aufgaben"));
        a.open();
        a.append();
        a.fieldByName(QStringLiteral("AProjectnr")).setAsInteger(keys.webProject);
        a.fieldByName(QStringLiteral("ABezeichnung")).setAsString(title);
        a.fieldByName(QStringLiteral("AErledigtP")).setAsInteger(percent);
        if (done)
            a.fieldByName(QStringLiteral("AErledigt"))
                .setAsDateTime(DateTimeValue::fromDate(QDate(2009, 4, 1)));
        a.post();
    }
};

} // namespace

class TaskListTest : public QObject {
    Q_OBJECT
private slots:
    void openTasksOnEntering();
    void checkBoxShowsDoneStruckOutAndKeepsOrder();
    void doneMeansADoneDate();
    void strikeOutFollowsTheDoneColumn();
    void addEditAndF5();
    void addFromOverview_data();
    void addFromOverview();
    void openFromOverview();
    void openFromTimePage();
    void editOnEmptyListDoesNothing();
    void deleteKeepsTimeEntriesAndTotal();
    void deleteOnEmptyList();
    void popupMenu();
    void addFromTimePage();
    void timeEntryForSelectedTask();
    void effortTotal();
};

void TaskListTest::openTasksOnEntering() {
    Started s;
    QVERIFY(s.start());
    s.list().AdvOfficeCheckBox1()->setChecked(true);
    s.openTasksOf(s.keys.webProject);
    QCOMPARE(s.page(), int(PageToolBar::Todos));
    QCOMPARE(s.titles(), (QStringList{"Entwurf", "Umsetzung"}));
    QVERIFY(!s.list().AdvOfficeCheckBox1()->isChecked());
    QCOMPARE(s.list().AdvOfficeCheckBox1()->text(), QStringLiteral("erledigte Aufgaben anzeigen"));
    QCOMPARE(s.dm().Aufgaben.recNo(), 0);
    QCOMPARE(QApplication::focusWidget(), s.grid());
    QCOMPARE(s.struckOut(), (QList<bool>{false, false}));
}

void TaskListTest::checkBoxShowsDoneStruckOutAndKeepsOrder() {
    Started s;
    QVERIFY(s.start());
    s.openTasksOf(s.keys.webProject);
    clickHeader(s.grid(), 1);
    clickHeader(s.grid(), 1); // descending
    QCOMPARE(s.titles(), (QStringList{"Umsetzung", "Entwurf"}));

    QTest::mouseClick(s.list().AdvOfficeCheckBox1(), Qt::LeftButton);
    QCOMPARE(s.titles(), (QStringList{"Umsetzung", "Entwurf", "Angebot"}));
    QCOMPARE(s.struckOut(), (QList<bool>{false, false, true}));
    QCOMPARE(s.grid()->cellText(2, 9), QStringLiteral("20.03.2009"));

    QTest::mouseClick(s.list().AdvOfficeCheckBox1(), Qt::LeftButton);
    QCOMPARE(s.titles(), (QStringList{"Umsetzung", "Entwurf"}));
    QCOMPARE(s.env.dialogs().shown().size(), 0);
}

// Open or done is the done date alone, never the percentage.
void TaskListTest::doneMeansADoneDate() {
    Started s;
    QVERIFY(s.start());
    s.addTask(QStringLiteral("Fertig ohne Datum"), 100, false);
    s.addTask(QStringLiteral("Datum ohne Prozent"), 0, true);
    s.openTasksOf(s.keys.webProject);
    QCOMPARE(s.titles(), (QStringList{"Entwurf", "Umsetzung", "Fertig ohne Datum"}));
    QCOMPARE(s.struckOut(), (QList<bool>{false, false, false}));
    s.list().AdvOfficeCheckBox1()->setChecked(true);
    QCOMPARE(s.titles(), (QStringList{"Entwurf", "Umsetzung", "Angebot", "Fertig ohne Datum",
                                      "Datum ohne Prozent"}));
    QCOMPARE(s.struckOut(), (QList<bool>{false, false, true, false, true}));
}

void TaskListTest::strikeOutFollowsTheDoneColumn() {
    Started s;
    QVERIFY(s.start());
    s.openTasksOf(s.keys.webProject);
    s.list().AdvOfficeCheckBox1()->setChecked(true);
    QHeaderView* header = s.grid()->horizontalHeader();
    header->moveSection(9, 1); // "Erledigt" to the front
    QCOMPARE(s.grid()->fieldAt(1), QStringLiteral("AErledigt"));
    QCOMPARE(s.struckOut(), (QList<bool>{false, false, true}));

    // Without a column bound to the done date no row is struck out.
    ColumnLayout layout = TaskList::designLayout();
    layout.removeAt(8);
    s.grid()->setColumnLayout(layout);
    QCOMPARE(s.struckOut(), (QList<bool>{false, false, false}));
}

void TaskListTest::addEditAndF5() {
    Started s;
    QVERIFY(s.start());
    s.openTasksOf(s.keys.webProject);
    clickHeader(s.grid(), 1); // by title
    QCOMPARE(s.titles(), (QStringList{"Entwurf", "Umsetzung"}));

    QTest::mouseClick(s.window().AdvToolBarPager1()->BTN_AddTodo, Qt::LeftButton);
    QVERIFY(s.editorShown());
    QCOMPARE(s.editor().windowTitle(), QStringLiteral("Aufgabe zu Projekt: 'Webseite Relaunch'"));
    QCOMPARE(s.editor().windowModality(), Qt::WindowModal);
    s.typeInto("ABezeichnung", QStringLiteral("Abnahme"));
    s.saveEditor();
    QVERIFY(!s.editor().isVisible());
    // A new task stands at the end until the list is run again.
    QCOMPARE(s.titles(), (QStringList{"Entwurf", "Umsetzung", "Abnahme"}));
    QTest::keyClick(s.grid(), Qt::Key_F5);
    QCOMPARE(s.titles(), (QStringList{"Abnahme", "Entwurf", "Umsetzung"}));

    // Enter edits the current task.
    s.grid()->setFocus();
    QTest::keyClick(s.grid(), Qt::Key_Down);
    QCOMPARE(s.dm().Aufgaben.recNo(), 1);
    QTest::keyClick(s.grid(), Qt::Key_Return);
    QVERIFY(s.editorShown());
    QCOMPARE(s.dm().Aufgaben.state(), Dataset::State::Edit);
    QCOMPARE(s.editor().findChild<QLineEdit*>(QStringLiteral("ABezeichnung"))->text(),
             QStringLiteral("Entwurf"));
    s.typeInto("ABezeichnung", QStringLiteral("Entwurf neu"));
    s.saveEditor();
    QCOMPARE(s.titles(), (QStringList{"Abnahme", "Entwurf neu", "Umsetzung"}));
    QCOMPARE(
        s.storedCount(QStringLiteral("Select * From Aufgaben where ABezeichnung='Entwurf neu'")),
        1);
}

void TaskListTest::addFromOverview_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<bool>("tasksOpenBefore");
    QTest::newRow("popup menu, Aufgaben closed") << "PMenue_Uebersicht" << false;
    QTest::newRow("functions menu, Aufgaben open") << "PMenu_Functions" << true;
}

// The new task belongs to the project selected on the overview, whatever Aufgaben held.
void TaskListTest::addFromOverview() {
    QFETCH(QString, menu);
    QFETCH(bool, tasksOpenBefore);
    Started s;
    QVERIFY(s.start());
    if (tasksOpenBefore) {
        s.openTasksOf(s.keys.webProject);
        s.window().navigation()->BTN_PRClosePRClick();
        s.dm().Aufgaben.setSql(QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                               QString::number(s.keys.webProject));
        s.dm().Aufgaben.open();
    }
    QCOMPARE(s.dm().Aufgaben.active(), tasksOpenBefore);
    s.select(s.keys.closingProject);

    auto* m = s.window().findChild<QMenu*>(menu);
    QVERIFY(m);
    entry(m, QStringLiteral("Aufgabe hinzufügen"))->trigger();
    QVERIFY(s.editorShown());
    QCOMPARE(s.editor().windowTitle(), QStringLiteral("Aufgabe zu Projekt: 'Jahresabschluss'"));
    s.typeInto("ABezeichnung", QStringLiteral("Steuerberater anrufen"));
    s.saveEditor();

    QVERIFY(!s.editor().isVisible());
    QCOMPARE(s.page(), int(PageToolBar::Uebersicht));
    QVERIFY(s.window().findChild<QWidget*>(QStringLiteral("PN_Uebersicht"))->isVisible());
    QCOMPARE(s.storedCount(QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                           QString::number(s.keys.closingProject) +
                           QStringLiteral(" and ABezeichnung='Steuerberater anrufen'")),
             1);
    QCOMPARE(s.env.dialogs().shown().size(), 0);
}

void TaskListTest::openFromOverview() {
    Started s;
    QVERIFY(s.start());
    s.select(s.keys.closingProject);
    entry(s.window().findChild<QMenu*>(QStringLiteral("PMenue_Uebersicht")),
          QStringLiteral("Aufgaben öffnen"))
        ->trigger();
    QCOMPARE(s.page(), int(PageToolBar::Todos));
    QCOMPARE(s.titles(), (QStringList{"Belege"}));
    QCOMPARE(s.window().windowTitle(), QStringLiteral("Orbenta - Jahresabschluss"));
}

// "Aufgaben öffnen" of the time list's menu: the task page of the open project, entered anew.
void TaskListTest::openFromTimePage() {
    Started s;
    QVERIFY(s.start());
    s.list().AdvOfficeCheckBox1()->setChecked(true);
    s.select(s.keys.webProject);
    s.window().navigation()->openAt(PageToolBar::Time);
    entry(s.window().timeList()->PMenu_Time(), QStringLiteral("Aufgaben öffnen"))->trigger();
    QCOMPARE(s.page(), int(PageToolBar::Todos));
    QCOMPARE(s.titles(), (QStringList{"Entwurf", "Umsetzung"}));
    QCOMPARE(QApplication::focusWidget(), s.grid());
}

void TaskListTest::editOnEmptyListDoesNothing() {
    Started s;
    QVERIFY(s.start());
    s.openTasksOf(s.keys.closingProject);
    s.dm().Aufgaben.first();
    s.dm().Aufgaben.deleteRecord();
    QCOMPARE(s.titles(), QStringList());
    const int before = s.storedCount(QStringLiteral("Select * From Aufgaben"));
    QTest::mouseClick(s.window().AdvToolBarPager1()->BTN_EditTodo, Qt::LeftButton);
    QVERIFY(!s.editor().isVisible());
    QCOMPARE(s.dm().Aufgaben.state(), Dataset::State::Browse);
    QCOMPARE(s.storedCount(QStringLiteral("Select * From Aufgaben")), before);
}

void TaskListTest::deleteKeepsTimeEntriesAndTotal() {
    Started s;
    QVERIFY(s.start());
    s.openTasksOf(s.keys.webProject);
    const int anr = s.dm().Aufgaben.fieldByName(QStringLiteral("Anr")).asInteger();
    s.dm().ADOConnection1.execute(QStringLiteral("update PRZeiten set AID=%1, "
                                                 "ABezeichnung='Entwurf' where PRID=%2")
                                      .arg(anr)
                                      .arg(s.keys.webProject));
    const QString entriesOfTask = QStringLiteral("Select * From PRZeiten where AID=%1").arg(anr);
    QCOMPARE(s.storedCount(entriesOfTask), s.keys.webTimeEntries);

    // No deletes nothing.
    s.env.dialogs().scriptAnswers({Answer::No});
    QTest::mouseClick(s.window().AdvToolBarPager1()->BTN_DelToDo, Qt::LeftButton);
    QCOMPARE(s.titles(), (QStringList{"Entwurf", "Umsetzung"}));

    s.env.dialogs().scriptAnswers({Answer::Yes});
    QTest::mouseClick(s.window().AdvToolBarPager1()->BTN_DelToDo, Qt::LeftButton);
    const auto& shown = s.env.dialogs().shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.last().title, QStringLiteral("Aufgabe löschen?"));
    QCOMPARE(shown.last().text,
             QStringLiteral("Soll die ausgewählte Aufgabe wirklich gelöscht werden?"));
    QCOMPARE(s.titles(), (QStringList{"Umsetzung"}));
    QCOMPARE(s.storedCount(QStringLiteral("Select * From Aufgaben where Anr=%1").arg(anr)), 0);
    QCOMPARE(s.storedCount(entriesOfTask), s.keys.webTimeEntries);
    QCOMPARE(s.storedCount(QStringLiteral("Select * From Projects where GesamtZeit='12:30' and "
                                          "Nr=%1")
                               .arg(s.keys.webProject)),
             1);
}

// Yes with no task: the data layer's own message, and nothing else happens.
void TaskListTest::deleteOnEmptyList() {
    Started s;
    QVERIFY(s.start());
    s.openTasksOf(s.keys.closingProject);
    s.env.dialogs().scriptAnswers({Answer::Yes, Answer::Yes});
    QTest::mouseClick(s.window().AdvToolBarPager1()->BTN_DelToDo, Qt::LeftButton);
    QCOMPARE(s.titles(), QStringList());
    QTest::mouseClick(s.window().AdvToolBarPager1()->BTN_DelToDo, Qt::LeftButton);
    const auto& shown = s.env.dialogs().shown();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.last().text,
             QStringLiteral("Aufgaben: Operation bei leerer Datenmenge nicht ausführbar"));
}

void TaskListTest::popupMenu() {
    Started s;
    QVERIFY(s.start());
    QMenu* menu = s.list().PMenu_ToDos();
    QCOMPARE(menu->objectName(), QStringLiteral("PMenu_ToDos"));
    QCOMPARE(s.grid()->contextMenu(), menu);
    QCOMPARE(entries(menu),
             (QStringList{"Aufgabe hinzufügen", "Aufgabe bearbeiten", "Aufgabe löschen", "-",
                          "Zeiterfassung hinzufügen", "Zeiterfassung öffnen", "-",
                          "Datei hinzufügen", "Dateiübersicht öffnen", "-", "Projekt schließen",
                          "-", "Drucken: Aufgabenliste, Einzelaufgabe", "Tabelle anpassen"}));

    // "Projekt schließen" closes the project; "Zeiterfassung öffnen" goes to the time page.
    s.openTasksOf(s.keys.webProject);
    entry(menu, QStringLiteral("Zeiterfassung öffnen"))->trigger();
    QCOMPARE(s.page(), int(PageToolBar::Time));
    s.window().navigation()->openAt(PageToolBar::Todos);
    entry(menu, QStringLiteral("Projekt schließen"))->trigger();
    QCOMPARE(s.page(), int(PageToolBar::Uebersicht));
    QCOMPARE(s.env.dialogs().shown().size(), 0);
}

// "Aufgabe hinzufügen" of the time list's menu: a task of the open project.
void TaskListTest::addFromTimePage() {
    Started s;
    QVERIFY(s.start());
    s.select(s.keys.closingProject);
    s.window().navigation()->openAt(PageToolBar::Time);
    entry(s.window().timeList()->PMenu_Time(), QStringLiteral("Aufgabe hinzufügen"))->trigger();
    QVERIFY(s.editorShown());
    QCOMPARE(s.editor().windowTitle(), QStringLiteral("Aufgabe zu Projekt: 'Jahresabschluss'"));
    s.typeInto("ABezeichnung", QStringLiteral("Kasse zaehlen"));
    s.saveEditor();
    QCOMPARE(s.page(), int(PageToolBar::Time));
    QCOMPARE(s.storedCount(QStringLiteral("Select * From Aufgaben where AProjectnr=%1 and "
                                          "ABezeichnung='Kasse zaehlen'")
                               .arg(s.keys.closingProject)),
             1);
}

// "Zeiterfassung hinzufügen" of the task list: a new time entry with the selected task chosen.
void TaskListTest::timeEntryForSelectedTask() {
    Started s;
    QVERIFY(s.start());
    s.openTasksOf(s.keys.webProject);
    s.dm().Aufgaben.moveTo(1);
    const int anr = s.dm().Aufgaben.fieldByName(QStringLiteral("Anr")).asInteger();
    entry(s.list().PMenu_ToDos(), QStringLiteral("Zeiterfassung hinzufügen"))->trigger();
    Dataset& times = s.dm().Time;
    QCOMPARE(times.state(), Dataset::State::Insert);
    QCOMPARE(times.fieldByName(QStringLiteral("AID")).asInteger(), anr);
    QCOMPARE(times.fieldByName(QStringLiteral("PRID")).asInteger(), s.keys.webProject);
    QVERIFY(s.program->timeEditor().isVisible());
    QTest::mouseClick(s.program->timeEditor().cancelButton(), Qt::LeftButton);
    QVERIFY(!s.program->timeEditor().isVisible());
    QCOMPARE(times.state(), Dataset::State::Browse);
}

// The effort total reads as hours and minutes, and as nothing while there is none.
void TaskListTest::effortTotal() {
    Started s;
    QVERIFY(s.start());
    s.dm().ADOConnection1.execute(
        QStringLiteral("update Aufgaben set AGesamtZeit=1.5 where ABezeichnung='Entwurf'"));
    s.openTasksOf(s.keys.webProject);
    QCOMPARE(s.grid()->cellText(0, 10), QStringLiteral("36:00"));
    QCOMPARE(s.grid()->cellText(1, 10), QString());
    Dataset& tasks = s.dm().Aufgaben;
    QCOMPARE(tasks.displayText(0, tasks.fieldIndex(QStringLiteral("AGesamtZeit"))),
             QStringLiteral("36:00"));
    // Also in a column the user binds to the stored total.
    ColumnLayout layout = TaskList::designLayout();
    layout[9].field = QStringLiteral("AGesamtZeit");
    s.grid()->setColumnLayout(layout);
    QCOMPARE(s.grid()->cellText(0, 10), QStringLiteral("36:00"));
}

ORBENTA_TEST_MAIN(TaskListTest)
#include "tst_tasklist.moc"
