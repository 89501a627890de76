#pragma once

#include <QList>
#include <functional>

class Tdm;

// The effort-total rule, the one place where the total effort of a task (Aufgaben.AGesamtZeit,
// in days) and of a project (Projects.GesamtZeit, as duration text) is written. It runs after
// every save and every deletion of a time entry. The sums are taken in the database over all
// entries of the task or project; a sum over no entries is 0.
class EffortTotals {
public:
    explicit EffortTotals(Tdm& dm);

    // The task list's re-run for the open project, once a task total has been written.
    void setTaskListRerun(std::function<void()> rerun) { m_rerunTaskList = std::move(rerun); }

    // The totals of the given tasks (0 means no task; a number twice counts once; a number of no
    // existing task is skipped, no row is ever created), then the task list's re-run when there
    // was a task, then the total of the open project (the current row of Projekte).
    // Throws DataError; the steps after a failing one are not carried out.
    void update(const QList<int>& tasks);
    void update(int task) { update(QList<int>{task}); }

    // The sum of Aufwand of the entries with the given task or project, in days.
    double taskSum(int anr);
    double projectSum(int nr);

private:
    double sum(const QString& condition);
    void writeTaskTotal(int anr, double total);

    Tdm& m_dm;
    std::function<void()> m_rerunTaskList;
};
