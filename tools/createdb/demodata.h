#pragma once

#include <QDate>

class Tdm;

// Fills a new, empty database through the data module with German demo data that shows every
// feature: the master tables (one row of each flagged deleted), a dozen projects with their
// master data (one done, one archived), open and done tasks whose follow-ups are due today,
// earlier and later, time entries with and without a task, the effort totals and the options
// row. All dates lie relative to `today`, so that the follow-ups are due whenever the database
// is made. The connection of `dm` must be open.
void fillDemoData(Tdm& dm, const QDate& today);
