#pragma once

#include "lists/columnlayout.h"

#include <QTableView>
#include <functional>

class Dataset;
class DatasetModel;

// A read-only grid bound to one dataset through a column layout. Column 0 is the 20-pixel
// indicator column marking the current row; columns 1 to N show the display texts of their
// bound fields. One bold header row, resizable and movable columns, one row per wheel step,
// both scroll bars, the full text as a tool tip where a cell is cut, a sort indicator on one
// column, the selected row drawn with the orange gradient and black text. The grid's current
// row is the dataset's cursor, in both directions.
class ListGrid : public QTableView {
    Q_OBJECT
public:
    explicit ListGrid(QWidget* parent = nullptr);
    ~ListGrid() override;

    void setDataset(Dataset* dataset);
    Dataset* dataset() const;

    // The layout by position, as the positions currently stand on screen (a moved column
    // changes its position).
    void setColumnLayout(const ColumnLayout& layout);
    ColumnLayout columnLayout() const;
    // The bound field of the column standing at the given visual position (1..N).
    QString fieldAt(int position) const;

    // The sort handler: given the clicked column's position, it sets allow. Called only for a
    // real click (press and release on the same header cell, not within 4 pixels of a border)
    // while the list holds at least two rows. When it allows, the sort indicator moves to that
    // column, ascending for a new column, reversed for the same one.
    using SortHandler = std::function<void(int column, bool& allow)>;
    void setSortHandler(SortHandler handler);
    int sortIndicatorColumn() const; // -1 when none
    bool sortIndicatorAscending() const;
    // Hides the indicator when the list's order text is emptied; the next click on the column
    // clicked last still reverses its direction, as the sort state does.
    void clearSortIndicator();

    // Rows for which the hook answers true are drawn struck out.
    void setStrikeOutHook(std::function<bool(int row)> hook);

    void setContextMenu(class QMenu* menu);
    class QMenu* contextMenu() const;

    // The cell text as the user sees it, by data row and visual position.
    QString cellText(int row, int position) const;

    // Searching the cells shown; returns true and moves to the match when found. Wraps around.
    // The cell found is framed while its row stays the current one.
    bool findNext(const QString& text, bool forward, bool matchCase);
    QModelIndex foundCell() const; // invalid when none is framed
    void clearFoundCell();
    void setHighlight(const QString& text, bool matchCase); // empty text: no highlighting

Q_SIGNALS:
    // Enter (with any modifiers) or a double-click on a row: the list's open or edit operation.
    void openRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
