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

Cell Cell::fromReal(double value) {
    Cell cell{};
    if (std::isnan(value))
        return cell;
    std::memcpy(&cell.m_bits, &value, sizeof value);
    cell.m_bits ^= Flip;
    return cell;
}

double Cell::real() const {
    const quint64 bits = m_bits ^ Flip;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

quint64 Snapshot::storeBytes(const char* prefix, size_t prefixBytes, const char* bytes,
                             size_t size) {
    const size_t total = prefixBytes + size;
    TextChunk* chunk = nullptr;
    if (total > TextChunkBytes / 4) {
        // A long text gets a chunk of its own; the chunk being filled goes on being filled.
        m_texts.push_back({std::make_unique_for_overwrite<char[]>(total), 0});
        chunk = &m_texts.back();
    } else {
        if (m_filling == SIZE_MAX || TextChunkBytes - m_texts[m_filling].used < total) {
            m_texts.push_back({std::make_unique_for_overwrite<char[]>(TextChunkBytes), 0});
            m_filling = m_texts.size() - 1;
        }
        chunk = &m_texts[m_filling];
    }
    const quint64 handle = (quint64(chunk - m_texts.data()) << 18) | quint64(chunk->used);
    std::memcpy(chunk->data.get() + chunk->used, prefix, prefixBytes);
    if (size > 0)
        std::memcpy(chunk->data.get() + chunk->used + prefixBytes, bytes, size);
    chunk->used += total;
    return handle;
}

Cell Snapshot::makeInteger(qint64 value) {
    // 48 bits hold every key and count; larger amounts (in ten-thousandths) go to the store.
    constexpr qint64 Limit = qint64(1) << 47;
    if (value >= -Limit && value < Limit)
        return Cell::boxed(Cell::SmallInt, quint64(value));
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    return Cell::boxed(Cell::StoredInt, storeBytes(bytes, sizeof bytes, nullptr, 0));
}

Cell Snapshot::makeText(const char* text, size_t bytes) {
    if (bytes == 0)
        return Cell::boxed(Cell::EmptyText, 0);
    // The length goes before the text.
    const quint32 length = quint32(bytes);
    char prefix[sizeof length];
    std::memcpy(prefix, &length, sizeof length);
    return Cell::boxed(Cell::StoredText, storeBytes(prefix, sizeof prefix, text, bytes));
}

qint64 Snapshot::integer(const Cell& cell) const {
    if (cell.kind() == Cell::StoredInt) {
        qint64 value;
        std::memcpy(&value, stored(cell.payload()), sizeof value);
        return value;
    }
    // The payload's top bit is the sign.
    return qint64(cell.payload() << 16) >> 16;
}

QString Snapshot::text(const Cell& cell) const {
    if (cell.kind() != Cell::StoredText)
        return QString::fromUtf8("", 0);
    const char* at = stored(cell.payload());
    quint32 length;
    std::memcpy(&length, at, sizeof length);
    return QString::fromUtf8(at + sizeof length, qsizetype(length));
}

void Snapshot::read(Cell& cell, sqlite3_stmt* statement, int column) {
    // One column call, then the value calls, which skip the per-call checks of the column API.
    sqlite3_value* value = sqlite3_column_value(statement, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        cell = Cell{};
        break;
    case SQLITE_INTEGER:
        cell = makeInteger(sqlite3_value_int64(value));
        break;
    case SQLITE_FLOAT:
        cell = Cell::fromReal(sqlite3_value_double(value));
        break;
    default: {
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        cell = makeText(text, size_t(sqlite3_value_bytes(value)));
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
        cell = makeText(utf8.constData(), size_t(utf8.size()));
        break;
    }
    case FieldType::Counter:
    case FieldType::Integer:
    case FieldType::YesNo:
        cell = makeInteger(type == FieldType::YesNo ? qint64(value.toBool()) : value.toLongLong());
        break;
    case FieldType::Currency:
        cell = makeInteger(value.value<Currency>().scaled());
        break;
    case FieldType::DateTime:
    case FieldType::Float:
    case FieldType::Calculated:
        cell = Cell::fromReal(value.toDouble());
        break;
    }
}

QVariant Snapshot::value(const Cell& cell, FieldType type) const {
    const Cell::Tag tag = cell.tag();
    if (tag == Cell::Null)
        return {};
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (tag == Cell::Text)
            return text(cell);
        return tag == Cell::Int ? QString::number(integer(cell))
                                : FieldValue::numberText(cell.real());
    case FieldType::Counter:
    case FieldType::Integer:
        if (tag == Cell::Int)
            return int(integer(cell));
        if (tag == Cell::Real)
            return int(std::lround(cell.real()));
        return FieldValue::parseInteger(text(cell)).value_or(0);
    case FieldType::YesNo:
        if (tag == Cell::Text)
            return FieldValue::parseBoolean(text(cell)).value_or(false);
        return tag == Cell::Int ? integer(cell) != 0 : cell.real() != 0;
    case FieldType::Currency:
        // Stored as ten-thousandths; a REAL here can only come from a hand-made row, and one
        // beyond the range is no amount at all.
        if (tag == Cell::Int)
            return QVariant::fromValue(Currency::fromScaled(integer(cell)));
        if (tag == Cell::Real) {
            if (const auto amount = Currency::fromStoredReal(cell.real()))
                return QVariant::fromValue(*amount);
            return {};
        }
        return QVariant::fromValue(Currency::fromText(text(cell)).value_or(Currency()));
    case FieldType::DateTime:
    case FieldType::Float:
    case FieldType::Calculated:
        if (tag == Cell::Int)
            return double(integer(cell));
        if (tag == Cell::Real)
            return cell.real();
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
            const Cell cell = source[c];
            switch (cell.kind()) {
            case Cell::StoredInt:
                target[c] = packed.makeInteger(integer(cell));
                break;
            case Cell::StoredText: {
                const char* at = stored(cell.payload());
                quint32 length;
                std::memcpy(&length, at, sizeof length);
                target[c] = packed.makeText(at + sizeof length, length);
                break;
            }
            default:
                target[c] = cell;
                break;
            }
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
