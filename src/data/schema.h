#pragma once

#include <QString>

class Connection;

// The version of the schema this program writes and reads, kept in the file as
// PRAGMA user_version. Each step up has its upgrade in upgradeSchema.
//   0  the first databases: text columns declared with the collation GERMAN
//   1  no collation in the tables (any SQLite tool reads the file); the program applies it
//   2  the index AufgabenFaellig on the follow-up dates of the open tasks
inline constexpr int SchemaVersion = 2;

// The schema of ORBTData.mdb as SQL (every table and column, with the types the data layer
// knows them by, and the indexes the lists and effort totals need).
QString schemaSql();

// Writes a new, empty database with the full schema of this version to the given file. Throws
// DataError when the file exists already or cannot be written.
void createDatabase(const QString& file);

// Brings the open database up to this program's schema, in one write transaction: a failure
// leaves it as it was. A database of a newer program is refused with a German message, so that
// this one neither misreads nor damages it. A file without any table is none of ours and stays
// untouched. Throws DataError.
void upgradeSchema(Connection& connection);
