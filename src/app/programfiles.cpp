#include "app/programfiles.h"

#include <QDir>
#include <QFileInfo>

#ifndef ORBENTA_BIN_TO_DATA
#define ORBENTA_BIN_TO_DATA "../share/orbenta"
#endif
#ifndef ORBENTA_BIN_TO_LIBEXEC
#define ORBENTA_BIN_TO_LIBEXEC "../libexec/orbenta"
#endif

namespace {

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString installed(const QString& executableFolder, const char* relative) {
    return QDir::cleanPath(withSlash(executableFolder) + QLatin1String(relative));
}

bool holdsProgramFiles(const QString& folder) {
    const QDir dir(folder);
    return dir.exists(QStringLiteral("reports")) ||
           !dir.entryList({QStringLiteral("Orbenta.chm")}, QDir::Files).isEmpty();
}

} // namespace

QString ProgramFiles::programFolder(const QString& executableFolder) {
    if (holdsProgramFiles(executableFolder))
        return withSlash(executableFolder);
    const QString data = installed(executableFolder, ORBENTA_BIN_TO_DATA);
    if (QFileInfo(data).isDir())
        return withSlash(data);
    return withSlash(executableFolder);
}

QString ProgramFiles::helperProgram(const QString& programFolder, const QString& executableFolder,
                                    const QString& name) {
    const QStringList candidates{
        withSlash(programFolder) + name, withSlash(executableFolder) + name,
        withSlash(installed(executableFolder, ORBENTA_BIN_TO_LIBEXEC)) + name};
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return candidates.first();
}
