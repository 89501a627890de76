#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "lists/searchbar.h"
#include "projects/projectlist.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <memory>

namespace {

QStringList titles(ListGrid* grid) {
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts.append(grid->cellText(row, 2));
    return texts;
}

// The entries of a menu as "name caption", separators as "name -".
QStringList entries(const QMenu* menu) {
    QStringList result;
    for (const QAction* action : menu->actions())
        result.append(action->objectName() + QLatin1Char(' ') +
                      (action->isSeparator() ? QStringLiteral("-") : action->text()));
    return result;
}

// Whether the cell is drawn with the dark frame of the cell the search found.
bool framed(ListGrid* grid, int row, int position) {
    const QModelIndex index =
        grid->model()->index(row, grid->horizontalHeader()->logicalIndex(position));
    const QRect cell = grid->visualRect(index);
    const QImage image = grid->viewport()->grab().toImage();
    const QColor frame(0x20, 0x20, 0x20);
    return image.pixelColor(cell.left(), cell.center().y()) == frame &&
           image.pixelColor(cell.center().x(), cell.top()) == frame;
}

} // namespace

class TestProjectList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void archivedProjectsKeepTheOrder();
    void menuEntries_data();
    void menuEntries();
    void menuEntriesEmitTheirOperation_data();
    void menuEntriesEmitTheirOperation();
    void enterAndDoubleClickOpen_data();
    void enterAndDoubleClickOpen();
    void search();

private:
    void addProject(const QString& title, int archiv);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<Tdm> m_dm;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<ProjectList> m_list;
};

void TestProjectList::addProject(const QString& title, int archiv) {
    Dataset& p = m_dm->Projekte;
    p.append();
    p.fieldByName(QStringLiteral("Bezeichnung")).setAsString(title);
    p.fieldByName(QStringLiteral("Archiv")).setAsInteger(archiv);
    p.post();
}

void TestProjectList::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_dm = std::make_unique<Tdm>(m_env->rootFolder() + QLatin1Char('/'));
    m_env->connectDataModule(*m_dm);
    m_dm->Projekte.setSql(ProjectList::AllProjects);
    m_dm->Projekte.open();
    addProject(QStringLiteral("Haus Alpha"), 0);
    addProject(QStringLiteral("Brücke"), 1);
    addProject(QStringLiteral("haus beta"), 0);
    addProject(QStringLiteral("Turm Haus"), 0);

    m_window = std::make_unique<QWidget>();
    m_window->resize(1400, 500);
    m_list = std::make_unique<ProjectList>(*m_dm, m_window.get());
    m_list->panel()->setGeometry(0, 0, 1400, 500);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_list->showprojecte();
}

void TestProjectList::cleanup() {
    m_list.reset();
    m_window.reset();
    m_dm.reset();
    m_env.reset();
}

void TestProjectList::archivedProjectsKeepTheOrder() {
    ListGrid* grid = m_list->grid();
    QCheckBox* box = m_window->findChild<QCheckBox*>(QStringLiteral("AdvOfficeCheckBox4"));
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("archivierte Projekte anzeigen"));
    QVERIFY(!box->isChecked());
    QCOMPARE(titles(grid), QStringList({QStringLiteral("Haus Alpha"), QStringLiteral("haus beta"),
                                        QStringLiteral("Turm Haus")}));

    // Descending by title.
    QHeaderView* h = grid->horizontalHeader();
    const QPoint title(h->sectionViewportPosition(2) + h->sectionSize(2) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, title);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, title);
    QCOMPARE(m_list->sortState().orderText, QStringLiteral("order by Bezeichnung desc"));

    QSignalSpy followUps(m_list.get(), &ProjectList::updateFollowUps);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    QVERIFY(box->isChecked());
    QCOMPARE(m_dm->Projekte.sql(),
             QStringList({ProjectList::AllProjects, QStringLiteral("order by Bezeichnung desc")}));
    QCOMPARE(titles(grid), QStringList({QStringLiteral("Turm Haus"), QStringLiteral("haus beta"),
                                        QStringLiteral("Haus Alpha"), QStringLiteral("Brücke")}));
    QCOMPARE(grid->sortIndicatorColumn(), 2);
    QCOMPARE(followUps.count(), 1);

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    QVERIFY(!box->isChecked());
    QCOMPARE(m_dm->Projekte.sql().first(), ProjectList::ActiveProjects);
    QCOMPARE(titles(grid), QStringList({QStringLiteral("Turm Haus"), QStringLiteral("haus beta"),
                                        QStringLiteral("Haus Alpha")}));
    QCOMPARE(followUps.count(), 2);
}

void TestProjectList::menuEntries_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("PMenue_Uebersicht")
        << QStringLiteral("PMenue_Uebersicht")
        << QStringList{QStringLiteral("Projektbearbeiten1 Projekt bearbeiten"),
                       QStringLiteral("Projekthinzufgen1 Projekt hinzufügen"),
                       QStringLiteral("Men_OpenPR Projekt öffnen"),
                       QStringLiteral("Men_DelPR Projekt löschen"),
                       QStringLiteral("N1 -"),
                       QStringLiteral("Aufgabehinzufgen1 Aufgabe hinzufügen"),
                       QStringLiteral("Aufgabenffnen1 Aufgaben öffnen"),
                       QStringLiteral("N2 -"),
                       QStringLiteral("Zeiterfassunghinzufgen1 Zeiterfassung hinzufügen"),
                       QStringLiteral("Zeiterfassungffnen1 Zeiterfassung öffnen"),
                       QStringLiteral("N3 -"),
                       QStringLiteral("Dateihinzufgen1 Datei hinzufügen"),
                       QStringLiteral("Dateibersichtffnen1 Dateiübersicht öffnen"),
                       QStringLiteral("N16 -"),
                       QStringLiteral("Projektarchivieren2 Projekt archivieren"),
                       QStringLiteral("N4 -"),
                       QStringLiteral("Men_PrintPR Drucken"),
                       QStringLiteral("MainGridcustomize Tabelle anpassen")};
    QTest::newRow("Drucken") << QStringLiteral("Men_PrintPR")
                             << QStringList{QStringLiteral("Projektliste2 Projektliste"),
                                            QStringLiteral("EinzelProjekt2 Einzelprojekt"),
                                            QStringLiteral("N12 -"),
                                            QStringLiteral("Aufgabenliste3 Aufgabenliste"),
                                            QStringLiteral("N13 -"),
                                            QStringLiteral("Zeitnahmen2 Zeitnahmen")};
    QTest::newRow("PMenu_Functions")
        << QStringLiteral("PMenu_Functions")
        << QStringList{QStringLiteral("MenuItem5 Aufgabe hinzufügen"),
                       QStringLiteral("MenuItem6 Aufgaben öffnen"),
                       QStringLiteral("MenuItem7 -"),
                       QStringLiteral("MenuItem8 Zeiterfassung hinzufügen"),
                       QStringLiteral("MenuItem9 Zeiterfassung öffnen"),
                       QStringLiteral("MenuItem10 -"),
                       QStringLiteral("MenuItem11 Datei hinzufügen"),
                       QStringLiteral("MenuItem12 Dateiübersicht öffnen"),
                       QStringLiteral("N15 -"),
                       QStringLiteral("Projektarchivieren1 Projekt archivieren")};
}

void TestProjectList::menuEntries() {
    QFETCH(QString, menu);
    QFETCH(QStringList, expected);
    const QMenu* m = m_window->findChild<QMenu*>(menu);
    QVERIFY(m);
    QCOMPARE(entries(m), expected);
    QCOMPARE(m_list->grid()->contextMenu(), m_list->PMenue_Uebersicht());
    QCOMPARE(m_list->PMenue_Uebersicht()->actions().at(16)->menu(), m_list->printMenu());
    // Archiving finds its entries by position.
    QCOMPARE(m_list->PMenue_Uebersicht()->actions().at(14)->objectName(),
             QStringLiteral("Projektarchivieren2"));
    QCOMPARE(m_list->PMenu_Functions()->actions().at(9)->objectName(),
             QStringLiteral("Projektarchivieren1"));
}

void TestProjectList::menuEntriesEmitTheirOperation_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QVariantList>("arguments");
    const auto row = [](const char* entry, const char* signal, QVariantList args = {}) {
        QTest::newRow(entry) << QString::fromLatin1(entry) << QByteArray(signal) << args;
    };
    row("Projektbearbeiten1", SIGNAL(editProjectRequested()));
    row("Projekthinzufgen1", SIGNAL(newProjectRequested()));
    row("Men_OpenPR", SIGNAL(openProjectRequested(int)), {1});
    row("Men_DelPR", SIGNAL(deleteProjectRequested()));
    row("Aufgabehinzufgen1", SIGNAL(addTaskRequested()));
    row("Aufgabenffnen1", SIGNAL(openProjectRequested(int)), {2});
    row("Zeiterfassunghinzufgen1", SIGNAL(addTimeEntryRequested()));
    row("Zeiterfassungffnen1", SIGNAL(openProjectRequested(int)), {3});
    row("Dateihinzufgen1", SIGNAL(addFilesRequested()));
    row("Dateibersichtffnen1", SIGNAL(openProjectRequested(int)), {4});
    row("Projektarchivieren2", SIGNAL(archiveRequested()));
    row("Projektliste2", SIGNAL(printRequested(QString)), {QStringLiteral("Projektliste")});
    row("EinzelProjekt2", SIGNAL(printRequested(QString)), {QStringLiteral("Einzelprojekt")});
    row("Aufgabenliste3", SIGNAL(printRequested(QString)), {QStringLiteral("Aufgabenliste")});
    row("Zeitnahmen2", SIGNAL(printRequested(QString)), {QStringLiteral("Zeitnahmen")});
    row("MainGridcustomize", SIGNAL(customizeRequested()));
    row("MenuItem5", SIGNAL(addTaskRequested()));
    row("MenuItem6", SIGNAL(openProjectRequested(int)), {2});
    row("MenuItem8", SIGNAL(addTimeEntryRequested()));
    row("MenuItem9", SIGNAL(openProjectRequested(int)), {3});
    row("MenuItem11", SIGNAL(addFilesRequested()));
    row("MenuItem12", SIGNAL(openProjectRequested(int)), {4});
    row("Projektarchivieren1", SIGNAL(archiveRequested()));
}

void TestProjectList::menuEntriesEmitTheirOperation() {
    QFETCH(QString, entry);
    QFETCH(QByteArray, signal);
    QFETCH(QVariantList, arguments);
    QAction* action = m_window->findChild<QAction*>(entry);
    QVERIFY(action);
    QSignalSpy spy(m_list.get(), signal.constData());
    action->trigger();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first(), arguments);
}

void TestProjectList::enterAndDoubleClickOpen_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Shift+Return") << int(Qt::Key_Return)
                                  << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return)
                                 << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("Alt+Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::AltModifier);
    QTest::newRow("double-click") << 0 << Qt::KeyboardModifiers();
}

void TestProjectList::enterAndDoubleClickOpen() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    ListGrid* grid = m_list->grid();
    QSignalSpy open(m_list.get(), &ProjectList::openProjectRequested);
    if (key) {
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key(key), modifiers);
    } else {
        const QRect cell = grid->visualRect(grid->model()->index(1, 2));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_dm->Projekte.recNo(), 1);
    }
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.first().first().toInt(), 1);
}

void TestProjectList::search() {
    ListGrid* grid = m_list->grid();
    QPushButton* button = m_window->findChild<QPushButton*>(QStringLiteral("AdvGlowButton1"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Suche"));
    SearchBar* bar = m_list->panel()->searchBar();
    QVERIFY(!bar->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(bar->isVisible());

    auto* text = bar->findChild<QLineEdit*>(QStringLiteral("SearchText"));
    auto* forward = bar->findChild<QPushButton*>(QStringLiteral("SearchForward"));
    auto* backward = bar->findChild<QPushButton*>(QStringLiteral("SearchBackward"));
    auto* matchCase = bar->findChild<QCheckBox*>(QStringLiteral("MatchCase"));
    QVERIFY(text && forward && backward && matchCase);
    QCOMPARE(forward->text(), QStringLiteral("Ab&wärts"));
    QCOMPARE(backward->text(), QStringLiteral("&Aufwärts"));

    // Rows: "Haus Alpha", "haus beta", "Turm Haus"; the search starts at row 0, column 1.
    QCOMPARE(m_dm->Projekte.recNo(), 0);
    QTest::keyClicks(text, QStringLiteral("haus"));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(m_dm->Projekte.recNo(), 0); // the title of the same row comes first
    QCOMPARE(grid->currentIndex().row(), 0);
    // The cell found is marked, the others of its row are not.
    QVERIFY(framed(grid, 0, 2));
    QVERIFY(!framed(grid, 0, 3));
    const struct {
        QPushButton* button;
        int row;
    } steps[] = {{forward, 1}, {forward, 2}, {forward, 0}, {backward, 2}, {backward, 1}};
    for (const auto& step : steps) {
        QTest::mouseClick(step.button, Qt::LeftButton);
        QCOMPARE(m_dm->Projekte.recNo(), step.row);
        QCOMPARE(grid->currentIndex().row(), step.row);
        QVERIFY(framed(grid, step.row, 2));
    }
    // Moving on in the list drops the mark.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(m_dm->Projekte.recNo(), 2);
    QVERIFY(!grid->foundCell().isValid());
    QVERIFY(!framed(grid, 1, 2));
    QTest::keyClick(grid, Qt::Key_Up);

    // Case matters now: "haus beta" is passed over both ways.
    QTest::mouseClick(matchCase, Qt::LeftButton, {}, QPoint(8, matchCase->height() / 2));
    QVERIFY(matchCase->isChecked());
    text->setText(QStringLiteral("Haus"));
    const struct {
        QPushButton* button;
        int row;
    } caseSteps[] = {{forward, 2}, {forward, 0}, {forward, 2}, {backward, 0}, {backward, 2}};
    for (const auto& step : caseSteps) {
        QTest::mouseClick(step.button, Qt::LeftButton);
        QCOMPARE(m_dm->Projekte.recNo(), step.row);
    }

    text->setText(QStringLiteral("Schloss"));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(m_dm->Projekte.recNo(), 2);

    QVERIFY(grid->foundCell().isValid());
    QTest::mouseClick(bar->findChild<QToolButton*>(QStringLiteral("CloseSearch")), Qt::LeftButton);
    QVERIFY(!bar->isVisible());
    QVERIFY(!grid->foundCell().isValid());
    QVERIFY(!m_list->panel()->searchBarVisible());
}

ORBENTA_TEST_MAIN(TestProjectList)
#include "tst_projectlist.moc"
