#include "projects/projectfolder.h"

#include "platform/orbentaerror.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QChar Marker = u'%';

bool isOrdinary(const QString& number) {
    return !number.isEmpty() && number != QLatin1String(".") && number != QLatin1String("..") &&
           !number.startsWith(Marker) && !number.contains(u'/') && !number.contains(u'\\') &&
           !number.contains(QChar(0));
}

QString encoded(const QString& number) {
    QString text = Marker;
    for (const QChar c : number) {
        if (c == Marker)
            text += QLatin1String("%25");
        else if (c == u'/')
            text += QLatin1String("%2F");
        else if (c == u'\\')
            text += QLatin1String("%5C");
        else if (c == QChar(0))
            text += QLatin1String("%00");
        else
            text += c;
    }
    return text;
}

QString absoluteDatabaseFolder(const QString& databaseFolder) {
    return QDir::cleanPath(
        QFileInfo(databaseFolder.isEmpty() ? QStringLiteral(".") : databaseFolder)
            .absoluteFilePath());
}

// A folder reached through a link must still lie below the database folder, and never be the
// database folder itself: deleting a project removes its folder with everything in it.
void checkInside(const QString& folder, const QString& databaseFolder) {
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        return;
    const QString outside =
        QStringLiteral("Der Dokumentenordner »%1« liegt nicht im Datenbankordner »%2«; er wird "
                       "nicht verwendet.")
            .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(databaseFolder));
    if (!info.exists()) // a link to nowhere
        throw OrbentaError(outside);
    if (!info.isDir())
        throw OrbentaError(
            QStringLiteral("»%1« ist kein Ordner; dort kann kein Dokumentenordner liegen.")
                .arg(QDir::toNativeSeparators(folder)));
    QString base = QFileInfo(databaseFolder).canonicalFilePath();
    if (!base.endsWith(u'/'))
        base += u'/';
    const QString target = info.canonicalFilePath();
    if (!target.startsWith(base) || target.size() <= base.size())
        throw OrbentaError(outside);
}

} // namespace

namespace ProjectFolder {

QString name(const QString& projektnummer, int nr) {
    if (projektnummer.isEmpty())
        return QString::number(nr);
    return isOrdinary(projektnummer) ? projektnummer : encoded(projektnummer);
}

QString path(const QString& databaseFolder, const QString& projektnummer, int nr) {
    QString folder = absoluteDatabaseFolder(databaseFolder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + name(projektnummer, nr);
}

QString checkedPath(const QString& databaseFolder, const QString& projektnummer, int nr) {
    const QString folder = path(databaseFolder, projektnummer, nr);
    checkInside(folder, absoluteDatabaseFolder(databaseFolder));
    return folder;
}

QString create(const QString& databaseFolder, const QString& projektnummer, int nr) {
    const QString folder = checkedPath(databaseFolder, projektnummer, nr);
    if (QFileInfo(folder).isDir())
        return folder;
    // The name holds no separator, so only the folder itself and a missing database folder
    // come into being.
    if (!QDir().mkpath(folder))
        throw OrbentaError(QStringLiteral("Der Ordner \"%1\" konnte nicht angelegt werden.")
                               .arg(QDir::toNativeSeparators(folder)));
    checkInside(folder, absoluteDatabaseFolder(databaseFolder));
    return folder;
}

} // namespace ProjectFolder
