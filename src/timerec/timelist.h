#pragma once

#include "lists/datasetlist.h"
#include "lists/page.h"

class Tdm;

// The time list TimeGrid titled "Zeitnahmen" over the dataset Time: the time entries of the
// open project. It is the page "Zeitnahme" of the main window.
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

    void TimeGridCanSort(int column, bool& allow) { headerClicked(column, allow); }

Q_SIGNALS:
    void editRequested(); // Enter or double-click: edit the current time entry

private:
    Tdm& m_dm;
};
