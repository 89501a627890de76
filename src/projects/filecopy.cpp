#include "projects/filecopy.h"

#include "platform/messagedialogs.h"
#include "platform/orbentaerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSaveFile>
#include <memory>

namespace {

constexpr int ProgressSteps = 1000;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

OrbentaError copyError(const FileCopy::Job& job, const QString& reason) {
    return OrbentaError(QStringLiteral("Die Datei »%1« konnte nicht nach »%2« kopiert werden.\n%3")
                            .arg(native(job.source), native(job.destination), reason));
}

} // namespace

FileCopy::FileCopy(QWidget* owner, QObject* parent) : QObject(parent), m_owner(owner) {}

bool FileCopy::cancelled() const {
    return m_progress && m_progress->wasCanceled();
}

int FileCopy::run(const QList<Job>& jobs) {
    qint64 total = 0;
    for (const Job& job : jobs)
        total += QFileInfo(job.source).size();

    std::unique_ptr<QProgressDialog> progress;
    if (total >= m_threshold && total > 0) {
        progress = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Abbrechen"), 0,
                                                     ProgressSteps, m_owner);
        progress->setObjectName(QStringLiteral("CopyProgress"));
        progress->setWindowTitle(QStringLiteral("Dateien kopieren"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setValue(0);
        m_progress = progress.get();
    }

    int copied = 0;
    qint64 done = 0;
    try {
        for (const Job& job : jobs) {
            if (cancelled())
                break;
            if (copyOne(job, done, total))
                ++copied;
        }
    } catch (...) {
        m_progress = nullptr;
        throw;
    }
    m_progress = nullptr;
    return copied;
}

bool FileCopy::copyOne(const Job& job, qint64& done, qint64 total) {
    const QFileInfo source(job.source);
    const QFileInfo target(job.destination);
    if (!source.isFile())
        throw copyError(job, QStringLiteral("Die Quelle ist keine lesbare Datei."));
    // A file copied onto itself is there already.
    if (target.exists() && source.canonicalFilePath() == target.canonicalFilePath()) {
        done += source.size();
        return false;
    }
    if (target.exists() || target.isSymLink()) {
        if (target.isDir() && !target.isSymLink())
            throw copyError(job, QStringLiteral("Dort liegt bereits ein Ordner dieses Namens."));
        const auto answer = MessageDialogs::instance().yesNoQuestion(
            QStringLiteral("Datei ersetzen?"),
            QStringLiteral("Die Datei »%1« ist in diesem Ordner bereits vorhanden.\nSoll sie durch "
                           "die gewählte Datei ersetzt werden?")
                .arg(target.fileName()));
        if (answer != MessageDialogs::Answer::Yes) {
            done += source.size();
            return false;
        }
        // A link is replaced by the file, never written through to where it leads.
        if (target.isSymLink() && !QFile::remove(job.destination))
            throw copyError(job, QStringLiteral("Die vorhandene Verknüpfung lässt sich nicht "
                                                "ersetzen."));
    }

    QFile in(job.source);
    if (!in.open(QIODevice::ReadOnly))
        throw copyError(job, in.errorString());
    QSaveFile out(job.destination);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw copyError(job, out.errorString());
    if (m_progress)
        m_progress->setLabelText(QStringLiteral("Kopiere »%1« ...").arg(source.fileName()));

    while (!in.atEnd()) {
        const QByteArray piece = in.read(m_chunk);
        if (piece.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            throw copyError(job, in.errorString());
        }
        if (out.write(piece) != piece.size()) {
            const QString reason = out.errorString();
            out.cancelWriting();
            throw copyError(job, reason);
        }
        done += piece.size();
        Q_EMIT progressed(done);
        if (m_progress)
            m_progress->setValue(int(done * ProgressSteps / qMax<qint64>(total, 1)));
        if (cancelled()) {
            out.cancelWriting(); // the unfinished copy goes with `out`
            return false;
        }
    }
    if (!out.commit())
        throw copyError(job, out.errorString());
    // As a copy in the file manager: the same content, date and permissions.
    QFile copy(job.destination);
    if (copy.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        copy.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
        copy.close();
    }
    copy.setPermissions(in.permissions());
    return true;
}
