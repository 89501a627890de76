#pragma once

#include "lists/page.h"

#include <QWidget>
#include <functional>

class QLabel;
class Tdm;

// The document area PN_Files of the page "Dateien": the open project's documents folder. For
// now it stands for the folder tree and file list; entering the page makes sure the folder
// exists.
class ProjectFilesPage : public QWidget, public Page {
    Q_OBJECT
public:
    // The open project is the current row of Projekte; the database folder is the main
    // window's, empty or ending in "/".
    ProjectFilesPage(Tdm& dm, std::function<QString()> databaseFolder, QWidget* parent = nullptr);

    // The folder rule: the database folder (empty or ending in "/") followed by the project
    // number text, or by the key when that text is empty.
    static QString documentsFolder(const QString& databaseFolder, const QString& projectNumber,
                                   int nr);

    // Entering the page: roots the area at the open project's documents folder.
    void enter() override;
    // Leaving the page: the area keeps what it wants to restore on the next entry.
    void leave() override;

    // Roots the area at the folder, creating it with any missing parents. Throws OrbentaError
    // when it cannot be created.
    void rootAt(const QString& folder);

    QString rootFolder() const { return m_root; }

private:
    Tdm& m_dm;
    std::function<QString()> m_databaseFolder;
    QLabel* m_folderLabel;
    QString m_root;
};
