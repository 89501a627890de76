#include "projects/projectdeletion.h"

#include "data/tdm.h"
#include "data/transaction.h"
#include "platform/guarded.h"
#include "platform/messagedialogs.h"
#include "platform/orbentaerror.h"
#include "projects/deletionwindow.h"
#include "projects/projectfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A link is a folder's stand-in here: it goes, where it leads stays.
bool standsThere(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() || info.isDir();
}

// The folder gets a name beside it that no project folder can have in the meantime.
QString moveAside(const QString& folder, int nr) {
    const QString base = QFileInfo(folder).absolutePath() + QStringLiteral("/.orbenta-löschen-") +
                         QString::number(nr) + u'-';
    QString aside;
    do {
        aside = base + QString::number(QRandomGenerator::global()->generate(), 36);
    } while (standsThere(aside) || QFileInfo::exists(aside));
    if (!QDir().rename(folder, aside))
        throw OrbentaError(QStringLiteral("Der Dokumentenordner »%1« lässt sich nicht löschen; "
                                          "vielleicht ist eine Datei darin noch geöffnet.\nDas "
                                          "Projekt bleibt erhalten.")
                               .arg(native(folder)));
    return aside;
}

// Removes the tree without following any link in it (links go as links) and without changing
// any permission on the way. True when nothing is left.
bool removeForGood(const QString& path) {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path.toStdU16String()), error);
    return !error && !standsThere(path);
}

} // namespace

ProjectDeletion::ProjectDeletion(Parts parts) : p(std::move(parts)) {}

void ProjectDeletion::run() {
    Dataset& projects = p.dm->Projekte;
    if (!projects.active() || projects.isEmpty() || projects.recNo() < 0)
        return;
    // Read before the question: nothing that happens while it is open may change the project.
    const int nr = projects.fieldByName(QStringLiteral("Nr")).asInteger();
    const QString number = projects.fieldByName(QStringLiteral("Pojektnummer")).asString();

    if (MessageDialogs::instance().yesNoQuestion(
            QStringLiteral("Projekt löschen?"),
            QStringLiteral("Soll das  Projekt mit all seinen Daten und Dateien wirklich gelöscht "
                           "werden?")) != MessageDialogs::Answer::Yes)
        return;
    if (!moveToCurrent(nr))
        return;

    const QString folder = ProjectFolder::path(p.databaseFolder(), number, nr);
    const std::optional<QString> sharer = otherProjectUsing(nr, ProjectFolder::name(number, nr));
    if (sharer)
        MessageDialogs::instance().message(
            QStringLiteral("Der Dokumentenordner »%1« gehört auch zum Projekt »%2«. Er wird "
                           "deshalb nicht gelöscht.")
                .arg(native(folder), *sharer));

    TPRDelete& window = *p.window;
    window.start();
    if (p.releaseFiles)
        p.releaseFiles();

    QString aside;
    try {
        if (!sharer && standsThere(folder)) {
            window.setStep(QStringLiteral("Lösche Dateien..."));
            aside = moveAside(folder, nr);
        }
        window.setProgress(25);

        bool rowGone = false;
        try {
            WriteTransaction write(p.dm->ADOConnection1);
            window.setStep(QStringLiteral("Lösche Zeiterfassungen..."));
            execute(QStringLiteral("delete from PRZeiten where PRID=") + QString::number(nr));
            window.setProgress(50);
            window.setStep(QStringLiteral("Lösche Aufgaben..."));
            execute(QStringLiteral("delete from Aufgaben where AProjectnr=") + QString::number(nr));
            window.setProgress(75);
            window.setStep(QStringLiteral("Lösche Projekt..."));
            projects.deleteRecord();
            rowGone = true;
            write.commit();
        } catch (...) {
            // The list dropped a row that is still stored.
            if (rowGone && p.rerunList)
                p.rerunList();
            throw;
        }
    } catch (const std::exception& e) {
        window.abort();
        if (!aside.isEmpty() && !QDir().rename(aside, folder))
            throw OrbentaError(exceptionText(e) +
                               QStringLiteral("\n\nDie Dateien des Projekts liegen jetzt in »%1«.")
                                   .arg(native(aside)));
        throw;
    }

    window.setProgress(100);
    if (!aside.isEmpty() && !removeForGood(aside))
        MessageDialogs::instance().error(
            QStringLiteral("Projekt löschen"),
            QStringLiteral("Das Projekt ist gelöscht, aber nicht alle seine Dateien ließen sich "
                           "entfernen. Sie liegen noch in »%1«.")
                .arg(native(aside)));
    window.finish();
}

// The title of another project whose documents folder has the same name.
std::optional<QString> ProjectDeletion::otherProjectUsing(int nr, const QString& folderName) {
    Dataset& query = p.dm->SumQuery;
    query.close();
    query.setSql(QStringLiteral("Select Nr, Pojektnummer, Bezeichnung from Projects where Nr<>") +
                 QString::number(nr));
    query.open();
    std::optional<QString> title;
    for (query.first(); !query.eof() && !title; query.next()) {
        if (ProjectFolder::name(query.fieldByName(QStringLiteral("Pojektnummer")).asString(),
                                query.fieldByName(QStringLiteral("Nr")).asInteger()) == folderName)
            title = query.fieldByName(QStringLiteral("Bezeichnung")).asString();
    }
    query.close();
    return title;
}

// The project asked about stays the current row; a re-run in between may have moved the
// cursor. False when the project is no longer listed.
bool ProjectDeletion::moveToCurrent(int nr) {
    Dataset& projects = p.dm->Projekte;
    if (!projects.active())
        return false;
    const int key = projects.fieldIndex(QStringLiteral("Nr"));
    if (projects.recNo() >= 0 && projects.value(projects.recNo(), key).toInt() == nr)
        return true;
    for (int row = 0; row < projects.recordCount(); ++row) {
        if (projects.value(row, key).toInt() == nr) {
            projects.moveTo(row);
            return true;
        }
    }
    return false;
}

void ProjectDeletion::execute(const QString& statement) {
    Dataset& query = p.dm->SumQuery;
    query.close();
    query.setSql(statement);
    query.execSql();
}
