#include "data/snapshot.h"

#include "data/datetimevalue.h"

#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace {

// Releases a vector's memory, not just its elements.
template <typename T> void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

} // namespace

void Snapshot::reset(int columns) {
    m_columns = columns;
    release(m_chunks);
    m_physicalRows = 0;
    release(m_rows);
    release(m_texts);
    m_filling = SIZE_MAX;
    release(m_dateTexts);
    release(m_dayTexts);
}

Cell* Snapshot::newPhysicalRow() {
    if ((m_physicalRows >> ChunkRowsShift) == m_chunks.size()) {
        // Every cell of a new row is written before it is read: no need to clear the chunk.
        m_chunks.push_back(
            std::make_unique_for_overwrite<Cell[]>(size_t(ChunkRows) * size_t(m_columns)));
    }
    return physicalRow(m_physicalRows++);
}

void Snapshot::appendRead(sqlite3_stmt* statement) {
    Cell* cells = newPhysicalRow();
    for (int c = 0; c < m_columns; ++c)
        read(cells[c], statement, c);
    m_rows.push_back(m_physicalRows - 1);
}

void Snapshot::appendEmpty() {
    Cell* cells = newPhysicalRow();
    for (int c = 0; c < m_columns; ++c)
        cells[c] = Cell{};
    m_rows.push_back(m_physicalRows - 1);
}

void Snapshot::removeLast() {
    if (m_rows.empty())
        return;
    if (m_rows.back() + 1 == m_physicalRows)
        --m_physicalRows;
    m_rows.pop_back();
}

void Snapshot::remove(int row) {
    m_rows.erase(m_rows.begin() + row);
}

quint64 Snapshot::storeText(const char* text, size_t bytes) {
    if (bytes == 0)
        return 0;
    if (bytes > TextChunkBytes / 4) {
        // A long text gets a chunk of its own; the chunk being filled goes on being filled.
        m_texts.push_back({std::make_unique_for_overwrite<char[]>(bytes), bytes});
        std::memcpy(m_texts.back().data.get(), text, bytes);
        return quint64(m_texts.size() - 1) << 32;
    }
    if (m_filling == SIZE_MAX || TextChunkBytes - m_texts[m_filling].used < bytes) {
        m_texts.push_back({std::make_unique_for_overwrite<char[]>(TextChunkBytes), 0});
        m_filling = m_texts.size() - 1;
    }
    TextChunk& chunk = m_texts[m_filling];
    const quint64 handle = (quint64(m_filling) << 32) | quint64(chunk.used);
    std::memcpy(chunk.data.get() + chunk.used, text, bytes);
    chunk.used += bytes;
    return handle;
}

QString Snapshot::text(const Cell& cell) const {
    return QString::fromUtf8(cell.size == 0 ? "" : textData(cell), qsizetype(cell.size));
}

void Snapshot::read(Cell& cell, sqlite3_stmt* statement, int column) {
    // One column call, then the value calls, which skip the per-call checks of the column API.
    sqlite3_value* value = sqlite3_column_value(statement, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        cell.tag = Cell::Null;
        cell.size = 0;
        cell.i = 0;
        break;
    case SQLITE_INTEGER:
        cell.tag = Cell::Int;
        cell.size = 0;
        cell.i = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        cell.tag = Cell::Real;
        cell.size = 0;
        cell.d = sqlite3_value_double(value);
        break;
    default: {
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        const int bytes = sqlite3_value_bytes(value);
        cell.tag = Cell::Text;
        cell.size = quint32(bytes);
        cell.text = storeText(text, size_t(bytes));
        break;
    }
    }
}

void Snapshot::store(Cell& cell, FieldType type, const QVariant& value) {
    cell = Cell{};
    if (value.isNull())
        return;
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: {
        const QByteArray utf8 = value.toString().toUtf8();
        cell.tag = Cell::Text;
        cell.size = quint32(utf8.size());
        cell.text = storeText(utf8.constData(), size_t(utf8.size()));
        break;
    }
    case FieldType::Counter:
    case FieldType::Integer:
    case FieldType::YesNo:
        cell.tag = Cell::Int;
        cell.i = type == FieldType::YesNo ? qint64(value.toBool()) : value.toLongLong();
        break;
    case FieldType::Currency:
        cell.tag = Cell::Int;
        cell.i = value.value<Currency>().scaled();
        break;
    case FieldType::DateTime:
    case FieldType::Float:
    case FieldType::Calculated:
        cell.tag = Cell::Real;
        cell.d = value.toDouble();
        break;
    }
}

QVariant Snapshot::value(const Cell& cell, FieldType type) const {
    if (cell.tag == Cell::Null)
        return {};
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (cell.tag == Cell::Text)
            return text(cell);
        return cell.tag == Cell::Int ? QString::number(cell.i) : FieldValue::numberText(cell.d);
    case FieldType::Counter:
    case FieldType::Integer:
        if (cell.tag == Cell::Int)
            return int(cell.i);
        if (cell.tag == Cell::Real)
            return int(std::lround(cell.d));
        return FieldValue::parseInteger(text(cell)).value_or(0);
    case FieldType::YesNo:
        if (cell.tag == Cell::Text)
            return FieldValue::parseBoolean(text(cell)).value_or(false);
        return cell.tag == Cell::Int ? cell.i != 0 : cell.d != 0;
    case FieldType::Currency:
        // Stored as ten-thousandths; a REAL here can only come from a hand-made row, and one
        // beyond the range is no amount at all.
        if (cell.tag == Cell::Int)
            return QVariant::fromValue(Currency::fromScaled(cell.i));
        if (cell.tag == Cell::Real) {
            if (const auto amount = Currency::fromStoredReal(cell.d))
                return QVariant::fromValue(*amount);
            return {};
        }
        return QVariant::fromValue(Currency::fromText(text(cell)).value_or(Currency()));
    case FieldType::DateTime:
    case FieldType::Float:
    case FieldType::Calculated:
        if (cell.tag == Cell::Int)
            return double(cell.i);
        if (cell.tag == Cell::Real)
            return cell.d;
        return FieldValue::parseNumber(text(cell)).value_or(0.0);
    }
    return {};
}

void Snapshot::compact() {
    Snapshot packed;
    packed.m_columns = m_columns;
    packed.m_rows.reserve(m_rows.size());
    for (const quint32 physical : m_rows) {
        const Cell* source = physicalRow(physical);
        Cell* target = packed.newPhysicalRow();
        for (int c = 0; c < m_columns; ++c) {
            target[c] = source[c];
            if (source[c].tag == Cell::Text)
                target[c].text = packed.storeText(textData(source[c]), source[c].size);
        }
        packed.m_rows.push_back(packed.m_physicalRows - 1);
    }
    m_chunks.swap(packed.m_chunks);
    m_physicalRows = packed.m_physicalRows;
    m_rows.swap(packed.m_rows);
    m_texts.swap(packed.m_texts);
    m_filling = packed.m_filling;
}

void Snapshot::clearDateTexts() {
    release(m_dateTexts);
}

QString Snapshot::dayText(qint64 day) {
    constexpr qint64 Margin = 1024;
    constexpr qint64 Span = 1 << 17; // some 350 years held at most
    if (m_dayTexts.empty())
        m_firstDay = day - Margin;
    if (day < m_firstDay) {
        const qint64 newFirst = day - Margin;
        if (qint64(m_dayTexts.size()) + (m_firstDay - newFirst) > Span)
            return DateTimeValue::shortDateText(double(day));
        m_dayTexts.insert(m_dayTexts.begin(), size_t(m_firstDay - newFirst), QString());
        m_firstDay = newFirst;
    }
    const qint64 index = day - m_firstDay;
    if (index >= Span)
        return DateTimeValue::shortDateText(double(day));
    if (size_t(index) >= m_dayTexts.size())
        m_dayTexts.resize(size_t(index + Margin));
    QString& text = m_dayTexts[size_t(index)];
    if (text.isNull())
        text = DateTimeValue::shortDateText(double(day)); // displayText of a midnight
    return text;
}

QString Snapshot::dateText(int column, const FieldDef& def, double value, bool inFormat) {
    if (inFormat && def.displayFormat.isEmpty())
        inFormat = false;
    if (!inFormat && value == std::floor(value) && std::fabs(value) < 1e7)
        return dayText(qint64(value));
    const size_t slot = size_t(column) * 2 + (inFormat ? 1 : 0);
    if (slot >= m_dateTexts.size())
        m_dateTexts.resize(slot + 1);
    QHash<quint64, QString>& cache = m_dateTexts[slot];
    quint64 key;
    std::memcpy(&key, &value, sizeof key);
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return found.value();
    if (cache.size() >= 1 << 16)
        cache.clear();
    const QString text = inFormat ? DateTimeValue::formatted(value, def.displayFormat)
                                  : DateTimeValue::displayText(value);
    cache.insert(key, text);
    return text;
}
