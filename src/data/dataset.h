#pragma once

#include "data/connection.h"
#include "data/currency.h"
#include "data/fieldvalue.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

class Dataset;
struct Cell;

// A field of the current row (or of the edit buffer while editing or inserting).
// Reading an empty (null) value gives empty text, 0 and false.
class Field {
public:
    Field(Dataset* dataset, int index) : m_dataset(dataset), m_index(index) {}

    int index() const { return m_index; }
    const FieldDef& def() const;
    QString name() const { return def().name; }

    bool isNull() const;
    // A null QVariant when empty; else QString (Text, Memo), int (Counter, Integer),
    // double (DateTime, Float), bool (YesNo) or Currency (Currency).
    QVariant value() const;
    QString asString() const; // texts as stored; numbers in German notation (dates: short date)
    int asInteger() const;
    double asDateTime() const;
    double asFloat() const;
    bool asBoolean() const;
    Currency asCurrency() const;
    QString displayText() const;

    // Writing needs the edit or insert state; throws DataError otherwise or when the text is
    // not a value of the field's type ("'abc' ist kein gültiger Währungswert.").
    void setAsString(const QString& text); // empty text clears the field
    void setAsInteger(int value);
    void setAsDateTime(double value);
    void setAsFloat(double value);
    void setAsBoolean(bool value);
    void setAsCurrency(Currency value);
    void clear();

private:
    Dataset* m_dataset;
    int m_index;
};

// The data source through which controls bind to a dataset (named after it with "DS").
class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(Dataset* dataset, const QString& name, QObject* parent = nullptr);
    Dataset* dataset() const { return m_dataset; }

Q_SIGNALS:
    // Before a post: bound editing controls write their text into the edit buffer now.
    // A control whose text is no value of its field throws, and the post stops.
    void updateRecord();
    // The record the controls show changed: another row became current, the dataset opened,
    // closed or was refreshed, the current row was posted, or the state changed (a cancel
    // brings the stored values back).
    void dataChanged();
    // One field of the edit buffer was written by code.
    void fieldChanged(int field);

private:
    Dataset* m_dataset;
};

// An open query result with a current row, in place of the engine's dataset.
//
// Snapshot rule: opening reads the whole result; afterwards the dataset holds the rows as of
// that opening plus the changes posted through itself. A change posted through another dataset
// is seen only after this one is reopened. Rows are kept compactly and texts are decoded only
// when asked for, so opening a large result costs little more than stepping it.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Dataset(Connection& connection, const QString& name, QObject* parent = nullptr);
    ~Dataset() override;

    QString name() const { return objectName(); }
    Connection& connection() const { return m_connection; }
    DataSource* dataSource() const { return m_source.get(); }

    // The query text as lines; opening joins them with line breaks.
    QStringList sql() const { return m_sql; }
    void setSql(const QStringList& lines); // only while closed; throws DataError otherwise
    void setSql(const QString& text) { setSql(QStringList{text}); }
    // Opens the whole table instead of a query; with onlyNotDeleted, rows whose del is true are
    // left out.
    void setTable(const QString& table, bool onlyNotDeleted);

    // Calculated fields are defined once; their value is computed from the row's value of
    // sourceField (the edit buffer's while editing) whenever it is read.
    void addCalculatedField(const QString& name, int size, const QString& sourceField,
                            std::function<QVariant(const QVariant& source)> compute);
    // A display format for a stored field, kept across reopenings.
    void setDisplayFormat(const QString& field, const QString& format);

    void open();  // throws DataError; the cursor stands on the first row (or none)
    void close(); // discards an unsaved edit
    bool active() const { return m_state != State::Inactive; }
    // Runs the query text as a statement without a result (delete ...).
    void execSql();

    State state() const { return m_state; }
    int recordCount() const;
    int recNo() const { return m_current; } // 0-based, -1 when there is no row
    void moveTo(int row);                   // clamps; emits afterScroll when it moves
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return recordCount() == 0; }

    int fieldCount() const { return m_fields.size(); }
    const FieldDef& fieldDef(int index) const { return m_fields.at(index); }
    int fieldIndex(const QString& name) const; // case-insensitive; -1 when missing
    Field fieldByName(const QString& name);    // throws DataError when missing
    Field field(int index) { return Field(this, index); }

    // Access to any row without moving the cursor (for grids). The current row reads the edit
    // buffer while editing or inserting.
    bool isNull(int row, int field) const;
    QVariant value(int row, int field) const;
    QString text(int row, int field) const;        // as Field::asString
    QString displayText(int row, int field) const; // as Field::displayText

    void edit();   // the current row; with no row, edit() starts an insert like append()
    void append(); // a new row at the end, current, in insert state
    void post();   // stores the row at once; the counter key can be read right after
    void cancel(); // discards the edit; an appended row is removed
    void deleteRecord();
    // Re-reads the stored values of the rows held, adding or removing none.
    void refresh();

Q_SIGNALS:
    void afterOpen();
    void afterClose();
    void afterScroll(); // the current row changed, also right after opening with rows
    void afterPost();
    void afterCancel();
    void afterDelete();
    void stateChanged();
    // For models: the whole result changed (open, close, refresh), one row was inserted,
    // removed or changed.
    void rowsReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    // A field of the edit buffer was written.
    void fieldChanged(int field);

private:
    friend class Field;
    struct Private;

    QVariant bufferValue(int field) const;
    void setBufferValue(int field, const QVariant& value);
    void checkEditing() const;

    bool editing() const { return m_state == State::Edit || m_state == State::Insert; }
    void checkActive() const;
    void checkWritable() const;
    // Before the cursor moves or the result is re-read: a changed row is posted, an untouched
    // one cancelled.
    void checkBrowseMode();
    void setState(State state);
    void scrolled();
    QString queryText() const;
    QString storedText(int row, int field, bool inFormat, bool& done) const;
    // Write the row being posted; an insert gives back the stored row's values.
    std::vector<Cell> insertRow(const std::vector<int>& written);
    void updateRow(const std::vector<int>& written);
    void refreshByKey();
    void refreshByPosition();

    Connection& m_connection;
    std::unique_ptr<DataSource> m_source;
    QStringList m_sql;
    QString m_table;
    bool m_onlyNotDeleted = false;
    QVector<FieldDef> m_fields;
    std::unique_ptr<Private> d;
    State m_state = State::Inactive;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
};
