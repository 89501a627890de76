#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>

class DataSource;
class Dataset;

// Controls bound by field name to a data source. They show the field of the current row and
// follow every record change of the source (DataSource::dataChanged, and fieldChanged for their
// own field). Editing controls write their text into the edit buffer when the dataset posts
// (DataSource::updateRecord); a text that is no value of the field makes the post fail with the
// engine's error and leaves the control as it is.
class FieldBinding {
public:
    void bind(DataSource* source, const QString& field);
    DataSource* source() const { return m_sourceAlive ? m_source : nullptr; }
    QString fieldName() const { return m_field; }
    // Shows the field's current value again.
    void reload();

protected:
    virtual ~FieldBinding();
    // Called whenever the control should show the field's current value.
    virtual void load() = 0;
    // Called before a post; editing controls write into the field here.
    virtual void store() {}
    // The bound field of the current row as text (as Field::asString), empty without a row.
    QString fieldText() const;
    QString fieldDisplayText() const;
    bool fieldIsNull() const;
    void writeFieldText(const QString& text);
    bool hasRow() const;
    bool editing() const; // edit or insert state
    // The field's position in the dataset's current result; -1 when it has none.
    int fieldIndex() const;
    Dataset* boundDataset() const; // nullptr while unbound

    QObject* m_context = nullptr; // the control, for the connections' lifetime

private:
    void disconnectSource();
    void storeNow();

    DataSource* m_source = nullptr;
    QPointer<QObject> m_sourceAlive; // the source may go before the control
    QString m_field;
    QList<QMetaObject::Connection> m_connections;
    bool m_storing = false; // our own write must not reload the control while the user types
};

// A read-only label showing the field's display text.
class BoundLabel : public QLabel, public FieldBinding {
    Q_OBJECT
public:
    explicit BoundLabel(QWidget* parent = nullptr);

protected:
    void load() override;
};

// A memo. Read-only memos show the field; editing memos also write it on post. The tab width
// is given in characters.
class BoundMemo : public QPlainTextEdit, public FieldBinding {
    Q_OBJECT
public:
    explicit BoundMemo(QWidget* parent = nullptr);
    void setTabWidthChars(int chars);
    int tabWidthChars() const { return m_tabChars; }

protected:
    void load() override;
    void store() override;
    void changeEvent(QEvent* event) override;

private:
    void applyTabWidth();
    int m_tabChars = 4;
};

// A one-line text field.
class BoundLineEdit : public QLineEdit, public FieldBinding {
    Q_OBJECT
public:
    explicit BoundLineEdit(QWidget* parent = nullptr);

protected:
    void load() override;
    void store() override;
};

// An editable drop-down whose text is the field's value (the base of the lookup field).
class BoundComboBox : public QComboBox, public FieldBinding {
    Q_OBJECT
public:
    explicit BoundComboBox(QWidget* parent = nullptr);

protected:
    void load() override;
    void store() override;
    // Shows the text and makes the entry of exactly that text the current one (none when no
    // entry has it), so the arrow keys and the drop-down list start from it.
    void showText(const QString& text);
};

// A number spinner bound to an integer field. An empty field shows 0 and stays empty unless the
// value is changed.
class BoundSpinBox : public QSpinBox, public FieldBinding {
    Q_OBJECT
public:
    explicit BoundSpinBox(QWidget* parent = nullptr);

protected:
    void load() override;
    void store() override;

private:
    bool m_loading = false;
    bool m_changed = false;
};
