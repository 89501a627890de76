#pragma once

#include "masterdata/entrydialog.h"

class Tdm;
class BoundLineEdit;
class BoundMemo;
class BoundSpinBox;
class DateField;
class LookupField;
class QFrame;
class DoneBar;

// The project editor: edits the current row of Projekte directly. Most fields are bound to the
// row; the three dates are copied in and out here. The showing, the keys and the buttons are
// those of every entry dialog (EntryDialog).
class TForm3 : public EntryDialog {
    Q_OBJECT
public:
    TForm3(Tdm& dm, QWidget* mainWindow);

    // Appends a project row and shows the editor with the defaults of a new project.
    void newProject();
    // Shows the editor on the current project (an empty list gives a new, empty row).
    void editProject();

    // Runs at every showing: the six choice lists from the master datasets as they are open now.
    void FormShow() override;
    void save() override;   // AdvGlowButton2, Ctrl+S
    void cancel() override; // AdvGlowButton1, Ctrl+B
    void AdvGlowButton2Click() { save(); }
    void AdvGlowButton1Click() { cancel(); }
    void PrerledigtPChange();

    // The tab width of the remarks memo in characters (the options' tab stop).
    void setRemarkTabWidth(int chars);

Q_SIGNALS:
    // After a successful save, when the project has a done percentage.
    void saved(int erledigtP);

private:
    void buildWindow();
    void buildMasterPanel(QFrame* panel);
    void buildPeriodPanel(QFrame* panel);
    void configureLookups();
    void setTabOrder();

    Tdm& m_dm;

    QFrame* m_masterPanel = nullptr;
    QFrame* m_remarksPanel = nullptr;
    QFrame* m_periodPanel = nullptr;

    BoundLineEdit* PrNummer = nullptr;
    BoundLineEdit* PRBezeichnung = nullptr;
    LookupField* PrTyp = nullptr;
    LookupField* PrAuftraggeber = nullptr;
    LookupField* PrKatBez = nullptr;
    LookupField* PrPrio = nullptr;
    LookupField* PrStatus = nullptr;
    LookupField* PrVerantw = nullptr;
    BoundMemo* DBAdvMemo1 = nullptr;
    DateField* Zeitvon = nullptr;
    DateField* ZeitBis = nullptr;
    BoundLineEdit* PrGesamtZeit = nullptr;
    BoundLineEdit* PrBudget = nullptr;
    BoundLineEdit* PrbenBudget = nullptr;
    BoundLineEdit* PrKM = nullptr;
    BoundSpinBox* PrerledigtP = nullptr;
    DoneBar* PrerledigtPBar = nullptr;
    DateField* PRErledigt = nullptr;
    BoundLineEdit* PrPreis = nullptr;
};
