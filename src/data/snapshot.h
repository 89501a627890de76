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

// One value of a snapshot. Texts live as UTF-8 in the snapshot's text store and become QStrings
// only when read, so opening a large result allocates nothing per row.
struct Cell {
    enum Tag : quint8 { Null, Int, Real, Text };
    quint8 tag;
    quint32 size; // bytes of a text
    union {
        qint64 i;
        double d;
        quint64 text; // where a text lies in the store
    };
};
static_assert(sizeof(Cell) == 16);

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
    // The text of a Text cell.
    QString text(const Cell& cell) const;

    // Drops the values no row refers to any more (after a refresh re-read the texts).
    void compact();

    // The text of a date-time value, plain or in the field's display format. Formatting a date
    // costs far more than reading it, and a column holds few distinct values: texts are kept.
    QString dateText(int column, const FieldDef& def, double value, bool inFormat);
    void clearDateTexts();

private:
    static constexpr int ChunkRowsShift = 8; // 256 rows a chunk
    static constexpr quint32 ChunkRows = 1u << ChunkRowsShift;
    static constexpr size_t TextChunkBytes = 256 * 1024;

    Cell* physicalRow(quint32 physical) const {
        return m_chunks[physical >> ChunkRowsShift].get() +
               size_t(physical & (ChunkRows - 1)) * size_t(m_columns);
    }
    Cell* newPhysicalRow();
    quint64 storeText(const char* text, size_t bytes);
    QString dayText(qint64 day);

    int m_columns = 0;
    std::vector<std::unique_ptr<Cell[]>> m_chunks;
    quint32 m_physicalRows = 0;
    std::vector<quint32> m_rows;

    const char* textData(const Cell& cell) const {
        return m_texts[size_t(cell.text >> 32)].data.get() + (cell.text & 0xFFFFFFFFu);
    }

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
