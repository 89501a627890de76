#include "lists/boundcontrols.h"

#include "data/dataerror.h"
#include "data/dataset.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QScopedValueRollback>

FieldBinding::~FieldBinding() {
    disconnectSource();
}

void FieldBinding::bind(DataSource* source, const QString& field) {
    disconnectSource();
    m_source = source;
    m_sourceAlive = source;
    m_field = field;
    if (source && m_context) {
        m_connections << QObject::connect(source, &DataSource::dataChanged, m_context,
                                          [this] { reload(); });
        m_connections << QObject::connect(source, &DataSource::fieldChanged, m_context,
                                          [this](int changed) {
                                              if (!m_storing && changed == fieldIndex())
                                                  reload();
                                          });
        m_connections << QObject::connect(source, &DataSource::updateRecord, m_context,
                                          [this] { storeNow(); });
    }
    reload();
}

void FieldBinding::disconnectSource() {
    for (const auto& connection : std::as_const(m_connections))
        QObject::disconnect(connection);
    m_connections.clear();
}

void FieldBinding::reload() {
    load();
}

void FieldBinding::storeNow() {
    QScopedValueRollback<bool> storing(m_storing, true);
    store();
}

Dataset* FieldBinding::boundDataset() const {
    DataSource* bound = source();
    return bound ? bound->dataset() : nullptr;
}

int FieldBinding::fieldIndex() const {
    const Dataset* dataset = boundDataset();
    if (!dataset || !dataset->active())
        return -1;
    return dataset->fieldIndex(m_field);
}

bool FieldBinding::hasRow() const {
    const Dataset* dataset = boundDataset();
    if (!dataset || !dataset->active())
        return false;
    return dataset->recNo() >= 0 || dataset->state() == Dataset::State::Insert;
}

bool FieldBinding::editing() const {
    const Dataset* dataset = boundDataset();
    if (!dataset)
        return false;
    const auto state = dataset->state();
    return state == Dataset::State::Edit || state == Dataset::State::Insert;
}

// Showing a value must never fail: a field the result lacks shows nothing.
QString FieldBinding::fieldText() const {
    const int index = fieldIndex();
    if (index < 0 || !hasRow())
        return {};
    try {
        return boundDataset()->field(index).asString();
    } catch (const DataError&) {
        return {};
    }
}

QString FieldBinding::fieldDisplayText() const {
    const int index = fieldIndex();
    if (index < 0 || !hasRow())
        return {};
    try {
        return boundDataset()->field(index).displayText();
    } catch (const DataError&) {
        return {};
    }
}

bool FieldBinding::fieldIsNull() const {
    const int index = fieldIndex();
    if (index < 0 || !hasRow())
        return true;
    try {
        return boundDataset()->field(index).isNull();
    } catch (const DataError&) {
        return true;
    }
}

// Throws the field's own error when the text is no value of it, so the post stops.
void FieldBinding::writeFieldText(const QString& text) {
    if (Dataset* dataset = boundDataset())
        dataset->fieldByName(m_field).setAsString(text);
}

// ---------------------------------------------------------------------------------------------

BoundLabel::BoundLabel(QWidget* parent) : QLabel(parent) {
    m_context = this;
    setTextFormat(Qt::PlainText);
}

void BoundLabel::load() {
    setText(fieldDisplayText());
}

// ---------------------------------------------------------------------------------------------

namespace {
// Texts written on Windows carry CR LF; the memo works with plain line feeds.
QString memoText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
} // namespace

BoundMemo::BoundMemo(QWidget* parent) : QPlainTextEdit(parent) {
    m_context = this;
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    applyTabWidth();
}

void BoundMemo::setTabWidthChars(int chars) {
    m_tabChars = qMax(0, chars);
    applyTabWidth();
}

void BoundMemo::applyTabWidth() {
    setTabStopDistance(QFontMetricsF(font()).averageCharWidth() * m_tabChars);
}

void BoundMemo::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyTabWidth();
}

void BoundMemo::load() {
    const QString text = memoText(fieldText());
    if (text != toPlainText())
        setPlainText(text);
}

void BoundMemo::store() {
    if (isReadOnly() || !editing() || !hasRow())
        return;
    const QString text = toPlainText();
    if (text != memoText(fieldText()))
        writeFieldText(text);
}

// ---------------------------------------------------------------------------------------------

BoundLineEdit::BoundLineEdit(QWidget* parent) : QLineEdit(parent) {
    m_context = this;
}

void BoundLineEdit::load() {
    const QString text = fieldText();
    if (text != QLineEdit::text())
        setText(text);
}

// An unchanged text is not written, so a stored amount is not read back from its own text.
void BoundLineEdit::store() {
    if (isReadOnly() || !editing() || !hasRow())
        return;
    const QString text = QLineEdit::text();
    if (text != fieldText())
        writeFieldText(text);
}

// ---------------------------------------------------------------------------------------------

BoundComboBox::BoundComboBox(QWidget* parent) : QComboBox(parent) {
    m_context = this;
    setEditable(true);
    // Adding entries is the lookup rule's business, not the Enter key's.
    setInsertPolicy(QComboBox::NoInsert);
}

void BoundComboBox::load() {
    showText(fieldText());
}

void BoundComboBox::showText(const QString& text) {
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index != currentIndex())
        setCurrentIndex(index);
    if (text != currentText())
        setEditText(text);
}

void BoundComboBox::store() {
    if (!editing() || !hasRow())
        return;
    const QString text = currentText();
    if (text != fieldText())
        writeFieldText(text);
}

// ---------------------------------------------------------------------------------------------

BoundSpinBox::BoundSpinBox(QWidget* parent) : QSpinBox(parent) {
    m_context = this;
    connect(this, &QSpinBox::valueChanged, this, [this] {
        if (!m_loading)
            m_changed = true;
    });
}

void BoundSpinBox::load() {
    QScopedValueRollback<bool> loading(m_loading, true);
    m_changed = false;
    const QString text = fieldText();
    bool ok = false;
    const int number = text.toInt(&ok);
    setValue(ok ? number : 0);
}

void BoundSpinBox::store() {
    if (isReadOnly() || !editing() || !hasRow())
        return;
    if (fieldIsNull() && !m_changed)
        return;
    const QString text = QString::number(value());
    if (text != fieldText())
        writeFieldText(text);
}
