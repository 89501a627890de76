#include "lists/datasetlist.h"

#include "data/dataset.h"
#include "lists/listgrid.h"
#include "lists/listpanel.h"

DatasetList::DatasetList(Dataset& dataset, ListPanel* panel, QObject* parent)
    : QObject(parent), m_dataset(dataset), m_panel(panel) {
    grid()->setDataset(&m_dataset);
    grid()->setSortHandler([this](int column, bool& allow) { headerClicked(column, allow); });
    // A panel placed in no window belongs to the list.
    connect(this, &QObject::destroyed, panel, [panel] {
        if (!panel->parent())
            delete panel;
    });
}

ListGrid* DatasetList::grid() const {
    return m_panel->grid();
}

void DatasetList::clearOrderText() {
    m_sort.orderText.clear();
    grid()->clearSortIndicator();
}

void DatasetList::runQuery() {
    m_dataset.close();
    m_dataset.setSql(QStringList{m_baseText, m_sort.orderText});
    m_dataset.open();
}

void DatasetList::headerClicked(int column, bool& allow) {
    allow = false;
    if (column <= 0)
        return;
    // Only a field of this list's own result ever reaches the query text.
    const QString field = grid()->fieldAt(column);
    const int index = field.isEmpty() ? -1 : m_dataset.fieldIndex(field);
    if (index < 0)
        return;
    FieldDef def = m_dataset.fieldDef(index);
    if (def.type == FieldType::Calculated || !def.sourceField.isEmpty()) {
        // Not stored: sort by the stored field it is computed from.
        const int source = def.sourceField.isEmpty() ? -1 : m_dataset.fieldIndex(def.sourceField);
        if (source < 0 || m_dataset.fieldDef(source).type == FieldType::Calculated)
            return;
        def = m_dataset.fieldDef(source);
    }
    allow = true;
    const QString direction = m_sort.click(column);
    m_sort.orderText = orderTextFor(def.name, direction);
    rerun();
}

QString DatasetList::orderTextFor(const QString& field, const QString& direction) const {
    return QStringLiteral("order by ") + field + QLatin1Char(' ') + direction;
}
