#include "filedialogs.h"

#include <QFileDialog>

namespace {

// "Orbenta Datenbank|ORBTData.mdb|Alle Dateien|*.*" -> "Orbenta Datenbank (ORBTData.mdb);;..."
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.simplified());
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty())
        filters << parts.last();
    return filters.join(QLatin1String(";;"));
}

} // namespace

FileDialogs& FileDialogs::instance() {
    static FileDialogs dialogs;
    return dialogs;
}

QString FileDialogs::openFile(QWidget* parent, const QString& title, const QString& filter,
                              const QString& initialFolder) {
    if (m_scripted) {
        m_requests.append({title, filter, initialFolder});
        return m_results.isEmpty() ? QString() : m_results.takeFirst();
    }
    return QFileDialog::getOpenFileName(parent, title, initialFolder, qtFilter(filter));
}

void FileDialogs::setScripted(bool scripted) {
    m_scripted = scripted;
}

void FileDialogs::scriptResults(const QStringList& results) {
    m_results.append(results);
}
