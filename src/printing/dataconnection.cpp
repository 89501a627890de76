#include "printing/dataconnection.h"

#include "data/dataset.h"
#include "printing/reporterror.h"

namespace {
// Texts written on Windows carry CR LF; the memos show plain line feeds.
QString memoText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
} // namespace

DataConnection::DataConnection(const QString& name, Dataset& dataset)
    : m_name(name), m_dataset(dataset) {}

void DataConnection::setExtraColumn(const QString& name, std::function<QString()> text) {
    m_extraName = name;
    m_extraText = std::move(text);
}

QVector<DataConnection::Column> DataConnection::columns() const {
    QVector<Column> list;
    if (!m_dataset.active())
        return list;
    for (int i = 0; i < m_dataset.fieldCount(); ++i) {
        const FieldDef& def = m_dataset.fieldDef(i);
        list.append({def.name, def.type, def.size});
    }
    if (!m_extraName.isEmpty())
        list.append({m_extraName, FieldType::Memo, ExtraColumnWidth});
    return list;
}

int DataConnection::columnIndex(const QString& name) const {
    if (!m_dataset.active())
        return -1;
    const int index = m_dataset.fieldIndex(name);
    if (index >= 0)
        return index;
    if (!m_extraName.isEmpty() && name.compare(m_extraName, Qt::CaseInsensitive) == 0)
        return m_dataset.fieldCount();
    return -1;
}

bool DataConnection::isExtraColumn(int column) const {
    return !m_extraName.isEmpty() && m_dataset.active() && column == m_dataset.fieldCount();
}

void DataConnection::begin(const ReportFilter& filter, const QString& report) {
    m_savedRow = m_dataset.active() ? m_dataset.recNo() : -1;
    m_savedFilter = m_filter;
    m_filter = filter;
    m_filterColumn = -1;
    if (m_filter.test != ReportFilter::Test::None && m_dataset.active()) {
        m_filterColumn = columnIndex(m_filter.field);
        if (m_filterColumn < 0) {
            const ReportFilter given = m_filter;
            m_filter = m_savedFilter;
            throw ReportError::at(
                report, given.line,
                QStringLiteral("Das Feld »%1« gibt es in der Datenverbindung »%2« nicht.")
                    .arg(given.field, m_name));
        }
    }
    // What the memo shows now is what every row of this run carries.
    m_frozenExtra = m_extraText ? memoText(m_extraText()) : QString();
    m_running = true;
}

void DataConnection::end() {
    m_filter = m_savedFilter;
    m_filterColumn = -1;
    m_running = false;
    // The run reads by position; should anything have moved the cursor, it goes back.
    if (m_dataset.active() && m_savedRow >= 0 && m_dataset.recNo() != m_savedRow &&
        m_savedRow < m_dataset.recordCount())
        m_dataset.moveTo(m_savedRow);
}

int DataConnection::currentRow() const {
    if (!m_dataset.active())
        return -1;
    return m_running ? m_savedRow : m_dataset.recNo();
}

bool DataConnection::passes(int row) const {
    if (m_filterColumn < 0)
        return true;
    switch (m_filter.test) {
    case ReportFilter::Test::Empty:
        return isEmpty(row, m_filterColumn);
    case ReportFilter::Test::Filled:
        return !isEmpty(row, m_filterColumn);
    case ReportFilter::Test::Equals:
        return text(row, m_filterColumn) == m_filter.value;
    case ReportFilter::Test::None:
        break;
    }
    return true;
}

QVector<int> DataConnection::rows(bool currentOnly) const {
    QVector<int> list;
    if (!m_dataset.active())
        return list;
    if (currentOnly) {
        const int row = currentRow();
        if (row >= 0 && passes(row))
            list.append(row);
        return list;
    }
    const int count = m_dataset.recordCount();
    list.reserve(count);
    for (int row = 0; row < count; ++row)
        if (passes(row))
            list.append(row);
    return list;
}

QVariant DataConnection::value(int row, int column) const {
    if (isExtraColumn(column)) {
        const QString text =
            m_running ? m_frozenExtra : (m_extraText ? memoText(m_extraText()) : QString());
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return m_dataset.value(row, column);
}

QString DataConnection::text(int row, int column) const {
    if (isExtraColumn(column))
        return value(row, column).toString();
    return memoText(m_dataset.text(row, column));
}

bool DataConnection::isEmpty(int row, int column) const {
    if (isExtraColumn(column))
        return value(row, column).isNull();
    const QVariant v = m_dataset.value(row, column);
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}
