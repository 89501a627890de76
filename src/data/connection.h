#pragma once

#include "data/dataerror.h"

#include <QHash>
#include <QString>
#include <QVector>

struct sqlite3;

// One column of a stored table, with the type the program knows it by.
enum class FieldType {
    Counter,   // key numbered by the engine, read-only
    Integer,   // 32-bit, may be empty
    Text,      // text(n): at most `size` characters, may be empty
    Memo,      // text of any length
    DateTime,  // double of days since 30.12.1899
    Currency,  // exact, four decimals
    YesNo,     // never empty, false in new rows
    Float,     // a computed value (SUM(...)), not a stored column
    Calculated // a calculated field of a dataset, computed from its row
};

struct ColumnInfo {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // for Text
};

struct TableInfo {
    QString name;
    QVector<ColumnInfo> columns;
    int keyColumn = -1;                         // the counter column
    int columnIndex(const QString& name) const; // case-insensitive, -1 when missing
};

// The connection to the database file, in place of the Jet engine. It accepts the connection
// text "Provider=...;Data Source=<folder>ORBTData.mdb;Persist Security Info=False" and opens the
// file named by Data Source with SQLite, bringing an older database up to the program's schema
// first (see upgradeSchema). It registers what the program's SQL relies on (now(), German
// case-insensitive text order) and knows each column's type from the schema.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& text);
    QString connectionString() const { return m_connectionString; }
    QString databaseFile() const;

    // Throws DataError with a German text when the file is missing or cannot be opened.
    // An empty file is no database: open() refuses it and leaves it as it is.
    void open();
    // Opens the empty file just made for a new database (createDatabase), which open() refuses.
    void openNew();
    void close();
    bool connected() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    // Runs statements without a result ("delete from PRZeiten where PRID=7") in one write
    // transaction (or in the one running). Texts compare and sort German. Throws DataError.
    void execute(const QString& sql);
    // The program's statement as the engine runs it: the texts it compares or sorts by get the
    // German order (see GermanOrder::applyTo).
    QString withGermanOrder(const QString& sql) const;

    // The stored table's columns; nullptr for an unknown table. Case-insensitive.
    const TableInfo* table(const QString& name) const;

    // Write transactions take the write lock at their start (BEGIN IMMEDIATE), so a write never
    // fails halfway on a busy database; a busy database is waited for a few seconds and then
    // reported with a clear German text.
    // They nest: an inner write joins the outer one, and a rollback inside rolls back the whole,
    // after which the outer levels can neither write nor commit (DataError). WriteTransaction is
    // the guard to use around them.
    void beginWrite();
    void commit();
    void rollback();

    // Throws DataError for the last engine error, with the statement's context.
    [[noreturn]] void throwError(const QString& context) const;
    // The same error as a value, so that a rollback can run before it is thrown.
    DataError error(const QString& context) const;

    // How long a write waits for another program's lock (5 s unless set; tests shorten it).
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return m_busyTimeout; }
    // The journal mode at open: "delete", or "wal" while another copy held a file an older
    // copy had left in WAL mode.
    QString journalMode() const { return m_journalMode; }

    // Registers the GERMAN collation and now() on any handle, so that tools writing the file
    // with SQLite alone can compare and sort texts as the program does.
    static void registerExtensions(sqlite3* db);
    // German case-insensitive order of two UTF-8 texts (<0, 0, >0), as the GERMAN collation.
    static int compareGerman(const char* a, int aLength, const char* b, int bLength);

private:
    void openFile(bool newFile);
    void loadSchema();
    void run(const char* sql, const QString& context);

    QString m_connectionString;
    sqlite3* m_db = nullptr;
    QHash<QString, TableInfo> m_tables; // by lower-case name
    int m_busyTimeout = 5000;
    int m_writeDepth = 0;
    bool m_writeFailed = false; // rolled back inside; the outer levels are still to end
    QString m_journalMode;
};
