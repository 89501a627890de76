#include "masterdata/lookupfield.h"

#include "data/dataset.h"
#include "masterdata/entryfocus.h"
#include "platform/messagedialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QPointer>
#include <QScopedValueRollback>

LookupField::LookupField(QWidget* parent) : BoundComboBox(parent) {
    // The rule compares with letter case, so completing must not change the case of a text.
    if (completer())
        completer()->setCaseSensitivity(Qt::CaseSensitive);
}

void LookupField::setMasterRule(Dataset& master, const QString& textColumn,
                                const MasterRefresh& refresh) {
    m_master = &master;
    m_textColumn = textColumn;
    m_refresh = refresh;
}

void LookupField::setChoicesFrom(Dataset& master, const QString& textColumn) {
    const QString typed = currentText();
    QStringList texts;
    if (master.active()) {
        const int column = master.fieldIndex(textColumn);
        if (column >= 0) {
            const int rows = master.recordCount();
            texts.reserve(rows);
            for (int row = 0; row < rows; ++row)
                texts << master.text(row, column);
        }
    }
    clear();
    addItems(texts);
    showText(typed);
}

QStringList LookupField::choices() const {
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts << itemText(i);
    return texts;
}

void LookupField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        focusNextChild();
        return;
    }
    BoundComboBox::keyPressEvent(event);
}

void LookupField::focusOutEvent(QFocusEvent* event) {
    BoundComboBox::focusOutEvent(event);
    if (m_checking || !EntryFocus::leftByUser(this, event))
        return;
    // The drop-down list of this box taking the focus is no leaving.
    if (QWidget* now = QApplication::focusWidget(); now && view() && view()->isAncestorOf(now))
        return;
    checkEntry();
}

void LookupField::checkEntry() {
    if (!m_master || m_checking)
        return;
    QScopedValueRollback<bool> checking(m_checking, true);
    const QString text = currentText();
    if (text.isEmpty())
        return;
    bool known = false;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i) == text)
            known = true;
    }
    if (known)
        return;

    // Where the user was going when leaving the field; a button there goes on after the answer.
    const QPointer<QWidget> headedFor = QApplication::focusWidget();
    const auto answer = MessageDialogs::instance().lookupQuestion(
        QStringLiteral("Eingabe existiert nicht!"),
        QStringLiteral("Ihre Eingabe existiert noch nicht in der Auswahl. Soll Ihre Eingabe "
                       "hinzugefügt werden?"));
    EntryFocus::regainWindow(this);
    switch (answer) {
    case MessageDialogs::Answer::Cancel:
        EntryFocus::leaveQuestionAnswered(headedFor, false);
        EntryFocus::returnFocus(this);
        return;
    case MessageDialogs::Answer::Yes:
        addItem(text);
        showText(text);
        addMasterRow(text);
        EntryFocus::leaveQuestionAnswered(headedFor, true);
        return;
    default:
        EntryFocus::leaveQuestionAnswered(headedFor, true);
        return;
    }
}

// The new entry is stored at once, so cancelling the edited row keeps it.
void LookupField::addMasterRow(const QString& text) {
    Dataset& master = *m_master;
    switch (m_refresh.kind) {
    case MasterRefresh::ReplaceQuery:
        master.close();
        master.setSql(m_refresh.query);
        master.open();
        break;
    case MasterRefresh::Reopen:
        master.close();
        master.open();
        break;
    case MasterRefresh::OpenIfClosed:
        if (!master.active())
            master.open();
        break;
    }
    master.append();
    try {
        master.fieldByName(m_textColumn).setAsString(text);
        if (!m_refresh.extraColumn.isEmpty())
            master.fieldByName(m_refresh.extraColumn).setAsString(m_refresh.extraValue);
        master.post();
    } catch (...) {
        // A row that could not be stored must not stay pending in the shared master dataset.
        if (master.state() == Dataset::State::Insert)
            master.cancel();
        throw;
    }
}
