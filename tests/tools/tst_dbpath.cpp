#include "testsupport.h"

#include <QFile>
#include <QProcess>

namespace {

struct Outcome {
    int exitCode = -1;
    QString errorOutput;
};

Outcome runDbpath(const QStringList& arguments) {
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/dbpath", arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestDbpath : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void storesTheFolder_data();
    void storesTheFolder();
    void refusesBadArguments_data();
    void refusesBadArguments();
    void saysWhyNothingWasStored();
};

void TestDbpath::initTestCase() {
    QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + "/dbpath"));
}

void TestDbpath::storesTheFolder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("folder");
    QTest::newRow("one argument") << QStringList{"Software\\Selvaner\\Orbenta /srv/Orbenta Daten/"}
                                  << "/srv/Orbenta Daten/";
    QTest::newRow("split at blanks")
        << QStringList{"Software\\Selvaner\\Orbenta", "/srv/Orbenta", "Daten/"}
        << "/srv/Orbenta Daten/";
    QTest::newRow("key in other case")
        << QStringList{"SOFTWARE\\selvaner\\ORBENTA /Ä ö/"} << "/Ä ö/";
}

void TestDbpath::storesTheFolder() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, folder);
    TestEnvironment env;
    SettingsStore(SettingsStore::Scope::Machine).writeString(OrbentaKey, "dbpath", "/alt/");
    SettingsStore(SettingsStore::Scope::Machine).writeInteger(OrbentaKey, "Sonstiges", 7);

    const Outcome outcome =
        runDbpath(QStringList{"--settings-file", env.machineSettingsFile()} + arguments);
    QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.errorOutput));

    const SettingsStore store(SettingsStore::Scope::Machine);
    QCOMPARE(store.readString(OrbentaKey, "DBPath"), folder);
    QCOMPARE(store.readInteger(OrbentaKey, "Sonstiges"), 7);
    QCOMPARE(store.valueNames(OrbentaKey), (QStringList{"DBPath", "Sonstiges"}));
}

void TestDbpath::refusesBadArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("key without folder") << QStringList{"Software\\Selvaner\\Orbenta"};
    QTest::newRow("key and blank only") << QStringList{"Software\\Selvaner\\Orbenta "};
    QTest::newRow("other key") << QStringList{"Software\\Selvaner\\Orbentas /srv/"};
    QTest::newRow("folder only") << QStringList{"/srv/Orbenta Daten/"};
}

void TestDbpath::refusesBadArguments() {
    QFETCH(QStringList, arguments);
    TestEnvironment env;
    const Outcome outcome =
        runDbpath(QStringList{"--settings-file", env.machineSettingsFile()} + arguments);
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.errorOutput.contains("Aufruf: dbpath"), qPrintable(outcome.errorOutput));
    QVERIFY(!QFile::exists(env.machineSettingsFile()));

    QCOMPARE(runDbpath({"--settings-file"}).exitCode, 2);
}

void TestDbpath::saysWhyNothingWasStored() {
    TestEnvironment env;
    // A file where the folder should be stops every writer, root included.
    QFile blocker(env.rootFolder() + "/etc");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const Outcome outcome = runDbpath({"--settings-file", blocker.fileName() + "/Orbenta.json",
                                       "Software\\Selvaner\\Orbenta /srv/Orbenta Daten/"});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.errorOutput.startsWith("Der Datenbankpfad wurde nicht gespeichert. "),
             qPrintable(outcome.errorOutput));
    QVERIFY2(outcome.errorOutput.contains("/etc/Orbenta.json"), qPrintable(outcome.errorOutput));
}

ORBENTA_TEST_MAIN(TestDbpath)
#include "tst_dbpath.moc"
