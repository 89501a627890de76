#include "platform/filedialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
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

// The toolkit's file list writes modification dates and sizes in the machine's locale; the
// program's dates are dd.MM.yyyy and its numbers German, whatever the machine says.
class GermanFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case SizeColumn:
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source));
            break;
        case DateColumn:
            return files->lastModified(source).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    static constexpr int SizeColumn = 1;
    static constexpr int DateColumn = 3;
};

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

void FileDialogs::setScripted(bool scripted) {
    m_scripted = scripted;
}

void FileDialogs::scriptResults(const QStringList& results) {
    m_results.append(results);
}
