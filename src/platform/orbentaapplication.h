#pragma once

#include <QApplication>

// The application object: sets the title "Orbenta" and the program icon, loads Qt's own German
// translations so that standard buttons, file dialogs, calendars and context menus speak
// German, and turns every exception that escapes an event handler into the error message box
// ("Orbenta" with the error text): the operation stops there and the program goes on.
class OrbentaApplication : public QApplication {
    Q_OBJECT
public:
    OrbentaApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the text of an exception the program does not handle itself.
    static void reportError(const QString& text);
};

#include "platform/guarded.h"
