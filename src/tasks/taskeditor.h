#pragma once

#include "masterdata/entrydialog.h"

#include <QString>
#include <optional>

class Tdm;
class Dataset;
class BoundLineEdit;
class BoundMemo;
class BoundSpinBox;
class DateField;
class LookupField;
class QProgressBar;

// The project a task belongs to, as the editor needs it: the caption names it, and Save checks
// the task's dates against its period. An empty start or end is no limit.
struct TaskProject {
    int nr = 0;
    QString title;
    std::optional<double> from;
    std::optional<double> to;

    // The current row of a project dataset (Projekte, or a single project read afresh).
    static TaskProject fromCurrentRow(Dataset& projects);
};

// The task editor: edits the current row of Aufgaben directly. Title, priority, delegate, note,
// percentage and remarks are bound to the row; the four dates are copied in and out here. The
// showing, the keys and the buttons are those of every entry dialog (EntryDialog).
class TForm5 : public EntryDialog {
    Q_OBJECT
public:
    TForm5(Tdm& dm, QWidget* mainWindow);

    // Appends a task of the project to Aufgaben and shows the editor with 0 % and today as its
    // start. Aufgaben must be open.
    void newTask(const TaskProject& project);
    // Shows the editor on the current row of Aufgaben, which must hold one.
    void editTask(const TaskProject& project);

    // The caption for a task of the project titled so: inner single quotes doubled.
    static QString captionFor(const QString& projectTitle);

    // Runs at every showing: both choice lists from their master datasets as they are open now.
    void FormShow() override;
    void save() override;   // AdvGlowButton2, Ctrl+S
    void cancel() override; // AdvGlowButton1, Ctrl+B
    void AdvGlowButton2Click() { save(); }
    void AdvGlowButton1Click() { cancel(); }
    void AerledigtPChange();

    // The tab width of the remarks memo in characters (the options' tab stop).
    void setRemarkTabWidth(int chars);

    const TaskProject& project() const { return m_project; }

Q_SIGNALS:
    // After a successful save, once the editor is hidden: whether the user changed the done
    // percentage while it was open (the follow-up list is then rebuilt, else refreshed).
    void saved(bool percentageChanged);

private:
    void buildWindow();
    void setTabOrder();
    void open(const TaskProject& project);
    // Step 1 and 2 of Save: false when the user keeps the dialog open to correct the date.
    bool storePeriodDate(DateField* field, const QString& column, bool start);

    Tdm& m_dm;
    TaskProject m_project;
    bool m_opening = false;
    bool m_percentageChanged = false;

    BoundLineEdit* ABezeichnung = nullptr;
    LookupField* APrio = nullptr;
    LookupField* ADelegiert = nullptr;
    BoundLineEdit* AVermerk = nullptr;
    DateField* AVon = nullptr;
    DateField* ABis = nullptr;
    DateField* AWV = nullptr;
    BoundSpinBox* AerledigtP = nullptr;
    QProgressBar* AdvProgressBar1 = nullptr;
    DateField* AErledigt = nullptr;
    BoundMemo* ABeschreibung = nullptr;
};
