#pragma once

#include "masterdata/entrydialog.h"
#include "timerec/efforttotals.h"

#include <QString>
#include <optional>

class Tdm;
class BoundLineEdit;
class BoundMemo;
class LookupField;
class PeriodDateField;
class PeriodTimeField;
class QLabel;
class QToolButton;
class TaskChoice;

// The time entry editor: edits the current row of Time directly. Title, task, person and
// remarks are bound to the row; the period is copied in when the editor opens and written on
// save, and the effort follows every change of it. Saving checks the period against the chosen
// task or the project, stores the entry and brings the effort totals up to date. The showing,
// the keys and the buttons are those of every entry dialog (EntryDialog).
class TForm6 : public EntryDialog {
    Q_OBJECT
public:
    TForm6(Tdm& dm, QWidget* mainWindow);

    // A new entry of the open project (the current row of Projekte): its open tasks become the
    // task choice, a row is appended to Time and the period starts today without times.
    void newEntry();
    // The current entry of Time, as stored; the task choice stays as it was loaded.
    void editEntry();

    // The rule the editor runs after every save; the time list's deletion runs it too.
    EffortTotals& effortTotals() { return m_totals; }
    // The tab width of the remarks memo in characters (the options' tab stop).
    void setRemarkTabWidth(int chars);
    // The task number the remove button took from the entry since it was opened; 0 for none.
    int removedTask() const { return m_removedTask; }

    // Runs at every showing: the persons not marked deleted as the person field's choices.
    void FormShow() override;
    void save() override;   // AdvGlowButton2, Ctrl+S
    void cancel() override; // AdvGlowButton1, Ctrl+B
    void AdvGlowButton2Click() { save(); }
    void AdvGlowButton1Click() { cancel(); }
    void AdvGlowButton3Click(); // removes the task from the entry
    // Recomputes the effort from the period; runs on leaving a date or time field and on every
    // change of a time.
    void DatumVonExit();

private:
    struct TaskPeriod {
        bool found = false;
        QString title;
        std::optional<double> von;
        std::optional<double> bis;
    };

    void buildWindow();
    void setTabOrder();
    void showEffort(const QString& text);
    void fillPeriod();
    TaskPeriod chosenTask(int anr);
    // Asks when the date lies outside the limit; false when the user keeps the dialog open.
    bool periodAccepted(const QString& title, const QString& firstLine, PeriodDateField* field);
    bool storeEntry();

    Tdm& m_dm;
    EffortTotals m_totals;
    int m_removedTask = 0;
    int m_openedTask = 0; // the entry's task when it was opened: moving it away fixes both totals
    bool m_filling = false;
    // A date typed or picked that no recomputation has seen yet (the field not left).
    bool m_datePending = false;

    BoundLineEdit* DBLUEdit1 = nullptr;
    TaskChoice* DBLookupComboBox1 = nullptr;
    QToolButton* AdvGlowButton3 = nullptr;
    LookupField* Durchgef = nullptr;
    PeriodDateField* DatumVon = nullptr;
    PeriodTimeField* AdvDateTimePicker1 = nullptr;
    PeriodDateField* DatumBis = nullptr;
    PeriodTimeField* AdvDateTimePicker2 = nullptr;
    QLabel* Label3 = nullptr;
    BoundMemo* DBAdvMemo1 = nullptr;
};
