#include "data/schema.h"

#include "data/connection.h"
#include "data/dataerror.h"

#include <QFile>

#include <sqlite3.h>

static void initSchemaResource() {
    Q_INIT_RESOURCE(schema);
}

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
    sqlite3* db = nullptr;
    QString failure;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        failure = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        // The text columns are declared with the GERMAN collation, which must be known.
        Connection::registerExtensions(db);
        const QByteArray script =
            QByteArrayLiteral("BEGIN;\n") + sql.toUtf8() + QByteArrayLiteral("\nCOMMIT;");
        if (sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            failure = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    if (!failure.isEmpty()) {
        QFile::remove(file);
        throw DataError(
            QStringLiteral("Die Datenbank »%1« kann nicht angelegt werden: %2").arg(file, failure));
    }
}
