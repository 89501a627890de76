#include "datafixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <sqlite3.h>

namespace {

QString writer() {
    return QCoreApplication::applicationDirPath() + "/orbenta-testwriter";
}

QString integrityOf(Connection& connection) {
    sqlite3_stmt* statement = nullptr;
    QString result;
    if (sqlite3_prepare_v2(connection.handle(), "PRAGMA integrity_check", -1, &statement,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        result =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return result;
}

} // namespace

class TestDurability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWriterLosesNoCommit();
};

// A program killed at any moment, also in the middle of a commit or while it recovers from the
// last kill, loses no change whose commit had returned, and leaves a sound database.
void TestDurability::killedWriterLosesNoCommit() {
    TestEnvironment env;
    env.createDatabase();
    QSet<QString> committed;
    int kills = 0;
    QElapsedTimer clock;
    clock.start();
    for (int run = 0; run < 40; ++run) {
        QProcess process;
        process.start(writer(), {"write", env.databaseFolder(), QString::number(run)});
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
        // A third of the runs dies at once, while it opens the database and rolls back what
        // the last kill left half done; a third in the middle of a commit; a third while it
        // changes rows before the next commit.
        const int wanted = run % 3 == 0 ? 0 : 1 + run % 5;
        const QByteArray killAt = run % 3 == 1 ? "+" : "";
        QByteArray output;
        const auto seen = [&] {
            int count = 0;
            for (const QByteArray& line : output.split('\n'))
                count += !line.isEmpty() && line.startsWith('+') == !killAt.isEmpty();
            return count;
        };
        while (seen() < wanted && process.state() == QProcess::Running) {
            process.waitForReadyRead(5000);
            output += process.readAllStandardOutput();
        }
        QVERIFY2(process.state() == QProcess::Running, output.constData());
        process.kill();
        QVERIFY(process.waitForFinished(5000));
        ++kills;
        output += process.readAllStandardOutput();
        for (const QByteArray& line : output.split('\n')) {
            if (line.isEmpty() || line.startsWith('+'))
                continue;
            QVERIFY2(line.startsWith(QByteArray::number(run) + '-'), line.constData());
            committed.insert(QString::fromUtf8(line));
        }
    }
    qInfo("%d kills, %lld commits reported, %lld ms", kills, qint64(committed.size()),
          clock.elapsed());
    QVERIFY(committed.size() >= 50);

    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
    connection.open();
    QCOMPARE(integrityOf(connection), QString("ok"));
    Dataset projects(connection, "Projekte");
    projects.setSql("Select Pojektnummer From Projects");
    projects.open();
    QSet<QString> stored;
    for (int row = 0; row < projects.recordCount(); ++row)
        stored.insert(projects.text(row, 0));
    const QSet<QString> lost = committed - stored;
    QVERIFY2(lost.isEmpty(), qPrintable(QStringList(lost.values()).join(", ")));
    QCOMPARE(connection.journalMode(), QString("delete"));
}

ORBENTA_TEST_MAIN(TestDurability)
#include "tst_durability.moc"
