#pragma once

#include "testsupport.h"

#include <QString>
#include <memory>

class TForm3;
class TForm6;
class TTMSForm1;
class Tdm;

// The keys of the fixture's rows.
struct FixtureKeys {
    int webProject = 0;     // "P-100" "Webseite Relaunch", 40 %, two open tasks, one done
    int closingProject = 0; // no number text, "Jahresabschluss", 75 %, one open task
    int oldProject = 0;     // archived
    int openWebTasks = 2;
    int webTimeEntries = 2;
};

// Writes the fixture into a fresh database in the environment's database folder, through the
// datasets as the program writes them.
FixtureKeys writeFixture(TestEnvironment& env);
// The same data module's datasets on another connection: rows another session adds.
void addRowElsewhere(const QString& databaseFolder, const QString& table, const QString& column,
                     const QString& text, const QString& keyColumn = QString(), int key = 0);

// The program as main() puts it together, with the program folder inside the environment.
class RunningProgram {
public:
    explicit RunningProgram(TestEnvironment& env);
    ~RunningProgram();

    // Shows the window, which runs the first showing, and waits until it is exposed.
    bool show();

    TTMSForm1& window() { return *m_window; }
    Tdm& dm() { return *m_dm; }
    TForm3& editor() { return *m_editor; }
    TForm6& timeEditor() { return *m_timeEditor; }
    QString programFolder() const { return m_programFolder; }

    template <typename W = QWidget> W* find(const QString& name);

private:
    QString m_programFolder;
    std::unique_ptr<TTMSForm1> m_window;
    std::unique_ptr<Tdm> m_dm;
    TForm3* m_editor = nullptr;
    TForm6* m_timeEditor = nullptr;
};

// The database folder as the machine scope's DBPath.
void storeDbPath(const QString& folder);

#include "app/mainwindow.h"

template <typename W> W* RunningProgram::find(const QString& name) {
    return m_window->findChild<W*>(name);
}
