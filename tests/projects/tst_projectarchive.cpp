#include "data/tdm.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"
#include "projects/projectlist.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMenu>
#include <QSignalSpy>
#include <memory>
#include <sqlite3.h>

namespace {

const QString Archive = QStringLiteral("Projekt archivieren");
const QString Reactivate = QStringLiteral("Projekt reaktivieren");

// The overview's project list after the first showing, on "Alpha" and "Beta" (active) and
// "Alt" (archived).
struct Overview {
    TestEnvironment env;
    Tdm dm{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    QWidget window;
    std::unique_ptr<ProjectList> list;

    explicit Overview(bool withProjects = true) {
        env.connectDataModule(dm);
        Dataset& p = dm.Projekte;
        p.setSql(ProjectList::AllProjects);
        p.open();
        if (withProjects) {
            add("Alpha", 0);
            add("Beta", 0);
            add("Alt", 1);
        }
        p.close();
        dm.setFirstShow(false);
        window.resize(1000, 400);
        list = std::make_unique<ProjectList>(dm, &window);
        list->panel()->setGeometry(0, 0, 1000, 400);
        env.dialogs().setMainWindow(&window);
        window.show();
        list->showprojecte();
    }
    void add(const QString& title, int archived) {
        Dataset& p = dm.Projekte;
        p.append();
        p.fieldByName("Bezeichnung").setAsString(title);
        p.fieldByName("Archiv").setAsInteger(archived);
        p.post();
    }
    QAction* entry(const char* name) { return window.findChild<QAction*>(name); }
    QStringList captions() {
        return {entry("Projektarchivieren1")->text(), entry("Projektarchivieren2")->text()};
    }
    void select(const QString& title) {
        Dataset& p = dm.Projekte;
        for (int row = 0; row < p.recordCount(); ++row) {
            if (p.text(row, p.fieldIndex("Bezeichnung")) == title)
                p.moveTo(row);
        }
        QCOMPARE(p.fieldByName("Bezeichnung").asString(), title);
    }
    QStringList listed() {
        QStringList titles;
        Dataset& p = dm.Projekte;
        for (int row = 0; row < p.recordCount(); ++row)
            titles << p.text(row, p.fieldIndex("Bezeichnung"));
        return titles;
    }
    // Archiv as stored, by title.
    QStringList stored() {
        Dataset check(dm.ADOConnection1, "check");
        check.setSql("Select * From Projects order by Nr");
        check.open();
        QStringList rows;
        for (int row = 0; row < check.recordCount(); ++row)
            rows << check.text(row, check.fieldIndex("Bezeichnung")) + '=' +
                        check.text(row, check.fieldIndex("Archiv"));
        return rows;
    }
    void showArchived() { list->AdvOfficeCheckBox4()->click(); }
};

} // namespace

class TestProjectArchive : public QObject {
    Q_OBJECT

private slots:
    void archivingFromEitherMenu_data();
    void archivingFromEitherMenu();
    void reactivatingFromTheFullList_data();
    void reactivatingFromTheFullList();
    void captionsFollowTheCurrentProject();
    void noCurrentProjectDoesNothing();
    void failedPostIsShownAndNotRerun();
};

void TestProjectArchive::archivingFromEitherMenu_data() {
    QTest::addColumn<QString>("entry");
    QTest::newRow("functions menu") << "Projektarchivieren1";
    QTest::newRow("context menu") << "Projektarchivieren2";
}

void TestProjectArchive::archivingFromEitherMenu() {
    QFETCH(QString, entry);
    Overview o;
    QCOMPARE(o.listed(), QStringList({"Alpha", "Beta"}));
    o.select("Beta");
    QCOMPARE(o.captions(), QStringList({Archive, Archive}));
    // Position 9 of the functions menu and 14 of the context menu carry the entry.
    QCOMPARE(o.list->PMenu_Functions()->actions().at(9), o.entry("Projektarchivieren1"));
    QCOMPARE(o.list->PMenue_Uebersicht()->actions().at(14), o.entry("Projektarchivieren2"));

    o.entry(entry.toLatin1())->trigger();

    QCOMPARE(o.stored(), QStringList({"Alpha=0", "Beta=1", "Alt=1"}));
    QCOMPARE(o.listed(), QStringList{"Alpha"});
    QCOMPARE(o.captions(), QStringList({Archive, Archive}));
    QVERIFY(o.env.dialogs().shown().isEmpty());

    // With the box ticked the archived project is listed, its entries reading "reaktivieren".
    o.showArchived();
    o.select("Beta");
    QCOMPARE(o.captions(), QStringList({Reactivate, Reactivate}));
}

void TestProjectArchive::reactivatingFromTheFullList_data() {
    archivingFromEitherMenu_data();
}

void TestProjectArchive::reactivatingFromTheFullList() {
    QFETCH(QString, entry);
    Overview o;
    o.showArchived();
    QCOMPARE(o.listed(), QStringList({"Alpha", "Beta", "Alt"}));
    o.select("Alt");
    QCOMPARE(o.captions(), QStringList({Reactivate, Reactivate}));

    o.entry(entry.toLatin1())->trigger();

    QCOMPARE(o.stored(), QStringList({"Alpha=0", "Beta=0", "Alt=0"}));
    QCOMPARE(o.listed(), QStringList({"Alpha", "Beta", "Alt"}));
    o.select("Alt");
    QCOMPARE(o.captions(), QStringList({Archive, Archive}));

    // Archiving with the box ticked keeps the project listed.
    o.entry(entry.toLatin1())->trigger();
    QCOMPARE(o.listed(), QStringList({"Alpha", "Beta", "Alt"}));
    o.select("Alt");
    QCOMPARE(o.captions(), QStringList({Reactivate, Reactivate}));
}

void TestProjectArchive::captionsFollowTheCurrentProject() {
    Overview o;
    // Another program left an empty value: it counts as active.
    QCOMPARE(sqlite3_exec(o.dm.ADOConnection1.handle(),
                          "INSERT INTO Projects (Bezeichnung, Archiv) VALUES ('Leer', NULL)",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(o.dm.ADOConnection1.handle(),
                          "INSERT INTO Projects (Bezeichnung, Archiv) VALUES ('Zwei', 2)", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    o.showArchived();
    const QList<QPair<QString, QString>> expected{
        {"Alt", Reactivate}, {"Leer", Archive}, {"Zwei", Reactivate}, {"Alpha", Archive}};
    for (const auto& [title, caption] : expected) {
        o.select(title);
        QCOMPARE(o.captions(), QStringList({caption, caption}));
    }
}

void TestProjectArchive::noCurrentProjectDoesNothing() {
    Overview o(false);
    QCOMPARE(o.listed(), QStringList());
    o.entry("Projektarchivieren1")->trigger();
    o.entry("Projektarchivieren2")->trigger();
    QCOMPARE(o.stored(), QStringList());
    QVERIFY(o.env.dialogs().shown().isEmpty());
}

void TestProjectArchive::failedPostIsShownAndNotRerun() {
    Overview o;
    o.select("Beta");
    QCOMPARE(sqlite3_exec(o.dm.ADOConnection1.handle(),
                          "CREATE TRIGGER block BEFORE UPDATE ON Projects BEGIN SELECT "
                          "RAISE(ABORT, 'gesperrt'); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QSignalSpy reruns(&o.dm.Projekte, &Dataset::afterOpen);

    o.entry("Projektarchivieren1")->trigger();

    const auto shown = o.env.dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, "Orbenta");
    QVERIFY2(shown[0].text.contains("gesperrt"), qPrintable(shown[0].text));
    QCOMPARE(o.stored(), QStringList({"Alpha=0", "Beta=0", "Alt=1"}));
    QCOMPARE(reruns.size(), 0);
    QCOMPARE(o.dm.Projekte.state(), Dataset::State::Browse);
    QCOMPARE(o.dm.Projekte.fieldByName("Archiv").asInteger(), 0);
}

ORBENTA_TEST_MAIN(TestProjectArchive)
#include "tst_projectarchive.moc"
