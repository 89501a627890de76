#pragma once

#include "lists/datasetlist.h"

class Tdm;

// The follow-up list WVGrid titled "Wiedervorlagen" over the dataset AWV: the open tasks of all
// projects whose follow-up date has come.
class FollowUpList : public DatasetList {
    Q_OBJECT
public:
    FollowUpList(Tdm& dm, QWidget* parentWidget, QObject* parent = nullptr);

    // The design layout of WVGrid.
    static ColumnLayout designLayout();

    // Re-runs the follow-up list.
    void UpdateWV();
    void rerun() override { UpdateWV(); }

    void WVGridCanSort(int column, bool& allow) { headerClicked(column, allow); }

Q_SIGNALS:
    void editRequested(); // Enter or double-click: edit the task of the current follow-up

protected:
    // The result joins projects and tasks: the project title needs its table's name.
    QString orderTextFor(const QString& field, const QString& direction) const override;
};
