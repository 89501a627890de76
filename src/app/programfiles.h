#pragma once

#include <QString>

// Where the program's own files are. In a build and in a folder the program was copied to as a
// whole, they lie beside the executable; installed on a desktop (bin/orbenta), the report
// project and the help file lie in the install's share/orbenta and the helper programs in its
// libexec/orbenta.
namespace ProgramFiles {

// The program folder, ending in "/": the executable's folder when the program's files lie
// beside it, else the install's share/orbenta when that exists, else the executable's folder.
QString programFolder(const QString& executableFolder);

// A helper program (dbpath): in the program folder, else beside the executable, else in the
// install's libexec/orbenta; the program folder's name when it is nowhere.
QString helperProgram(const QString& programFolder, const QString& executableFolder,
                      const QString& name);

} // namespace ProgramFiles
