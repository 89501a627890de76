#include "app/programfiles.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>

namespace {

void makeProgram(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class ProgramFilesTest : public QObject {
    Q_OBJECT
private slots:
    void programFolder_data();
    void programFolder();
    void helperProgram_data();
    void helperProgram();
};

void ProgramFilesTest::programFolder_data() {
    QTest::addColumn<QStringList>("folders"); // made below the root
    QTest::addColumn<QString>("expected");
    QTest::newRow("a build: reports beside the program")
        << QStringList{"bin/reports", "share/orbenta/reports"} << "bin/";
    QTest::newRow("installed") << QStringList{"share/orbenta/reports"} << "share/orbenta/";
    QTest::newRow("nothing anywhere") << QStringList{} << "bin/";
}

void ProgramFilesTest::programFolder() {
    QFETCH(QStringList, folders);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QDir().mkpath(root.path() + QStringLiteral("/bin"));
    for (const QString& folder : folders)
        QDir().mkpath(root.path() + QLatin1Char('/') + folder);
    QCOMPARE(ProgramFiles::programFolder(root.path() + QStringLiteral("/bin")),
             root.path() + QLatin1Char('/') + expected);
}

void ProgramFilesTest::helperProgram_data() {
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QString>("expected");
    QTest::newRow("in the program folder")
        << QStringList{"share/orbenta/dbpath", "bin/dbpath", "libexec/orbenta/dbpath"}
        << "share/orbenta/dbpath";
    QTest::newRow("beside the program")
        << QStringList{"bin/dbpath", "libexec/orbenta/dbpath"} << "bin/dbpath";
    QTest::newRow("installed") << QStringList{"libexec/orbenta/dbpath"} << "libexec/orbenta/dbpath";
    QTest::newRow("nowhere") << QStringList{} << "share/orbenta/dbpath";
}

void ProgramFilesTest::helperProgram() {
    QFETCH(QStringList, programs);
    QFETCH(QString, expected);
    QTemporaryDir root;
    const QString base = root.path() + QLatin1Char('/');
    for (const QString& program : programs)
        makeProgram(base + program);
    QCOMPARE(ProgramFiles::helperProgram(base + QStringLiteral("share/orbenta/"),
                                         base + QStringLiteral("bin"), QStringLiteral("dbpath")),
             base + expected);
}

ORBENTA_TEST_MAIN(ProgramFilesTest)
#include "tst_programfiles.moc"
