#include "timecases.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "data/transaction.h"
#include "platform/orbentaerror.h"
#include "timerec/efforttotals.h"

#include <QDate>
#include <sqlite3.h>

#include <memory>

namespace {

const QString ListProjectTitle = QStringLiteral("Zeitliste 10000");
constexpr int ListEntries = 10000;
constexpr int ListTasks = 10;

// The data module as the program holds it while an entry is saved: a project open, its time
// entries and its open tasks loaded.
struct State {
    std::unique_ptr<Tdm> dm;     // saving entries
    std::unique_ptr<Tdm> listDm; // the time list of the large project
    int storeProject = 0;        // a generated project of ordinary size
    int storeTask = 0;           // one of its tasks
    int listProject = 0;         // the project with 10,000 entries
};

State& state() {
    static State s;
    return s;
}

int firstKey(Connection& connection, const QString& sql) {
    Dataset data(connection, QStringLiteral("Key"));
    data.setSql(sql);
    data.open();
    return data.isEmpty() ? 0 : data.field(0).asInteger();
}

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw OrbentaError(QString::fromUtf8(sqlite3_errmsg(db)));
}

// One statement with SQLite alone: prepared, bound, stepped to the end, finalized.
struct Raw {
    sqlite3* db;
    sqlite3_stmt* st = nullptr;
    Raw(sqlite3* db, const char* sql) : db(db) {
        check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr));
    }
    ~Raw() { sqlite3_finalize(st); }
    Raw& bind(int index, qint64 value) {
        sqlite3_bind_int64(st, index, value);
        return *this;
    }
    Raw& bind(int index, double value) {
        sqlite3_bind_double(st, index, value);
        return *this;
    }
    Raw& bind(int index, const char* text) {
        sqlite3_bind_text(st, index, text, -1, SQLITE_STATIC);
        return *this;
    }
    // Steps every row and reads every column; returns the rows.
    qint64 run() {
        qint64 rows = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                sqlite3_column_text(st, c);
            ++rows;
        }
        check(db, rc);
        return rows;
    }
    double number() {
        check(db, sqlite3_step(st));
        return sqlite3_column_double(st, 0);
    }
};

} // namespace

namespace TimeCases {

void prepare(Connection& connection) {
    State& s = state();
    if (s.dm)
        return;
    s.listProject =
        firstKey(connection, QStringLiteral("Select Nr From Projects where Bezeichnung='") +
                                 ListProjectTitle + QLatin1Char('\''));
    if (s.listProject == 0) {
        WriteTransaction write(connection);
        const double from = DateTimeValue::fromDate(QDate(2024, 1, 1));
        {
            Statement project(connection,
                              QStringLiteral("INSERT INTO Projects (Bezeichnung, Archiv, Von, Bis) "
                                             "VALUES (?, 0, ?, ?)"),
                              QStringLiteral("bench"));
            project.bind(1, FieldType::Text, ListProjectTitle);
            project.bind(2, FieldType::DateTime, from);
            project.bind(3, FieldType::DateTime, from + 365);
            project.step();
        }
        s.listProject = int(sqlite3_last_insert_rowid(connection.handle()));
        std::vector<qint64> tasks;
        Statement task(connection,
                       QStringLiteral("INSERT INTO Aufgaben (AProjectnr, ABezeichnung, AVon, ABis) "
                                      "VALUES (?, ?, ?, ?)"),
                       QStringLiteral("bench"));
        for (int t = 0; t < ListTasks; ++t) {
            task.reset();
            task.bind(1, s.listProject);
            task.bind(2, FieldType::Text, QStringLiteral("Arbeitspaket %1").arg(t + 1));
            task.bind(3, FieldType::DateTime, from);
            task.bind(4, FieldType::DateTime, from + 365);
            task.step();
            tasks.push_back(sqlite3_last_insert_rowid(connection.handle()));
        }
        Statement entry(connection,
                        QStringLiteral("INSERT INTO PRZeiten (PRID, AID, ABezeichnung, "
                                       "Bezeichnung, Bearbeiter, Beschreibung, VonDatum, "
                                       "VonUhrzeit, BisDatum, BisUhrzeit, Aufwand) VALUES "
                                       "(?, ?, ?, 'Umsetzung', 'Anna Schmidt', 'Notiz', ?, "
                                       "0.375, ?, 0.6875, 0.3125)"),
                        QStringLiteral("bench"));
        for (int e = 0; e < ListEntries; ++e) {
            entry.reset();
            entry.bind(1, s.listProject);
            entry.bind(2, tasks[size_t(e % ListTasks)]);
            entry.bind(3, FieldType::Text,
                       QStringLiteral("Arbeitspaket %1").arg(e % ListTasks + 1));
            entry.bind(4, FieldType::DateTime, from + e % 365);
            entry.bind(5, FieldType::DateTime, from + e % 365);
            entry.step();
        }
        connection.execute(QStringLiteral("UPDATE Aufgaben SET AGesamtZeit=(SELECT SUM(Aufwand) "
                                          "FROM PRZeiten WHERE AID=Anr) WHERE AProjectnr=%1")
                               .arg(s.listProject));
        connection.execute(QStringLiteral("UPDATE Projects SET GesamtZeit='%1' WHERE Nr=%2")
                               .arg(showtime(ListEntries * 0.3125))
                               .arg(s.listProject));
        write.commit();
    }

    s.storeProject = firstKey(
        connection, QStringLiteral("Select AProjectnr From Aufgaben where aerledigt is null"));
    s.storeTask =
        firstKey(connection, QStringLiteral("Select Anr From Aufgaben where AProjectnr=") +
                                 QString::number(s.storeProject));
    if (s.storeProject == 0 || s.storeTask == 0)
        throw OrbentaError(QStringLiteral("no open task in the bench database"));

    s.listDm = std::make_unique<Tdm>(QStringLiteral("./"));
    s.listDm->ADOConnection1.setConnectionString(connection.connectionString());
    s.listDm->ADOConnection1.open();
    s.dm = std::make_unique<Tdm>(QStringLiteral("./"));
    s.dm->ADOConnection1.setConnectionString(connection.connectionString());
    s.dm->ADOConnection1.open();
    const QString nr = QString::number(s.storeProject);
    s.dm->Projekte.setSql(QStringLiteral("Select * from Projects where Nr=") + nr);
    s.dm->Projekte.open();
    s.dm->Time.setSql(QStringLiteral("Select * From PRZeiten where PRID=") + nr);
    s.dm->Time.open();
}

qint64 storeEntry(Connection& connection) {
    prepare(connection);
    State& s = state();
    Tdm& dm = *s.dm;
    const double day = DateTimeValue::fromDate(QDate(2025, 6, 23));
    Dataset& times = dm.Time;
    times.append();
    times.fieldByName(QStringLiteral("PRID")).setAsInteger(s.storeProject);
    times.fieldByName(QStringLiteral("AID")).setAsInteger(s.storeTask);
    times.fieldByName(QStringLiteral("ABezeichnung")).setAsString(QStringLiteral("Umsetzung"));
    times.fieldByName(QStringLiteral("Bezeichnung")).setAsString(QStringLiteral("Messung"));
    times.fieldByName(QStringLiteral("VonDatum")).setAsDateTime(day);
    times.fieldByName(QStringLiteral("BisDatum")).setAsDateTime(day);
    times.fieldByName(QStringLiteral("Aufwand")).setAsDateTime(0.0);
    times.post();

    EffortTotals totals(dm);
    // The task list's re-run for the open project.
    totals.setTaskListRerun([&] {
        dm.Aufgaben.close();
        dm.Aufgaben.setSql(QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                           QString::number(s.storeProject) +
                           QStringLiteral(" and aerledigt is null"));
        dm.Aufgaben.open();
    });
    totals.update(s.storeTask);
    return 1;
}

qint64 storeEntrySqlite(sqlite3* db) {
    const State& s = state();
    const double day = DateTimeValue::fromDate(QDate(2025, 6, 23));
    Raw(db,
        "INSERT INTO PRZeiten (PRID, AID, ABezeichnung, Bezeichnung, VonDatum, BisDatum, Aufwand) "
        "VALUES (?, ?, 'Umsetzung', 'Messung', ?, ?, 0.0) RETURNING *")
        .bind(1, qint64(s.storeProject))
        .bind(2, qint64(s.storeTask))
        .bind(3, day)
        .bind(4, day)
        .run();
    const double taskTotal = Raw(db, "SELECT SUM(Aufwand) FROM PRZeiten WHERE AID=?")
                                 .bind(1, qint64(s.storeTask))
                                 .number();
    Raw(db, "SELECT * FROM Aufgaben WHERE Anr=?").bind(1, qint64(s.storeTask)).run();
    Raw(db, "UPDATE Aufgaben SET AGesamtZeit=? WHERE Anr=?")
        .bind(1, taskTotal)
        .bind(2, qint64(s.storeTask))
        .run();
    Raw(db, "SELECT * FROM Aufgaben WHERE AProjectnr=? AND AErledigt IS NULL")
        .bind(1, qint64(s.storeProject))
        .run();
    const double projectTotal = Raw(db, "SELECT SUM(Aufwand) FROM PRZeiten WHERE PRID=?")
                                    .bind(1, qint64(s.storeProject))
                                    .number();
    const QByteArray text = showtime(projectTotal).toUtf8();
    Raw(db, "UPDATE Projects SET GesamtZeit=? WHERE Nr=?")
        .bind(1, text.constData())
        .bind(2, qint64(s.storeProject))
        .run();
    return 1;
}

// showtimes: the time list's query run anew, every field of every row read as the grid shows it.
qint64 openTimeList(Connection& connection) {
    prepare(connection);
    State& s = state();
    Dataset& times = s.listDm->Time;
    times.close();
    times.setSql(QStringList{QStringLiteral("Select * From PRZeiten where PRID=") +
                                 QString::number(s.listProject),
                             QString()});
    times.open();
    times.first();
    qint64 chars = 0;
    const int fields = times.fieldCount();
    for (int row = 0; row < times.recordCount(); ++row) {
        for (int field = 0; field < fields; ++field)
            chars += times.displayText(row, field).size();
    }
    if (chars < 0)
        throw OrbentaError(QString());
    return times.recordCount();
}

qint64 openTimeListSqlite(sqlite3* db) {
    return Raw(db, "SELECT * FROM PRZeiten WHERE PRID=?")
        .bind(1, qint64(state().listProject))
        .run();
}

} // namespace TimeCases
