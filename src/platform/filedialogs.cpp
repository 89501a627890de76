#include "platform/filedialogs.h"

#include "platform/germanfilecolumns.h"

#include <QFileDialog>
#include <memory>

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
    const std::unique_ptr<QFileDialog> dialog(
        createOpenFileDialog(parent, title, filter, initialFolder));
    if (dialog->exec() != QDialog::Accepted)
        return QString();
    return dialog->selectedFiles().value(0);
}

QFileDialog* FileDialogs::createOpenFileDialog(QWidget* parent, const QString& title,
                                               const QString& filter,
                                               const QString& initialFolder) {
    auto* dialog = new QFileDialog(parent, title, initialFolder, qtFilter(filter));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setProxyModel(new GermanFileColumns(dialog));
    return dialog;
}

QStringList FileDialogs::openFiles(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& initialFolder) {
    if (m_scripted) {
        m_requests.append({title, filter, initialFolder});
        return m_fileLists.isEmpty() ? QStringList() : m_fileLists.takeFirst();
    }
    const std::unique_ptr<QFileDialog> dialog(
        createOpenFilesDialog(parent, title, filter, initialFolder));
    if (dialog->exec() != QDialog::Accepted)
        return QStringList();
    return dialog->selectedFiles();
}

QFileDialog* FileDialogs::createOpenFilesDialog(QWidget* parent, const QString& title,
                                                const QString& filter,
                                                const QString& initialFolder) {
    QFileDialog* dialog = createOpenFileDialog(parent, title, filter, initialFolder);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setSizeGripEnabled(true);
    return dialog;
}

void FileDialogs::setScripted(bool scripted) {
    m_scripted = scripted;
}

void FileDialogs::scriptResults(const QStringList& results) {
    m_results.append(results);
}

void FileDialogs::scriptFileLists(const QList<QStringList>& choices) {
    m_fileLists.append(choices);
}
