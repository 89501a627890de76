// dbpath: stores the database folder as DBPath in the machine scope of the settings store.
// The program starts it with the argument text "Software\Selvaner\Orbenta <folder>" and
// does not look at its outcome.

#include "platform/settingsstore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const QString usage = QStringLiteral(
    "Aufruf: dbpath [--settings-file <Datei>] Software\\Selvaner\\Orbenta <Datenbankordner>\n"
    "\n"
    "Speichert den Datenbankordner als Wert DBPath unter dem Schlüssel\n"
    "Software\\Selvaner\\Orbenta im maschinenweiten Bereich der Einstellungen\n"
    "(%1). Dafür sind Administrationsrechte nötig.\n"
    "Der Ordner darf Leerzeichen enthalten, auch ohne Anführungszeichen.\n"
    "\n"
    "  --settings-file <Datei>  nur für Tests: die Einstellungen in diese Datei schreiben\n"
    "                           statt in den maschinenweiten Bereich\n");

void printErr(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

int badArgument(const QString& why) {
    printErr(why + QStringLiteral("\n\n") + usage.arg(SettingsStore::machineFile()));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);

    if (!args.isEmpty() && args.first() == QLatin1String("--settings-file")) {
        if (args.size() < 2)
            return badArgument(QStringLiteral("Nach --settings-file fehlt die Datei."));
        SettingsStore::setLocations(args.at(1), SettingsStore::userFile());
        args = args.mid(2);
    }

    // The caller may hand over the text as one argument or split at its blanks.
    const QString text = args.join(QLatin1Char(' '));
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QString key = blank < 0 ? text : text.left(blank);
    const QString folder = blank < 0 ? QString() : text.mid(blank + 1);
    if (key.compare(QStringLiteral("Software\\Selvaner\\Orbenta"), Qt::CaseInsensitive) != 0)
        return badArgument(QStringLiteral("Das Argument muss mit Software\\Selvaner\\Orbenta "
                                          "beginnen, gefolgt von einem Leerzeichen und dem "
                                          "Datenbankordner."));
    if (folder.isEmpty())
        return badArgument(QStringLiteral("Der Datenbankordner fehlt."));

    try {
        SettingsStore(SettingsStore::Scope::Machine)
            .writeString(key, QStringLiteral("DBPath"), folder);
    } catch (const SettingsError& e) {
        // The store's text says why: missing rights, or a file that cannot be written.
        printErr(
            QStringLiteral("Der Datenbankpfad wurde nicht gespeichert. %1\n").arg(e.message()));
        return 1;
    }
    return 0;
}
