#include "testsupport.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "generator.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <cmath>
#include <memory>
#include <sqlite3.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString errorOutput;
};

Outcome runCreatedb(const QStringList& arguments) {
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/orbenta-createdb", arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

const QStringList schemaTables = {"Projects",       "Aufgaben",   "PRZeiten", "Typen",
                                  "Auftraggeber",   "Kategorien", "Prio",     "Status",
                                  "HumanResources", "Optionen"};

// Runs SQL on a raw SQLite handle: the generator's output is checked apart from the data layer.
class RawDb {
public:
    explicit RawDb(const QString& file) {
        sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
        Connection::registerExtensions(m_db);
    }
    ~RawDb() { sqlite3_close(m_db); }
    // The first column of each row as text (an empty value as ""); "-1" when the SQL fails.
    QStringList column(const QString& sql) const {
        QStringList result;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(m_db));
            return {"-1"};
        }
        while (sqlite3_step(st) == SQLITE_ROW)
            result << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return result;
    }
    int count(const QString& sql) const { return column(sql).value(0).toInt(); }
    // Everything in the table, in key order, as one hash.
    QByteArray digest(const QString& table) const {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, ("Select * From " + table + " order by 1").toUtf8().constData(),
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* text = sqlite3_column_text(st, i);
                hash.addData(QByteArray(text ? reinterpret_cast<const char*>(text) : "\1"));
                hash.addData(QByteArray("\0", 1));
            }
        }
        sqlite3_finalize(st);
        return hash.result();
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace

class TestCreatedb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void demoHasEveryTable();
    void demoProjects();
    void demoFollowUpsAreDue();
    void demoTimeEntriesAndTotals();
    void demoMasterTablesAndOptions();
    void refusesAnExistingDatabase();
    void refusesBadArguments_data();
    void refusesBadArguments();
    void benchGeneratorWritesConsistentData();

private:
    std::unique_ptr<Dataset> open(const QString& sql);

    QTemporaryDir m_dir;
    QString m_folder;
    double m_todayBefore = 0;
    double m_todayAfter = 0;
    Connection m_connection;
};

std::unique_ptr<Dataset> TestCreatedb::open(const QString& sql) {
    auto ds = std::make_unique<Dataset>(m_connection, "Probe");
    ds->setSql(sql.split('\n'));
    ds->open();
    return ds;
}

void TestCreatedb::initTestCase() {
    QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + "/orbenta-createdb"));
    QVERIFY(m_dir.isValid());
    m_folder = m_dir.path() + "/Demo Daten/";
    m_todayBefore = DateTimeValue::today();
    const Outcome outcome = runCreatedb({"--demo", m_folder});
    m_todayAfter = DateTimeValue::today();
    QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.errorOutput));
    QVERIFY(QFileInfo::exists(m_folder + "ORBTData.mdb"));

    m_connection.setConnectionString(Tdm::connectionStringFor(m_folder));
    m_connection.open();
}

void TestCreatedb::demoHasEveryTable() {
    for (const QString& table : schemaTables) {
        QVERIFY2(m_connection.table(table), qPrintable(table));
        QVERIFY2(open("Select * From " + table)->recordCount() > 0, qPrintable(table));
    }
}

void TestCreatedb::demoProjects() {
    auto all = open("Select * From Projects");
    QCOMPARE(all->recordCount(), 12);
    QCOMPARE(open("Select * from Projects where archiv=0")->recordCount(), 11);

    int archived = 0, done = 0, withoutNumber = 0;
    for (all->first(); !all->eof(); all->next()) {
        const QString title = all->fieldByName("Bezeichnung").asString();
        for (const char* field : {"Bezeichnung", "Typ", "Auftraggeber", "KatBez", "PrioBez",
                                  "Status", "Verantw", "Von", "Bis", "Budget", "Gesamtkm"})
            QVERIFY2(!all->fieldByName(field).isNull(), qPrintable(title + ": " + field));
        QVERIFY(all->fieldByName("Von").asDateTime() <= all->fieldByName("Bis").asDateTime());
        archived += all->fieldByName("Archiv").asInteger() == 1;
        if (!all->fieldByName("Erledigt").isNull()) {
            ++done;
            QCOMPARE(all->fieldByName("ErledigtP").asInteger(), 100);
        }
        withoutNumber += all->fieldByName("Pojektnummer").isNull();
    }
    QCOMPARE(archived, 1);
    QVERIFY(done >= 2); // the archived one and one still active
    QCOMPARE(withoutNumber, 1);
}

void TestCreatedb::demoFollowUpsAreDue() {
    auto due = open("SELECT Projects.Bezeichnung, Aufgaben.*\n"
                    "FROM Projects INNER JOIN Aufgaben ON Projects.Nr = Aufgaben.AProjectnr\n"
                    "where awv<=now() and aerledigt is null");
    QVERIFY(due->recordCount() >= 3);
    bool dueToday = false, dueEarlier = false;
    QSet<QString> projects;
    for (due->first(); !due->eof(); due->next()) {
        const double day = std::floor(due->fieldByName("AWV").asDateTime());
        dueToday |= day >= m_todayBefore && day <= m_todayAfter;
        dueEarlier |= day < m_todayBefore;
        projects << due->fieldByName("Bezeichnung").asString();
    }
    QVERIFY(dueToday);
    QVERIFY(dueEarlier);
    QVERIFY(projects.size() >= 3);

    // Open tasks whose follow-up lies ahead and done tasks stay out of the list.
    QVERIFY(open("Select * From Aufgaben where awv>now() and aerledigt is null")->recordCount() >
            0);
    QVERIFY(open("Select * From Aufgaben where aerledigt is not null")->recordCount() > 0);
}

void TestCreatedb::demoTimeEntriesAndTotals() {
    auto entries = open("Select * From PRZeiten");
    int withTask = 0, withZero = 0, withEmpty = 0;
    for (entries->first(); !entries->eof(); entries->next()) {
        const Field aid = entries->fieldByName("AID");
        if (aid.isNull())
            ++withEmpty;
        else if (aid.asInteger() == 0)
            ++withZero;
        else
            ++withTask;
        const double effort = (entries->fieldByName("BisDatum").asDateTime() +
                               entries->fieldByName("BisUhrzeit").asDateTime()) -
                              (entries->fieldByName("VonDatum").asDateTime() +
                               entries->fieldByName("VonUhrzeit").asDateTime());
        QCOMPARE(entries->fieldByName("Aufwand").asDateTime(), effort);
        QVERIFY(effort > 0);
    }
    QVERIFY(withTask > 0);
    QVERIFY(withZero > 0);
    QVERIFY(withEmpty > 0);

    // An entry whose task was deleted keeps the title it copied.
    QVERIFY(open("Select * From PRZeiten where AID > 0 and AID not in (Select Anr From Aufgaben)")
                ->recordCount() > 0);

    auto sumOf = [&](const QString& condition) {
        auto sum = open("Select SUM(Aufwand) as summeaufwand from PRZeiten where " + condition);
        const Field field = sum->fieldByName("summeaufwand");
        return field.isNull() ? -1.0 : field.asFloat();
    };
    auto tasks = open("Select * From Aufgaben");
    int tasksWithTotal = 0;
    for (tasks->first(); !tasks->eof(); tasks->next()) {
        const double sum = sumOf("AID=" + tasks->fieldByName("Anr").asString());
        const Field total = tasks->fieldByName("AGesamtZeit");
        if (sum < 0) {
            QVERIFY(total.isNull());
        } else {
            QVERIFY(qAbs(total.asDateTime() - sum) < 1e-9);
            ++tasksWithTotal;
        }
    }
    QVERIFY(tasksWithTotal > 10);

    auto projects = open("Select * From Projects");
    for (projects->first(); !projects->eof(); projects->next()) {
        const double sum = sumOf("PRID=" + projects->fieldByName("Nr").asString());
        QVERIFY(sum > 0);
        QCOMPARE(projects->fieldByName("GesamtZeit").asString(), showtime(sum));
    }
}

void TestCreatedb::demoMasterTablesAndOptions() {
    for (const QString table :
         {"Typen", "Auftraggeber", "Kategorien", "Prio", "Status", "HumanResources"}) {
        const int all = open("Select * From " + table)->recordCount();
        const int shown = open("Select * From " + table + " where not del")->recordCount();
        QVERIFY2(shown >= 3 && shown == all - 1, qPrintable(table));
    }
    auto types = open("Select * From Typen where zuord=1");
    QCOMPARE(types->recordCount(), open("Select * From Typen")->recordCount());

    auto options = open("Select * From Optionen");
    QCOMPARE(options->recordCount(), 1);
    QCOMPARE(options->fieldByName("ARefresh").asInteger(), 0);
    QCOMPARE(options->fieldByName("Tabstop").asInteger(), 4);
    QCOMPARE(options->fieldByName("FarbSchema").asInteger(), 0);
}

void TestCreatedb::refusesAnExistingDatabase() {
    const QString file = m_folder + "ORBTData.mdb";
    const QByteArray before = RawDb(file).digest("Projects");
    for (const QStringList& arguments : {QStringList{m_folder}, QStringList{"--demo", m_folder}}) {
        const Outcome outcome = runCreatedb(arguments);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.errorOutput.contains("ORBTData.mdb"), qPrintable(outcome.errorOutput));
    }
    QCOMPARE(RawDb(file).digest("Projects"), before);
}

void TestCreatedb::refusesBadArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("no folder") << QStringList{"--demo"};
    QTest::newRow("unknown option") << QStringList{"--muster", m_dir.path() + "/a"};
    QTest::newRow("two folders") << QStringList{m_dir.path() + "/a", m_dir.path() + "/b"};
}

void TestCreatedb::refusesBadArguments() {
    QFETCH(QStringList, arguments);
    const Outcome outcome = runCreatedb(arguments);
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.errorOutput.contains("Aufruf: orbenta-createdb"),
             qPrintable(outcome.errorOutput));
    QVERIFY(!QFileInfo::exists(m_dir.path() + "/a/ORBTData.mdb"));
}

void TestCreatedb::benchGeneratorWritesConsistentData() {
    const BenchSize size{10, 100, 1000};
    const QString first = m_dir.path() + "/bench1.mdb";
    const QString second = m_dir.path() + "/bench2.mdb";
    generateBenchDatabase(first, size);
    generateBenchDatabase(second, size);

    const RawDb db(first);
    QCOMPARE(db.count("select count(*) from Projects"), 10);
    QCOMPARE(db.count("select count(*) from Aufgaben"), 100);
    QCOMPARE(db.count("select count(*) from PRZeiten"), 1000);
    // Every task belongs to a project, every entry to a project and, if to a task, to one of
    // that project.
    QCOMPARE(db.count("select count(*) from Aufgaben where AProjectnr not in "
                      "(select Nr from Projects)"),
             0);
    QCOMPARE(db.count("select count(*) from PRZeiten z left join Aufgaben a on a.Anr = z.AID "
                      "where z.PRID not in (select Nr from Projects) "
                      "or (z.AID > 0 and (a.Anr is null or a.AProjectnr <> z.PRID "
                      "or a.ABezeichnung <> z.ABezeichnung))"),
             0);
    QVERIFY(db.count("select count(*) from PRZeiten where AID > 0") > 0);
    QVERIFY(db.count("select count(*) from PRZeiten where AID = 0 or AID is null") > 0);
    QCOMPARE(db.count("select count(*) from PRZeiten where Aufwand <> "
                      "(BisDatum + BisUhrzeit) - (VonDatum + VonUhrzeit) or Aufwand <= 0"),
             0);
    QCOMPARE(db.count("select count(*) from Aufgaben a where "
                      "(AGesamtZeit is null) <> (not exists (select 1 from PRZeiten where AID = "
                      "a.Anr)) or abs(coalesce(AGesamtZeit, 0) - coalesce((select sum(Aufwand) "
                      "from PRZeiten where AID = a.Anr), 0)) > 1e-9"),
             0);
    const QStringList totals = db.column("select GesamtZeit from Projects order by Nr");
    const QStringList sums =
        db.column("select coalesce((select sum(Aufwand) from PRZeiten where PRID = p.Nr), 0) "
                  "from Projects p order by Nr");
    QCOMPARE(totals.size(), 10);
    for (int i = 0; i < totals.size(); ++i)
        QCOMPARE(totals.at(i), showtime(sums.at(i).toDouble()));

    // The same seed writes the same content.
    const RawDb again(second);
    for (const QString& table : schemaTables)
        QVERIFY2(db.digest(table) == again.digest(table), qPrintable(table));
}

ORBENTA_TEST_MAIN(TestCreatedb)
#include "tst_createdb.moc"
