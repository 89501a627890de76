#include "platform/germanfilecolumns.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QLocale>

QVariant GermanFileColumns::data(const QModelIndex& index, int role) const {
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
