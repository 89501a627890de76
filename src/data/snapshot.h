#pragma once

#include "data/fieldvalue.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct sqlite3_stmt;

// One value of a snapshot, in 8 bytes. A real number is kept as itself; an empty value, an
// integer and a text are kept among the negative quiet NaNs, which no stored value is (the
// engine keeps no NaN). Integers beyond 48 bits and texts live in the snapshot's store, texts as
// UTF-8 that becomes a QString only when read: opening a large result allocates nothing per row.
// A cell of all zero bits is empty, so Cell{} is an empty value.
class Cell {
public:
    enum Tag : quint8 { Null, Int, Real, Text };

    Tag tag() const {
        const quint64 raw = m_bits ^ Flip;
        if ((raw >> 51) != 0x1FFF)
            return Real;
        return kindTag(unsigned(raw >> 48) & 7);
    }
    bool isNull() const { return tag() == Null; }
    double real() const; // of a Real
    // A NaN, which the engine never keeps, gives the empty value.
    static Cell fromReal(double value);

private:
    friend class Snapshot;
    // The bits are those of a double XOR Flip, so that zero bits are the empty value. Among the
    // NaNs (the top 13 bits all set) bits 48 to 50 tell the kind and the 48 bits below carry it.
    static constexpr quint64 Flip = 0xFFF9000000000000ull;
    enum Kind : unsigned {
        NaN = 0,
        Empty = 1,
        SmallInt = 2,
        StoredText = 3,
        StoredInt = 4,
        EmptyText = 5,
        RealValue = 8
    };
    static constexpr quint64 PayloadMask = (quint64(1) << 48) - 1;

    static Tag kindTag(unsigned kind) {
        switch (kind) {
        case SmallInt:
        case StoredInt:
            return Int;
        case StoredText:
        case EmptyText:
            return Text;
        default:
            return Null;
        }
    }
    static Cell boxed(Kind kind, quint64 payload) {
        Cell cell;
        cell.m_bits =
            ((quint64(0x1FFF) << 51) | (quint64(kind) << 48) | (payload & PayloadMask)) ^ Flip;
        return cell;
    }
    // The kind of a boxed value; RealValue for a real.
    unsigned kind() const {
        const quint64 raw = m_bits ^ Flip;
        return (raw >> 51) == 0x1FFF ? unsigned(raw >> 48) & 7 : RealValue;
    }
    quint64 payload() const { return (m_bits ^ Flip) & PayloadMask; }

    quint64 m_bits;
};
static_assert(sizeof(Cell) == 8);

// The rows of an open result as they were read, plus the changes posted through the dataset.
//
// Physical rows are numbered as they come; the rows held map the dataset's rows, in their
// order, to physical rows, so a deleted row just leaves the map. Cells and texts grow in chunks
// of fixed size: a large result is never copied to grow, and closing gives all of it back.
class Snapshot {
public:
    Snapshot() = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    // Empty, for a result of this many columns; the memory of the last result is given back.
    void reset(int columns);
    int columns() const { return m_columns; }
    int rowCount() const { return int(m_rows.size()); }

    const Cell& cell(int row, int column) const { return physicalRow(m_rows[size_t(row)])[column]; }
    Cell* row(int row) { return physicalRow(m_rows[size_t(row)]); }

    // Reads the statement's current row as a new row at the end.
    void appendRead(sqlite3_stmt* statement);
    // A new row of empty cells at the end.
    void appendEmpty();
    // The last row goes, also physically (an appended row that was cancelled).
    void removeLast();
    void remove(int row);

    // Reads one value of the statement's current row into a cell.
    void read(Cell& cell, sqlite3_stmt* statement, int column);
    // Stores a value as a field of this type keeps it.
    void store(Cell& cell, FieldType type, const QVariant& value);
    // The value of a cell as a field of this type gives it (see Field::value).
    QVariant value(const Cell& cell, FieldType type) const;
    qint64 integer(const Cell& cell) const; // of an Int
    QString text(const Cell& cell) const;   // of a Text

    // Drops the values no row refers to any more (after a refresh re-read the texts).
    void compact();

    // The text of a date-time value, plain or in the field's display format. Formatting a date
    // costs far more than reading it, and a column holds few distinct values: texts are kept.
    QString dateText(int column, const FieldDef& def, double value, bool inFormat);
    void clearDateTexts();

private:
    static constexpr int ChunkRowsShift = 8; // 256 rows a chunk
    static constexpr quint32 ChunkRows = 1u << ChunkRowsShift;
    static constexpr size_t TextChunkBytes = 256 * 1024; // places fit in 18 bits

    Cell* physicalRow(quint32 physical) const {
        return m_chunks[physical >> ChunkRowsShift].get() +
               size_t(physical & (ChunkRows - 1)) * size_t(m_columns);
    }
    Cell* newPhysicalRow();
    Cell makeInteger(qint64 value);
    Cell makeText(const char* text, size_t bytes);
    // Where the bytes were put: the chunk (above 18 bits) and the place in it.
    quint64 storeBytes(const char* prefix, size_t prefixBytes, const char* bytes, size_t size);
    const char* stored(quint64 handle) const {
        return m_texts[size_t(handle >> 18)].data.get() + (handle & ((1u << 18) - 1));
    }
    QString dayText(qint64 day);

    int m_columns = 0;
    std::vector<std::unique_ptr<Cell[]>> m_chunks;
    quint32 m_physicalRows = 0;
    std::vector<quint32> m_rows;

    struct TextChunk {
        std::unique_ptr<char[]> data;
        size_t used = 0;
    };
    std::vector<TextChunk> m_texts;
    size_t m_filling = SIZE_MAX; // the chunk short texts go into

    // Date-time texts by column (twice: plain and in the display format) and value.
    std::vector<QHash<quint64, QString>> m_dateTexts;
    // Dates at midnight are most of them; their plain text depends on the day alone.
    std::vector<QString> m_dayTexts;
    qint64 m_firstDay = 0;
};
