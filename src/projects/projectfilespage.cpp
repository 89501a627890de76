#include "projects/projectfilespage.h"

#include "data/tdm.h"
#include "platform/filedialogs.h"
#include "platform/germanfilecolumns.h"
#include "platform/guarded.h"
#include "platform/messagedialogs.h"
#include "platform/orbentaerror.h"
#include "platform/shellservices.h"
#include "projects/documentpaths.h"
#include "projects/filecopy.h"
#include "projects/newfolderdialog.h"
#include "projects/projectfolder.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace {

constexpr int TreeWidth = 193;
constexpr int ColumnCount = 4;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QFileSystemModel* newFileModel(QDir::Filters filter, QObject* parent) {
    auto* model = new QFileSystemModel(parent);
    model->setFilter(filter);
    // Renaming goes through the page, which checks the name first.
    model->setReadOnly(true);
    return model;
}

} // namespace

// The tree shows the project folder as its single top node and never a link out of it. The
// folders above it stay in the model only as the way down to it.
class DocumentTreeFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setRoot(const QString& root) {
        m_root = root;
        m_parent = root.isEmpty() ? QString() : QFileInfo(root).path();
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (m_root.isEmpty())
            return false;
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QModelIndex index = files->index(row, 0, parent);
        const QString path = files->filePath(index);
        if (path == m_root)
            return true;
        if (path.startsWith(m_root + u'/'))
            return !files->fileInfo(index).isSymLink() || DocumentPaths::liesInside(m_root, path);
        return path == m_parent || m_parent.startsWith(path.endsWith(u'/') ? path : path + u'/');
    }

private:
    QString m_root;
    QString m_parent;
};

// The file list's columns in German; a name edited in place is renamed by the page.
class DocumentListModel : public GermanFileColumns {
public:
    DocumentListModel(ProjectFilesPage* page) : GermanFileColumns(page), m_page(page) {}

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = GermanFileColumns::flags(index);
        if (index.isValid() && index.column() == 0)
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || index.column() != 0)
            return false;
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        return m_page->renameEntry(files->filePath(mapToSource(index)), value.toString());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
            switch (section) {
            case 0:
                return QStringLiteral("Name");
            case 1:
                return QStringLiteral("Größe");
            case 2:
                return QStringLiteral("Typ");
            case 3:
                return QStringLiteral("Änderungsdatum");
            default:
                break;
            }
        }
        return GermanFileColumns::headerData(section, orientation, role);
    }

private:
    ProjectFilesPage* m_page;
};

namespace {

// The list's own keys, handed to the page.
class FileListView : public QTreeView {
public:
    FileListView(ProjectFilesPage* page, QWidget* parent) : QTreeView(parent), m_page(page) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const Qt::KeyboardModifiers held =
            event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (event->key() == Qt::Key_Backspace && held == Qt::NoModifier) {
            runGuarded([this] { m_page->showParentFolder(); });
        } else if (event->key() == Qt::Key_F5) {
            runGuarded([this] { m_page->refreshList(); });
        } else if (enter && held == Qt::AltModifier) {
            runGuarded([this] { m_page->showProperties(); });
        } else {
            QTreeView::keyPressEvent(event);
            return;
        }
        event->accept();
    }

private:
    ProjectFilesPage* m_page;
};

} // namespace

ProjectFilesPage::ProjectFilesPage(Tdm& dm, std::function<QString()> databaseFolder,
                                   QWidget* parent)
    : QWidget(parent), m_dm(dm), m_databaseFolder(std::move(databaseFolder)),
      m_moveToTrash([](const QString& path) { return QFile::moveToTrash(path); }) {
    setObjectName(QStringLiteral("PN_Files"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(QStringLiteral("Dateien"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);

    m_area = new QSplitter(Qt::Horizontal, this);
    m_area->setObjectName(QStringLiteral("FilesSplitter"));
    m_area->setHandleWidth(8);
    m_area->setChildrenCollapsible(false);
    layout->addWidget(m_area, 1);

    m_treeModel = newFileModel(QDir::AllDirs | QDir::NoDotAndDotDot, this);
    m_treeFilter = new DocumentTreeFilter(this);
    m_treeFilter->setSourceModel(m_treeModel);
    m_tree = new QTreeView(m_area);
    m_tree->setObjectName(QStringLiteral("ShellTreeView1"));
    m_tree->setModel(m_treeFilter);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < ColumnCount; ++column)
        m_tree->hideColumn(column);
    m_tree->setRootIsDecorated(false);
    m_tree->setContextMenuPolicy(Qt::NoContextMenu);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    showFolder(m_treeModel->filePath(m_treeFilter->mapToSource(current)));
            });

    buildList();
    buildMenu();
    m_area->addWidget(m_tree);
    m_area->addWidget(m_list);
    m_area->setStretchFactor(0, 0);
    m_area->setStretchFactor(1, 1);
    m_area->setSizes({TreeWidth, 600});
    m_area->hide(); // until a project folder is rooted
}

ProjectFilesPage::~ProjectFilesPage() = default;

void ProjectFilesPage::buildList() {
    m_listModel = newFileModel(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot, this);
    m_listColumns = new DocumentListModel(this);
    m_listColumns->setSourceModel(m_listModel);
    m_list = new FileListView(this, m_area);
    m_list->setObjectName(QStringLiteral("ShellListView1"));
    m_list->setModel(m_listColumns);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(0, Qt::AscendingOrder);
    m_list->header()->setStretchLastSection(false);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { runGuarded([&] { openEntry(index); }); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const bool entry = !currentEntry().isEmpty();
        for (QAction* action : m_listMenu->actions())
            action->setEnabled(entry);
        m_listMenu->popup(m_list->viewport()->mapToGlobal(at));
    });
    applyWidths();
}

void ProjectFilesPage::buildMenu() {
    m_listMenu = new QMenu(this);
    m_listMenu->setObjectName(QStringLiteral("PMenu_Files"));
    const auto add = [this](const char* name, const QString& caption, auto handler) {
        QAction* action = m_listMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [handler] { runGuarded(handler); });
    };
    add("MenFilesOpen", QStringLiteral("Ö&ffnen"), [this] {
        const QString entry = currentEntry();
        if (!entry.isEmpty())
            openEntry(listIndex(entry));
    });
    add("MenFilesRename", QStringLiteral("&Umbenennen"), [this] { renameSelected(); });
    add("MenFilesDelete", QStringLiteral("&Löschen"), [this] { AdvGlowButton7Click(); });
    m_listMenu->addSeparator();
    add("MenFilesProperties", QStringLiteral("&Eigenschaften"), [this] { showProperties(); });
}

void ProjectFilesPage::setNewFolderDialog(TForm4* dialog) {
    m_newFolder = dialog;
    if (dialog)
        connect(dialog, &TForm4::created, this, [this] { m_tree->viewport()->update(); });
}

void ProjectFilesPage::setTrash(std::function<bool(const QString&)> moveToTrash) {
    m_moveToTrash = std::move(moveToTrash);
}

void ProjectFilesPage::enter() {
    rootAtCurrentProject();
    applyWidths();
}

void ProjectFilesPage::leave() {
    for (int column = 0; column < ColumnCount; ++column)
        m_widths[column] = m_list->header()->sectionSize(column);
}

void ProjectFilesPage::applyWidths() {
    for (int column = 0; column < ColumnCount; ++column)
        m_list->header()->resizeSection(column, m_widths.at(column));
}

void ProjectFilesPage::rootAtCurrentProject() {
    Dataset& projects = m_dm.Projekte;
    if (!projects.active()) {
        release();
        return;
    }
    // A project's folder comes into being when it is first needed, not with the project.
    rootAt(ProjectFolder::create(m_databaseFolder(),
                                 projects.fieldByName(QStringLiteral("Pojektnummer")).asString(),
                                 projects.fieldByName(QStringLiteral("Nr")).asInteger()));
}

void ProjectFilesPage::rootAt(const QString& folder) {
    // Letter case counts: on this file system "a-1" and "A-1" are two projects' folders.
    if (folder == m_root && m_tree->currentIndex().isValid())
        return;
    m_root = folder;
    const QString parent = QFileInfo(folder).path();
    m_treeModel->setRootPath(parent);
    m_treeFilter->setRoot(folder);
    m_tree->setRootIndex(m_treeFilter->mapFromSource(m_treeModel->index(parent)));
    const QModelIndex top = m_treeFilter->mapFromSource(m_treeModel->index(folder));
    m_tree->expand(top);
    m_tree->setCurrentIndex(top);
    showFolder(folder);
    m_area->show();
}

void ProjectFilesPage::release() {
    m_root.clear();
    m_folder.clear();
    m_treeFilter->setRoot(QString());
    m_area->hide();
}

void ProjectFilesPage::showFolder(const QString& folder) {
    if (folder == m_folder && m_list->rootIndex().isValid())
        return;
    m_folder = folder;
    m_listModel->setRootPath(folder);
    m_list->setRootIndex(m_listColumns->mapFromSource(m_listModel->index(folder)));
    m_list->clearSelection();
}

void ProjectFilesPage::selectFolderInTree(const QString& folder) {
    const QModelIndex index = m_treeFilter->mapFromSource(m_treeModel->index(folder));
    if (!index.isValid()) {
        showFolder(folder);
        return;
    }
    for (QModelIndex above = index.parent(); above.isValid() && above != m_tree->rootIndex();
         above = above.parent())
        m_tree->expand(above);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    showFolder(folder);
}

QModelIndex ProjectFilesPage::listIndex(const QString& path) const {
    return m_listColumns->mapFromSource(m_listModel->index(path));
}

QStringList ProjectFilesPage::selectedEntries() const {
    if (m_root.isEmpty())
        return {};
    QModelIndexList rows = m_list->selectionModel()->selectedRows(0);
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList paths;
    for (const QModelIndex& row : rows) {
        if (row.parent() == m_list->rootIndex())
            paths.append(m_listModel->filePath(m_listColumns->mapToSource(row)));
    }
    return paths;
}

// The entry the single-entry commands act on: the current one when it is selected.
QString ProjectFilesPage::currentEntry() const {
    const QStringList selected = selectedEntries();
    if (selected.isEmpty())
        return QString();
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid() &&
        m_list->selectionModel()->isRowSelected(current.row(), current.parent()))
        return m_listModel->filePath(m_listColumns->mapToSource(current.siblingAtColumn(0)));
    return selected.first();
}

void ProjectFilesPage::checkInside(const QString& path) const {
    if (m_root.isEmpty() || !DocumentPaths::liesInside(m_root, path))
        throw OrbentaError(
            QStringLiteral("»%1« liegt nicht im Projektordner »%2«; hier wird nichts verändert.")
                .arg(native(path), native(m_root)));
}

void ProjectFilesPage::openEntry(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const QString path = m_listModel->filePath(m_listColumns->mapToSource(index));
    if (QFileInfo(path).isDir()) {
        // A link to a folder elsewhere is not entered.
        checkInside(path);
        selectFolderInTree(path);
        return;
    }
    ShellServices::instance().openDocument(path);
}

void ProjectFilesPage::showParentFolder() {
    if (m_folder.isEmpty() || m_folder == m_root)
        return;
    selectFolderInTree(QFileInfo(m_folder).path());
}

void ProjectFilesPage::refreshList() {
    if (m_root.isEmpty())
        return;
    // The file model keeps what it once read; a fresh one reads the folder again.
    const QStringList selected = selectedEntries();
    const QString current = currentEntry();
    QList<int> widths;
    for (int column = 0; column < ColumnCount; ++column)
        widths.append(m_list->header()->sectionSize(column));
    const int sortColumn = m_list->header()->sortIndicatorSection();
    const Qt::SortOrder order = m_list->header()->sortIndicatorOrder();

    QFileSystemModel* old = m_listModel;
    m_listModel = newFileModel(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot, this);
    m_listColumns->setSourceModel(m_listModel);
    delete old;
    const QString folder = m_folder;
    m_folder.clear();
    showFolder(folder);
    for (int column = 0; column < ColumnCount; ++column)
        m_list->header()->resizeSection(column, widths.at(column));
    m_list->sortByColumn(sortColumn, order);

    for (const QString& path : selected) {
        const QModelIndex index = listIndex(path);
        if (index.isValid())
            m_list->selectionModel()->select(index, QItemSelectionModel::Select |
                                                        QItemSelectionModel::Rows);
    }
    if (const QModelIndex index = listIndex(current); index.isValid())
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void ProjectFilesPage::AdvGlowButton12Click() {
    addFiles();
}

void ProjectFilesPage::Dateihinzufgen1Click() {
    Dataset& projects = m_dm.Projekte;
    if (!projects.active() || projects.recNo() < 0)
        return;
    rootAtCurrentProject();
    addFiles();
}

void ProjectFilesPage::addFiles() {
    if (m_folder.isEmpty())
        return;
    const QStringList files = FileDialogs::instance().openFiles(
        window(), QString(), QStringLiteral("Alle Dateien|*"), QString());
    if (files.isEmpty())
        return;
    checkInside(m_folder);
    QList<FileCopy::Job> jobs;
    for (const QString& file : files)
        jobs.append({file, m_folder + u'/' + QFileInfo(file).fileName()});
    FileCopy copy(window());
    try {
        copy.run(jobs);
    } catch (...) {
        refreshList();
        throw;
    }
    refreshList();
}

void ProjectFilesPage::AdvGlowButton13Click() {
    const QString entry = currentEntry();
    if (entry.isEmpty() || QFileInfo(entry).isDir())
        return;
    ShellServices::instance().openDocument(entry);
}

void ProjectFilesPage::AdvGlowButton6Click() {
    if (m_folder.isEmpty() || !m_newFolder)
        return;
    checkInside(m_folder);
    m_newFolder->newFolder(m_root, m_folder);
}

void ProjectFilesPage::AdvGlowButton7Click() {
    const QStringList entries = selectedEntries();
    if (entries.isEmpty())
        return;
    // An entry goes, as a link if it is one; it must stand in the project folder.
    for (const QString& entry : entries)
        checkInside(QFileInfo(entry).path());
    MessageDialogs& dialogs = MessageDialogs::instance();
    const QString question =
        entries.size() == 1
            ? QStringLiteral("Soll »%1« in den Papierkorb verschoben werden?")
                  .arg(QFileInfo(entries.first()).fileName())
            : QStringLiteral("Sollen die %1 markierten Einträge in den Papierkorb verschoben "
                             "werden?")
                  .arg(entries.size());
    if (dialogs.yesNoQuestion(QStringLiteral("Löschen?"), question) != MessageDialogs::Answer::Yes)
        return;

    QStringList kept;
    for (const QString& entry : entries) {
        if (!m_moveToTrash(entry))
            kept.append(entry);
    }
    if (!kept.isEmpty()) {
        QStringList names;
        for (const QString& entry : kept)
            names.append(QFileInfo(entry).fileName());
        const auto answer = dialogs.yesNoQuestion(
            QStringLiteral("Kein Papierkorb"),
            QStringLiteral("Diese Einträge lassen sich nicht in den Papierkorb verschieben, etwa "
                           "weil das Laufwerk keinen Papierkorb hat:\n%1\n\nSollen sie endgültig "
                           "gelöscht werden? Das lässt sich nicht rückgängig machen.")
                .arg(names.join(QStringLiteral(", "))));
        QStringList failed;
        if (answer == MessageDialogs::Answer::Yes) {
            for (const QString& entry : kept) {
                // Links go as links; nothing they lead to is touched.
                std::error_code error;
                std::filesystem::remove_all(std::filesystem::path(entry.toStdU16String()), error);
                if (error || QFileInfo(entry).isSymLink() || QFileInfo::exists(entry))
                    failed.append(QFileInfo(entry).fileName());
            }
        }
        if (!failed.isEmpty()) {
            refreshList();
            throw OrbentaError(QStringLiteral("Nicht gelöscht werden konnte: %1")
                                   .arg(failed.join(QStringLiteral(", "))));
        }
    }
    refreshList();
}

void ProjectFilesPage::renameSelected() {
    const QString entry = currentEntry();
    if (entry.isEmpty())
        return;
    const QModelIndex index = listIndex(entry);
    m_list->setCurrentIndex(index);
    m_list->edit(index);
}

bool ProjectFilesPage::renameEntry(const QString& path, const QString& newName) {
    const QFileInfo info(path);
    if (newName == info.fileName())
        return true;
    try {
        checkInside(info.path());
        DocumentPaths::checkEntryName(newName);
        const QString target = info.path() + u'/' + newName;
        const QFileInfo existing(target);
        if (existing.exists() || existing.isSymLink())
            throw OrbentaError(
                QStringLiteral("In diesem Ordner gibt es bereits »%1«.").arg(newName));
        if (!QDir().rename(path, target))
            throw OrbentaError(QStringLiteral("»%1« ließ sich nicht in »%2« umbenennen.")
                                   .arg(info.fileName(), newName));
    } catch (const OrbentaError& e) {
        MessageDialogs::instance().error(QStringLiteral("Umbenennen"), e.message());
        return false;
    }
    return true;
}

void ProjectFilesPage::showProperties() {
    const QString entry = currentEntry();
    if (entry.isEmpty())
        return;
    const QFileInfo info(entry);
    const QLocale german;
    const QModelIndex index = m_listModel->index(entry);
    QStringList lines;
    lines << QStringLiteral("Name: ") + info.fileName();
    lines << QStringLiteral("Typ: ") + m_listModel->type(index);
    if (info.isSymLink())
        lines << QStringLiteral("Verknüpfung auf: ") + native(info.symLinkTarget());
    if (!info.isDir())
        lines << QStringLiteral("Größe: %1 (%2 Bytes)")
                     .arg(german.formattedDataSize(info.size()), german.toString(info.size()));
    lines << QStringLiteral("Geändert: ") +
                 info.lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    lines << QStringLiteral("Ort: ") + native(info.path());
    MessageDialogs::instance().message(lines.join(u'\n'));
}
