#include "data/schema.h"
#include "datafixture.h"

#include <QRegularExpression>
#include <QTest>

#include <sqlite3.h>

namespace {

// The file opened with SQLite alone, as any other tool opens it: no collation GERMAN, no now().
class PlainSqlite {
public:
    explicit PlainSqlite(const QString& file) {
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(file));
    }
    ~PlainSqlite() { sqlite3_close(m_db); }
    sqlite3* handle() const { return m_db; }

    // The first column of every row; fails the test when the engine refuses the statement.
    QStringList column(const QString& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            QTest::qFail(qPrintable(QString::fromUtf8(sqlite3_errmsg(m_db))), __FILE__, __LINE__);
            return {};
        }
        QStringList values;
        while (sqlite3_step(st) == SQLITE_ROW)
            values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return values;
    }
    QString value(const QString& sql) { return column(sql).value(0); }
    void exec(const QString& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            QTest::qFail(error, __FILE__, __LINE__);
            sqlite3_free(error);
        }
    }

private:
    sqlite3* m_db = nullptr;
};

// The schema as the first databases had it: every text column declared COLLATE GERMAN.
QString firstSchema() {
    QString sql = schemaSql();
    sql.replace(QRegularExpression(QStringLiteral(R"(\b(TEXT\(\d+\)|LONGTEXT)(?=,|\n))")),
                QStringLiteral("\\1 COLLATE GERMAN"));
    return sql;
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newDatabaseOpensInAnyTool();
    void firstDatabaseIsUpgraded();
    void newerDatabaseIsRefused();
};

// A database the program made is read and queried by SQLite alone; the program still sorts
// and compares its texts German.
void TestSchema::newDatabaseOpensInAnyTool() {
    DataFixture db;
    db.connection.execute("insert into Typen (Bezeichnung) values ('Zaun'), ('Äußeres'), "
                          "('anbau'), ('x')");
    {
        PlainSqlite plain(db.env.databaseFile());
        QCOMPARE(plain.value("PRAGMA user_version"), QString::number(SchemaVersion));
        QCOMPARE(plain.value("select count(*) from sqlite_master where sql like '%COLLATE%'"),
                 QString("0"));
        QCOMPARE(plain.value("select count(*) from Typen where Bezeichnung='x'"), QString("1"));
        QCOMPARE(plain.column("select Bezeichnung from Typen where Bezeichnung<>'x' "
                              "order by Bezeichnung"),
                 QStringList({"Zaun", "anbau", "Äußeres"}));
    }
    Dataset typen(db.connection, "Typen");
    typen.setSql(QStringList{"Select * From Typen where Bezeichnung<>'X'", "order by Bezeichnung"});
    typen.open();
    QStringList order;
    for (typen.first(); !typen.eof(); typen.next())
        order << typen.fieldByName("Bezeichnung").asString();
    QCOMPARE(order, QStringList({"anbau", "Äußeres", "Zaun"}));
}

// A database of the first schema is made anew on opening: every row, every key and the
// counters stay (a key once given is not given again), the indexes are back, and the
// collation is gone from the tables.
void TestSchema::firstDatabaseIsUpgraded() {
    TestEnvironment env;
    {
        QFile file(env.databaseFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    {
        PlainSqlite old(env.databaseFile());
        Connection::registerExtensions(old.handle());
        old.exec("BEGIN;\n" + firstSchema() + "\nCOMMIT;");
        old.exec("insert into Projects (Bezeichnung, Archiv) values ('Umbau', 0), ('Anbau', 0), "
                 "('Weg', 0); delete from Projects where Bezeichnung='Weg';");
        old.exec("insert into Typen (Bezeichnung) values ('Öl'), ('apfel')");
        old.exec("insert into PRZeiten (PRID, Bezeichnung) values (2, 'Planung')");
        QCOMPARE(old.value("select count(*) from sqlite_master where sql like '%COLLATE GERMAN%'"),
                 QString("9"));
        QCOMPARE(old.value("PRAGMA user_version"), QString("0"));
    }

    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    connection.open();
    connection.execute("insert into Projects (Bezeichnung) values ('Neu')");
    connection.close();

    PlainSqlite plain(env.databaseFile());
    QCOMPARE(plain.value("PRAGMA user_version"), QString::number(SchemaVersion));
    QCOMPARE(plain.value("select count(*) from sqlite_master where sql like '%COLLATE%'"),
             QString("0"));
    QCOMPARE(plain.column("select Nr || ' ' || Bezeichnung from Projects order by Nr"),
             QStringList({"1 Umbau", "2 Anbau", "4 Neu"}));
    QCOMPARE(plain.column("select Bezeichnung from Typen order by ID"),
             QStringList({"Öl", "apfel"}));
    QCOMPARE(plain.value("select Bezeichnung from PRZeiten where PRID=2"), QString("Planung"));
    QCOMPARE(plain.column("select name from sqlite_master where type='index' order by name"),
             QStringList({"AufgabenFaellig", "AufgabenProjekt", "AufgabenWiedervorlage",
                          "ZeitenAufgabe", "ZeitenProjekt"}));
    QCOMPARE(plain.value("select count(*) from Typen where Bezeichnung='apfel'"), QString("1"));

    // The same columns with the same types as a new database has.
    DataFixture fresh;
    for (const QString table : {"Projects", "Aufgaben", "PRZeiten", "Typen", "HumanResources"}) {
        const QString columns =
            QString("select group_concat(name || ' ' || type || ' ' || \"notnull\" || ' ' || "
                    "ifnull(dflt_value, '') || ' ' || pk, ', ') from pragma_table_info('%1')")
                .arg(table);
        PlainSqlite other(fresh.env.databaseFile());
        QCOMPARE(plain.value(columns), other.value(columns));
    }
}

// A database of a newer program is refused and left as it is.
void TestSchema::newerDatabaseIsRefused() {
    TestEnvironment env;
    env.createDatabase();
    {
        PlainSqlite plain(env.databaseFile());
        plain.exec(QString("PRAGMA user_version=%1").arg(SchemaVersion + 1));
    }
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    try {
        connection.open();
        QFAIL("a newer database opened");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), QString("Die Datenbank »%1« stammt von einer neueren "
                                      "Orbenta-Version und kann mit dieser Version nicht "
                                      "geöffnet werden.")
                                  .arg(env.databaseFile()));
    }
    QVERIFY(!connection.connected());
    PlainSqlite plain(env.databaseFile());
    QCOMPARE(plain.value("PRAGMA user_version"), QString::number(SchemaVersion + 1));
}

ORBENTA_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
