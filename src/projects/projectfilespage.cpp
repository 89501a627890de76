#include "projects/projectfilespage.h"

#include "data/tdm.h"
#include "platform/orbentaerror.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

ProjectFilesPage::ProjectFilesPage(Tdm& dm, std::function<QString()> databaseFolder,
                                   QWidget* parent)
    : QWidget(parent), m_dm(dm), m_databaseFolder(std::move(databaseFolder)) {
    setObjectName(QStringLiteral("PN_Files"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(QStringLiteral("Dateien"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("FilesFolder"));
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_folderLabel);
    layout->addStretch(1);
}

QString ProjectFilesPage::documentsFolder(const QString& databaseFolder,
                                          const QString& projectNumber, int nr) {
    // The database folder ends in its separator already.
    return databaseFolder + (projectNumber.isEmpty() ? QString::number(nr) : projectNumber);
}

void ProjectFilesPage::enter() {
    Dataset& projects = m_dm.Projekte;
    rootAt(documentsFolder(m_databaseFolder(),
                           projects.fieldByName(QStringLiteral("Pojektnummer")).asString(),
                           projects.fieldByName(QStringLiteral("Nr")).asInteger()));
}

void ProjectFilesPage::rootAt(const QString& folder) {
    // A project's folder comes into being when it is first needed, not with the project.
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw OrbentaError(
            QStringLiteral("Der Ordner \"%1\" konnte nicht angelegt werden.").arg(folder));
    m_root = folder;
    m_folderLabel->setText(QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath()));
}

void ProjectFilesPage::leave() {
    // The file list's column widths are remembered here once the list exists.
}
