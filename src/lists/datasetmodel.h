#pragma once

#include "lists/columnlayout.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

class Dataset;

// The rows of a dataset as a table: column 0 is the indicator column, columns 1 to N the
// display texts of the layout's bound fields. Cells are read from the dataset's own rows when
// they are drawn; nothing is copied and nothing is done per row when the result changes.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The stored value of a cell (a null QVariant when empty), for progress bars.
    static constexpr int ValueRole = Qt::UserRole + 1;

    explicit DatasetModel(QObject* parent = nullptr);

    void setDataset(Dataset* dataset);
    Dataset* dataset() const;

    void setColumnLayout(const ColumnLayout& layout);
    const ColumnLayout& columnLayout() const { return m_layout; }
    // The column of a section (1..N); nullptr for the indicator column or out of range.
    const GridColumn* column(int section) const;
    // The dataset's index of a section's bound field; -1 when it has none.
    int fieldIndexOf(int section) const;
    // While rows come and go: a view then moves its current row by itself, which is no move of
    // the dataset's cursor (the dataset has placed it already).
    bool changingRows() const { return m_changingRows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void resetFromDataset();
    void resolveFields();
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);

    QPointer<Dataset> m_dataset;
    ColumnLayout m_layout;
    QVector<int> m_fieldIndexes; // by section; -1 for none
    int m_rowCount = 0;          // as the views know it, kept in step with the signals
    bool m_changingRows = false;
};
