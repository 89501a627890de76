#pragma once

#include <QtGlobal>

class Connection;
struct sqlite3;

// The cases of the time recording: storing a time entry with both effort totals, and the time
// list of a project with 10,000 entries. Each side returns the rows it went through; the
// program's side runs through the data module, the other side runs the same statements with
// SQLite alone.
namespace TimeCases {

// Adds, once, the project whose time list holds 10,000 entries; it stays in the file.
void prepare(Connection& connection);

qint64 storeEntry(Connection& connection);
qint64 storeEntrySqlite(sqlite3* db);

qint64 openTimeList(Connection& connection);
qint64 openTimeListSqlite(sqlite3* db);

} // namespace TimeCases
