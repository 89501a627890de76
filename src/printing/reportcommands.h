#pragma once

#include "printing/dataconnection.h"
#include "printing/reportengine.h"

#include <QObject>
#include <functional>

class Tdm;
class QWidget;

// The print commands of the program: what each prepares (which dataset is loaded or placed,
// which parameters it sets) before it runs its report. The report engine reads the data
// module's datasets through the connections RVProjekte, RVAufgaben, RVTime and RVAWS.
class ReportCommands : public QObject {
    Q_OBJECT
public:
    // What the commands need from the main window.
    struct Hooks {
        // The overview page is the active page.
        std::function<bool()> overviewActive;
        // The task list's check box operation for the current project: the task base text for
        // it (all tasks or the open ones, as the box says), the order text kept, re-run.
        std::function<void()> rerunTaskList;
        // The window the dialogs belong to.
        std::function<QWidget*()> window;
    };

    explicit ReportCommands(Tdm& dm, QObject* parent = nullptr);
    ~ReportCommands() override;

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    ReportEngine& engine() { return m_engine; }

    DataConnection RVProjekte;
    DataConnection RVAufgaben;
    DataConnection RVTime;
    DataConnection RVAWS;

    void Projektliste1Click();        // "PRListe"
    void EinzelProjekt1Click();       // "PRDetails"
    void Aufgabenliste1Click();       // "Aufgabenliste"
    void EinzelaufgabeClick();        // "ADetails" of the task list's current task
    void Einzelaufgabe2Click();       // "ADetails" of the follow-up list's current task
    void Listedrucken1Click();        // "Zeitliste"
    void Einzelzeiterfassung1Click(); // "Zeitnahme"
    void Wiedervorlagenliste1Click(); // "Wiedervorlagen"

private:
    QString currentProjectTitle() const;
    bool tasksListed() const;
    void run(const QString& report);

    Tdm& m_dm;
    ReportEngine m_engine;
    Hooks m_hooks;
};
