#include "app/mainwindow.h"
#include "data/tdm.h"
#include "platform/messagedialogs.h"
#include "platform/orbentaapplication.h"
#include "platform/settingsstore.h"
#include "projects/projecteditor.h"
#include "timerec/timeentryeditor.h"

#include <memory>

int main(int argc, char** argv) {
    OrbentaApplication app(argc, argv);

    auto window = std::make_unique<TTMSForm1>();
    // The data module takes the program folder from the main window.
    auto dm = std::make_unique<Tdm>(window->programFolder());
    // The dialogs, hidden until used; the main window owns them.
    Dialogs dialogs;
    dialogs.projectEditor = new TForm3(*dm, window.get());
    dialogs.projectEditor->hide();
    dialogs.timeEditor = new TForm6(*dm, window.get());
    dialogs.timeEditor->hide();
    window->attach(*dm, dialogs);

    window->show();
    // A settings file that could not be read was kept aside at start; the user hears where.
    if (const QString notice = SettingsStore::takeNotice(); !notice.isEmpty())
        MessageDialogs::instance().message(notice);
    const int result = app.exec();
    // The windows go before the data they show.
    window.reset();
    return result;
}
