#include "projects/documentpaths.h"

#include "platform/orbentaerror.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

bool exists(const QFileInfo& info) {
    return info.exists() || info.isSymLink();
}

// The path as the disk resolves it: the deepest part that exists, links followed, with the
// parts that do not exist yet appended. Empty when a link there leads nowhere.
QString resolved(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList missing;
    while (!exists(QFileInfo(existing))) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return QString();
        missing.prepend(existing.mid(slash + 1));
        existing.truncate(slash);
    }
    QString canonical = QFileInfo(existing).canonicalFilePath();
    if (canonical.isEmpty())
        return QString();
    for (const QString& part : missing)
        canonical += u'/' + part;
    return canonical;
}

} // namespace

namespace DocumentPaths {

bool liesInside(const QString& folder, const QString& path) {
    const QString base = QFileInfo(folder).canonicalFilePath();
    const QString target = resolved(path);
    if (base.isEmpty() || target.isEmpty())
        return false;
    return target == base || target.startsWith(base.endsWith(u'/') ? base : base + u'/');
}

QString subFolder(const QString& root, const QString& parent, const QString& name) {
    const auto refuse = [&name] {
        throw OrbentaError(QStringLiteral("Der Ordnername »%1« ist nicht möglich: ein neuer Ordner "
                                          "muss im Projektordner liegen.\nBitte geben Sie einen "
                                          "Namen ohne »..« und ohne führendes »\\« oder »/« ein.")
                               .arg(name));
    };
    QString text = name;
    text.replace(u'\\', u'/');
    if (text.contains(QChar(0)))
        throw OrbentaError(QStringLiteral("Ein Ordnername darf kein Nullzeichen enthalten."));
    if (text.startsWith(u'/'))
        refuse();
    const QStringList parts = text.split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    for (const QString& part : parts) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            refuse();
    }
    const QString folder = QDir::cleanPath(parent + u'/' + parts.join(u'/'));
    if (!liesInside(root, parent) || !liesInside(root, folder))
        refuse();
    return folder;
}

void checkEntryName(const QString& name) {
    if (name.isEmpty())
        throw OrbentaError(QStringLiteral("Bitte geben Sie einen Namen ein."));
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.contains(u'/') ||
        name.contains(u'\\') || name.contains(QChar(0)))
        throw OrbentaError(QStringLiteral("Der Name »%1« ist nicht möglich: er darf weder »/« "
                                          "noch »\\« enthalten und nicht ».« oder »..« lauten.")
                               .arg(name));
}

} // namespace DocumentPaths
