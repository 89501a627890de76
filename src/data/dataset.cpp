#include "data/dataset.h"

#include "data/dataerror.h"
#include "data/datetimevalue.h"
#include "data/snapshot.h"
#include "data/transaction.h"

#include <QHash>
#include <QLocale>

#include <cmath>
#include <sqlite3.h>
#include <vector>

namespace {

struct CalculatedField {
    FieldDef def;
    std::function<QVariant(const QVariant& source)> compute;
    int source = -1; // the source field's index in the open result
};

QString quoted(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString saveContext() {
    return QStringLiteral("Fehler beim Speichern");
}

// The first stored value that is none of its column's kind (another tool wrote it: an amount of
// 1e300, a text in a date column), as a German text naming field and value; empty when there
// is none. Such a value is reported rather than read as some other number.
QString foreignValue(const QVector<FieldDef>& fields, const Snapshot& rows) {
    std::vector<int> checked;
    for (int c = 0; c < rows.columns() && c < fields.size(); ++c) {
        const FieldType type = fields[c].type;
        if (type == FieldType::Currency || type == FieldType::DateTime ||
            type == FieldType::Integer)
            checked.push_back(c);
    }
    for (int r = 0; r < rows.rowCount() && !checked.empty(); ++r) {
        for (const int c : checked) {
            const Cell& cell = rows.cell(r, c);
            const Cell::Tag tag = cell.tag();
            if (tag == Cell::Null)
                continue;
            bool sound = true;
            const char* kind = "keine gültige Zahl";
            switch (fields[c].type) {
            case FieldType::Currency:
                kind = "kein gültiger Betrag";
                sound = tag == Cell::Int ||
                        (tag == Cell::Real ? Currency::fromStoredReal(cell.real()).has_value()
                                           : Currency::fromText(rows.text(cell)).has_value());
                break;
            case FieldType::DateTime: {
                kind = "kein gültiges Datum";
                const std::optional<double> value = tag == Cell::Int ? double(rows.integer(cell))
                                                    : tag == Cell::Real
                                                        ? cell.real()
                                                        : FieldValue::parseNumber(rows.text(cell));
                sound = value && DateTimeValue::isInRange(*value);
                break;
            }
            default:
                sound = tag == Cell::Int ? rows.integer(cell) == int(rows.integer(cell))
                        : tag == Cell::Real
                            ? cell.real() > -2147483648.5 && cell.real() < 2147483647.5
                            : FieldValue::parseInteger(rows.text(cell)).has_value();
                break;
            }
            if (sound)
                continue;
            const QString value =
                tag == Cell::Int ? QString::number(rows.integer(cell))
                : tag == Cell::Real
                    ? QString::number(cell.real(), 'g', QLocale::FloatingPointShortest)
                    : rows.text(cell);
            return QStringLiteral("Der Wert »%1« im Feld »%2« ist %3.")
                .arg(value, fields[c].name, QString::fromUtf8(kind));
        }
    }
    return {};
}

} // namespace

struct Dataset::Private {
    // Kept across openings.
    std::vector<CalculatedField> calculated;
    QHash<QString, QString> displayFormats; // by lower-case field name

    // The open result.
    Snapshot snapshot;
    QString baseTable; // the table post and delete write
    int keyField = -1; // its counter among the fields
    std::vector<int> baseFields;

    // The edit buffer of the current row.
    QVector<QVariant> buffer;
    QVector<bool> changed;
    int returnRow = -1; // the row that was current before an append

    // Forgets the open result and gives its memory back.
    void clearResult() {
        snapshot.reset(0);
        baseTable.clear();
        keyField = -1;
        baseFields.clear();
        clearBuffer();
        returnRow = -1;
    }
    void clearBuffer() {
        buffer = {};
        changed = {};
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
    return FieldValue::toInteger(value());
}

double Field::asDateTime() const {
    return FieldValue::toDateTime(value());
}

double Field::asFloat() const {
    return FieldValue::toFloat(value());
}

bool Field::asBoolean() const {
    return FieldValue::toBoolean(value());
}

Currency Field::asCurrency() const {
    return FieldValue::toCurrency(value());
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
    : QObject(parent), m_connection(connection), d(std::make_unique<Private>()) {
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
    d->calculated.push_back(field);
}

void Dataset::setDisplayFormat(const QString& field, const QString& format) {
    d->displayFormats.insert(field.toLower(), format);
    d->snapshot.clearDateTexts();
    const int index = fieldIndex(field);
    if (index >= 0)
        m_fields[index].displayFormat = format;
}

QString Dataset::queryText() const {
    if (!m_table.isEmpty())
        return QStringLiteral("SELECT * FROM ") + quoted(m_table) +
               (m_onlyNotDeleted ? QStringLiteral(" WHERE NOT del") : QString());
    return m_connection.withGermanOrder(m_sql.join(QLatin1Char('\n')));
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

    Private& s = *d;
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

    Snapshot& rows = s.snapshot;
    rows.reset(columns);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        rows.appendRead(st);
    if (rc != SQLITE_DONE) {
        const DataError failure =
            m_connection.error(QStringLiteral("Fehler beim Lesen der Abfrage"));
        s.clearResult();
        throw failure;
    }
    if (const QString foreign = foreignValue(fields, rows); !foreign.isEmpty()) {
        s.clearResult();
        throw DataError(foreign);
    }

    // An expression yields texts or numbers; its first value tells which.
    for (const int c : computed) {
        for (int r = 0; r < rows.rowCount(); ++r) {
            const Cell::Tag tag = rows.cell(r, c).tag();
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

    m_current = rows.rowCount() == 0 ? -1 : 0;
    m_bof = true;
    m_eof = rows.rowCount() == 0;
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
    d->clearResult();
    m_fields = {};
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
    const QString sql = m_table.isEmpty() ? m_sql.join(QLatin1Char('\n')) : queryText();
    if (sql.trimmed().isEmpty())
        throw DataError(QStringLiteral("Die Abfrage »%1« hat keinen Text.").arg(name()));
    m_connection.execute(sql);
}

int Dataset::recordCount() const {
    return active() ? d->snapshot.rowCount() : 0;
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
    if (d->keyField < 0)
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
    if (d->changed.contains(true))
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
    const Snapshot& rows = d->snapshot;
    if (field >= 0 && field < rows.columns() && row >= 0 && row < recordCount() &&
        !(editing() && row == m_current))
        return rows.cell(row, field).isNull();
    return FieldValue::isEmpty(value(row, field));
}

QVariant Dataset::value(int row, int field) const {
    const Private& s = *d;
    if (field < 0 || field >= m_fields.size() || row < 0 || row >= recordCount())
        return {};
    if (field >= s.snapshot.columns()) {
        const CalculatedField& calculated = s.calculated[size_t(field - s.snapshot.columns())];
        if (!calculated.compute)
            return {};
        return calculated.compute(calculated.source >= 0 ? value(row, calculated.source)
                                                         : QVariant());
    }
    if (editing() && row == m_current)
        return bufferValue(field);
    return s.snapshot.value(s.snapshot.cell(row, field), m_fields[field].type);
}

// The common case of a grid: a stored value of a row in browse state, read from its cell.
QString Dataset::storedText(int row, int field, bool inFormat, bool& done) const {
    done = false;
    Snapshot& rows = d->snapshot;
    if (field < 0 || field >= rows.columns() || row < 0 || row >= recordCount() ||
        (editing() && row == m_current))
        return {};
    const Cell& cell = rows.cell(row, field);
    const Cell::Tag tag = cell.tag();
    const FieldDef& def = m_fields[field];
    done = true;
    if (tag == Cell::Null && def.type != FieldType::YesNo)
        return {};
    switch (def.type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (tag == Cell::Text)
            return rows.text(cell);
        break;
    case FieldType::Counter:
    case FieldType::Integer:
        if (tag == Cell::Int)
            return QString::number(rows.integer(cell));
        break;
    case FieldType::DateTime:
        if (tag == Cell::Int)
            return rows.dateText(field, def, double(rows.integer(cell)), inFormat);
        if (tag == Cell::Real)
            return rows.dateText(field, def, cell.real(), inFormat);
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
    return FieldValue::text(m_fields[field].type, value(row, field));
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
    const Private& s = *d;
    return field >= 0 && field < s.buffer.size() ? s.buffer.at(field) : QVariant();
}

void Dataset::setBufferValue(int field, const QVariant& input) {
    checkEditing();
    if (field < 0 || field >= m_fields.size())
        throw DataError(
            QStringLiteral("Das Feld Nr. %1 gibt es in »%2« nicht.").arg(field).arg(name()));
    const QVariant value = FieldValue::forWriting(m_fields[field], input);

    Private& s = *d;
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
    Private& s = *d;
    const int columns = s.snapshot.columns();
    s.buffer.resize(columns);
    s.changed.fill(false, columns);
    for (int f = 0; f < columns; ++f)
        s.buffer[f] = s.snapshot.value(s.snapshot.cell(m_current, f), m_fields[f].type);
    setState(State::Edit);
}

void Dataset::append() {
    checkActive();
    checkBrowseMode();
    checkWritable();
    Private& s = *d;
    s.returnRow = m_current;
    s.snapshot.appendEmpty();
    s.buffer = QVector<QVariant>(s.snapshot.columns());
    s.changed.fill(false, s.snapshot.columns());
    m_current = recordCount() - 1;
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
    Private& s = *d;
    std::vector<int> written;
    for (const int f : s.baseFields) {
        if (s.changed[f] && f != s.keyField)
            written.push_back(f);
    }
    const bool inserting = m_state == State::Insert;
    std::vector<Cell> returned;
    if (inserting)
        returned = insertRow(written);
    else if (!written.empty())
        updateRow(written);

    // The snapshot takes the posted values; nothing else of the database comes in.
    Cell* cells = s.snapshot.row(m_current);
    for (int f = 0; f < s.snapshot.columns(); ++f) {
        if (s.changed[f] || inserting)
            s.snapshot.store(cells[f], m_fields[f].type, s.buffer[f]);
    }
    for (size_t i = 0; i < returned.size(); ++i)
        cells[s.baseFields[i]] = returned[i];

    const int row = m_current;
    s.clearBuffer();
    s.returnRow = -1;
    m_state = State::Browse;
    emit rowChanged(row);
    emit afterPost();
    emit stateChanged();
    emit m_source->dataChanged();
}

void Dataset::updateRow(const std::vector<int>& written) {
    Private& s = *d;
    const Cell keyCell = s.snapshot.cell(m_current, s.keyField);
    if (keyCell.tag() != Cell::Int)
        throw DataError(QStringLiteral("Der Datensatz hat keinen Schlüssel und kann nicht "
                                       "gespeichert werden."));
    QStringList assignments;
    for (const int f : written)
        assignments << quoted(m_fields[f].column) + QStringLiteral("=?");
    WriteTransaction write(m_connection);
    Statement update(m_connection,
                     QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                         .arg(quoted(s.baseTable), assignments.join(QLatin1Char(',')),
                              quoted(m_fields[s.keyField].column)),
                     saveContext());
    int index = 1;
    for (const int f : written)
        update.bind(index++, m_fields[f].type, s.buffer[f]);
    update.bind(index, s.snapshot.integer(keyCell));
    update.step();
    if (sqlite3_changes(m_connection.handle()) == 0)
        throw DataError(QStringLiteral("Der Datensatz kann nicht gespeichert werden: er "
                                       "wurde inzwischen gelöscht."));
    write.commit();
}

std::vector<Cell> Dataset::insertRow(const std::vector<int>& written) {
    Private& s = *d;
    QStringList names, marks, stored;
    for (const int f : written) {
        names << quoted(m_fields[f].column);
        marks << QStringLiteral("?");
    }
    for (const int f : s.baseFields)
        stored << quoted(m_fields[f].column);
    const QString table = quoted(s.baseTable);
    // The counter and the defaults (Archiv, del) come back with the insert and are readable
    // right after the post.
    const QString sql =
        (names.isEmpty()
             ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
             : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))) +
        QStringLiteral(" RETURNING ") + stored.join(QLatin1Char(','));
    std::vector<Cell> returned(s.baseFields.size(), Cell{});
    {
        WriteTransaction write(m_connection);
        Statement insert(m_connection, sql, saveContext());
        int index = 1;
        for (const int f : written)
            insert.bind(index++, m_fields[f].type, s.buffer[f]);
        if (insert.step()) {
            for (size_t i = 0; i < s.baseFields.size(); ++i)
                s.snapshot.read(returned[i], insert.get(), int(i));
            while (insert.step()) {
            }
        }
        write.commit();
    }
    return returned;
}

void Dataset::cancel() {
    if (!editing())
        return;
    Private& s = *d;
    s.clearBuffer();
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
    s.snapshot.removeLast();
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
    Private& s = *d;
    const Cell keyCell = s.snapshot.cell(m_current, s.keyField);
    if (keyCell.tag() != Cell::Int)
        throw DataError(
            QStringLiteral("Der Datensatz hat keinen Schlüssel und kann nicht gelöscht werden."));
    {
        WriteTransaction write(m_connection);
        Statement remove(m_connection,
                         QStringLiteral("DELETE FROM %1 WHERE %2=?")
                             .arg(quoted(s.baseTable), quoted(m_fields[s.keyField].column)),
                         QStringLiteral("Fehler beim Löschen"));
        remove.bind(1, s.snapshot.integer(keyCell));
        remove.step();
        write.commit();
    }
    const int removed = m_current;
    s.snapshot.remove(removed);
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
        if (d->keyField >= 0)
            refreshByKey();
        else
            refreshByPosition();
        d->snapshot.compact();
    }
    emit rowsReset();
    emit m_source->dataChanged();
    if (const QString foreign = foreignValue(m_fields, d->snapshot); !foreign.isEmpty())
        throw DataError(foreign);
}

void Dataset::refreshByKey() {
    Private& s = *d;
    QStringList names;
    for (const int f : s.baseFields)
        names << quoted(m_fields[f].column);
    Statement select(m_connection,
                     QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                         .arg(names.join(QLatin1Char(',')), quoted(s.baseTable),
                              quoted(m_fields[s.keyField].column)),
                     QStringLiteral("Fehler beim erneuten Lesen"));
    ReadTransaction transaction(m_connection);
    for (int row = 0; row < s.snapshot.rowCount(); ++row) {
        Cell* cells = s.snapshot.row(row);
        if (cells[s.keyField].tag() != Cell::Int)
            continue;
        select.bind(1, s.snapshot.integer(cells[s.keyField]));
        if (select.step()) {
            for (size_t i = 0; i < s.baseFields.size(); ++i)
                s.snapshot.read(cells[s.baseFields[i]], select.get(), int(i));
        }
        select.reset();
    }
}

void Dataset::refreshByPosition() {
    // Without a key a row is known only by its place: the first rows of a new reading replace
    // the rows held, as many as there are.
    Snapshot& rows = d->snapshot;
    Statement statement(m_connection, queryText(), QStringLiteral("Fehler beim erneuten Lesen"));
    sqlite3_stmt* st = statement.get();
    if (sqlite3_column_count(st) != rows.columns())
        return;
    for (int held = 0; held < rows.rowCount() && statement.step(); ++held) {
        Cell* cells = rows.row(held);
        for (int c = 0; c < rows.columns(); ++c)
            rows.read(cells[c], st, c);
    }
}
