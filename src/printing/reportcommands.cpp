#include "printing/reportcommands.h"

#include "data/tdm.h"
#include "platform/messagedialogs.h"

namespace {

const QString NoTasks = QStringLiteral("Es liegen keine Aufgaben vor");

// The memo text of the current row, as the read-only remarks memo under the list shows it.
std::function<QString()> currentText(Dataset& dataset, const QString& field) {
    return [&dataset, field] {
        if (!dataset.active() || dataset.recNo() < 0)
            return QString();
        const int index = dataset.fieldIndex(field);
        return index < 0 ? QString() : dataset.text(dataset.recNo(), index);
    };
}

int fieldInteger(Dataset& dataset, int row, const QString& field) {
    const int index = dataset.fieldIndex(field);
    return index < 0 ? 0 : dataset.value(row, index).toInt();
}

} // namespace

ReportCommands::ReportCommands(Tdm& dm, QObject* parent)
    : QObject(parent), RVProjekte(QStringLiteral("RVProjekte"), dm.Projekte),
      RVAufgaben(QStringLiteral("RVAufgaben"), dm.Aufgaben),
      RVTime(QStringLiteral("RVTime"), dm.Time), RVAWS(QStringLiteral("RVAWS"), dm.AWV), m_dm(dm),
      m_engine(dm.reportProjectFile()) {
    RVProjekte.setExtraColumn(QStringLiteral("TestBezeichnung"),
                              currentText(dm.Projekte, QStringLiteral("Beschreibung")));
    RVAufgaben.setExtraColumn(QStringLiteral("AufgabenBezeichnung"),
                              currentText(dm.Aufgaben, QStringLiteral("ABeschreibung")));
    RVTime.setExtraColumn(QStringLiteral("TimeBeschreibung"),
                          currentText(dm.Time, QStringLiteral("Beschreibung")));
    for (DataConnection* connection : {&RVProjekte, &RVAufgaben, &RVTime, &RVAWS})
        m_engine.addConnection(connection);
}

ReportCommands::~ReportCommands() = default;

QString ReportCommands::currentProjectTitle() const {
    Dataset& projects = m_dm.Projekte;
    if (!projects.active() || projects.recNo() < 0)
        return {};
    return projects.fieldByName(QStringLiteral("Bezeichnung")).asString();
}

bool ReportCommands::tasksListed() const {
    return m_dm.Aufgaben.active() && m_dm.Aufgaben.recordCount() > 0;
}

void ReportCommands::run(const QString& report) {
    m_engine.execute(report, m_hooks.window ? m_hooks.window() : nullptr);
}

void ReportCommands::Projektliste1Click() {
    run(QStringLiteral("PRListe"));
}

void ReportCommands::EinzelProjekt1Click() {
    run(QStringLiteral("PRDetails"));
}

void ReportCommands::Aufgabenliste1Click() {
    // From the overview the list is made for the project selected there, whatever a project
    // opened earlier left in the task dataset.
    if (m_hooks.overviewActive && m_hooks.overviewActive()) {
        if (m_hooks.rerunTaskList) {
            m_hooks.rerunTaskList();
        } else {
            Dataset& tasks = m_dm.Aufgaben;
            tasks.close();
            tasks.setSql(
                QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                QString::number(m_dm.Projekte.fieldByName(QStringLiteral("Nr")).asInteger()) +
                QStringLiteral(" and aerledigt is null"));
            tasks.open();
            tasks.first();
        }
    }
    if (!tasksListed()) {
        MessageDialogs::instance().message(NoTasks);
        return;
    }
    m_engine.setParameter(QStringLiteral("Projekt"), currentProjectTitle());
    run(QStringLiteral("Aufgabenliste"));
}

void ReportCommands::EinzelaufgabeClick() {
    if (!tasksListed()) {
        MessageDialogs::instance().message(NoTasks);
        return;
    }
    m_engine.setParameter(QStringLiteral("Projekt"), currentProjectTitle());
    run(QStringLiteral("ADetails"));
}

void ReportCommands::Einzelaufgabe2Click() {
    Dataset& followUps = m_dm.AWV;
    // Without a follow-up there is no task to print.
    if (!followUps.active() || followUps.recNo() < 0)
        return;
    const int row = followUps.recNo();
    const int projectNr = fieldInteger(followUps, row, QStringLiteral("AProjectnr"));
    const int taskNr = fieldInteger(followUps, row, QStringLiteral("Anr"));
    const int titleIndex = followUps.fieldIndex(QStringLiteral("Bezeichnung"));
    const QString ownTitle = titleIndex < 0 ? QString() : followUps.text(row, titleIndex);

    // The project list moves to the follow-up's project in one step, so it does not run
    // through the rows on screen. Without that project in the list the search ends on its
    // last row, as it always has, but the title handed over is the follow-up's own.
    Dataset& projects = m_dm.Projekte;
    QString title = ownTitle;
    if (projects.active() && projects.recordCount() > 0) {
        int found = -1;
        for (int p = 0; p < projects.recordCount() && found < 0; ++p)
            if (fieldInteger(projects, p, QStringLiteral("Nr")) == projectNr)
                found = p;
        projects.moveTo(found >= 0 ? found : projects.recordCount() - 1);
        if (found >= 0)
            title = currentProjectTitle();
    }

    Dataset& tasks = m_dm.Aufgaben;
    tasks.close();
    tasks.setSql(QStringLiteral("Select * From Aufgaben where Anr=") + QString::number(taskNr));
    tasks.open();

    m_engine.setParameter(QStringLiteral("Projekt"), title);
    run(QStringLiteral("ADetails"));
}

void ReportCommands::Listedrucken1Click() {
    Dataset& times = m_dm.Time;
    // The entry selected before is selected again afterwards.
    int selectedId = -1;
    if (times.active() && times.recNo() >= 0)
        selectedId = fieldInteger(times, times.recNo(), QStringLiteral("ID"));

    const int projectNr = m_dm.Projekte.fieldByName(QStringLiteral("Nr")).asInteger();
    // Without the list's order; the list's own texts stay, so its next reload sorts again.
    times.close();
    times.setSql(QStringLiteral("Select * From PRZeiten where PRID=") + QString::number(projectNr));
    times.open();
    times.first();

    m_engine.setParameter(QStringLiteral("Projekt"), currentProjectTitle());
    run(QStringLiteral("Zeitliste"));

    if (selectedId >= 0 && times.active())
        for (int row = 0; row < times.recordCount(); ++row)
            if (fieldInteger(times, row, QStringLiteral("ID")) == selectedId) {
                times.moveTo(row);
                break;
            }
}

void ReportCommands::Einzelzeiterfassung1Click() {
    // The entry's task as the task dataset holds it now; a task not among its rows (one done
    // since, while only open tasks are loaded) leaves the parameter empty.
    QString task;
    Dataset& times = m_dm.Time;
    Dataset& tasks = m_dm.Aufgaben;
    if (times.active() && times.recNo() >= 0 && tasks.active()) {
        const int taskNr = fieldInteger(times, times.recNo(), QStringLiteral("AID"));
        const int titleIndex = tasks.fieldIndex(QStringLiteral("ABezeichnung"));
        if (taskNr != 0 && titleIndex >= 0)
            for (int row = 0; row < tasks.recordCount(); ++row)
                if (fieldInteger(tasks, row, QStringLiteral("Anr")) == taskNr) {
                    task = tasks.text(row, titleIndex);
                    break;
                }
    }
    m_engine.setParameter(QStringLiteral("Projekt"), currentProjectTitle());
    m_engine.setParameter(QStringLiteral("Aufgabe"), task);
    run(QStringLiteral("Zeitnahme"));
}

void ReportCommands::Wiedervorlagenliste1Click() {
    run(QStringLiteral("Wiedervorlagen"));
}
