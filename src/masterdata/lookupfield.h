#pragma once

#include "lists/boundcontrols.h"

#include <QString>

class Dataset;

// How a lookup field brings its master dataset up to date before it adds a new entry.
struct MasterRefresh {
    enum Kind {
        ReplaceQuery, // close, give it `query`, open; the text stays in force afterwards
        Reopen,       // close and open again
        OpenIfClosed, // open it only when it is closed
    };
    Kind kind = Reopen;
    QString query;
    // A further column the new master row gets (types: zuord = 1); none when empty.
    QString extraColumn;
    QString extraValue;
};

// An editable drop-down bound by name to a text column of the edited row, its choices taken
// from a master dataset. Enter moves on to the next field.
//
// With a master configured (setMasterRule) the lookup-with-add rule runs when the user leaves
// the field: a text that is not among the choices (compared exactly, letter case included) is
// offered for adding; Yes adds it to the choices and stores it at once as a new master row,
// No keeps it in the edited row only, Cancel puts the focus back. Without a master rule it is a
// plain lookup field.
class LookupField : public BoundComboBox {
    Q_OBJECT
public:
    explicit LookupField(QWidget* parent = nullptr);

    void setMasterRule(Dataset& master, const QString& textColumn, const MasterRefresh& refresh);
    bool hasMasterRule() const { return m_master != nullptr; }
    const MasterRefresh& masterRefresh() const { return m_refresh; }

    // Fills the choices anew with the text column of every row of the master as it is open now
    // (nothing when it is closed); the typed text stays.
    void setChoicesFrom(Dataset& master, const QString& textColumn);
    QStringList choices() const;

    // The lookup-with-add rule for the current text. Engine errors of the refresh or the insert
    // are thrown as DataError; the text then stays in the field and among the choices.
    void checkEntry();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void addMasterRow(const QString& text);

    Dataset* m_master = nullptr;
    QString m_textColumn;
    MasterRefresh m_refresh;
    bool m_checking = false;
};
