#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class FollowUpList;
class KeyboardShortcuts;
class Navigation;
class PageToolBar;
class ProjectDetailsPage;
class ProjectFilesPage;
class ProjectList;
class QSplitter;
class RemarksPanel;
class TaskList;
class Tdm;
class TForm3;
class TForm6;
class TimeList;
class WindowPlacement;

// The dialogs of the program, created once at start and hidden until used; the main window
// wires them to the pages. One left out (nullptr) is not wired.
struct Dialogs {
    TForm3* projectEditor = nullptr;
    TForm6* timeEditor = nullptr;
};

// The main window and the composition root of the program: it creates the pages with their
// lists and wires them to the dialogs. Created once at start; the data module and the dialogs
// are handed to it before it is first shown.
class TTMSForm1 : public QMainWindow {
    Q_OBJECT
public:
    // FormCreate. The program folder is the executable's unless given (tests).
    explicit TTMSForm1(const QString& programFolder = QString(), QWidget* parent = nullptr);
    ~TTMSForm1() override;

    // Hands over the data module and the dialogs; builds the pages on them.
    void attach(Tdm& dm, const Dialogs& dialogs);
    const Dialogs& dialogs() const { return m_dialogs; }

    // Both end in "/"; the database folder may be empty (the current folder).
    QString programFolder() const { return m_programFolder; }
    QString databaseFolder() const { return m_databaseFolder; }
    QString databaseFile() const;
    bool firstShow() const { return m_firstShow; }

    // The option values read at the first showing.
    int refreshMinutes() const { return m_refreshMinutes; }
    int tabStop() const { return m_tabStop; }
    int colourScheme() const { return m_scheme; }

    void FormShow();
    void PM_DBPFadClick();
    void AdvGlowButton9Click();
    // "Zeiterfassung hinzufügen" of the overview: the task and time lists loaded for the
    // project selected there, then a new entry of it, the editor over the overview.
    void Zeiterfassunghinzufgen1Click();
    // "Zeiterfassung hinzufügen" of the task list: a new entry with the selected task chosen.
    void Zeiterfassunghinzufgen2Click();

    void setfarbschema(int number);
    void settabstops();
    void setarefresh();
    void Timer1Timer();

    // Ends the program at once, without the closing steps (after a change of the database
    // folder). Tests replace it.
    void setProgramEnd(std::function<void()> end) { m_endProgram = std::move(end); }

    PageToolBar* AdvToolBarPager1() const { return m_bar; }
    Navigation* navigation() const { return m_navigation; }
    ProjectList* projectList() const { return m_projects; }
    TaskList* taskList() const { return m_tasks; }
    TimeList* timeList() const { return m_times; }
    FollowUpList* followUpList() const { return m_followUps; }
    ProjectDetailsPage* detailsPage() const { return m_details; }
    ProjectFilesPage* filesPage() const { return m_files; }
    QTimer* Timer1() { return &m_timer; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void readDatabaseFolder();
    void readGeometry();
    void missingDatabase();
    void startDbPath(const QString& folder);
    void FormClose();
    void loadListLayouts();
    void buildPages();
    void wireCommands();
    void wireTimeRecording();
    void updateFollowUpPanel();
    void applyMinimumHeight();
    void readOptions();
    QWidget* makeListPage(const QString& name, QWidget* list);

    QString m_programFolder;
    QString m_executableFolder;
    QString m_databaseFolder;
    bool m_firstShow = true;
    bool m_runClosingSteps = true; // false once the program ends without them
    std::function<void()> m_endProgram;

    // Puts the window at its stored outer geometry once the window manager has framed it.
    WindowPlacement* m_placement = nullptr;
    bool m_resizedSinceShown = false; // the minimum height holds from then on
    int m_wvHeight = 150;

    int m_refreshMinutes = 0;
    int m_tabStop = 0;
    int m_scheme = 0;
    QTimer m_timer;

    Tdm* m_dm = nullptr;
    Dialogs m_dialogs;

    PageToolBar* m_bar = nullptr;
    QWidget* m_content = nullptr;
    QWidget* PN_Uebersicht = nullptr;
    QSplitter* AdvSplitter1 = nullptr;
    QWidget* PN_WV = nullptr;
    QWidget* PN_Todos = nullptr;
    RemarksPanel* PN_ToDoBem = nullptr;
    QWidget* PN_Time = nullptr;
    RemarksPanel* PN_TimeBem = nullptr;
    ProjectDetailsPage* m_details = nullptr;
    ProjectFilesPage* m_files = nullptr;

    ProjectList* m_projects = nullptr;
    TaskList* m_tasks = nullptr;
    TimeList* m_times = nullptr;
    FollowUpList* m_followUps = nullptr;
    Navigation* m_navigation = nullptr;
    KeyboardShortcuts* m_keys = nullptr;
};
