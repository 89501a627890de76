#pragma once

#include "masterdata/entrydialog.h"

class QLineEdit;

// The new-folder dialog "Neuer Ordner": one name field and the buttons "&Erstellen" (the
// default, also Enter in the field and Ctrl+S) and "A&bbrechen" (Ctrl+B). A name may hold
// nested names separated by "\" or "/"; they are created in one step. A name that would lead
// out of the project folder is refused with a message and the dialog stays open.
class TForm4 : public EntryDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* mainWindow);

    // Empties the name field and shows the dialog for a new folder below parent, which lies in
    // the project folder root.
    void newFolder(const QString& root, const QString& parent);

    void save() override;   // "&Erstellen"
    void cancel() override; // "A&bbrechen"

    QLineEdit* AdvEdit1() const { return m_name; }

Q_SIGNALS:
    // The folder that now stands (it may have stood before).
    void created(const QString& folder);

private:
    QLineEdit* m_name = nullptr;
    QString m_root;
    QString m_parent;
};
