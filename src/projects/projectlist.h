#pragma once

#include "lists/datasetlist.h"
#include "lists/page.h"

#include <QObject>

class Tdm;
class QCheckBox;
class QMenu;
class QAction;

// The project overview: the list UebersichtGrid titled "Projektliste" over the dataset
// Projekte, the check box "archivierte Projekte anzeigen", the context menu PMenue_Uebersicht
// with its "Drucken" submenu and the menu PMenu_Functions. Every operation works on the
// current project; the ones other parts carry out are handed on as signals, which the main
// window wires. It is the list of the overview page.
class ProjectList : public DatasetList, public Page {
    Q_OBJECT
public:
    static inline const QString ActiveProjects =
        QStringLiteral("Select * from Projects where archiv=0");
    static inline const QString AllProjects = QStringLiteral("Select * from Projects");

    ProjectList(Tdm& dm, QWidget* parentWidget, QObject* parent = nullptr);

    // The design layout of UebersichtGrid.
    static ColumnLayout designLayout();

    // Re-runs the project list and then the follow-up list.
    void showprojecte();
    void rerun() override { showprojecte(); }

    // The overview has no entry actions, and Ctrl+F is not handled there.
    void enter() override {}
    void refresh() override { showprojecte(); }
    Dataset* listDataset() const override { return &dataset(); }

    QCheckBox* AdvOfficeCheckBox4() const { return m_showArchived; }
    QMenu* PMenue_Uebersicht() const { return m_contextMenu; }
    QMenu* PMenu_Functions() const { return m_functionsMenu; }
    QMenu* printMenu() const { return m_printMenu; } // the "Drucken" submenu

    // The overview's tool bar: "&Neues Projekt" and "Projekt &öffnen".
    void BTN_NewPRClick() { Q_EMIT newProjectRequested(); }
    void BTN_OpenPRClick() { Q_EMIT openProjectRequested(1); }
    void AdvOfficeCheckBox4Click();
    void UebersichtGridCanSort(int column, bool& allow) { headerClicked(column, allow); }

    // The archive command of both archive entries: archives the current project when the
    // entry of PMenu_Functions reads "Projekt archivieren", reactivates it otherwise, and
    // re-runs the list. Without a current project it does nothing.
    void Projektarchivieren1Click();
    // Both archive entries read "Projekt reaktivieren" while the current project is archived,
    // "Projekt archivieren" otherwise; run whenever the current project changes.
    void updateArchiveCaptions();

Q_SIGNALS:
    void updateFollowUps(); // UpdateWV, run by every showprojecte
    void newProjectRequested();
    void editProjectRequested();
    void openProjectRequested(int page); // 1 project, 2 tasks, 3 time entries, 4 files
    void deleteProjectRequested();
    void addTaskRequested();
    void addTimeEntryRequested();
    void addFilesRequested();
    void archiveRequested();
    void printRequested(
        const QString& report); // "Projektliste", "Einzelprojekt", "Aufgabenliste", "Zeitnahmen"
    void customizeRequested();

private:
    void buildMenus();

    Tdm& m_dm;
    QCheckBox* m_showArchived = nullptr;
    QMenu* m_contextMenu = nullptr;
    QMenu* m_functionsMenu = nullptr;
    QMenu* m_printMenu = nullptr;
};
