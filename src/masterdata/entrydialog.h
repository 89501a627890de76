#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>

class QHBoxLayout;

// The behaviour every entry dialog shares (the project, task and time entry editors and the
// new-folder dialog; Overview, Conventions): created once and shown again for every use, centred
// over the main window, window-modal without blocking (the main window takes no input while it
// is shown), a fixed size, a title bar without minimise, maximise or close buttons, the buttons
// "&Speichern" and "A&bbrechen", Ctrl+S and Ctrl+B from every field (memos included), Escape and
// the window manager's close refused.
//
// A subclass
//  - passes the main window and the objectNames of its save and cancel buttons to the base,
//  - builds its fields and puts buttonRow() (the two buttons, right-aligned) into its layout,
//  - ends its constructor with setClientSize(width, height),
//  - implements save() and cancel(): on success it calls finish() (hide, give the main window
//    back, closed()); on an error it calls stayAfterError() and returns, the dialog stays open,
//  - may override FormShow(), run at every showing by the program before the dialog appears,
//  - shows itself with showOverMainWindow() (after filling its fields).
//
// A click on either button that first makes a field ask its leaving question (lookup or date
// rule) is not lost: when the answer lets the field stand, the button's action goes on
// (EntryFocus::leaveQuestionAnswered).
class EntryDialog : public QDialog {
    Q_OBJECT
public:
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // Ctrl+S and the save button; Ctrl+B and the cancel button.
    virtual void save() = 0;
    virtual void cancel() = 0;
    // Runs at every showing by the program, before the dialog appears.
    virtual void FormShow() {}

Q_SIGNALS:
    // After every save or cancel, once the dialog is hidden.
    void closed();

protected:
    EntryDialog(QWidget* mainWindow, const char* saveButtonName, const char* cancelButtonName);

    QWidget* mainWindow() const { return m_mainWindow; }
    // A new layout with the save and the cancel button at its right end.
    QHBoxLayout* buttonRow();
    void setClientSize(int width, int height);
    // Centres the dialog over the main window when it is hidden, then shows and activates it.
    void showOverMainWindow();
    // Hides the dialog, gives the main window back and emits closed().
    void finish();
    // After an error box: the dialog takes the keyboard again and stays open.
    void stayAfterError();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void buttonClicked(QPushButton* button);
    void runAction(QPushButton* button);
    bool belongsHere(QObject* object) const;

    QPointer<QWidget> m_mainWindow;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
