#include "data/connection.h"
#include "data/schema.h"
#include "data/tdm.h"
#include "testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <sqlite3.h>

class TimeIndexesTest : public QObject {
    Q_OBJECT
private slots:
    void oldDatabaseGetsThem();
};

// The first databases had no index on the time entries; opening one adds them.
void TimeIndexesTest::oldDatabaseGetsThem() {
    TestEnvironment env;
    QString sql = schemaSql();
    sql.remove(
        QRegularExpression(QStringLiteral(R"(CREATE INDEX Zeiten\w+ ON PRZeiten \(\w+\);)")));
    const QByteArray file = QFile::encodeName(env.databaseFile());
    const auto indexes = [&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "select name from sqlite_master where type='index' and "
                           "tbl_name='PRZeiten' order by name",
                           -1, &st, nullptr);
        QStringList names;
        while (sqlite3_step(st) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return names;
    };
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                 nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    QCOMPARE(indexes(), QStringList());
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    connection.open();
    connection.close();
    QCOMPARE(indexes(), (QStringList{"ZeitenAufgabe", "ZeitenProjekt"}));
}

ORBENTA_TEST_MAIN(TimeIndexesTest)
#include "tst_timeindexes.moc"
