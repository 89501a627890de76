#pragma once

#include <QString>

// The schema of ORBTData.mdb as SQL (every table and column, with the types the data layer
// knows them by, and the indexes the lists and effort totals need).
QString schemaSql();

// Writes a new, empty database with the full schema to the given file. Throws DataError when
// the file exists already or cannot be written.
void createDatabase(const QString& file);
