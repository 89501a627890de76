#pragma once

#include "lists/datasetlist.h"

class Tdm;

// The time list TimeGrid titled "Zeitnahmen" over the dataset Time: the time entries of the
// open project.
class TimeList : public DatasetList {
    Q_OBJECT
public:
    TimeList(Tdm& dm, QWidget* parentWidget, QObject* parent = nullptr);

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
};
