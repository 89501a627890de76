// orbenta-createdb [--demo] <folder>: writes a new ORBTData.mdb with the full schema into the
// folder, with --demo filled with demo data.
#include "data/schema.h"
#include "data/tdm.h"
#include "demodata.h"
#include "platform/orbentaerror.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace {

void say(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

int usage() {
    say(QStringLiteral("Aufruf: orbenta-createdb [--demo] <Ordner>\n"
                       "Legt im Ordner eine neue Datenbank ORBTData.mdb an; mit --demo gefüllt "
                       "mit Beispieldaten."));
    return 2;
}

// A half-written database would be refused by the next attempt: it goes again.
void removeDatabase(const QString& file) {
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(file + suffix);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);

    bool demo = false;
    QString folder;
    const QStringList args = app.arguments().mid(1);
    for (const QString& arg : args) {
        if (arg == QLatin1String("--demo") && !demo)
            demo = true;
        else if (arg.startsWith(QLatin1Char('-')) || !folder.isEmpty())
            return usage();
        else
            folder = arg;
    }
    if (folder.isEmpty())
        return usage();

    const QString databaseFolder = QDir(folder).absolutePath() + QLatin1Char('/');
    const QString file = databaseFolder + QStringLiteral("ORBTData.mdb");
    if (QFileInfo::exists(file)) {
        say(QStringLiteral("Die Datenbank %1 gibt es schon; sie wird nicht überschrieben.")
                .arg(QDir::toNativeSeparators(file)));
        return 1;
    }
    if (!QDir().mkpath(databaseFolder)) {
        say(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                .arg(QDir::toNativeSeparators(databaseFolder)));
        return 1;
    }

    try {
        createDatabase(file);
    } catch (const OrbentaError& e) {
        say(e.message());
        return 1;
    }

    if (demo) {
        try {
            Tdm dm(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
            dm.ADOConnection1.setConnectionString(Tdm::connectionStringFor(databaseFolder));
            dm.ADOConnection1.open();
            fillDemoData(dm, QDate::currentDate());
        } catch (const OrbentaError& e) {
            removeDatabase(file);
            say(QStringLiteral("Die Beispieldaten konnten nicht geschrieben werden: %1")
                    .arg(e.message()));
            return 1;
        }
    }
    return 0;
}
