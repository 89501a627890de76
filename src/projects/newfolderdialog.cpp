#include "projects/newfolderdialog.h"

#include "platform/messagedialogs.h"
#include "platform/orbentaerror.h"
#include "projects/documentpaths.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 341;
constexpr int ClientHeight = 78;

} // namespace

TForm4::TForm4(QWidget* mainWindow) : EntryDialog(mainWindow, "BTN_Erstellen", "BTN_Abbrechen") {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Neuer Ordner"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("AdvEdit1"));
    saveButton()->setText(QStringLiteral("&Erstellen"));
    // Enter in the name field creates the folder.
    saveButton()->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_name);
    layout->addLayout(buttonRow());
    setClientSize(ClientWidth, ClientHeight);
}

void TForm4::newFolder(const QString& root, const QString& parent) {
    m_root = root;
    m_parent = parent;
    m_name->clear();
    showOverMainWindow();
    m_name->setFocus();
}

void TForm4::save() {
    QString folder;
    try {
        folder = DocumentPaths::subFolder(m_root, m_parent, m_name->text());
        // An empty name names the folder that is there already: nothing to create.
        if (!folder.isEmpty() && !QDir().mkpath(folder))
            throw OrbentaError(QStringLiteral("Der Ordner »%1« konnte nicht angelegt werden.")
                                   .arg(QDir::toNativeSeparators(folder)));
    } catch (const OrbentaError& e) {
        MessageDialogs::instance().error(QStringLiteral("Neuer Ordner"), e.message());
        stayAfterError();
        m_name->setFocus();
        return;
    }
    finish();
    if (!folder.isEmpty())
        Q_EMIT created(folder);
}

void TForm4::cancel() {
    finish();
}
