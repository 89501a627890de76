#include "timerec/efforttotals.h"

#include "data/datetimevalue.h"
#include "data/tdm.h"

EffortTotals::EffortTotals(Tdm& dm) : m_dm(dm) {}

double EffortTotals::sum(const QString& condition) {
    Dataset& query = m_dm.SumQuery;
    query.close();
    query.setSql(QStringLiteral("Select SUM(Aufwand) as summeaufwand from PRZeiten where ") +
                 condition);
    query.open();
    // No entry gives no number at all: the total is then 0.
    const double total = query.fieldByName(QStringLiteral("summeaufwand")).asFloat();
    query.close();
    return total;
}

double EffortTotals::taskSum(int anr) {
    return sum(QStringLiteral("AID=") + QString::number(anr));
}

double EffortTotals::projectSum(int nr) {
    return sum(QStringLiteral("PRID=") + QString::number(nr));
}

void EffortTotals::writeTaskTotal(int anr, double total) {
    Dataset& tasks = m_dm.Aufgaben;
    tasks.close();
    tasks.setSql(QStringLiteral("Select * from Aufgaben where ANr=") + QString::number(anr));
    tasks.open();
    // Entries keep the number of a deleted task; editing an empty result would add a row.
    if (tasks.isEmpty())
        return;
    tasks.edit();
    tasks.fieldByName(QStringLiteral("AGesamtZeit")).setAsDateTime(total);
    tasks.post();
}

void EffortTotals::update(const QList<int>& tasks) {
    QList<int> done;
    for (const int anr : tasks) {
        if (anr == 0 || done.contains(anr))
            continue;
        done << anr;
        try {
            writeTaskTotal(anr, taskSum(anr));
        } catch (...) {
            // The task list must not be left showing the one task loaded for its total.
            if (m_rerunTaskList) {
                try {
                    m_rerunTaskList();
                } catch (...) {
                }
            }
            throw;
        }
    }
    if (!done.isEmpty() && m_rerunTaskList)
        m_rerunTaskList();

    Dataset& projects = m_dm.Projekte;
    if (!projects.active() || projects.recNo() < 0)
        return;
    const int nr = projects.fieldByName(QStringLiteral("Nr")).asInteger();
    const QString total = showtime(projectSum(nr));
    projects.edit();
    try {
        projects.fieldByName(QStringLiteral("GesamtZeit")).setAsString(total);
        projects.post();
    } catch (...) {
        projects.cancel();
        throw;
    }
}
