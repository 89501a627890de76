// orbenta-bench [--db <folder>] [--repeat <n>] [<case> ...]
//
// Measures the data layer against SQLite alone on a large database, in the same run. Without
// --db it generates the database into a temporary folder first. Each case runs its two sides
// alternately, several times, and reports the best time of each side and their ratio. It is a
// measurement, not a test: the exit code does not depend on the ratios.
#include "data/connection.h"
#include "data/dataset.h"
#include "data/tdm.h"
#include "generator.h"
#include "platform/orbentaerror.h"
#include "timecases.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

namespace {

void say(const QString& text, FILE* to = stdout) {
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

// What every case works on: the database through the data layer and through SQLite alone.
struct Fixture {
    Connection connection;
    sqlite3* raw = nullptr;

    explicit Fixture(const QString& folder) {
        connection.setConnectionString(Tdm::connectionStringFor(folder));
        connection.open();
        const QByteArray file = (folder + QStringLiteral("ORBTData.mdb")).toUtf8();
        if (sqlite3_open_v2(file.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw OrbentaError(
                QStringLiteral("SQLite kann %1 nicht öffnen.").arg(QString::fromUtf8(file)));
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

// Prepares and steps the same statement and reads every column as text.
qint64 sqliteStep(Fixture& f, const char* sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(f.raw, sql, -1, &st, nullptr) != SQLITE_OK)
        throw OrbentaError(QString::fromUtf8(sqlite3_errmsg(f.raw)));
    qint64 rows = 0;
    qint64 chars = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            sqlite3_column_text(st, i);
            chars += sqlite3_column_bytes(st, i);
        }
        ++rows;
    }
    sqlite3_finalize(st);
    if (chars < 0)
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
         [](Fixture& f) { return sqliteStep(f, "Select * From Aufgaben"); }},
    };
    return list;
}

double milliseconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

void runCase(const Case& c, Fixture& f, int repeat) {
    // One round each first, so that both sides find the file in the page cache.
    qint64 subjectRows = c.subject(f);
    qint64 baselineRows = c.baseline(f);
    double bestSubject = std::numeric_limits<double>::max();
    double bestBaseline = std::numeric_limits<double>::max();
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        subjectRows = c.subject(f);
        bestSubject = std::min(bestSubject, milliseconds(timer));
        timer.restart();
        baselineRows = c.baseline(f);
        bestBaseline = std::min(bestBaseline, milliseconds(timer));
    }
    const double ratio = bestBaseline > 0 ? bestSubject / bestBaseline : 0;
    say(QStringLiteral("%1 (%2 rows): %3: %4 ms, %5: %6 ms, ratio %7 (target <= %8)")
            .arg(QLatin1String(c.name))
            .arg(subjectRows)
            .arg(QLatin1String(c.subjectLabel))
            .arg(bestSubject, 0, 'f', 0)
            .arg(QLatin1String(c.baselineLabel))
            .arg(bestBaseline, 0, 'f', 0)
            .arg(ratio, 0, 'f', 2)
            .arg(c.target, 0, 'f', 1));
    if (subjectRows != baselineRows)
        say(QStringLiteral("%1: the sides read different row counts (%2 and %3)")
                .arg(QLatin1String(c.name))
                .arg(subjectRows)
                .arg(baselineRows),
            stderr);
}

int usage() {
    QStringList names;
    for (const Case& c : cases())
        names << QLatin1String(c.name);
    say(QStringLiteral("usage: orbenta-bench [--db <folder>] [--repeat <n>] [<case> ...]\n"
                       "cases: %1")
            .arg(names.join(QStringLiteral(", "))),
        stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QString folder;
    int repeat = 5;
    QStringList wanted;
    const QStringList args = app.arguments().mid(1);
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
        const bool known = std::any_of(cases().begin(), cases().end(), [&](const Case& c) {
            return name == QLatin1String(c.name);
        });
        if (!known)
            return usage();
    }

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

        Fixture fixture(folder);
        for (const Case& c : cases()) {
            if (wanted.isEmpty() || wanted.contains(QLatin1String(c.name)))
                runCase(c, fixture, repeat);
        }
    } catch (const OrbentaError& e) {
        say(e.message(), stderr);
        return 1;
    }
    return 0;
}
