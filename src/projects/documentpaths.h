#pragma once

#include <QString>

// Paths below a project's documents folder. Whatever the user types or clicks there must stay
// inside it: names are untrusted, and a folder may hold links that lead elsewhere.
namespace DocumentPaths {

// Whether path is the folder itself or lies below it as the disk resolves it now: links are
// followed as far as they exist, a part that does not exist yet adds nothing. A link to
// nowhere counts as outside, as no one can tell where it will lead.
bool liesInside(const QString& folder, const QString& path);

// The folder a name typed for a new folder names below parent; "\" and "/" both separate
// nested names, empty parts are left out. Empty when the name names nothing. Throws
// OrbentaError with a German text when the name would lead out of root (an absolute path, a
// part "." or "..", a link leading out) or holds a NUL.
QString subFolder(const QString& root, const QString& parent, const QString& name);

// Checks a new name for an entry that stays in its folder (renaming in place); throws
// OrbentaError with a German text when it holds a separator, is "." or "..", or is empty.
void checkEntryName(const QString& name);

} // namespace DocumentPaths
