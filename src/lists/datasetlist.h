#pragma once

#include "lists/columnlayout.h"
#include "lists/sortstate.h"

#include <QObject>
#include <QString>

class Dataset;
class ListGrid;
class ListPanel;

// What the four lists of the main window share: a dataset re-run from a base text and an order
// text, a sort state changed by header clicks, and a list panel showing it.
class DatasetList : public QObject {
    Q_OBJECT
public:
    DatasetList(Dataset& dataset, ListPanel* panel, QObject* parent = nullptr);

    Dataset& dataset() const { return m_dataset; }
    ListPanel* panel() const { return m_panel; }
    ListGrid* grid() const;

    QString baseText() const { return m_baseText; }
    void setBaseText(const QString& text) { m_baseText = text; }
    SortState& sortState() { return m_sort; }
    const SortState& sortState() const { return m_sort; }
    // Empties the order text (the list shows the engine's order again); the remembered column
    // and direction stay.
    void clearOrderText();

    // Close the dataset, set its text to the base text and the order text as two lines, open.
    void runQuery();
    // The list's own re-run operation (showprojecte, showaufgaben, showtimes, UpdateWV).
    virtual void rerun() = 0;

    // The header click rule: column 0 is refused; a column whose field the dataset does not
    // have (or no field) is refused; a calculated field sorts by the stored field it is
    // computed from. Otherwise the direction is chosen, the order text set and the list re-run.
    void headerClicked(int column, bool& allow);

protected:
    // "order by F dir"; the follow-up list prefixes the table name.
    virtual QString orderTextFor(const QString& field, const QString& direction) const;

private:
    Dataset& m_dataset;
    ListPanel* m_panel;
    QString m_baseText;
    SortState m_sort;
};
