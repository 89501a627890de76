#pragma once

#include "data/connection.h"

#include <QString>
#include <QVariant>

struct sqlite3_stmt;

// A prepared statement of one instruction, finalized whatever happens.
class Statement {
public:
    // Throws DataError ("<context>: <engine text>") when the text is no statement, or holds more
    // than one.
    Statement(const Connection& connection, const QString& sql, const QString& context);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_handle; }
    // Binds a value as a field of the given type stores it (1-based index; null binds NULL).
    void bind(int index, FieldType type, const QVariant& value);
    void bind(int index, qint64 value);
    // One step: true for a row, false when done; throws DataError for an engine error.
    bool step();
    void reset();

private:
    const Connection& m_connection;
    QString m_context;
    sqlite3_stmt* m_handle = nullptr;
};

// A write of one or more statements that is stored whole or not at all:
//
//     WriteTransaction write(connection);
//     connection.execute("delete from PRZeiten where PRID=7");
//     connection.execute("delete from Aufgaben where AProjectnr=7");
//     write.commit();
//
// It takes the write lock at once (BEGIN IMMEDIATE), so a busy database makes it fail at its
// start, never halfway. Inside another write it joins that one: the outer commit stores both.
// Going out of scope without commit() (an exception) rolls the whole write back.
class WriteTransaction {
public:
    explicit WriteTransaction(Connection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    // Throws DataError when the change cannot be stored, or when an error inside already rolled
    // the write back (then nothing of it is stored).
    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

// One consistent view and one lock around many small reads; does nothing inside a transaction.
class ReadTransaction {
public:
    explicit ReadTransaction(const Connection& connection);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    sqlite3* m_db;
    bool m_own = false;
};
