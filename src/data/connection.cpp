#include "data/connection.h"

#include "data/datetimevalue.h"
#include "data/germanorder.h"
#include "data/schema.h"
#include "data/transaction.h"

#include <QChar>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <sqlite3.h>

// Durability and sharing.
//
// Every committed change must survive a crash and a power cut, so synchronous=FULL always:
// the journal is synced before the commit returns.
//
// Every copy of the program uses the rollback journal (journal_mode=DELETE), on every file
// system. The mode must be the same for all copies on one file, and a copy cannot tell for sure
// whether another reaches the file over a network share, where the write-ahead log (WAL) would
// corrupt the database: WAL keeps its index in shared memory beside the file, which machines
// cannot share. The rollback journal relies on file locks only. One person's writes gain
// nothing from WAL that is worth that risk.
//
// A file an older copy left in WAL mode is switched back when a copy opens it alone. Leaving WAL
// needs the file to itself; while another copy has it open, this copy goes on in WAL mode with
// it (a mode stored in the file is followed by every copy, so they still agree).
//
// A lock held by another program is waited for (busy_timeout, 5 s, set before the first
// statement, so even the first look at the file waits) and then reported in plain German.
// Writes start with BEGIN IMMEDIATE, which takes the write lock before anything is changed: a
// busy database makes a write fail at its start, never halfway.
//
// The database does not enforce the references between the tables (foreign_keys stays off):
// deleting a task keeps its time entries.

namespace {

const char* const BusyText = "Die Datenbank wird gerade von einem anderen Programm bearbeitet. "
                             "Bitte versuchen Sie es später noch einmal.";

// The engine's own texts are English; the user reads them in German. A text of a kind not
// listed here is passed on as the engine wrote it.
QString germanEngineText(int code, const QString& message) {
    switch (code & 0xFF) {
    case SQLITE_READONLY:
        return QStringLiteral("Die Datenbank ist schreibgeschützt.");
    case SQLITE_FULL:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
    case SQLITE_IOERR:
        return QStringLiteral("Die Datenbankdatei kann nicht gelesen oder geschrieben werden.");
    case SQLITE_CORRUPT:
        return QStringLiteral("Die Datenbankdatei ist beschädigt.");
    case SQLITE_NOTADB:
        return QStringLiteral("Die Datei ist keine Datenbank.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Die Datenbankdatei kann nicht geöffnet werden.");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Der Zugriff auf die Datenbank ist nicht erlaubt.");
    case SQLITE_NOMEM:
        return QStringLiteral("Der Arbeitsspeicher reicht nicht aus.");
    default:
        break;
    }
    static const struct {
        QRegularExpression pattern;
        const char* text; // %1, %2: the pattern's captures
    } known[] = {
        {QRegularExpression(QStringLiteral(R"(^no such column: (.+)$)")),
         "Das Feld »%1« gibt es nicht."},
        {QRegularExpression(QStringLiteral(R"(^no such table: (.+)$)")),
         "Die Tabelle »%1« gibt es nicht."},
        {QRegularExpression(QStringLiteral(R"(^table (\S+) has no column named (.+)$)")),
         "Die Tabelle »%1« hat kein Feld »%2«."},
        {QRegularExpression(QStringLiteral(R"(^ambiguous column name: (.+)$)")),
         "Der Feldname »%1« ist nicht eindeutig."},
        {QRegularExpression(QStringLiteral(R"re(^near "(.*)": syntax error$)re")),
         "Syntaxfehler bei »%1«."},
        {QRegularExpression(QStringLiteral(R"re(^unrecognized token: "(.*)"$)re")),
         "Unbekanntes Zeichen »%1«."},
        {QRegularExpression(QStringLiteral(R"(^incomplete input$)")),
         "Die Anweisung ist unvollständig."},
        {QRegularExpression(QStringLiteral(R"(^no such function: (.+)$)")),
         "Die Funktion »%1« gibt es nicht."},
        {QRegularExpression(QStringLiteral(R"(^wrong number of arguments to function (.+)\(\)$)")),
         "Die Funktion »%1« hat die falsche Zahl von Argumenten."},
        {QRegularExpression(QStringLiteral(R"(^misuse of aggregate(?: function)?:? (.+)\(\)$)")),
         "Die Funktion »%1« ist hier nicht erlaubt."},
        {QRegularExpression(QStringLiteral(R"(ORDER BY term out of range)")),
         "Die Sortierung nennt eine Spalte, die es nicht gibt."},
        {QRegularExpression(QStringLiteral(R"(^NOT NULL constraint failed: (.+)$)")),
         "Das Feld »%1« darf nicht leer sein."},
        {QRegularExpression(QStringLiteral(R"(^UNIQUE constraint failed: (.+)$)")),
         "Den Wert von »%1« gibt es schon."},
    };
    for (const auto& entry : known) {
        const QRegularExpressionMatch match = entry.pattern.match(message);
        if (!match.hasMatch())
            continue;
        const QString text = QString::fromUtf8(entry.text);
        return match.lastCapturedIndex() >= 2   ? text.arg(match.captured(1), match.captured(2))
               : match.lastCapturedIndex() == 1 ? text.arg(match.captured(1))
                                                : text;
    }
    return message;
}

// A write the file system refused for want of space shows as an I/O error of the engine (the
// WAL index cannot grow, say); it is the full disk the user must hear about.
int withFullDisk(int code, sqlite3* db) {
    if ((code & 0xFF) != SQLITE_IOERR || !db)
        return code;
    const int cause = sqlite3_system_errno(db);
    return cause == ENOSPC || cause == EDQUOT ? SQLITE_FULL : code;
}

QString pragmaText(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    QString text;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return text;
}

void nowFunction(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_double(context, DateTimeValue::now());
}

} // namespace

int TableInfo::columnIndex(const QString& name) const {
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Connection::compareGerman(const char* a, int aLength, const char* b, int bLength) {
    return GermanOrder::compare(a, aLength, b, bLength);
}

void Connection::registerExtensions(sqlite3* db) {
    GermanOrder::registerCollation(db);
    // Deterministic within one statement: a query sees one "now", as the old engine did, and
    // a condition like awv<=now() can use the index.
    sqlite3_create_function_v2(db, "now", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               nowFunction, nullptr, nullptr, nullptr);
}

Connection::Connection() = default;

Connection::~Connection() {
    close();
}

void Connection::setConnectionString(const QString& text) {
    m_connectionString = text;
}

QString Connection::databaseFile() const {
    static const QRegularExpression key(QStringLiteral(R"((?:^|;)\s*Data Source\s*=)"),
                                        QRegularExpression::CaseInsensitiveOption);
    // A folder may contain ';' and '=': the value ends only where a key of such texts begins.
    static const QRegularExpression nextKey(
        QStringLiteral(R"(;\s*(?:Provider|Persist Security Info|User ID|Password|Mode|)"
                       R"(Extended Properties|Jet OLEDB:[^=;]*)\s*=)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch found = key.match(m_connectionString);
    if (!found.hasMatch())
        return {};
    const int start = found.capturedEnd();
    const QRegularExpressionMatch next = nextKey.match(m_connectionString, start);
    const int end = next.hasMatch() ? next.capturedStart() : m_connectionString.size();
    QString value = m_connectionString.mid(start, end - start).trimmed();
    if (value.endsWith(QLatin1Char(';')))
        value.chop(1);
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

void Connection::open() {
    openFile(false);
}

void Connection::openNew() {
    openFile(true);
}

void Connection::openFile(bool newFile) {
    if (m_db)
        return;
    const QString file = databaseFile();
    if (file.isEmpty())
        throw DataError(QStringLiteral("In der Verbindung ist keine Datenbankdatei angegeben."));
    const QFileInfo info(file);
    if (!info.exists())
        throw DataError(QStringLiteral("Die Datenbank »%1« wurde nicht gefunden.").arg(file));
    if (!info.isFile())
        throw DataError(QStringLiteral("»%1« ist keine Datenbankdatei.").arg(file));
    // SQLite would take an empty file for an empty database and write one into it.
    if (info.size() == 0 && !newFile)
        throw DataError(QStringLiteral("Die Datenbank »%1« kann nicht geöffnet werden: Die Datei "
                                       "ist leer und keine Datenbank.")
                            .arg(file));

    sqlite3* db = nullptr;
    // Never SQLITE_OPEN_CREATE: a wrong path must not leave an empty database behind.
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = germanEngineText(
            withFullDisk(rc, db), QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close(db);
        throw DataError(
            QStringLiteral("Die Datenbank »%1« kann nicht geöffnet werden: %2").arg(file, reason));
    }
    m_db = db;
    try {
        // Before any statement, so that even the first look at the file waits for a lock.
        sqlite3_busy_timeout(db, m_busyTimeout);
        registerExtensions(db);
        const QString context =
            QStringLiteral("Die Datenbank »%1« kann nicht geöffnet werden").arg(file);
        run("PRAGMA foreign_keys=OFF", context);
        // Reading the header tells whether an older copy left the file in WAL mode.
        run("PRAGMA schema_version", context);
        if (pragmaText(db, "PRAGMA journal_mode") == QLatin1String("wal")) {
            // Refused at once while another copy has the file open: go on in WAL with it.
            const int rc =
                sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK && (rc & 0xFF) != SQLITE_BUSY && (rc & 0xFF) != SQLITE_LOCKED)
                throwError(context);
        } else {
            run("PRAGMA journal_mode=DELETE", context);
        }
        run("PRAGMA synchronous=FULL", context);
        m_journalMode = pragmaText(db, "PRAGMA journal_mode");
        upgradeSchema(*this);
        loadSchema();
    } catch (...) {
        close();
        throw;
    }
}

void Connection::close() {
    if (!m_db)
        return;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_tables.clear();
    m_writeDepth = 0;
    m_writeFailed = false;
    m_journalMode.clear();
}

void Connection::setBusyTimeout(int milliseconds) {
    m_busyTimeout = milliseconds;
    if (m_db)
        sqlite3_busy_timeout(m_db, milliseconds);
}

void Connection::run(const char* sql, const QString& context) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throwError(context);
}

void Connection::loadSchema() {
    m_tables.clear();
    const QString context = QStringLiteral("Der Aufbau der Datenbank kann nicht gelesen werden");
    sqlite3_stmt* tables = nullptr;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT name FROM sqlite_master WHERE type='table' "
                           "AND name NOT LIKE 'sqlite!_%' ESCAPE '!'",
                           -1, &tables, nullptr) != SQLITE_OK)
        throwError(context);
    sqlite3_stmt* columns = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT name, type, pk FROM pragma_table_info(?)", -1, &columns,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(tables);
        throwError(context);
    }
    int rc;
    while ((rc = sqlite3_step(tables)) == SQLITE_ROW) {
        TableInfo table;
        table.name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(tables, 0)));
        sqlite3_bind_text(columns, 1, reinterpret_cast<const char*>(sqlite3_column_text(tables, 0)),
                          -1, SQLITE_TRANSIENT);
        while (sqlite3_step(columns) == SQLITE_ROW) {
            ColumnInfo column;
            column.name =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns, 0)));
            const QString type =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns, 1)))
                    .trimmed()
                    .toUpper();
            const bool key = sqlite3_column_int(columns, 2) == 1;
            static const QRegularExpression sized(
                QStringLiteral(R"(^(?:TEXT|VARCHAR|CHAR)\s*\(\s*(\d+)\s*\)$)"));
            const QRegularExpressionMatch textSize = sized.match(type);
            if (key && type == QLatin1String("INTEGER")) {
                column.type = FieldType::Counter;
                table.keyColumn = table.columns.size();
            } else if (textSize.hasMatch()) {
                column.type = FieldType::Text;
                column.size = textSize.captured(1).toInt();
            } else if (type == QLatin1String("DATETIME") || type == QLatin1String("DATE")) {
                column.type = FieldType::DateTime;
            } else if (type == QLatin1String("CURRENCY")) {
                column.type = FieldType::Currency;
            } else if (type == QLatin1String("YESNO")) {
                column.type = FieldType::YesNo;
            } else if (type.contains(QLatin1String("INT"))) {
                column.type = FieldType::Integer;
            } else if (type.contains(QLatin1String("REAL")) ||
                       type.contains(QLatin1String("FLOA")) ||
                       type.contains(QLatin1String("DOUB"))) {
                column.type = FieldType::Float;
            } else {
                column.type = FieldType::Memo;
            }
            table.columns.append(column);
        }
        sqlite3_reset(columns);
        m_tables.insert(table.name.toLower(), table);
    }
    sqlite3_finalize(columns);
    sqlite3_finalize(tables);
    if (rc != SQLITE_DONE)
        throwError(context);
}

const TableInfo* Connection::table(const QString& name) const {
    const auto found = m_tables.constFind(name.toLower());
    return found == m_tables.constEnd() ? nullptr : &found.value();
}

void Connection::execute(const QString& sql) {
    WriteTransaction write(*this);
    if (sqlite3_exec(m_db, withGermanOrder(sql).toUtf8().constData(), nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        throwError(QStringLiteral("Fehler in der Anweisung"));
    write.commit();
}

QString Connection::withGermanOrder(const QString& sql) const {
    return GermanOrder::applyTo(sql, [this](const QString& name) { return table(name); });
}

namespace {

DataError rolledBack() {
    return DataError(QStringLiteral("Die Änderung wurde nach einem Fehler zurückgenommen und "
                                    "nicht gespeichert."));
}

} // namespace

void Connection::beginWrite() {
    if (!m_db)
        throw DataError(QStringLiteral("Die Verbindung zur Datenbank ist nicht geöffnet."));
    if (m_writeDepth == 0) {
        run("BEGIN IMMEDIATE", QStringLiteral("Die Datenbank kann nicht beschrieben werden"));
        m_writeFailed = false;
    } else if (m_writeFailed) {
        // The write this one would join is gone: running on alone would store half of it.
        throw rolledBack();
    }
    ++m_writeDepth;
}

void Connection::commit() {
    if (m_writeDepth == 0)
        return;
    --m_writeDepth;
    if (m_writeFailed) {
        if (m_writeDepth == 0)
            m_writeFailed = false;
        throw rolledBack();
    }
    if (m_writeDepth > 0)
        return;
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const DataError failure =
            error(QStringLiteral("Die Änderung kann nicht gespeichert werden"));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw failure;
    }
}

void Connection::rollback() {
    // Rolls back the whole write, also when called inside a nested one: the outer levels can
    // neither write nor commit any more, and learn so when they try.
    if (m_writeDepth == 0)
        return;
    if (!m_writeFailed && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_writeFailed = --m_writeDepth > 0;
}

DataError Connection::error(const QString& context) const {
    if (!m_db)
        return DataError(context);
    const int code = withFullDisk(sqlite3_errcode(m_db), m_db) & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return DataError(QString::fromUtf8(BusyText));
    return DataError(context + QStringLiteral(": ") +
                     germanEngineText(code, QString::fromUtf8(sqlite3_errmsg(m_db))));
}

void Connection::throwError(const QString& context) const {
    throw error(context);
}
