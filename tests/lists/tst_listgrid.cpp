#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "lists/searchbar.h"
#include "projects/projectlist.h"
#include "tasks/followuplist.h"
#include "tasks/tasklist.h"
#include "testsupport.h"
#include "timerec/timelist.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <memory>

namespace {

// Receives the keys the grid leaves to the window.
class KeyRecorder : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Control)
            keys.append(event->key());
    }
};

QPoint sectionPoint(ListGrid* grid, int position, int offset = -1) {
    QHeaderView* h = grid->horizontalHeader();
    const int section = h->logicalIndex(position);
    const int left = h->sectionViewportPosition(section);
    const int x = offset < 0 ? left + h->sectionSize(section) / 2 : left + offset;
    return QPoint(x, h->height() / 2);
}

void clickHeader(ListGrid* grid, int position, int offset = -1) {
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      sectionPoint(grid, position, offset));
}

QStringList column(ListGrid* grid, int position) {
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts.append(grid->cellText(row, position));
    return texts;
}

} // namespace

class TestListGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void threeClicksToggleTheDirection();
    void anotherColumnStartsAscending();
    void theFourSortStatesAreSeparate();
    void refusedClicks_data();
    void refusedClicks();
    void pressNearABorder_data();
    void pressNearABorder();
    void calculatedColumnSortsBySource_data();
    void calculatedColumnSortsBySource();
    void movedColumnSortsByItsField();
    void gridFollowsTheCursor();
    void pageKeysWithCtrlReachTheWindow();
    void titleAndSearchBarTexts_data();
    void titleAndSearchBarTexts();

private:
    int addProject(const QString& title, int archiv = 0);
    void addTask(int project, const QString& title, double effort);
    void addTime(int project, const QString& title, double effort);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<Tdm> m_dm;
    std::unique_ptr<KeyRecorder> m_window;
    std::unique_ptr<ProjectList> m_projects;
    int m_projectNr = 0;
};

int TestListGrid::addProject(const QString& title, int archiv) {
    Dataset& p = m_dm->Projekte;
    p.append();
    p.fieldByName(QStringLiteral("Bezeichnung")).setAsString(title);
    p.fieldByName(QStringLiteral("Archiv")).setAsInteger(archiv);
    p.post();
    return p.fieldByName(QStringLiteral("Nr")).asInteger();
}

void TestListGrid::addTask(int project, const QString& title, double effort) {
    Dataset& a = m_dm->Aufgaben;
    a.append();
    a.fieldByName(QStringLiteral("AProjectnr")).setAsInteger(project);
    a.fieldByName(QStringLiteral("ABezeichnung")).setAsString(title);
    a.fieldByName(QStringLiteral("AGesamtZeit")).setAsDateTime(effort);
    a.fieldByName(QStringLiteral("AWV")).setAsDateTime(40000);
    a.post();
}

void TestListGrid::addTime(int project, const QString& title, double effort) {
    Dataset& t = m_dm->Time;
    t.append();
    t.fieldByName(QStringLiteral("PRID")).setAsInteger(project);
    t.fieldByName(QStringLiteral("Bezeichnung")).setAsString(title);
    t.fieldByName(QStringLiteral("Aufwand")).setAsDateTime(effort);
    t.post();
}

void TestListGrid::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_dm = std::make_unique<Tdm>(m_env->rootFolder() + QLatin1Char('/'));
    m_env->connectDataModule(*m_dm);

    m_dm->Projekte.setSql(ProjectList::AllProjects);
    m_dm->Projekte.open();
    m_projectNr = addProject(QStringLiteral("Beta"));
    addProject(QStringLiteral("alpha"));
    addProject(QStringLiteral("Gamma"));

    m_dm->Aufgaben.setSql(QStringLiteral("Select * From Aufgaben"));
    m_dm->Aufgaben.open();
    // Text order of the efforts (02:24, 108:00, 12:00) differs from their order by size.
    addTask(m_projectNr, QStringLiteral("Lang"), 4.5);
    addTask(m_projectNr, QStringLiteral("Kurz"), 0.1);
    addTask(m_projectNr, QStringLiteral("Mittel"), 0.5);

    m_dm->Time.setSql(QStringLiteral("Select * From PRZeiten"));
    m_dm->Time.open();
    addTime(m_projectNr, QStringLiteral("Lang"), 4.5);
    addTime(m_projectNr, QStringLiteral("Kurz"), 0.1);
    addTime(m_projectNr, QStringLiteral("Mittel"), 0.5);

    m_window = std::make_unique<KeyRecorder>();
    m_window->resize(1400, 500);
    m_projects = std::make_unique<ProjectList>(*m_dm, m_window.get());
    m_projects->panel()->setGeometry(0, 0, 1400, 500);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_projects->showprojecte();
}

void TestListGrid::cleanup() {
    m_projects.reset();
    m_window.reset();
    m_dm.reset();
    m_env.reset();
}

void TestListGrid::threeClicksToggleTheDirection() {
    ListGrid* grid = m_projects->grid();
    QCOMPARE(grid->objectName(), QStringLiteral("UebersichtGrid"));
    QCOMPARE(m_projects->sortState().orderText, QString());
    QCOMPARE(grid->sortIndicatorColumn(), -1);

    const QStringList ascending{QStringLiteral("alpha"), QStringLiteral("Beta"),
                                QStringLiteral("Gamma")};
    const QStringList descending{ascending.rbegin(), ascending.rend()};
    const struct {
        QString order;
        bool ascending;
        QStringList rows;
    } clicks[] = {{QStringLiteral("order by Bezeichnung asc"), true, ascending},
                  {QStringLiteral("order by Bezeichnung desc"), false, descending},
                  {QStringLiteral("order by Bezeichnung asc"), true, ascending}};
    for (const auto& click : clicks) {
        clickHeader(grid, 2);
        QCOMPARE(m_projects->sortState().orderText, click.order);
        QCOMPARE(m_dm->Projekte.sql(), QStringList({ProjectList::ActiveProjects, click.order}));
        QCOMPARE(grid->sortIndicatorColumn(), 2);
        QCOMPARE(grid->sortIndicatorAscending(), click.ascending);
        QCOMPARE(column(grid, 2), click.rows);
    }
}

void TestListGrid::anotherColumnStartsAscending() {
    ListGrid* grid = m_projects->grid();
    clickHeader(grid, 2);
    clickHeader(grid, 2);
    QCOMPARE(m_projects->sortState().direction, QStringLiteral("desc"));
    clickHeader(grid, 3);
    QCOMPARE(m_projects->sortState().orderText, QStringLiteral("order by Status asc"));
    QCOMPARE(grid->sortIndicatorColumn(), 3);
    QVERIFY(grid->sortIndicatorAscending());
    // Back on the first column: it is new again.
    clickHeader(grid, 2);
    QCOMPARE(m_projects->sortState().orderText, QStringLiteral("order by Bezeichnung asc"));
    QVERIFY(grid->sortIndicatorAscending());
}

void TestListGrid::theFourSortStatesAreSeparate() {
    TaskList tasks(*m_dm, m_window.get());
    TimeList times(*m_dm, m_window.get());
    FollowUpList followUps(*m_dm, m_window.get());
    for (QWidget* panel : {tasks.panel(), times.panel(), followUps.panel()}) {
        panel->setGeometry(0, 0, 1400, 500);
        panel->show();
        panel->raise();
    }
    tasks.setProject(m_projectNr);
    tasks.showaufgaben();
    times.setProject(m_projectNr);
    times.showtimes();
    // The follow-up query comes later; the list's own result will do here.
    m_dm->AWV.close();
    m_dm->AWV.setSql(QStringList{QStringLiteral("SELECT Projects.Bezeichnung, Aufgaben.*"),
                                 QStringLiteral("FROM Projects INNER JOIN Aufgaben ON "
                                                "Projects.Nr = Aufgaben.AProjectnr;")});
    m_dm->AWV.open();

    clickHeader(m_projects->grid(), 2);
    clickHeader(tasks.grid(), 2);
    clickHeader(times.grid(), 2);
    clickHeader(followUps.grid(), 2);
    QCOMPARE(m_projects->sortState().orderText, QStringLiteral("order by Bezeichnung asc"));
    QCOMPARE(tasks.sortState().orderText, QStringLiteral("order by ADelegiert asc"));
    QCOMPARE(times.sortState().orderText, QStringLiteral("order by Bearbeiter asc"));
    QCOMPARE(followUps.sortState().orderText, QStringLiteral("order by Aufgaben.ABezeichnung asc"));

    clickHeader(m_projects->grid(), 2);
    QCOMPARE(m_projects->sortState().direction, QStringLiteral("desc"));
    QCOMPARE(tasks.sortState().direction, QStringLiteral("asc"));
    QCOMPARE(tasks.grid()->sortIndicatorColumn(), 2);
    QVERIFY(tasks.grid()->sortIndicatorAscending());

    // The project title gets its table's name in the follow-up list.
    clickHeader(followUps.grid(), 1);
    QCOMPARE(followUps.sortState().orderText, QStringLiteral("order by Projects.Bezeichnung asc"));
    clickHeader(followUps.grid(), 7);
    QCOMPARE(followUps.sortState().orderText, QStringLiteral("order by Aufgaben.AWV asc"));

    // A new project empties the task order but remembers the column and direction.
    tasks.setProject(m_projectNr);
    QCOMPARE(tasks.sortState().orderText, QString());
    QCOMPARE(tasks.grid()->sortIndicatorColumn(), -1);
    tasks.showaufgaben();
    QCOMPARE(m_dm->Aufgaben.sql().last(), QString());
    clickHeader(tasks.grid(), 2);
    QCOMPARE(tasks.sortState().orderText, QStringLiteral("order by ADelegiert desc"));
    QVERIFY(!tasks.grid()->sortIndicatorAscending());
}

void TestListGrid::refusedClicks_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("singleRow");
    QTest::newRow("indicator column") << 0 << QString() << false;
    QTest::newRow("column without field") << 2 << QString() << false;
    QTest::newRow("field the list does not have") << 2 << QStringLiteral("Nr; drop") << false;
    QTest::newRow("a single row") << 2 << QStringLiteral("Bezeichnung") << true;
}

void TestListGrid::refusedClicks() {
    QFETCH(int, position);
    QFETCH(QString, field);
    QFETCH(bool, singleRow);
    ListGrid* grid = m_projects->grid();
    ColumnLayout layout = ProjectList::designLayout();
    layout[1].field = field;
    grid->setColumnLayout(layout);
    if (singleRow) {
        m_projects->setBaseText(QStringLiteral("Select * from Projects where Nr=") +
                                QString::number(m_projectNr));
        m_projects->showprojecte();
    }
    const QStringList sql = m_dm->Projekte.sql();
    QSignalSpy reopened(&m_dm->Projekte, &Dataset::afterOpen);
    QSignalSpy followUps(m_projects.get(), &ProjectList::updateFollowUps);

    clickHeader(grid, position);
    QCOMPARE(m_projects->sortState().column, 0);
    QCOMPARE(m_projects->sortState().direction, QString());
    QCOMPARE(m_projects->sortState().orderText, QString());
    QCOMPARE(grid->sortIndicatorColumn(), -1);
    QCOMPARE(reopened.count(), 0);
    QCOMPARE(followUps.count(), 0);
    QCOMPARE(m_dm->Projekte.sql(), sql);
    QVERIFY(m_dm->Projekte.active());

    // A refused click leaves the next real one a new column.
    clickHeader(grid, 3);
    QCOMPARE(m_projects->sortState().orderText,
             singleRow ? QString() : QStringLiteral("order by Status asc"));
}

void TestListGrid::pressNearABorder_data() {
    QTest::addColumn<int>("offset"); // from the left edge; negative from the right edge
    QTest::addColumn<bool>("sorts");
    QTest::newRow("on the left edge") << 0 << false;
    QTest::newRow("3 px from the left edge") << 3 << false;
    QTest::newRow("4 px from the left edge") << 4 << true;
    QTest::newRow("last pixel") << -1 << false;
    QTest::newRow("third pixel from the right") << -3 << false;
    QTest::newRow("fourth pixel from the right") << -4 << true;
}

// Every press either grabs the border or sorts: none does neither.
void TestListGrid::pressNearABorder() {
    QFETCH(int, offset);
    QFETCH(bool, sorts);
    ListGrid* grid = m_projects->grid();
    QHeaderView* h = grid->horizontalHeader();
    const int width = h->sectionSize(h->logicalIndex(3));
    const int at = offset >= 0 ? offset : width + offset;
    clickHeader(grid, 3, at);
    QCOMPARE(m_projects->sortState().orderText,
             sorts ? QStringLiteral("order by Status asc") : QString());
    QCOMPARE(grid->sortIndicatorColumn(), sorts ? 3 : -1);
    if (sorts)
        return;

    // Dragging from there resizes a column and still sorts nothing.
    const int widths = h->sectionSize(2) + h->sectionSize(3);
    const QPoint from = sectionPoint(grid, 3, at);
    QTest::mousePress(h->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(15, 0)),
                     h->viewport()->mapToGlobal(QPointF(from + QPoint(15, 0))), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(h->viewport(), &move);
    QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, from + QPoint(15, 0));
    QCOMPARE(h->sectionSize(2) + h->sectionSize(3), widths + 15);
    QCOMPARE(m_projects->sortState().orderText, QString());
}

void TestListGrid::calculatedColumnSortsBySource_data() {
    QTest::addColumn<bool>("timeList");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("order");
    QTest::newRow("task effort") << false << 10 << QStringLiteral("order by AGesamtZeit asc");
    QTest::newRow("time entry effort") << true << 7 << QStringLiteral("order by Aufwand asc");
}

void TestListGrid::calculatedColumnSortsBySource() {
    QFETCH(bool, timeList);
    QFETCH(int, position);
    QFETCH(QString, order);
    std::unique_ptr<DatasetList> list;
    if (timeList) {
        auto times = std::make_unique<TimeList>(*m_dm, m_window.get());
        times->setProject(m_projectNr);
        times->showtimes();
        list = std::move(times);
    } else {
        auto tasks = std::make_unique<TaskList>(*m_dm, m_window.get());
        tasks->setProject(m_projectNr);
        tasks->showaufgaben();
        list = std::move(tasks);
    }
    list->panel()->setGeometry(0, 0, 1400, 500);
    list->panel()->show();
    list->panel()->raise();

    clickHeader(list->grid(), position);
    QCOMPARE(list->sortState().orderText, order);
    QCOMPARE(list->grid()->sortIndicatorColumn(), position);
    QCOMPARE(column(list->grid(), 1), QStringList({QStringLiteral("Kurz"), QStringLiteral("Mittel"),
                                                   QStringLiteral("Lang")}));
    QCOMPARE(
        column(list->grid(), position),
        QStringList({QStringLiteral("02:24"), QStringLiteral("12:00"), QStringLiteral("108:00")}));
}

void TestListGrid::movedColumnSortsByItsField() {
    ListGrid* grid = m_projects->grid();
    QHeaderView* h = grid->horizontalHeader();
    h->moveSection(2, 5);
    QCOMPARE(grid->fieldAt(5), QStringLiteral("Bezeichnung"));
    QCOMPARE(grid->fieldAt(2), QStringLiteral("Status"));
    const ColumnLayout layout = grid->columnLayout();
    QCOMPARE(layout.size(), 16);
    QCOMPARE(layout.at(4).field, QStringLiteral("Bezeichnung"));
    QCOMPARE(layout.at(4).title, QStringLiteral("Bezeichnung"));

    clickHeader(grid, 5);
    QCOMPARE(m_projects->sortState().orderText, QStringLiteral("order by Bezeichnung asc"));
    QCOMPARE(grid->sortIndicatorColumn(), 5);
    QCOMPARE(grid->cellText(0, 5), QStringLiteral("alpha"));

    // The indicator column keeps its place.
    h->moveSection(0, 3);
    QCOMPARE(h->visualIndex(0), 0);
    h->moveSection(4, 0);
    QCOMPARE(h->visualIndex(0), 0);
}

void TestListGrid::gridFollowsTheCursor() {
    ListGrid* grid = m_projects->grid();
    Dataset& p = m_dm->Projekte;
    QCOMPARE(grid->currentIndex().row(), 0);

    const QRect cell = grid->visualRect(grid->model()->index(2, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(p.recNo(), 2);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(p.recNo(), 1);
    p.first();
    QCOMPARE(grid->currentIndex().row(), 0);
    QVERIFY(grid->selectionModel()->isRowSelected(0, QModelIndex()));
    p.last();
    QCOMPARE(grid->currentIndex().row(), 2);

    // A row appended and cancelled comes and goes in the grid; the cursor goes back to the row
    // it came from, and the grid with it.
    p.moveTo(1);
    p.append();
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(grid->currentIndex().row(), 3);
    p.cancel();
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(p.recNo(), 1);
    QCOMPARE(grid->currentIndex().row(), 1);

    // A deleted row leaves the cursor on the row after it.
    const QString after = grid->cellText(2, 2);
    p.deleteRecord();
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(p.recNo(), 1);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(grid->cellText(1, 2), after);
}

void TestListGrid::pageKeysWithCtrlReachTheWindow() {
    ListGrid* grid = m_projects->grid();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_PageDown);
    QCOMPARE(m_window->keys, QList<int>({Qt::Key_PageDown, Qt::Key_PageUp}));
}

void TestListGrid::titleAndSearchBarTexts_data() {
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("closeHint");
    QTest::newRow("projects") << 0 << "UebersichtGrid"
                              << "Projektliste"
                              << "AdvGlowButton1"
                              << "Suche schließen";
    QTest::newRow("tasks") << 1 << "ToDoGrid"
                           << "Aufgabenliste"
                           << "AdvGlowButton2"
                           << "Close";
    QTest::newRow("time entries") << 2 << "TimeGrid"
                                  << "Zeitnahmen"
                                  << "AdvGlowButton3"
                                  << "Close";
    QTest::newRow("follow-ups") << 3 << "WVGrid"
                                << "Wiedervorlagen"
                                << "AdvGlowButton4"
                                << "Close";
}

void TestListGrid::titleAndSearchBarTexts() {
    QFETCH(int, list);
    QFETCH(QString, grid);
    QFETCH(QString, title);
    QFETCH(QString, button);
    QFETCH(QString, closeHint);
    std::unique_ptr<DatasetList> other;
    if (list == 1)
        other = std::make_unique<TaskList>(*m_dm, m_window.get());
    else if (list == 2)
        other = std::make_unique<TimeList>(*m_dm, m_window.get());
    else if (list == 3)
        other = std::make_unique<FollowUpList>(*m_dm, m_window.get());
    ListPanel* panel = other ? other->panel() : m_projects->panel();

    QCOMPARE(panel->grid()->objectName(), grid);
    QCOMPARE(panel->findChild<QLabel*>(QStringLiteral("ListTitle"))->text(), title);
    auto* search = panel->findChild<QPushButton*>(button);
    QVERIFY(search);
    QCOMPARE(search->text(), QStringLiteral("Suche"));

    SearchBar* bar = panel->searchBar();
    const auto tip = [bar](const char* name) {
        return bar->findChild<QWidget*>(QLatin1String(name))->toolTip();
    };
    QCOMPARE(bar->findChild<QPushButton*>(QStringLiteral("SearchBackward"))->text(),
             QStringLiteral("&Aufwärts"));
    QCOMPARE(tip("SearchBackward"),
             QStringLiteral("Das vorherige Auftreten des Ausdruckes suchen."));
    QCOMPARE(bar->findChild<QPushButton*>(QStringLiteral("SearchForward"))->text(),
             QStringLiteral("Ab&wärts"));
    QCOMPARE(tip("SearchForward"), QStringLiteral("Das nächste Auftreten des Ausdruckes suchen."));
    QCOMPARE(bar->findChild<QCheckBox*>(QStringLiteral("Highlight"))->text(),
             QStringLiteral("Hervorheben"));
    QCOMPARE(tip("Highlight"), QStringLiteral("Jedes vorkommen des Audrucks im Text hervorheben."));
    QCOMPARE(bar->findChild<QCheckBox*>(QStringLiteral("MatchCase"))->text(),
             QStringLiteral("Groß-/Kleinschreibung"));
    QCOMPARE(tip("MatchCase"), QString());
    QCOMPARE(tip("CloseSearch"), closeHint);
}

ORBENTA_TEST_MAIN(TestListGrid)
#include "tst_listgrid.moc"
