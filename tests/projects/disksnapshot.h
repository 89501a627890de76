#pragma once

#include <QCryptographicHash>
#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

// Every entry below a folder, links not followed, with kind, link target, permissions,
// modification time and a hash of the content, leaving out what lies below `skipped`: two equal
// snapshots mean nothing there was touched.
inline QStringList diskSnapshot(const QString& folder, const QStringList& skipped = {}) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        bool left = false;
        for (const QString& skip : skipped)
            left =
                left || (info.filePath() + '/').startsWith(skip.endsWith('/') ? skip : skip + '/');
        if (left)
            continue;
        QString content;
        if (!info.isSymLink() && info.isFile()) {
            QFile file(info.filePath());
            if (file.open(QIODevice::ReadOnly))
                content =
                    QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
        }
        entries << QStringLiteral("%1 %2 %3 %4 %5 %6")
                       .arg(info.filePath(),
                            info.isSymLink() ? "link->" + info.symLinkTarget()
                            : info.isDir()   ? QStringLiteral("dir")
                                             : QStringLiteral("file"),
                            content)
                       .arg(int(info.permissions()))
                       .arg(info.size())
                       .arg(info.lastModified().toUTC().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

inline bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(content) == content.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
