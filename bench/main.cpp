// orbenta-bench [--db <folder>] [--repeat <n>] [<case> ...]
//
// Measures the data layer against SQLite alone on a large database, in the same run. Without
// --db it generates the database into a temporary folder first. Each case runs its two sides
// alternately, several times, and reports the median and the best time of each side and the
// ratio of the medians. The start-up case runs the program's first showing in a fresh process
// each time and reports its time and its peak memory. It is a measurement, not a test: the exit
// code does not depend on the figures.
#include "data/connection.h"
#include "data/dataset.h"
#include "data/germanorder.h"
#include "data/tdm.h"
#include "generator.h"
#include "platform/orbentaerror.h"
#include "timecases.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void say(const QString& text, FILE* to = stdout) {
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

// A line of /proc/self/status in MB: VmRSS (resident now) or VmHWM (the peak so far).
double memoryMB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// The German order as QCollator gives it, for comparing it with the program's own.
int qcollatorCompare(void* collator, int aLength, const void* a, int bLength, const void* b) {
    return static_cast<QCollator*>(collator)->compare(
        QString::fromUtf8(static_cast<const char*>(a), aLength),
        QString::fromUtf8(static_cast<const char*>(b), bLength));
}

// What every case works on: the database through the data layer and through SQLite alone.
struct Fixture {
    Connection connection;
    sqlite3* raw = nullptr;
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};

    explicit Fixture(const QString& folder) {
        connection.setConnectionString(Tdm::connectionStringFor(folder));
        connection.open();
        const QByteArray file = (folder + QStringLiteral("ORBTData.mdb")).toUtf8();
        if (sqlite3_open_v2(file.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw OrbentaError(
                QStringLiteral("SQLite kann %1 nicht öffnen.").arg(QString::fromUtf8(file)));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        GermanOrder::registerCollation(raw);
        sqlite3_create_collation_v2(raw, "QCOLLATOR", SQLITE_UTF8, &collator, qcollatorCompare,
                                    nullptr);
    }
    ~Fixture() { sqlite3_close(raw); }
};

// Both sides of a case return the number of rows they went through, so that a side that
// silently does less work shows up.
using Side = std::function<qint64(Fixture&)>;

struct Case {
    const char* name;
    const char* subjectLabel;
    const char* baselineLabel;
    double target; // the ratio subject / baseline we aim to stay below
    Side subject;
    Side baseline;
};

// Opens a dataset on the statement and reads every field of every row as the lists show it.
qint64 datasetStep(Fixture& f, const QString& sql) {
    Dataset ds(f.connection, QStringLiteral("Bench"));
    ds.setSql(sql);
    ds.open();
    qint64 rows = 0;
    qint64 chars = 0;
    const int fields = ds.fieldCount();
    for (ds.first(); !ds.eof(); ds.next()) {
        for (int i = 0; i < fields; ++i)
            chars += ds.field(i).displayText().size();
        ++rows;
    }
    if (chars < 0) // keeps the texts from being optimised away
        say(QString());
    return rows;
}

// Prepares and steps the statement with SQLite alone; reads every column as text, or each in
// its own type (integers, reals, texts by pointer and length).
qint64 sqliteStep(Fixture& f, const char* sql, bool typed) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(f.raw, sql, -1, &st, nullptr) != SQLITE_OK)
        throw OrbentaError(QString::fromUtf8(sqlite3_errmsg(f.raw)));
    qint64 rows = 0;
    qint64 sum = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            if (!typed) {
                sqlite3_column_text(st, i);
                sum += sqlite3_column_bytes(st, i);
                continue;
            }
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER:
                sum += sqlite3_column_int64(st, i);
                break;
            case SQLITE_FLOAT:
                sum += qint64(sqlite3_column_double(st, i));
                break;
            case SQLITE_TEXT:
                sum += *sqlite3_column_text(st, i) + sqlite3_column_bytes(st, i);
                break;
            default:
                break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(st);
    if (sum == 42)
        say(QString());
    return rows;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> list = {
        // Saving a time entry with both effort totals, and the time list of a project with
        // 10,000 entries (added to the file once).
        {"zeit-speichern", "Dataset+totals", "SQLite alone", 3.0,
         [](Fixture& f) { return TimeCases::storeEntry(f.connection); },
         [](Fixture& f) { return TimeCases::storeEntrySqlite(f.raw); }},
        {"zeitliste-10000", "showtimes", "SQLite alone", 3.0,
         [](Fixture& f) { return TimeCases::openTimeList(f.connection); },
         [](Fixture& f) { return TimeCases::openTimeListSqlite(f.raw); }},
        {"aufgaben-open", "Dataset open+step", "SQLite alone", 2.0,
         [](Fixture& f) { return datasetStep(f, QStringLiteral("Select * From Aufgaben")); },
         [](Fixture& f) { return sqliteStep(f, "Select * From Aufgaben", false); }},
        {"aufgaben-typed", "Dataset open+step", "SQLite typed", 2.0,
         [](Fixture& f) { return datasetStep(f, QStringLiteral("Select * From Aufgaben")); },
         [](Fixture& f) { return sqliteStep(f, "Select * From Aufgaben", true); }},
        {"zeiten-open", "Dataset open+step", "SQLite typed", 2.0,
         [](Fixture& f) { return datasetStep(f, QStringLiteral("Select * From PRZeiten")); },
         [](Fixture& f) { return sqliteStep(f, "Select * From PRZeiten", true); }},
        // The program's collation against QCollator (German, case-insensitive), both sorting
        // the task titles inside SQLite.
        {"sort-german", "own collation", "QCollator", 1.0,
         [](Fixture& f) {
             return sqliteStep(f,
                               "Select Anr, ABezeichnung From Aufgaben "
                               "order by ABezeichnung COLLATE GERMAN",
                               true);
         },
         [](Fixture& f) {
             return sqliteStep(f,
                               "Select Anr, ABezeichnung From Aufgaben "
                               "order by ABezeichnung COLLATE QCOLLATOR",
                               true);
         }},
    };
    return list;
}

double milliseconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString figures(const std::vector<double>& times) {
    return QStringLiteral("%1 ms (best %2)")
        .arg(median(times), 0, 'f', 0)
        .arg(*std::min_element(times.begin(), times.end()), 0, 'f', 0);
}

void runCase(const Case& c, Fixture& f, int repeat) {
    // One round each first, so that both sides find the file in the page cache.
    qint64 subjectRows = c.subject(f);
    qint64 baselineRows = c.baseline(f);
    std::vector<double> subject, baseline;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        subjectRows = c.subject(f);
        subject.push_back(milliseconds(timer));
        timer.restart();
        baselineRows = c.baseline(f);
        baseline.push_back(milliseconds(timer));
    }
    const double ratio = median(baseline) > 0 ? median(subject) / median(baseline) : 0;
    say(QStringLiteral("%1 (%2 rows): %3: %4, %5: %6, ratio %7 (target <= %8)")
            .arg(QLatin1String(c.name))
            .arg(subjectRows)
            .arg(QLatin1String(c.subjectLabel), figures(subject), QLatin1String(c.baselineLabel),
                 figures(baseline))
            .arg(ratio, 0, 'f', 2)
            .arg(c.target, 0, 'f', 1));
    if (subjectRows != baselineRows)
        say(QStringLiteral("%1: the sides read different row counts (%2 and %3)")
                .arg(QLatin1String(c.name))
                .arg(subjectRows)
                .arg(baselineRows),
            stderr);
}

// What a large dataset holds while open, and what stays after closing and reopening it.
void runMemory(Fixture& f) {
    const double before = memoryMB("VmRSS");
    Dataset ds(f.connection, QStringLiteral("Bench"));
    ds.setSql(QStringLiteral("Select * From PRZeiten"));
    ds.open();
    const int rows = ds.recordCount();
    const double open = memoryMB("VmRSS");
    ds.close();
    const double closed = memoryMB("VmRSS");
    ds.open();
    ds.close();
    ds.open();
    const double reopened = memoryMB("VmRSS");
    ds.close();
    say(QStringLiteral("memory (%1 rows): open +%2 MB, closed +%3 MB, reopened twice +%4 MB")
            .arg(rows)
            .arg(open - before, 0, 'f', 0)
            .arg(closed - before, 0, 'f', 0)
            .arg(reopened - before, 0, 'f', 0));
}

// The data side of the main window's first showing, up to a filled overview: the connection,
// the options, the project list with its follow-ups, the master datasets and the time entries
// (on no project yet), and the rows a list shows first.
void startupChild(const QString& folder, const QElapsedTimer& sinceStart) {
    Tdm dm(QDir::currentPath() + QLatin1Char('/'));
    dm.ADOConnection1.setConnectionString(Tdm::connectionStringFor(folder));
    dm.ADOConnection1.open();
    dm.Optionen.open();
    dm.Optionen.first();
    dm.Optionen.close();
    dm.Projekte.setSql(
        QStringList{QStringLiteral("Select * from Projects where archiv=0"), QString()});
    dm.Projekte.open();
    dm.AWV.setSql(QStringList{
        QStringLiteral("Select Projects.Bezeichnung, Aufgaben.* "),
        QStringLiteral("FROM Projects INNER JOIN Aufgaben ON Projects.Nr = Aufgaben.AProjectnr"),
        QStringLiteral(" where awv<=now() and aerledigt is null"),
        QStringLiteral("order by Bezeichnung")});
    dm.AWV.open();
    for (Dataset* master :
         {&dm.Typen, &dm.Auftraggeber, &dm.Kategorien, &dm.Prioquery, &dm.Status, &dm.Verantw})
        master->open();
    dm.openTimeWithoutProject();
    qint64 chars = 0;
    for (Dataset* list : {&dm.Projekte, &dm.AWV}) {
        for (int row = 0; row < std::min(list->recordCount(), 60); ++row) {
            for (int field = 0; field < list->fieldCount(); ++field)
                chars += list->displayText(row, field).size();
        }
    }
    if (chars < 0)
        say(QString());
    std::printf("%.1f %.1f %d %d %d\n", milliseconds(sinceStart), memoryMB("VmHWM"),
                dm.Projekte.recordCount(), dm.AWV.recordCount(), dm.Time.recordCount());
}

void runStartup(const QString& folder, int repeat) {
    std::vector<double> times, peaks;
    QString counts;
    for (int i = 0; i < repeat + 1; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--startup-child"), folder});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            say(QStringLiteral("startup: the child failed: %1")
                    .arg(QString::fromUtf8(child.readAllStandardError())),
                stderr);
            return;
        }
        const QStringList out = QString::fromUtf8(child.readAllStandardOutput())
                                    .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (out.size() < 5)
            return;
        if (i == 0) // the first run warms the page cache
            continue;
        times.push_back(out.at(0).toDouble());
        peaks.push_back(out.at(1).toDouble());
        counts = QStringLiteral("%1 projects listed, %2 follow-ups, %3 time entries held")
                     .arg(out.at(2), out.at(3), out.at(4).trimmed());
    }
    say(QStringLiteral("startup (%1): %2, peak memory %3 MB (goal <= 500 ms, 200 MB)")
            .arg(counts, figures(times))
            .arg(median(peaks), 0, 'f', 0));
}

QStringList caseNames() {
    QStringList names;
    for (const Case& c : cases())
        names << QLatin1String(c.name);
    names << QStringLiteral("memory") << QStringLiteral("startup");
    return names;
}

int usage() {
    say(QStringLiteral("usage: orbenta-bench [--db <folder>] [--repeat <n>] [<case> ...]\n"
                       "cases: %1")
            .arg(caseNames().join(QStringLiteral(", "))),
        stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QCoreApplication app(argc, argv);
    QString folder;
    int repeat = 5;
    QStringList wanted;
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--startup-child")) {
        try {
            startupChild(args.at(1), sinceStart);
        } catch (const OrbentaError& e) {
            say(e.message(), stderr);
            return 1;
        }
        return 0;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--db") && i + 1 < args.size()) {
            folder = QDir(args.at(++i)).absolutePath() + QLatin1Char('/');
        } else if (arg == QLatin1String("--repeat") && i + 1 < args.size()) {
            bool ok = false;
            repeat = args.at(++i).toInt(&ok);
            if (!ok || repeat < 1)
                return usage();
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return usage();
        } else {
            wanted << arg;
        }
    }
    for (const QString& name : wanted) {
        if (!caseNames().contains(name))
            return usage();
    }
    const auto runs = [&](const QString& name) {
        return wanted.isEmpty() || wanted.contains(name);
    };

    try {
        QTemporaryDir temporary;
        if (folder.isEmpty()) {
            if (!temporary.isValid())
                throw OrbentaError(QStringLiteral("no temporary folder"));
            folder = temporary.path() + QLatin1Char('/');
            const BenchSize size;
            say(QStringLiteral("Generating %1 projects, %2 tasks, %3 time entries in %4 ...")
                    .arg(size.projects)
                    .arg(size.tasks)
                    .arg(size.entries)
                    .arg(folder));
            QElapsedTimer timer;
            timer.start();
            generateBenchDatabase(folder + QStringLiteral("ORBTData.mdb"), size);
            say(QStringLiteral("Generated in %1 s").arg(timer.elapsed() / 1000.0, 0, 'f', 1));
        } else if (!QFileInfo::exists(folder + QStringLiteral("ORBTData.mdb"))) {
            say(QStringLiteral("%1ORBTData.mdb does not exist").arg(folder), stderr);
            return 1;
        }

        // Measured first, before this process has grown.
        if (runs(QStringLiteral("memory"))) {
            Fixture fixture(folder);
            runMemory(fixture);
        }
        {
            Fixture fixture(folder);
            for (const Case& c : cases()) {
                if (runs(QLatin1String(c.name)))
                    runCase(c, fixture, repeat);
            }
        }
        if (runs(QStringLiteral("startup")))
            runStartup(folder, repeat);
    } catch (const OrbentaError& e) {
        say(e.message(), stderr);
        return 1;
    }
    return 0;
}
