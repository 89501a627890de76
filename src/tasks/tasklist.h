#pragma once

#include "lists/datasetlist.h"
#include "lists/page.h"

class Tdm;

// The task list ToDoGrid titled "Aufgabenliste" over the dataset Aufgaben: the open tasks of
// the open project. It is the page "Aufgaben" of the main window.
class TaskList : public DatasetList, public Page {
    Q_OBJECT
public:
    TaskList(Tdm& dm, QWidget* parentWidget, QObject* parent = nullptr);

    // Entering the page: the open tasks of the open project, from the first row, with the focus.
    void enter() override;
    void refresh() override { showaufgaben(); }
    Dataset* listDataset() const override { return &dataset(); }
    void toggleSearchBar() override;

    // The design layout of ToDoGrid.
    static ColumnLayout designLayout();

    // The open tasks of the project with the key nr, in the engine's order.
    void setProject(int nr);
    // Re-runs the task list and moves to its first row.
    void showaufgaben();
    void rerun() override { showaufgaben(); }

    void ToDoGridCanSort(int column, bool& allow) { headerClicked(column, allow); }

Q_SIGNALS:
    void editRequested(); // Enter or double-click: edit the current task

private:
    Tdm& m_dm;
};
