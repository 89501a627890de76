#pragma once

#include <QString>

// Where a project keeps its documents: the database folder followed by the project's number
// text, or by its key when that text is empty. The number is whatever the user typed, so it is
// taken as a folder name only when it names one folder right inside the database folder.
//
// Any other number (".", "..", one holding "/" or "\", a NUL, or one starting with "%") is
// written as "%" followed by the number with "%", "/", "\" and NUL percent-encoded ("%25",
// "%2F", "%5C", "%00"): "../escape-up" gives "%..%2Fescape-up", "/etc" gives "%%2Fetc". An
// ordinary number never starts with "%", so no two numbers share a folder by this mapping.
namespace ProjectFolder {

// The name of the documents folder, without any path.
QString name(const QString& projektnummer, int nr);

// The absolute path of the documents folder; an empty database folder is the current folder.
// Only computes the path, nothing is looked at or created.
QString path(const QString& databaseFolder, const QString& projektnummer, int nr);

// path(), after making sure that what stands there now stays inside the database folder: a
// link leading elsewhere, or a file instead of a folder, throws OrbentaError. Nothing is
// created; a folder that does not exist yet is fine.
QString checkedPath(const QString& databaseFolder, const QString& projektnummer, int nr);

// checkedPath(), and creates the folder (with a missing database folder) when it does not exist
// yet. Throws OrbentaError when it cannot be created.
QString create(const QString& databaseFolder, const QString& projektnummer, int nr);

} // namespace ProjectFolder
