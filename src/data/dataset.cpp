#include "data/dataset.h"

#include "data/dataerror.h"
#include "data/datetimevalue.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <cstring>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

// One value of the snapshot. Texts live as UTF-8 in the snapshot's text arena and become
// QStrings only when read, so opening a large result allocates nothing per row.
struct Cell {
    enum Tag : quint8 { Null, Int, Real, Text };
    quint8 tag = Null;
    quint32 size = 0; // bytes of a text
    union {
        qint64 i = 0;
        double d;
        quint64 offset; // of a text in the arena
    };
};
static_assert(sizeof(Cell) == 16);

struct CalculatedField {
    FieldDef def;
    std::function<QVariant(const QVariant& source)> compute;
    int source = -1; // the source field's index in the open result
};

// text(n) counts characters: one written as a surrogate pair (an emoji) is one, not two.
qsizetype characterCount(const QString& text) {
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
            --count;
    }
    return count;
}

void checkTextSize(const FieldDef& def, const QString& text) {
    if (def.type != FieldType::Text || def.size <= 0 || text.size() <= def.size ||
        characterCount(text) <= def.size)
        return;
    throw DataError(QStringLiteral("Der Text für das Feld »%1« ist zu lang (höchstens %2 Zeichen).")
                        .arg(def.name)
                        .arg(def.size));
}

// Takes one value of the statement's current row; a text is copied once, into the arena.
inline void fillCell(Cell& cell, sqlite3_stmt* statement, int column, std::string& texts) {
    // One column call, then the value calls, which skip the per-call checks of the column API.
    sqlite3_value* value = sqlite3_column_value(statement, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        cell.tag = Cell::Null;
        break;
    case SQLITE_INTEGER:
        cell.tag = Cell::Int;
        cell.i = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        cell.tag = Cell::Real;
        cell.d = sqlite3_value_double(value);
        break;
    default: {
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        const int bytes = sqlite3_value_bytes(value);
        cell.tag = Cell::Text;
        cell.offset = texts.size();
        cell.size = quint32(bytes);
        texts.append(text, size_t(bytes));
        break;
    }
    }
}

QString germanNumber(double value) {
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

// German notation ("1234,5", "1.234,5"); a point alone counts as the decimal point ("12.5").
std::optional<double> parseNumber(const QString& input) {
    QString text = input.trimmed();
    if (text.contains(QLatin1Char(','))) {
        text.remove(QLatin1Char('.'));
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseInteger(const QString& input) {
    bool ok = false;
    const int value = input.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A date as users type it, optionally with a time of day; or a time of day alone (day 0).
std::optional<double> parseDateTime(const QString& input) {
    static const QRegularExpression timeOnly(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{2})(?::(\d{2}))?\s*$)"));
    static const QRegularExpression dateAndTime(
        QStringLiteral(R"(^\s*(\S+)(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    const auto timeOfDay = [](const QRegularExpressionMatch& match,
                              int first) -> std::optional<double> {
        const int hours = match.captured(first).toInt();
        const int minutes = match.captured(first + 1).toInt();
        const int seconds = match.captured(first + 2).toInt();
        if (hours > 23 || minutes > 59 || seconds > 59)
            return std::nullopt;
        return (hours * 3600 + minutes * 60 + seconds) / 86400.0;
    };
    QRegularExpressionMatch match = timeOnly.match(input);
    if (match.hasMatch())
        return timeOfDay(match, 1);
    match = dateAndTime.match(input);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<QDate> date = DateTimeValue::parseShortDate(match.captured(1));
    if (!date)
        return std::nullopt;
    double value = DateTimeValue::fromDate(*date);
    if (match.capturedLength(2) > 0) {
        const std::optional<double> time = timeOfDay(match, 2);
        if (!time)
            return std::nullopt;
        // Before the epoch the day part is negative while the time still counts forwards.
        value += value < 0 ? -*time : *time;
    }
    return value;
}

std::optional<bool> parseBoolean(const QString& input) {
    const QString text = input.trimmed().toLower();
    if (text == QLatin1String("wahr") || text == QLatin1String("true") ||
        text == QLatin1String("ja") || text == QLatin1String("1") || text == QLatin1String("-1"))
        return true;
    if (text == QLatin1String("falsch") || text == QLatin1String("false") ||
        text == QLatin1String("nein") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QString booleanText(bool value) {
    return value ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
}

// Empty: a null value, or the empty text of a calculated field.
bool isEmpty(const QVariant& value) {
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

bool isCurrency(const QVariant& value) {
    return value.metaType() == QMetaType::fromType<Currency>();
}

// The text of a value as a field of the given type shows it.
QString valueText(FieldType type, const QVariant& value) {
    if (value.isNull())
        return type == FieldType::YesNo ? booleanText(false) : QString();
    if (isCurrency(value))
        return value.value<Currency>().toText();
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        return value.toString();
    case FieldType::Counter:
    case FieldType::Integer:
        return QString::number(value.toLongLong());
    case FieldType::DateTime:
        return DateTimeValue::displayText(value.toDouble());
    case FieldType::Currency:
        return Currency::fromDouble(value.toDouble()).toText();
    case FieldType::YesNo:
        return booleanText(value.toBool());
    case FieldType::Float:
    case FieldType::Calculated:
        break;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return germanNumber(value.toDouble());
    case QMetaType::Bool:
        return booleanText(value.toBool());
    default:
        return value.toString();
    }
}

QVariant cellValue(const Cell& cell, FieldType type, const std::string& texts) {
    if (cell.tag == Cell::Null)
        return {};
    const auto text = [&] { return QString::fromUtf8(texts.data() + cell.offset, cell.size); };
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (cell.tag == Cell::Text)
            return text();
        return cell.tag == Cell::Int ? QString::number(cell.i) : germanNumber(cell.d);
    case FieldType::Counter:
    case FieldType::Integer:
        if (cell.tag == Cell::Int)
            return int(cell.i);
        if (cell.tag == Cell::Real)
            return int(std::lround(cell.d));
        return parseInteger(text()).value_or(0);
    case FieldType::YesNo:
        if (cell.tag == Cell::Text)
            return parseBoolean(text()).value_or(false);
        return cell.tag == Cell::Int ? cell.i != 0 : cell.d != 0;
    case FieldType::Currency:
        // Stored as ten-thousandths; a REAL here can only come from a hand-made row.
        if (cell.tag == Cell::Int)
            return QVariant::fromValue(Currency::fromScaled(cell.i));
        if (cell.tag == Cell::Real)
            return QVariant::fromValue(Currency::fromScaled(std::llround(cell.d)));
        return QVariant::fromValue(Currency::fromText(text()).value_or(Currency()));
    case FieldType::DateTime:
    case FieldType::Float:
    case FieldType::Calculated:
        if (cell.tag == Cell::Int)
            return double(cell.i);
        if (cell.tag == Cell::Real)
            return cell.d;
        return parseNumber(text()).value_or(0.0);
    }
    return {};
}

void storeCell(Cell& cell, FieldType type, const QVariant& value, std::string& texts) {
    cell = Cell();
    if (value.isNull())
        return;
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: {
        const QByteArray utf8 = value.toString().toUtf8();
        cell.tag = Cell::Text;
        cell.offset = texts.size();
        cell.size = quint32(utf8.size());
        texts.append(utf8.constData(), size_t(utf8.size()));
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

void bindValue(sqlite3_stmt* statement, int index, FieldType type, const QVariant& value) {
    if (value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case FieldType::Counter:
    case FieldType::Integer:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        break;
    case FieldType::YesNo:
        sqlite3_bind_int(statement, index, value.toBool() ? 1 : 0);
        break;
    case FieldType::Currency:
        sqlite3_bind_int64(statement, index, value.value<Currency>().scaled());
        break;
    case FieldType::DateTime:
    case FieldType::Float:
    case FieldType::Calculated:
        sqlite3_bind_double(statement, index, value.toDouble());
        break;
    }
}

QString quoted(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A prepared statement that is finalized whatever happens.
class Statement {
public:
    Statement(const Connection& connection, const QString& sql, const QString& context) {
        const QByteArray utf8 = sql.toUtf8();
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &m_handle,
                               &tail) != SQLITE_OK)
            connection.throwError(context);
        if (!m_handle)
            throw DataError(context + QStringLiteral(": Der Text enthält keine Anweisung."));
        const QByteArray rest = QByteArray(tail).trimmed();
        for (const char c : rest) {
            if (c != ';' && !QChar::isSpace(uchar(c))) {
                sqlite3_finalize(m_handle);
                throw DataError(context +
                                QStringLiteral(": Der Text enthält mehr als eine Anweisung."));
            }
        }
    }
    ~Statement() { sqlite3_finalize(m_handle); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_handle; }

private:
    sqlite3_stmt* m_handle = nullptr;
};

// A read transaction around many small reads: one consistent view, one lock.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3* db) : m_db(db) {
        m_own = sqlite3_get_autocommit(db) &&
                sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ReadTransaction() {
        if (m_own)
            sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    }

private:
    sqlite3* m_db;
    bool m_own = false;
};

} // namespace

struct Dataset::Storage {
    // Kept across openings.
    std::vector<CalculatedField> calculated;
    QHash<QString, QString> displayFormats; // by lower-case field name

    // The open result: `columns` stored fields per physical row; `rows` maps the rows held, in
    // their order, to physical rows (a deleted or cancelled row just leaves the map).
    int columns = 0;
    std::vector<Cell> cells;
    std::vector<quint32> rows;
    std::string texts;
    quint32 physicalRows = 0;

    QString baseTable; // the table post and delete write
    int keyField = -1; // its counter among the fields
    std::vector<int> baseFields;

    // Date-time texts by field (twice: plain and in the field's display format) and value.
    // Formatting a date costs far more than reading it, and a column holds few distinct values.
    std::vector<QHash<quint64, QString>> dateTexts;
    // Dates at midnight are most of them; their plain text depends on the day alone.
    std::vector<QString> dayTexts;
    qint64 firstDay = 0;

    // The edit buffer of the current row.
    QVector<QVariant> buffer;
    QVector<bool> changed;
    int returnRow = -1; // the row that was current before an append

    Cell* row(quint32 physical) { return cells.data() + size_t(physical) * size_t(columns); }
    const Cell& cell(int held, int field) const {
        return cells[size_t(rows[size_t(held)]) * size_t(columns) + size_t(field)];
    }
    quint32 addRow() {
        cells.resize(cells.size() + size_t(columns));
        return physicalRows++;
    }
    void clearResult() {
        cells = {};
        rows = {};
        texts = {};
        physicalRows = 0;
        columns = 0;
        baseTable.clear();
        keyField = -1;
        baseFields.clear();
        dateTexts.clear();
        dayTexts.clear();
        buffer.clear();
        changed.clear();
        returnRow = -1;
    }
    QString dayText(qint64 day) {
        constexpr qint64 Margin = 1024;
        constexpr qint64 Span = 1 << 17; // some 350 years held at most
        if (dayTexts.empty())
            firstDay = day - Margin;
        if (day < firstDay) {
            const qint64 newFirst = day - Margin;
            if (qint64(dayTexts.size()) + (firstDay - newFirst) > Span)
                return DateTimeValue::shortDateText(double(day));
            dayTexts.insert(dayTexts.begin(), size_t(firstDay - newFirst), QString());
            firstDay = newFirst;
        }
        const qint64 index = day - firstDay;
        if (index >= Span)
            return DateTimeValue::shortDateText(double(day));
        if (size_t(index) >= dayTexts.size())
            dayTexts.resize(size_t(index + Margin));
        QString& text = dayTexts[size_t(index)];
        if (text.isNull())
            text = DateTimeValue::shortDateText(double(day)); // displayText of a midnight
        return text;
    }

    QString dateText(int field, const FieldDef& def, double value, bool inFormat) {
        if (inFormat && def.displayFormat.isEmpty())
            inFormat = false;
        if (!inFormat && value == std::floor(value) && std::fabs(value) < 1e7)
            return dayText(qint64(value));
        const size_t slot = size_t(field) * 2 + (inFormat ? 1 : 0);
        if (slot >= dateTexts.size())
            dateTexts.resize(slot + 1);
        QHash<quint64, QString>& cache = dateTexts[slot];
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

    // Drops the values no row refers to any more (after a refresh re-wrote the texts).
    void compact() {
        std::vector<Cell> packed;
        packed.reserve(rows.size() * size_t(columns));
        std::string packedTexts;
        packedTexts.reserve(texts.size() / 2);
        for (quint32& physical : rows) {
            const Cell* source = row(physical);
            for (int c = 0; c < columns; ++c) {
                Cell cell = source[c];
                if (cell.tag == Cell::Text) {
                    const quint64 offset = packedTexts.size();
                    packedTexts.append(texts.data() + cell.offset, cell.size);
                    cell.offset = offset;
                }
                packed.push_back(cell);
            }
            physical = quint32(&physical - rows.data());
        }
        cells.swap(packed);
        texts.swap(packedTexts);
        physicalRows = quint32(rows.size());
    }
};

// --- Field -------------------------------------------------------------------------------

const FieldDef& Field::def() const {
    return m_dataset->fieldDef(m_index);
}

bool Field::isNull() const {
    return m_dataset->isNull(m_dataset->recNo(), m_index);
}

QVariant Field::value() const {
    return m_dataset->value(m_dataset->recNo(), m_index);
}

QString Field::asString() const {
    return m_dataset->text(m_dataset->recNo(), m_index);
}

QString Field::displayText() const {
    return m_dataset->displayText(m_dataset->recNo(), m_index);
}

int Field::asInteger() const {
    const QVariant v = value();
    if (isEmpty(v))
        return 0;
    if (isCurrency(v))
        return int(std::lround(v.value<Currency>().toDouble()));
    if (v.typeId() == QMetaType::QString) {
        if (const auto number = parseInteger(v.toString()))
            return *number;
        throw DataError(QStringLiteral("»%1« ist keine gültige Zahl.").arg(v.toString()));
    }
    if (v.typeId() == QMetaType::Double)
        return int(std::lround(v.toDouble()));
    return v.toInt();
}

double Field::asDateTime() const {
    const QVariant v = value();
    if (isEmpty(v))
        return 0;
    if (v.typeId() == QMetaType::QString) {
        if (const auto date = parseDateTime(v.toString()))
            return *date;
        throw DataError(QStringLiteral("»%1« ist kein gültiges Datum.").arg(v.toString()));
    }
    return asFloat();
}

double Field::asFloat() const {
    const QVariant v = value();
    if (isEmpty(v))
        return 0;
    if (isCurrency(v))
        return v.value<Currency>().toDouble();
    if (v.typeId() == QMetaType::QString) {
        if (const auto number = parseNumber(v.toString()))
            return *number;
        throw DataError(QStringLiteral("»%1« ist keine gültige Zahl.").arg(v.toString()));
    }
    return v.toDouble();
}

bool Field::asBoolean() const {
    const QVariant v = value();
    if (isEmpty(v))
        return false;
    if (isCurrency(v))
        return v.value<Currency>().scaled() != 0;
    if (v.typeId() == QMetaType::QString)
        return parseBoolean(v.toString()).value_or(false);
    return v.toBool();
}

Currency Field::asCurrency() const {
    const QVariant v = value();
    if (isEmpty(v))
        return {};
    if (isCurrency(v))
        return v.value<Currency>();
    if (v.typeId() == QMetaType::QString) {
        if (const auto amount = Currency::fromText(v.toString()))
            return *amount;
        throw DataError(QStringLiteral("»%1« ist kein gültiger Betrag.").arg(v.toString()));
    }
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
        return Currency::fromScaled(v.toLongLong() * Currency::Scale);
    return Currency::fromDouble(v.toDouble());
}

void Field::setAsString(const QString& text) {
    m_dataset->setBufferValue(m_index, text.isEmpty() ? QVariant() : QVariant(text));
}
void Field::setAsInteger(int value) {
    m_dataset->setBufferValue(m_index, value);
}
void Field::setAsDateTime(double value) {
    m_dataset->setBufferValue(m_index, value);
}
void Field::setAsFloat(double value) {
    m_dataset->setBufferValue(m_index, value);
}
void Field::setAsBoolean(bool value) {
    m_dataset->setBufferValue(m_index, value);
}
void Field::setAsCurrency(Currency value) {
    m_dataset->setBufferValue(m_index, QVariant::fromValue(value));
}
void Field::clear() {
    m_dataset->setBufferValue(m_index, QVariant());
}

// --- DataSource --------------------------------------------------------------------------

DataSource::DataSource(Dataset* dataset, const QString& name, QObject* parent)
    : QObject(parent), m_dataset(dataset) {
    setObjectName(name);
}

// --- Dataset -----------------------------------------------------------------------------

Dataset::Dataset(Connection& connection, const QString& name, QObject* parent)
    : QObject(parent), m_connection(connection), m_storage(std::make_unique<Storage>()) {
    setObjectName(name);
    m_source = std::make_unique<DataSource>(this, name + QStringLiteral("DS"), this);
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QStringList& lines) {
    if (active())
        throw DataError(QStringLiteral("Die Abfrage »%1« ist geöffnet; ihr Text kann nur geändert "
                                       "werden, während sie geschlossen ist.")
                            .arg(name()));
    m_sql = lines;
    m_table.clear();
}

void Dataset::setTable(const QString& table, bool onlyNotDeleted) {
    if (active())
        throw DataError(QStringLiteral("Die Tabelle »%1« ist geöffnet; sie kann nur gewechselt "
                                       "werden, während sie geschlossen ist.")
                            .arg(name()));
    m_table = table;
    m_onlyNotDeleted = onlyNotDeleted;
    m_sql.clear();
}

void Dataset::addCalculatedField(const QString& name, int size, const QString& sourceField,
                                 std::function<QVariant(const QVariant& source)> compute) {
    CalculatedField field;
    field.def.name = name;
    field.def.type = FieldType::Calculated;
    field.def.size = size;
    field.def.sourceField = sourceField;
    field.compute = std::move(compute);
    if (active()) {
        field.source = fieldIndex(sourceField);
        m_fields.append(field.def);
    }
    m_storage->calculated.push_back(field);
}

void Dataset::setDisplayFormat(const QString& field, const QString& format) {
    m_storage->displayFormats.insert(field.toLower(), format);
    m_storage->dateTexts.clear();
    const int index = fieldIndex(field);
    if (index >= 0)
        m_fields[index].displayFormat = format;
}

QString Dataset::queryText() const {
    if (!m_table.isEmpty())
        return QStringLiteral("SELECT * FROM ") + quoted(m_table) +
               (m_onlyNotDeleted ? QStringLiteral(" WHERE NOT del") : QString());
    return m_sql.join(QLatin1Char('\n'));
}

void Dataset::open() {
    if (active())
        return;
    if (!m_connection.connected())
        throw DataError(QStringLiteral("Die Verbindung zur Datenbank ist nicht geöffnet."));
    const QString sql = queryText();
    if (sql.trimmed().isEmpty())
        throw DataError(QStringLiteral("Die Abfrage »%1« hat keinen Text.").arg(name()));

    Statement statement(m_connection, sql, QStringLiteral("Fehler in der Abfrage"));
    sqlite3_stmt* st = statement.get();
    const int columns = sqlite3_column_count(st);
    if (columns == 0)
        throw DataError(
            QStringLiteral("Die Anweisung von »%1« liefert keine Datensätze.").arg(name()));

    Storage& s = *m_storage;
    s.clearResult();
    QVector<FieldDef> fields;
    fields.reserve(columns + int(s.calculated.size()));
    std::vector<int> computed; // result columns of no stored table: typed by their values
    for (int c = 0; c < columns; ++c) {
        FieldDef field;
        field.name = QString::fromUtf8(sqlite3_column_name(st, c));
        const char* table = sqlite3_column_table_name(st, c);
        const char* origin = sqlite3_column_origin_name(st, c);
        const TableInfo* info = table ? m_connection.table(QString::fromUtf8(table)) : nullptr;
        const int index = info && origin ? info->columnIndex(QString::fromUtf8(origin)) : -1;
        if (index >= 0) {
            const ColumnInfo& column = info->columns.at(index);
            field.table = info->name;
            field.column = column.name;
            field.type = column.type;
            field.size = column.size;
        } else {
            field.type = FieldType::Float;
            computed.push_back(c);
        }
        field.displayFormat = s.displayFormats.value(field.name.toLower());
        fields.append(field);
    }

    s.columns = columns;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Cell* cell = s.row(s.addRow());
        for (int c = 0; c < columns; ++c)
            fillCell(cell[c], st, c, s.texts);
        s.rows.push_back(s.physicalRows - 1);
    }
    if (rc != SQLITE_DONE) {
        const DataError failure =
            m_connection.error(QStringLiteral("Fehler beim Lesen der Abfrage"));
        s.clearResult();
        throw failure;
    }

    // An expression yields texts or numbers; its first value tells which.
    for (const int c : computed) {
        for (quint32 r = 0; r < s.physicalRows; ++r) {
            const quint8 tag = s.row(r)[c].tag;
            if (tag != Cell::Null) {
                if (tag == Cell::Text)
                    fields[c].type = FieldType::Memo;
                break;
            }
        }
    }

    // Post and delete write the table whose counter the result holds.
    for (int c = 0; c < columns; ++c) {
        if (fields[c].type == FieldType::Counter) {
            s.baseTable = fields[c].table;
            s.keyField = c;
            break;
        }
    }
    if (s.keyField >= 0) {
        for (int c = 0; c < columns; ++c) {
            if (fields[c].table.compare(s.baseTable, Qt::CaseInsensitive) == 0)
                s.baseFields.push_back(c);
        }
    }

    m_fields = fields;
    // A grid reads a calculated field in every row: its source is looked up once here.
    for (CalculatedField& calculated : s.calculated) {
        calculated.source = fieldIndex(calculated.def.sourceField);
        m_fields.append(calculated.def);
    }

    m_current = s.rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = s.rows.empty();
    setState(State::Browse);
    emit rowsReset();
    emit afterOpen();
    if (m_current >= 0)
        emit afterScroll();
    emit m_source->dataChanged();
}

void Dataset::close() {
    if (!active())
        return;
    m_storage->clearResult();
    m_fields.clear();
    m_current = -1;
    m_bof = m_eof = true;
    setState(State::Inactive);
    emit rowsReset();
    emit afterClose();
    emit m_source->dataChanged();
}

void Dataset::execSql() {
    if (!m_connection.connected())
        throw DataError(QStringLiteral("Die Verbindung zur Datenbank ist nicht geöffnet."));
    const QString sql = queryText();
    if (sql.trimmed().isEmpty())
        throw DataError(QStringLiteral("Die Abfrage »%1« hat keinen Text.").arg(name()));
    m_connection.execute(sql);
}

int Dataset::recordCount() const {
    return active() ? int(m_storage->rows.size()) : 0;
}

void Dataset::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
    emit m_source->dataChanged();
}

void Dataset::scrolled() {
    emit afterScroll();
    emit m_source->dataChanged();
}

void Dataset::checkActive() const {
    if (!active())
        throw DataError(QStringLiteral("Die Datenmenge »%1« ist nicht geöffnet.").arg(name()));
}

void Dataset::checkWritable() const {
    checkActive();
    if (m_storage->keyField < 0)
        throw DataError(QStringLiteral("Die Datenmenge »%1« kann nicht geändert werden: ihr "
                                       "Ergebnis enthält keinen Schlüssel einer Tabelle.")
                            .arg(name()));
}

void Dataset::checkEditing() const {
    if (!editing())
        throw DataError(
            QStringLiteral("Die Datenmenge »%1« ist nicht im Bearbeitungs- oder Einfügemodus.")
                .arg(name()));
}

void Dataset::checkBrowseMode() {
    if (!editing())
        return;
    emit m_source->updateRecord();
    if (m_storage->changed.contains(true))
        post();
    else
        cancel();
}

void Dataset::moveTo(int row) {
    if (!active())
        return;
    checkBrowseMode();
    const int count = recordCount();
    if (count == 0)
        return;
    row = qBound(0, row, count - 1);
    m_bof = m_eof = false;
    if (row != m_current) {
        m_current = row;
        scrolled();
    }
}

void Dataset::first() {
    checkActive();
    checkBrowseMode();
    m_bof = true;
    m_eof = recordCount() == 0;
    if (recordCount() == 0)
        return;
    m_current = 0;
    scrolled();
}

void Dataset::last() {
    checkActive();
    checkBrowseMode();
    m_eof = true;
    m_bof = recordCount() == 0;
    if (recordCount() == 0)
        return;
    m_current = recordCount() - 1;
    scrolled();
}

void Dataset::next() {
    checkActive();
    checkBrowseMode();
    if (m_current >= recordCount() - 1) {
        m_eof = true;
        return;
    }
    ++m_current;
    m_bof = m_eof = false;
    scrolled();
}

void Dataset::prior() {
    checkActive();
    checkBrowseMode();
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    --m_current;
    m_bof = m_eof = false;
    scrolled();
}

int Dataset::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

Field Dataset::fieldByName(const QString& name) {
    const int index = fieldIndex(name);
    if (index < 0)
        throw DataError(
            QStringLiteral("Das Feld »%1« gibt es in »%2« nicht.").arg(name, this->name()));
    return Field(this, index);
}

bool Dataset::isNull(int row, int field) const {
    const Storage& s = *m_storage;
    if (field >= 0 && field < s.columns && row >= 0 && row < recordCount() &&
        !(editing() && row == m_current))
        return s.cell(row, field).tag == Cell::Null;
    return ::isEmpty(value(row, field));
}

QVariant Dataset::value(int row, int field) const {
    const Storage& s = *m_storage;
    if (field < 0 || field >= m_fields.size() || row < 0 || row >= recordCount())
        return {};
    if (field >= s.columns) {
        const CalculatedField& calculated = s.calculated[size_t(field - s.columns)];
        if (!calculated.compute)
            return {};
        return calculated.compute(calculated.source >= 0 ? value(row, calculated.source)
                                                         : QVariant());
    }
    if (editing() && row == m_current)
        return bufferValue(field);
    return cellValue(s.cell(row, field), m_fields[field].type, s.texts);
}

// The common case of a grid: a stored value of a row in browse state, read from its cell.
QString Dataset::storedText(int row, int field, bool inFormat, bool& done) const {
    done = false;
    Storage& s = *m_storage;
    if (field < 0 || field >= s.columns || row < 0 || row >= recordCount() ||
        (editing() && row == m_current))
        return {};
    const Cell& cell = s.cell(row, field);
    const FieldDef& def = m_fields[field];
    done = true;
    if (cell.tag == Cell::Null && def.type != FieldType::YesNo)
        return {};
    switch (def.type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (cell.tag == Cell::Text)
            return QString::fromUtf8(s.texts.data() + cell.offset, qsizetype(cell.size));
        break;
    case FieldType::Counter:
    case FieldType::Integer:
        if (cell.tag == Cell::Int)
            return QString::number(cell.i);
        break;
    case FieldType::DateTime:
        if (cell.tag == Cell::Int)
            return s.dateText(field, def, double(cell.i), inFormat);
        if (cell.tag == Cell::Real)
            return s.dateText(field, def, cell.d, inFormat);
        break;
    default:
        break;
    }
    done = false;
    return {};
}

QString Dataset::text(int row, int field) const {
    bool done = false;
    QString stored = storedText(row, field, false, done);
    if (done)
        return stored;
    if (field < 0 || field >= m_fields.size())
        return {};
    return valueText(m_fields[field].type, value(row, field));
}

QString Dataset::displayText(int row, int field) const {
    if (field < 0 || field >= m_fields.size())
        return {};
    bool done = false;
    QString stored = storedText(row, field, true, done);
    if (done)
        return stored;
    const FieldDef& def = m_fields[field];
    if (def.type == FieldType::DateTime) {
        const QVariant v = value(row, field);
        if (v.isNull())
            return {};
        return def.displayFormat.isEmpty()
                   ? DateTimeValue::displayText(v.toDouble())
                   : DateTimeValue::formatted(v.toDouble(), def.displayFormat);
    }
    return text(row, field);
}

QVariant Dataset::bufferValue(int field) const {
    const Storage& s = *m_storage;
    return field >= 0 && field < s.buffer.size() ? s.buffer.at(field) : QVariant();
}

void Dataset::setBufferValue(int field, const QVariant& input) {
    checkEditing();
    if (field < 0 || field >= m_fields.size())
        throw DataError(
            QStringLiteral("Das Feld Nr. %1 gibt es in »%2« nicht.").arg(field).arg(name()));
    const FieldDef& def = m_fields[field];
    if (def.type == FieldType::Calculated)
        throw DataError(
            QStringLiteral("Das Feld »%1« wird berechnet und kann nicht geändert werden.")
                .arg(def.name));
    if (def.type == FieldType::Counter)
        throw DataError(
            QStringLiteral("Das Feld »%1« wird von der Datenbank gezählt und kann nicht geändert "
                           "werden.")
                .arg(def.name));

    const bool isText = input.typeId() == QMetaType::QString;
    const QString text = isText ? input.toString() : QString();
    const auto refuse = [&](const char* what) -> DataError {
        return DataError(QStringLiteral("»%1« ist %2 für das Feld »%3«.")
                             .arg(text, QString::fromUtf8(what), def.name));
    };

    QVariant value;
    if (input.isNull()) {
        if (def.type == FieldType::YesNo)
            value = false; // never empty
    } else {
        switch (def.type) {
        case FieldType::Text:
        case FieldType::Memo:
            value = isText ? text : valueText(FieldType::Float, input);
            checkTextSize(def, value.toString());
            break;
        case FieldType::Integer:
            if (isText) {
                const auto number = parseInteger(text);
                if (!number)
                    throw refuse("keine gültige Zahl");
                value = *number;
            } else if (isCurrency(input)) {
                value = int(std::lround(input.value<Currency>().toDouble()));
            } else if (input.typeId() == QMetaType::Double) {
                value = int(std::lround(input.toDouble()));
            } else {
                value = input.toInt();
            }
            break;
        case FieldType::DateTime:
        case FieldType::Float:
            if (isText) {
                const auto number =
                    def.type == FieldType::DateTime ? parseDateTime(text) : parseNumber(text);
                if (!number)
                    throw refuse(def.type == FieldType::DateTime ? "kein gültiges Datum"
                                                                 : "keine gültige Zahl");
                value = *number;
            } else if (isCurrency(input)) {
                value = input.value<Currency>().toDouble();
            } else if (std::isfinite(input.toDouble())) {
                value = input.toDouble();
            } // NaN (an invalid date) leaves the field empty, as the engine would store it
            break;
        case FieldType::Currency:
            if (isText) {
                const auto amount = Currency::fromText(text);
                if (!amount)
                    throw refuse("kein gültiger Betrag");
                value = QVariant::fromValue(*amount);
            } else if (isCurrency(input)) {
                value = input;
            } else if (input.typeId() == QMetaType::Double) {
                value = QVariant::fromValue(Currency::fromDouble(input.toDouble()));
            } else {
                value =
                    QVariant::fromValue(Currency::fromScaled(input.toLongLong() * Currency::Scale));
            }
            break;
        case FieldType::YesNo:
            if (isText) {
                const auto flag = parseBoolean(text);
                if (!flag)
                    throw refuse("kein gültiger Ja/Nein-Wert");
                value = *flag;
            } else {
                value = input.toBool();
            }
            break;
        case FieldType::Counter:
        case FieldType::Calculated:
            break;
        }
    }

    Storage& s = *m_storage;
    // Bound controls write back every text at a post; an unchanged value stays unwritten.
    if (s.buffer[field].isNull() == value.isNull() && s.buffer[field] == value)
        return;
    s.buffer[field] = value;
    s.changed[field] = true;
    emit fieldChanged(field);
    emit m_source->fieldChanged(field);
    emit rowChanged(m_current);
}

void Dataset::edit() {
    checkActive();
    if (editing())
        return;
    if (recordCount() == 0) {
        append();
        return;
    }
    checkWritable();
    Storage& s = *m_storage;
    s.buffer.resize(s.columns);
    s.changed.fill(false, s.columns);
    for (int f = 0; f < s.columns; ++f)
        s.buffer[f] = cellValue(s.cell(m_current, f), m_fields[f].type, s.texts);
    setState(State::Edit);
}

void Dataset::append() {
    checkActive();
    checkBrowseMode();
    checkWritable();
    Storage& s = *m_storage;
    s.returnRow = m_current;
    s.rows.push_back(s.addRow());
    s.buffer = QVector<QVariant>(s.columns);
    s.changed.fill(false, s.columns);
    m_current = int(s.rows.size()) - 1;
    m_bof = m_eof = false;
    m_state = State::Insert;
    emit rowInserted(m_current);
    emit stateChanged();
    scrolled();
}

void Dataset::post() {
    checkActive();
    if (!editing())
        return;
    // Bound controls write their texts first; one that cannot throws, and nothing is stored.
    emit m_source->updateRecord();

    // Every value in the buffer was checked when it was written (text sizes included).
    Storage& s = *m_storage;
    std::vector<int> written;
    for (const int f : s.baseFields) {
        if (s.changed[f] && f != s.keyField)
            written.push_back(f);
    }
    const QString table = quoted(s.baseTable);
    const QString key = quoted(m_fields[s.keyField].column);
    const quint32 physical = s.rows[size_t(m_current)];
    const bool inserting = m_state == State::Insert;
    std::vector<Cell> stored; // read back after an insert, applied once committed

    if (!inserting && !written.empty()) {
        const Cell keyCell = s.row(physical)[s.keyField];
        if (keyCell.tag != Cell::Int)
            throw DataError(QStringLiteral("Der Datensatz hat keinen Schlüssel und kann nicht "
                                           "gespeichert werden."));
        QStringList assignments;
        for (const int f : written)
            assignments << quoted(m_fields[f].column) + QStringLiteral("=?");
        m_connection.beginWrite();
        try {
            Statement update(m_connection,
                             QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                                 .arg(table, assignments.join(QLatin1Char(',')), key),
                             QStringLiteral("Fehler beim Speichern"));
            int index = 1;
            for (const int f : written)
                bindValue(update.get(), index++, m_fields[f].type, s.buffer[f]);
            sqlite3_bind_int64(update.get(), index, keyCell.i);
            if (sqlite3_step(update.get()) != SQLITE_DONE)
                m_connection.throwError(QStringLiteral("Fehler beim Speichern"));
            if (sqlite3_changes(m_connection.handle()) == 0)
                throw DataError(QStringLiteral("Der Datensatz kann nicht gespeichert werden: er "
                                               "wurde inzwischen gelöscht."));
            m_connection.commit();
        } catch (...) {
            m_connection.rollback();
            throw;
        }
    } else if (inserting) {
        QStringList names, marks, readBack;
        for (const int f : written) {
            names << quoted(m_fields[f].column);
            marks << QStringLiteral("?");
        }
        for (const int f : s.baseFields)
            readBack << quoted(m_fields[f].column);
        m_connection.beginWrite();
        try {
            Statement insert(
                m_connection,
                names.isEmpty()
                    ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                QStringLiteral("Fehler beim Speichern"));
            int index = 1;
            for (const int f : written)
                bindValue(insert.get(), index++, m_fields[f].type, s.buffer[f]);
            if (sqlite3_step(insert.get()) != SQLITE_DONE)
                m_connection.throwError(QStringLiteral("Fehler beim Speichern"));
            const qint64 rowid = sqlite3_last_insert_rowid(m_connection.handle());
            // The counter and the defaults (Archiv, del) are readable right after the post.
            Statement select(m_connection,
                             QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                                 .arg(readBack.join(QLatin1Char(',')), table, key),
                             QStringLiteral("Fehler beim Lesen des gespeicherten Datensatzes"));
            sqlite3_bind_int64(select.get(), 1, rowid);
            if (sqlite3_step(select.get()) == SQLITE_ROW) {
                stored.resize(s.baseFields.size());
                for (size_t i = 0; i < s.baseFields.size(); ++i)
                    fillCell(stored[i], select.get(), int(i), s.texts);
            }
            m_connection.commit();
        } catch (...) {
            m_connection.rollback();
            throw;
        }
    }

    // The snapshot takes the posted values; nothing else of the database comes in.
    Cell* cells = s.row(physical);
    for (int f = 0; f < s.columns; ++f) {
        if (s.changed[f] || inserting)
            storeCell(cells[f], m_fields[f].type, s.buffer[f], s.texts);
    }
    for (size_t i = 0; i < stored.size(); ++i)
        cells[s.baseFields[i]] = stored[i];

    const int row = m_current;
    s.buffer.clear();
    s.changed.clear();
    s.returnRow = -1;
    m_state = State::Browse;
    emit rowChanged(row);
    emit afterPost();
    emit stateChanged();
    emit m_source->dataChanged();
}

void Dataset::cancel() {
    if (!editing())
        return;
    Storage& s = *m_storage;
    s.buffer.clear();
    s.changed.clear();
    if (m_state == State::Edit) {
        m_state = State::Browse;
        emit rowChanged(m_current);
        emit afterCancel();
        emit stateChanged();
        emit m_source->dataChanged();
        return;
    }
    // The appended row goes; the row that was current before comes back.
    const int removed = m_current;
    s.rows.pop_back();
    s.cells.resize(s.cells.size() - size_t(s.columns));
    --s.physicalRows;
    const int count = recordCount();
    m_current = count == 0 ? -1 : qBound(0, s.returnRow, count - 1);
    m_bof = m_eof = count == 0;
    s.returnRow = -1;
    m_state = State::Browse;
    emit rowRemoved(removed);
    emit afterCancel();
    emit stateChanged();
    if (m_current >= 0)
        emit afterScroll();
    emit m_source->dataChanged();
}

void Dataset::deleteRecord() {
    checkActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (recordCount() == 0)
        throw DataError(name() +
                        QStringLiteral(": Operation bei leerer Datenmenge nicht ausführbar"));
    checkWritable();
    Storage& s = *m_storage;
    const Cell keyCell = s.cell(m_current, s.keyField);
    if (keyCell.tag != Cell::Int)
        throw DataError(
            QStringLiteral("Der Datensatz hat keinen Schlüssel und kann nicht gelöscht werden."));
    m_connection.beginWrite();
    try {
        Statement remove(m_connection,
                         QStringLiteral("DELETE FROM %1 WHERE %2=?")
                             .arg(quoted(s.baseTable), quoted(m_fields[s.keyField].column)),
                         QStringLiteral("Fehler beim Löschen"));
        sqlite3_bind_int64(remove.get(), 1, keyCell.i);
        if (sqlite3_step(remove.get()) != SQLITE_DONE)
            m_connection.throwError(QStringLiteral("Fehler beim Löschen"));
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
    const int removed = m_current;
    s.rows.erase(s.rows.begin() + removed);
    const int count = recordCount();
    m_current = count == 0 ? -1 : qMin(removed, count - 1);
    m_bof = m_eof = count == 0;
    emit rowRemoved(removed);
    emit afterDelete();
    // Also when the last row went: whoever follows the current row learns there is none.
    emit afterScroll();
    emit m_source->dataChanged();
}

void Dataset::refresh() {
    checkActive();
    checkBrowseMode();
    if (recordCount() > 0) {
        if (m_storage->keyField >= 0)
            refreshByKey();
        else
            refreshByPosition();
        m_storage->compact();
    }
    emit rowsReset();
    emit m_source->dataChanged();
}

void Dataset::refreshByKey() {
    Storage& s = *m_storage;
    QStringList names;
    for (const int f : s.baseFields)
        names << quoted(m_fields[f].column);
    const QString context = QStringLiteral("Fehler beim erneuten Lesen");
    Statement select(m_connection,
                     QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                         .arg(names.join(QLatin1Char(',')), quoted(s.baseTable),
                              quoted(m_fields[s.keyField].column)),
                     context);
    sqlite3_stmt* st = select.get();
    ReadTransaction transaction(m_connection.handle());
    for (const quint32 physical : s.rows) {
        Cell* cells = s.row(physical);
        if (cells[s.keyField].tag != Cell::Int)
            continue;
        sqlite3_bind_int64(st, 1, cells[s.keyField].i);
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            for (size_t i = 0; i < s.baseFields.size(); ++i)
                fillCell(cells[s.baseFields[i]], st, int(i), s.texts);
        } else if (rc != SQLITE_DONE) {
            m_connection.throwError(context);
        }
        sqlite3_reset(st);
    }
}

void Dataset::refreshByPosition() {
    // Without a key a row is known only by its place: the first rows of a new reading replace
    // the rows held, as many as there are.
    Storage& s = *m_storage;
    const QString context = QStringLiteral("Fehler beim erneuten Lesen");
    Statement statement(m_connection, queryText(), context);
    sqlite3_stmt* st = statement.get();
    if (sqlite3_column_count(st) != s.columns)
        return;
    size_t held = 0;
    int rc = SQLITE_DONE;
    while (held < s.rows.size() && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        Cell* cells = s.row(s.rows[held++]);
        for (int c = 0; c < s.columns; ++c)
            fillCell(cells[c], st, c, s.texts);
    }
    if (held < s.rows.size() && rc != SQLITE_DONE)
        m_connection.throwError(context);
}
