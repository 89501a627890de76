#include "data/transaction.h"

#include "data/currency.h"
#include "data/dataerror.h"
#include "data/fieldvalue.h"

#include <QByteArray>
#include <sqlite3.h>

Statement::Statement(const Connection& connection, const QString& sql, const QString& context)
    : m_connection(connection), m_context(context) {
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &m_handle,
                           &tail) != SQLITE_OK)
        connection.throwError(context);
    if (!m_handle)
        throw DataError(context + QStringLiteral(": Der Text enthält keine Anweisung."));
    for (const char* c = tail; c && *c; ++c) {
        if (*c != ';' && !QChar::isSpace(uchar(*c))) {
            sqlite3_finalize(m_handle);
            throw DataError(context +
                            QStringLiteral(": Der Text enthält mehr als eine Anweisung."));
        }
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_handle);
}

void Statement::bind(int index, FieldType type, const QVariant& value) {
    if (value.isNull()) {
        sqlite3_bind_null(m_handle, index);
        return;
    }
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(m_handle, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case FieldType::Counter:
    case FieldType::Integer:
        sqlite3_bind_int64(m_handle, index, value.toLongLong());
        break;
    case FieldType::YesNo:
        sqlite3_bind_int(m_handle, index, value.toBool() ? 1 : 0);
        break;
    case FieldType::Currency:
        sqlite3_bind_int64(m_handle, index, value.value<Currency>().scaled());
        break;
    case FieldType::DateTime:
    case FieldType::Float:
    case FieldType::Calculated:
        sqlite3_bind_double(m_handle, index, value.toDouble());
        break;
    }
}

void Statement::bind(int index, qint64 value) {
    sqlite3_bind_int64(m_handle, index, value);
}

bool Statement::step() {
    const int rc = sqlite3_step(m_handle);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_connection.throwError(m_context);
    return false;
}

void Statement::reset() {
    sqlite3_reset(m_handle);
}

WriteTransaction::WriteTransaction(Connection& connection) : m_connection(connection) {
    connection.beginWrite();
}

WriteTransaction::~WriteTransaction() {
    if (!m_done)
        m_connection.rollback();
}

void WriteTransaction::commit() {
    if (m_done)
        return;
    m_done = true;
    m_connection.commit();
}

ReadTransaction::ReadTransaction(const Connection& connection) : m_db(connection.handle()) {
    m_own = sqlite3_get_autocommit(m_db) &&
            sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
}

ReadTransaction::~ReadTransaction() {
    if (m_own)
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
}
