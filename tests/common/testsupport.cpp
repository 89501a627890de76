#include "testsupport.h"

#include <QDir>

bool RecordingShell::openDocument(const QString& path) {
    m_opened << path;
    return true;
}

bool RecordingShell::startProgram(const QString& program, const QString& arguments,
                                  const QString& workingFolder) {
    m_started.append({program, arguments, workingFolder});
    return true;
}

void RecordingShell::clear() {
    m_opened.clear();
    m_started.clear();
}

namespace {

void resetDialogs() {
    MessageDialogs& dialogs = MessageDialogs::instance();
    dialogs.setScripted(true);
    dialogs.clearShown();
    dialogs.clearAnswers();
    FileDialogs& files = FileDialogs::instance();
    files.setScripted(true);
    files.clearRequests();
    files.clearResults();
}

} // namespace

void OrbentaTest::prepareRun(const QString& settingsFolder) {
    resetDialogs();
    SettingsStore::setLocations(settingsFolder + QStringLiteral("/machine/Orbenta.json"),
                                settingsFolder + QStringLiteral("/user/Orbenta.json"));
}

TestEnvironment::TestEnvironment()
    : m_oldMachineFile(SettingsStore::machineFile()), m_oldUserFile(SettingsStore::userFile()),
      m_oldDialogsScripted(MessageDialogs::instance().scripted()),
      m_oldFileDialogsScripted(FileDialogs::instance().scripted()),
      m_oldShell(&ShellServices::instance()) {
    m_databaseFolder = m_dir.path() + QStringLiteral("/Orbenta Daten/");
    QDir().mkpath(m_databaseFolder);
    SettingsStore::setLocations(machineSettingsFile(), userSettingsFile());
    resetDialogs();
    ShellServices::setInstance(&m_shell);
}

TestEnvironment::~TestEnvironment() {
    ShellServices::setInstance(m_oldShell);
    SettingsStore::setLocations(m_oldMachineFile, m_oldUserFile);
    resetDialogs();
    MessageDialogs::instance().setScripted(m_oldDialogsScripted);
    FileDialogs::instance().setScripted(m_oldFileDialogsScripted);
}

QString TestEnvironment::machineSettingsFile() const {
    return m_dir.path() + QStringLiteral("/machine/Orbenta.json");
}

QString TestEnvironment::userSettingsFile() const {
    return m_dir.path() + QStringLiteral("/user/Orbenta.json");
}
