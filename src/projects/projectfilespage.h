#pragma once

#include "lists/page.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class DocumentListModel;
class DocumentTreeFilter;
class QFileSystemModel;
class QLabel;
class QMenu;
class QModelIndex;
class QSplitter;
class QTreeView;
class TForm4;
class Tdm;

// The document area PN_Files of the page "&Dateien": the open project's documents folder as a
// folder tree (ShellTreeView1, folders only, the project folder its single top node) and a
// file list in detail view (ShellListView1: name, size, type, date modified) of the folder
// selected in the tree. Both follow the disk by themselves. Nothing here ever leads out of the
// project folder: a link to a folder elsewhere is not entered, a name that would leave it is
// refused.
//
// The list's keys: Enter and double-click open a folder in the list or a file with the
// desktop's program, Backspace shows the parent folder, F5 reads the folder again, Alt+Enter
// shows the entry's properties, F2 renames in place; its context menu offers the same.
class ProjectFilesPage : public QWidget, public Page {
    Q_OBJECT
public:
    // The open project is the current row of Projekte; the database folder is the main
    // window's, empty or ending in "/".
    ProjectFilesPage(Tdm& dm, std::function<QString()> databaseFolder, QWidget* parent = nullptr);
    ~ProjectFilesPage() override;

    // Entering the page: roots the tree at the open project's documents folder and applies the
    // remembered column widths.
    void enter() override;
    // Leaving the page: remembers the column widths for the next entry.
    void leave() override;

    // Roots the tree at the current project's documents folder, creating it when missing. The
    // root already there keeps the tree's selection. Throws OrbentaError when the folder cannot
    // be created or lies elsewhere.
    void rootAtCurrentProject();
    // Lets go of the project folder (its project is being deleted): the area shows nothing
    // until it is next rooted.
    void release();

    // "Dat. &Hinzufügen": copies files chosen in the file dialog into the folder selected in
    // the tree.
    void AdvGlowButton12Click();
    // "Datei hinzufügen" of the project, task and time lists: roots the tree at the current
    // project's folder first; without a current project it does nothing.
    void Dateihinzufgen1Click();
    // "Datei Ö&ffnen": opens the selected file with the desktop's program; a folder or no
    // selection does nothing.
    void AdvGlowButton13Click();
    // "&Neuer Ordner": the new-folder dialog for the folder the list shows.
    void AdvGlowButton6Click();
    // "&Löschen": moves the selected entries to the desktop's trash after a question.
    void AdvGlowButton7Click();

    // The list's own keys and menu entries.
    void openEntry(const QModelIndex& index);
    void showParentFolder();
    void refreshList();
    void showProperties();
    void renameSelected();

    void setNewFolderDialog(TForm4* dialog);
    // How an entry goes to the trash (QFile::moveToTrash unless replaced).
    void setTrash(std::function<bool(const QString& path)> moveToTrash);

    QTreeView* ShellTreeView1() const { return m_tree; }
    QTreeView* ShellListView1() const { return m_list; }
    QMenu* listMenu() const { return m_listMenu; }

    // The tree's root (the project folder); empty while nothing is rooted.
    QString rootFolder() const { return m_root; }
    // The folder selected in the tree, which the list shows.
    QString selectedFolder() const { return m_folder; }
    // Full paths of the list's selected entries, in list order.
    QStringList selectedEntries() const;
    // The widths the list's four columns get on the next entry.
    QList<int> rememberedWidths() const { return m_widths; }

    // Entering a rename in place ends here.
    bool renameEntry(const QString& path, const QString& newName);

private:
    void buildList();
    void buildMenu();
    void rootAt(const QString& folder);
    void showFolder(const QString& folder);
    void selectFolderInTree(const QString& folder);
    void addFiles();
    QString currentEntry() const;
    QModelIndex listIndex(const QString& path) const;
    void checkInside(const QString& path) const;
    void applyWidths();

    Tdm& m_dm;
    std::function<QString()> m_databaseFolder;
    std::function<bool(const QString&)> m_moveToTrash;
    QPointer<TForm4> m_newFolder;

    QSplitter* m_area = nullptr;
    QTreeView* m_tree = nullptr;
    QTreeView* m_list = nullptr;
    QMenu* m_listMenu = nullptr;
    QFileSystemModel* m_treeModel = nullptr;
    DocumentTreeFilter* m_treeFilter = nullptr;
    QFileSystemModel* m_listModel = nullptr;
    DocumentListModel* m_listColumns = nullptr;

    QString m_root;
    QString m_folder;
    QList<int> m_widths{250, 80, 120, 120};
};
