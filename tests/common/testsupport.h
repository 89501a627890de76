#pragma once

#include "platform/filedialogs.h"
#include "platform/messagedialogs.h"
#include "platform/orbentaapplication.h"
#include "platform/settingsstore.h"
#include "platform/shellservices.h"

class Tdm;

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// Records what the program asks of the desktop shell instead of doing it.
class RecordingShell : public ShellServices {
public:
    struct StartedProgram {
        QString program;
        QString arguments;
        QString workingFolder;
    };

    bool openDocument(const QString& path) override;
    bool startProgram(const QString& program, const QString& arguments,
                      const QString& workingFolder) override;

    const QStringList& openedDocuments() const { return m_opened; }
    const QList<StartedProgram>& startedPrograms() const { return m_started; }
    void clear();

private:
    QStringList m_opened;
    QList<StartedProgram> m_started;
};

// What one test works in: a temporary folder with an (empty) database folder and the two
// settings files, message and file dialogs answering by script with nothing recorded yet, and
// a recording shell. Everything is put back when it goes.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString rootFolder() const { return m_dir.path(); }
    // Ends in "/" and holds a blank, as folders of real users do.
    QString databaseFolder() const { return m_databaseFolder; }
    QString databaseFile() const { return m_databaseFolder + QStringLiteral("ORBTData.mdb"); }
    QString machineSettingsFile() const;
    QString userSettingsFile() const;

    // Writes a fresh ORBTData.mdb with the full schema into the database folder and returns
    // the folder.
    QString createDatabase();
    // Writes a fresh database as createDatabase does and opens the data module's connection on it.
    void connectDataModule(Tdm& dm);

    RecordingShell& shell() { return m_shell; }
    static MessageDialogs& dialogs() { return MessageDialogs::instance(); }
    static FileDialogs& fileDialogs() { return FileDialogs::instance(); }

private:
    QTemporaryDir m_dir;
    QString m_databaseFolder;
    RecordingShell m_shell;
    QString m_oldMachineFile;
    QString m_oldUserFile;
    bool m_oldDialogsScripted;
    bool m_oldFileDialogsScripted;
    ShellServices* m_oldShell;
};

namespace OrbentaTest {
// Before any test runs: dialogs answer by script (an exception from an event handler becomes a
// recorded message, never a box waiting for a click) and the settings point into a temporary
// folder, never at the machine's own.
void prepareRun(const QString& settingsFolder);
} // namespace OrbentaTest

// Like QTEST_MAIN, with the program's application object.
#define ORBENTA_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char** argv) {                                                              \
        QTest::Internal::callInitMain<TestObject>();                                               \
        OrbentaApplication app(argc, argv);                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        QTemporaryDir settingsFolder;                                                              \
        OrbentaTest::prepareRun(settingsFolder.path());                                            \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
