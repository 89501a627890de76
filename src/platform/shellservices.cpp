#include "platform/shellservices.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace {

ShellServices*& installed() {
    static ShellServices* shell = nullptr;
    return shell;
}

} // namespace

bool ShellServices::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool ShellServices::startProgram(const QString& program, const QString& arguments,
                                 const QString& workingFolder) {
    // One argument, not split at blanks: a folder with blanks reaches the program whole.
    const QStringList list = arguments.isEmpty() ? QStringList() : QStringList{arguments};
    return QProcess::startDetached(program, list, workingFolder);
}

ShellServices& ShellServices::instance() {
    static ShellServices real;
    return installed() ? *installed() : real;
}

void ShellServices::setInstance(ShellServices* shell) {
    installed() = shell;
}
