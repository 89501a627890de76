#pragma once

#include <QWidget>

class QLabel;

// The document area PN_Files of the page "Dateien": the open project's documents folder. For
// now it stands for the folder tree and file list; entering the page makes sure the folder
// exists.
class ProjectFilesPage : public QWidget {
    Q_OBJECT
public:
    explicit ProjectFilesPage(QWidget* parent = nullptr);

    // The folder rule: the database folder (empty or ending in "/") followed by the project
    // number text, or by the key when that text is empty.
    static QString documentsFolder(const QString& databaseFolder, const QString& projectNumber,
                                   int nr);

    // Entering the page: roots the area at the folder, creating it with any missing parents.
    // Throws OrbentaError when it cannot be created.
    void enter(const QString& folder);
    // Leaving the page: the area keeps what it wants to restore on the next entry.
    void leave();

    QString rootFolder() const { return m_root; }

private:
    QLabel* m_folderLabel;
    QString m_root;
};
