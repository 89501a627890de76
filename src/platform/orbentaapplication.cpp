#include "platform/orbentaapplication.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The resources of a static library are only linked in when asked for by name.
static void initPlatformResources() {
    Q_INIT_RESOURCE(platform);
}

OrbentaApplication::OrbentaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    initPlatformResources();
    // The display name stays unset: Qt would append it to the title of every window, and the
    // dialogs' titles are meant to read exactly as given. It defaults to the name anyway.
    setApplicationName(QStringLiteral("Orbenta"));

    QIcon icon;
    icon.addFile(QStringLiteral(":/orbenta/orbenta-32.png"));
    icon.addFile(QStringLiteral(":/orbenta/orbenta-256.png"));
    setWindowIcon(icon);

    // Dates, numbers and the toolkit's own texts (standard buttons, file dialogs, calendars,
    // context menus) are German whatever the machine's locale.
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    auto* translator = new QTranslator(this);
    if (translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    else
        delete translator;
}

bool OrbentaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        reportUnhandledError(exceptionText(e));
    } catch (...) {
        reportUnhandledError(QStringLiteral("Ein unbekannter Fehler ist aufgetreten."));
    }
    return true;
}

void OrbentaApplication::reportError(const QString& text) {
    reportUnhandledError(text);
}
