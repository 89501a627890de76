#pragma once

#include "lists/datasetlist.h"
#include "lists/page.h"

class Tdm;
class TForm6;
class QMenu;

// The time list TimeGrid titled "Zeitnahmen" over the dataset Time: the time entries of the
// open project, with the context menu PMenu_Time. Adding and editing open the time entry
// editor; deleting asks first and brings the effort totals up to date. The menu entries other
// parts carry out are handed on as signals, which the main window wires. It is the page
// "Zeitnahme" of the main window.
class TimeList : public DatasetList, public Page {
    Q_OBJECT
public:
    TimeList(Tdm& dm, QWidget* parentWidget, QObject* parent = nullptr);

    // Entering the page: the open tasks of the project as the editor's choice, then the time
    // entries of the open project from the first row, with the focus.
    void enter() override;
    void refresh() override { showtimes(); }
    Dataset* listDataset() const override { return &dataset(); }
    void toggleSearchBar() override;

    // The design layout of TimeGrid.
    static ColumnLayout designLayout();

    // The time entries of the project with the key nr, in the engine's order.
    void setProject(int nr);
    // Re-runs the time list and moves to its first row.
    void showtimes();
    void rerun() override { showtimes(); }

    // The editor the commands open; it also keeps the effort-total rule deleting runs.
    void setEditor(TForm6* editor) { m_editor = editor; }

    // A new entry of the open project.
    void BTN_AddTimeClick();
    // The selected entry; nothing while the list is empty.
    void BTN_EditTimeClick();
    // Asks, deletes the selected entry and brings the totals up to date; nothing while the list
    // is empty.
    void BTN_DelTimeClick();

    void TimeGridCanSort(int column, bool& allow) { headerClicked(column, allow); }

    QMenu* PMenu_Time() const { return m_contextMenu; }
    QMenu* printMenu() const { return m_printMenu; } // the "Drucken" submenu

Q_SIGNALS:
    void addTaskRequested();
    void openTasksRequested();
    void addFilesRequested();
    void openFilesRequested();
    void closeProjectRequested();
    void printRequested(const QString& report); // "Zeiterfassungsliste", "Einzelzeiterfassung"
    void customizeRequested();

private:
    void buildMenu();
    bool hasEntry() const;

    Tdm& m_dm;
    TForm6* m_editor = nullptr;
    QMenu* m_contextMenu = nullptr;
    QMenu* m_printMenu = nullptr;
};
