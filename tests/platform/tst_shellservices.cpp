#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

class TestShellServices : public QObject {
    Q_OBJECT

private slots:
    void argumentTextStaysOneArgument();
};

// The argument text reaches the program whole, blanks and all, in the given working folder.
void TestShellServices::argumentTextStaysOneArgument() {
    const QString touch = QStandardPaths::findExecutable("touch");
    if (touch.isEmpty())
        QSKIP("no touch program");
    QTemporaryDir dir;
    QVERIFY(ShellServices::instance().startProgram(touch, "Orbenta Daten", dir.path()));
    QTRY_VERIFY(QFile::exists(dir.filePath("Orbenta Daten")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Orbenta Daten"});
}

ORBENTA_TEST_MAIN(TestShellServices)
#include "tst_shellservices.moc"
