#pragma once

#include "data/connection.h"

#include <QString>
#include <functional>

struct sqlite3;

// The German order of texts as the program sorts and compares them: case is ignored, umlauts
// and other accented letters go with their base letter (Ä with A), ß counts as ss, and only when
// the letters are all equal does the first differing accent decide.
//
// The database itself knows nothing of it, so that any SQLite tool reads the file; the program
// registers it as the collation GERMAN and applies it in its own statements.
namespace GermanOrder {

// <0, 0, >0 for two UTF-8 texts.
int compare(const char* a, int aLength, const char* b, int bLength);

// Registers the collation GERMAN on a handle.
void registerCollation(sqlite3* db);

// The statement with "COLLATE GERMAN" after each text column that it compares or sorts by (in
// WHERE, ON, HAVING, ORDER BY and GROUP BY), as the old engine compared every text: "order by
// Bezeichnung asc" sorts German, "where Bezeichnung='x'" finds "X". Columns that are written
// (SET, INSERT) or selected stay as they are. tableOf names a table's columns (nullptr when
// there is no such table).
QString applyTo(const QString& sql, const std::function<const TableInfo*(const QString&)>& tableOf);

} // namespace GermanOrder
