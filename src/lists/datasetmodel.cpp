#include "lists/datasetmodel.h"

#include "data/dataset.h"

#include <QScopedValueRollback>

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(Dataset* dataset) {
    if (m_dataset == dataset)
        return;
    QScopedValueRollback<bool> changing(m_changingRows, true);
    beginResetModel();
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = dataset;
    if (m_dataset) {
        connect(m_dataset, &Dataset::rowsReset, this, &DatasetModel::resetFromDataset);
        connect(m_dataset, &Dataset::rowInserted, this, &DatasetModel::onRowInserted);
        connect(m_dataset, &Dataset::rowRemoved, this, &DatasetModel::onRowRemoved);
        connect(m_dataset, &Dataset::rowChanged, this, &DatasetModel::onRowChanged);
    }
    m_rowCount = m_dataset && m_dataset->active() ? m_dataset->recordCount() : 0;
    resolveFields();
    endResetModel();
}

Dataset* DatasetModel::dataset() const {
    return m_dataset;
}

void DatasetModel::setColumnLayout(const ColumnLayout& layout) {
    QScopedValueRollback<bool> changing(m_changingRows, true);
    beginResetModel();
    m_layout = layout;
    resolveFields();
    endResetModel();
}

const GridColumn* DatasetModel::column(int section) const {
    if (section < 1 || section > m_layout.size())
        return nullptr;
    return &m_layout.at(section - 1);
}

int DatasetModel::fieldIndexOf(int section) const {
    return section >= 0 && section < m_fieldIndexes.size() ? m_fieldIndexes.at(section) : -1;
}

void DatasetModel::resetFromDataset() {
    QScopedValueRollback<bool> changing(m_changingRows, true);
    beginResetModel();
    m_rowCount = m_dataset && m_dataset->active() ? m_dataset->recordCount() : 0;
    resolveFields();
    endResetModel();
}

// Field names are looked up once per result, not once per cell.
void DatasetModel::resolveFields() {
    m_fieldIndexes.fill(-1, m_layout.size() + 1);
    if (!m_dataset || !m_dataset->active())
        return;
    for (int i = 0; i < m_layout.size(); ++i) {
        const QString& name = m_layout.at(i).field;
        m_fieldIndexes[i + 1] = name.isEmpty() ? -1 : m_dataset->fieldIndex(name);
    }
}

void DatasetModel::onRowInserted(int row) {
    row = qBound(0, row, m_rowCount);
    QScopedValueRollback<bool> changing(m_changingRows, true);
    beginInsertRows(QModelIndex(), row, row);
    ++m_rowCount;
    endInsertRows();
}

void DatasetModel::onRowRemoved(int row) {
    if (row < 0 || row >= m_rowCount) {
        resetFromDataset();
        return;
    }
    QScopedValueRollback<bool> changing(m_changingRows, true);
    beginRemoveRows(QModelIndex(), row, row);
    --m_rowCount;
    endRemoveRows();
}

void DatasetModel::onRowChanged(int row) {
    if (row < 0 || row >= m_rowCount)
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_layout.size() + 1;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_dataset || index.column() == 0)
        return {};
    if (role != Qt::DisplayRole && role != ValueRole)
        return {};
    const int field = fieldIndexOf(index.column());
    if (field < 0 || index.row() >= m_dataset->recordCount())
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (role == ValueRole)
        return m_dataset->value(index.row(), field);
    return m_dataset->displayText(index.row(), field);
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const GridColumn* c = column(section);
    return c ? c->title : QString();
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
