#include "data/schema.h"

#include "data/connection.h"
#include "data/dataerror.h"
#include "data/transaction.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <sqlite3.h>
#include <vector>

static void initSchemaResource() {
    Q_INIT_RESOURCE(schema);
}

namespace {

qint64 integerOf(Connection& connection, const QString& sql, const QString& context) {
    Statement statement(connection, sql, context);
    return statement.step() ? sqlite3_column_int64(statement.get(), 0) : 0;
}

QString quoted(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// 0 to 1: the tables are made anew without the collation GERMAN, keeping every row, every key
// and the counters (a key once given is never given again), and their indexes.
void dropGermanCollation(Connection& connection, const QString& context) {
    static const QRegularExpression collation(
        QStringLiteral(R"(\s+COLLATE\s+(?:GERMAN|"GERMAN"|'GERMAN'|\[GERMAN\]|`GERMAN`)(?!\w))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression createTable(QStringLiteral(R"(^\s*CREATE\s+TABLE\s+)"),
                                                QRegularExpression::CaseInsensitiveOption);
    struct Table {
        QString name;
        QString sql;
    };
    std::vector<Table> tables;
    {
        Statement list(connection,
                       QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type='table' AND "
                                      "name NOT LIKE 'sqlite!_%' ESCAPE '!'"),
                       context);
        while (list.step()) {
            const QString sql = QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 1)));
            if (sql.contains(collation))
                tables.push_back({QString::fromUtf8(reinterpret_cast<const char*>(
                                      sqlite3_column_text(list.get(), 0))),
                                  sql});
        }
    }
    const bool counters =
        integerOf(connection,
                  QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='sqlite_sequence'"),
                  context) > 0;
    // The rename touches nothing but the table itself.
    connection.execute(QStringLiteral("PRAGMA legacy_alter_table=ON"));
    for (const Table& table : tables) {
        const QString name = quoted(table.name);
        const QString renewed = quoted(table.name + QStringLiteral("_neu"));
        const QRegularExpressionMatch head = createTable.match(table.sql);
        if (!head.hasMatch())
            continue;
        // CREATE TABLE <name> (...): the name is the text up to the column list.
        const qsizetype columns = table.sql.indexOf(QLatin1Char('('), head.capturedEnd());
        if (columns < 0)
            continue;
        QString sql =
            QStringLiteral("CREATE TABLE ") + renewed + QLatin1Char(' ') + table.sql.mid(columns);
        sql.remove(collation);

        QStringList dependents; // indexes and triggers, made again once the table is back
        {
            Statement list(connection,
                           QStringLiteral("SELECT sql FROM sqlite_master WHERE type IN "
                                          "('index','trigger') AND tbl_name=? AND sql IS NOT NULL"),
                           context);
            list.bind(1, FieldType::Text, table.name);
            while (list.step())
                dependents << QString::fromUtf8(
                                  reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)))
                                  .remove(collation);
        }
        qint64 counter = -1;
        if (counters) {
            Statement seq(connection,
                          QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?"), context);
            seq.bind(1, FieldType::Text, table.name);
            if (seq.step())
                counter = sqlite3_column_int64(seq.get(), 0);
        }

        connection.execute(sql);
        connection.execute(QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(renewed, name));
        connection.execute(QStringLiteral("DROP TABLE %1").arg(name));
        connection.execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(renewed, name));
        if (counter >= 0) {
            Statement update(connection,
                             QStringLiteral("UPDATE sqlite_sequence SET seq=max(seq, ?) WHERE "
                                            "name=?"),
                             context);
            update.bind(1, counter);
            update.bind(2, FieldType::Text, table.name);
            update.step();
        }
        for (const QString& dependent : dependents)
            connection.execute(dependent);
    }
    connection.execute(QStringLiteral("PRAGMA legacy_alter_table=OFF"));
}

} // namespace

QString schemaSql() {
    // The resource lives in a static library: nothing would pull it in otherwise.
    initSchemaResource();
    QFile file(QStringLiteral(":/data/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("Der Aufbau der Datenbank fehlt im Programm."));
    return QString::fromUtf8(file.readAll());
}

void createDatabase(const QString& file) {
    const QString sql = schemaSql();
    {
        // Created here, exclusively: an existing database is never touched.
        QFile created(file);
        if (created.exists())
            throw DataError(QStringLiteral("Die Datei »%1« gibt es schon; eine neue Datenbank "
                                           "wird nur in eine neue Datei geschrieben.")
                                .arg(file));
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw DataError(QStringLiteral("Die Datenbank »%1« kann nicht angelegt werden: %2")
                                .arg(file, created.errorString()));
    }
    try {
        Connection connection;
        connection.setConnectionString(QStringLiteral("Data Source=") + file);
        connection.openNew();
        WriteTransaction write(connection);
        connection.execute(sql);
        connection.execute(QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion));
        write.commit();
    } catch (const DataError& e) {
        QFile::remove(file);
        throw DataError(QStringLiteral("Die Datenbank »%1« kann nicht angelegt werden: %2")
                            .arg(file, e.message()));
    }
}

void upgradeSchema(Connection& connection) {
    const QString context = QStringLiteral("Die Datenbank »%1« kann nicht geöffnet werden")
                                .arg(connection.databaseFile());
    const auto version = [&] {
        return integerOf(connection, QStringLiteral("PRAGMA user_version"), context);
    };
    const auto refuseNewer = [&](qint64 found) {
        if (found > SchemaVersion)
            throw DataError(QStringLiteral("Die Datenbank »%1« stammt von einer neueren "
                                           "Orbenta-Version und kann mit dieser Version nicht "
                                           "geöffnet werden.")
                                .arg(connection.databaseFile()));
    };
    const qint64 found = version();
    refuseNewer(found);
    if (found == SchemaVersion)
        return;
    if (integerOf(connection,
                  QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table'"),
                  context) == 0)
        return;

    WriteTransaction write(connection);
    // Read again under the write lock: another copy of the program may have upgraded it.
    const qint64 current = version();
    refuseNewer(current);
    if (current == SchemaVersion)
        return;
    if (current < 1) {
        dropGermanCollation(connection, context);
        // The first databases had no index on the time entries: a project's time list and the
        // effort totals would read every entry.
        connection.execute(
            QStringLiteral("CREATE INDEX IF NOT EXISTS ZeitenProjekt ON PRZeiten (PRID)"));
        connection.execute(
            QStringLiteral("CREATE INDEX IF NOT EXISTS ZeitenAufgabe ON PRZeiten (AID)"));
    }
    if (current < 2)
        connection.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS AufgabenFaellig ON Aufgaben "
                                          "(AWV) WHERE AErledigt IS NULL"));
    connection.execute(QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion));
    write.commit();
}
