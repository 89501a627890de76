#include "data/tdm.h"
#include "disksnapshot.h"
#include "projects/newfolderdialog.h"
#include "projects/projectfilespage.h"
#include "projects/projectfolder.h"
#include "projects/projectlist.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

using Answer = MessageDialogs::Answer;

namespace {

// The files page in a shown window over a database of projects; the desktop's trash lies in
// the test's own folder.
struct Files {
    QByteArray home = qgetenv("HOME");
    TestEnvironment env;
    Tdm dm{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    QWidget window;
    ProjectFilesPage* page = nullptr;
    std::unique_ptr<TForm4> newFolder;
    QString outside = env.rootFolder() + "/draussen";
    QString trash = env.rootFolder() + "/xdg/Trash";

    Files() {
        // The trash in home is used for files on home's volume: both lie in the test's folder.
        qputenv("HOME", QFile::encodeName(env.rootFolder()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(env.rootFolder() + "/xdg"));
        QDir().mkpath(env.rootFolder() + "/xdg");
        env.connectDataModule(dm);
        dm.setFirstShow(false);
        dm.Projekte.setSql(ProjectList::AllProjects);
        dm.Projekte.open();
        window.resize(900, 500);
        auto* layout = new QVBoxLayout(&window);
        page = new ProjectFilesPage(
            dm, [this] { return env.databaseFolder(); }, &window);
        layout->addWidget(page);
        newFolder = std::make_unique<TForm4>(&window);
        page->setNewFolderDialog(newFolder.get());
        env.dialogs().setMainWindow(&window);
        QDir().mkpath(outside + "/Archiv");
        writeFile(outside + "/wichtig.txt", "bleibt");
        writeFile(outside + "/Archiv/alt.txt", "alt");
        window.show();
    }
    ~Files() {
        qputenv("HOME", home);
        qunsetenv("XDG_DATA_HOME");
    }

    int addProject(const QString& number, const QString& title = "Projekt") {
        Dataset& p = dm.Projekte;
        p.append();
        p.fieldByName("Pojektnummer").setAsString(number);
        p.fieldByName("Bezeichnung").setAsString(title);
        p.post();
        return p.fieldByName("Nr").asInteger();
    }
    void select(int nr) {
        Dataset& p = dm.Projekte;
        for (int row = 0; row < p.recordCount(); ++row) {
            if (p.value(row, p.fieldIndex("Nr")).toInt() == nr)
                p.moveTo(row);
        }
    }
    QString folder(const QString& name) { return env.databaseFolder() + name; }

    QTreeView* tree() { return page->ShellTreeView1(); }
    QTreeView* list() { return page->ShellListView1(); }
    // The names the list shows, in its order.
    QStringList listed() {
        QStringList names;
        const QModelIndex root = list()->rootIndex();
        for (int row = 0; row < list()->model()->rowCount(root); ++row)
            names << list()->model()->index(row, 0, root).data().toString();
        return names;
    }
    QModelIndex row(const QString& name) {
        const QModelIndex root = list()->rootIndex();
        for (int row = 0; row < list()->model()->rowCount(root); ++row) {
            const QModelIndex index = list()->model()->index(row, 0, root);
            if (index.data().toString() == name)
                return index;
        }
        return {};
    }
    // Selects the entries as a click and Ctrl+clicks on them would.
    void pick(const QStringList& names) {
        list()->clearSelection();
        for (const QString& name : names) {
            const QModelIndex index = row(name);
            QVERIFY2(index.isValid(), qPrintable(name));
            QTest::mouseClick(list()->viewport(), Qt::LeftButton,
                              name == names.first() ? Qt::NoModifier : Qt::ControlModifier,
                              list()->visualRect(index).center());
        }
    }
    // The press, release and double-click of a real double-click.
    void doubleClick(const QString& name) {
        const QPoint at = list()->visualRect(row(name)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    QStringList onDisk(const QString& path) {
        return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                    QDir::Name);
    }
};

} // namespace

class TestProjectFilesPage : public QObject {
    Q_OBJECT

private slots:
    void enteringCreatesTheFolder_data();
    void enteringCreatesTheFolder();
    void changedNumberGivesANewFolder();
    void sameRootKeepsTheSelection();
    void addingFiles();
    void addingFilesFromAListMenu();
    void openingEntries();
    void listKeys();
    void columnWidthsAreRemembered();
    void newFolder();
    void deletingToTheTrash();
    void withoutTrashAskBeforeDeletingForGood_data();
    void withoutTrashAskBeforeDeletingForGood();
    void renamingInPlace();
    void namesNeverLeadOutside_data();
    void namesNeverLeadOutside();
    void linkPointingOut();
    void releasedAreaShowsNothing();
};

void TestProjectFilesPage::enteringCreatesTheFolder_data() {
    QTest::addColumn<QString>("number");
    QTest::newRow("by the number text") << "P-100";
    QTest::newRow("by the key") << "";
}

void TestProjectFilesPage::enteringCreatesTheFolder() {
    QFETCH(QString, number);
    Files f;
    f.addProject("A-1");
    const int nr = f.addProject(number);
    const QString name = number.isEmpty() ? QString::number(nr) : number;
    QVERIFY(!QFileInfo::exists(f.folder(name)));

    f.page->enter();

    QVERIFY(QFileInfo(f.folder(name)).isDir());
    QVERIFY(!QFileInfo::exists(f.folder("A-1")));
    QCOMPARE(f.page->rootFolder(), f.folder(name));
    QCOMPARE(f.page->selectedFolder(), f.folder(name));
    // The tree: the project folder as its single top node, selected.
    const QModelIndex top = f.tree()->model()->index(0, 0, f.tree()->rootIndex());
    QCOMPARE(f.tree()->model()->rowCount(f.tree()->rootIndex()), 1);
    QCOMPARE(top.data().toString(), name);
    QCOMPARE(f.tree()->currentIndex(), top);
    QTRY_COMPARE(f.listed(), QStringList());
    QVERIFY(f.page->findChild<QSplitter*>()->isVisible());
}

void TestProjectFilesPage::changedNumberGivesANewFolder() {
    Files f;
    const int nr = f.addProject("P-100");
    f.select(nr);
    f.page->enter();
    QVERIFY(writeFile(f.folder("P-100/Plan.txt"), "Plan"));

    Dataset& p = f.dm.Projekte;
    p.edit();
    p.fieldByName("Pojektnummer").setAsString("P-200");
    p.post();
    f.page->enter();

    QCOMPARE(f.page->rootFolder(), f.folder("P-200"));
    QCOMPARE(f.onDisk(f.folder("P-200")), QStringList());
    QCOMPARE(f.onDisk(f.folder("P-100")), QStringList{"Plan.txt"});
    QTRY_COMPARE(f.listed(), QStringList());
}

// Entering the page again for the same project leaves the user where he was; adding files
// then copies into that sub-folder.
void TestProjectFilesPage::sameRootKeepsTheSelection() {
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100/Angebote")));
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList{"Angebote"});
    f.pick({"Angebote"});
    QTest::keyClick(f.list(), Qt::Key_Return);
    QCOMPARE(f.page->selectedFolder(), f.folder("P-100/Angebote"));
    QCOMPARE(f.tree()->currentIndex().data().toString(), "Angebote");

    f.page->leave();
    f.page->enter();
    QCOMPARE(f.page->selectedFolder(), f.folder("P-100/Angebote"));

    QVERIFY(writeFile(f.outside + "/Angebot.pdf", "PDF"));
    f.env.fileDialogs().scriptFileLists({{f.outside + "/Angebot.pdf"}});
    f.page->Dateihinzufgen1Click();
    QCOMPARE(readFile(f.folder("P-100/Angebote/Angebot.pdf")), QByteArray("PDF"));
}

void TestProjectFilesPage::addingFiles() {
    Files f;
    f.addProject("P-100");
    f.page->enter();
    QVERIFY(writeFile(f.outside + "/Angebot.pdf", "PDF"));
    QVERIFY(writeFile(f.outside + "/Notiz.txt", "Notiz"));
    QVERIFY(writeFile(f.folder("P-100/Notiz.txt"), "alte Notiz"));
    const QStringList before = diskSnapshot(f.outside);

    // Cancelled: nothing.
    f.page->AdvGlowButton12Click();
    QCOMPARE(f.onDisk(f.folder("P-100")), QStringList{"Notiz.txt"});

    f.env.fileDialogs().scriptFileLists({{f.outside + "/Angebot.pdf", f.outside + "/Notiz.txt"}});
    f.env.dialogs().scriptAnswers({Answer::No});
    f.page->AdvGlowButton12Click();

    QCOMPARE(f.env.fileDialogs().requests().size(), 2);
    QCOMPARE(f.env.dialogs().shown().size(), 1);
    QCOMPARE(f.env.dialogs().shown()[0].title, "Datei ersetzen?");
    QCOMPARE(readFile(f.folder("P-100/Angebot.pdf")), QByteArray("PDF"));
    QCOMPARE(readFile(f.folder("P-100/Notiz.txt")), QByteArray("alte Notiz"));
    QCOMPARE(diskSnapshot(f.outside), before);
    QTRY_COMPARE(f.listed(), QStringList({"Angebot.pdf", "Notiz.txt"}));
}

// "Datei hinzufügen" of a list menu copies into the folder of the current project, whichever
// project the page showed before.
void TestProjectFilesPage::addingFilesFromAListMenu() {
    Files f;
    const int first = f.addProject("P-100");
    const int second = f.addProject("");
    f.select(first);
    f.page->enter();
    f.select(second);
    QVERIFY(writeFile(f.outside + "/Angebot.pdf", "PDF"));
    f.env.fileDialogs().scriptFileLists({{f.outside + "/Angebot.pdf"}});

    f.page->Dateihinzufgen1Click();

    const QString folder = f.folder(QString::number(second));
    QCOMPARE(f.page->rootFolder(), folder);
    QCOMPARE(f.onDisk(folder), QStringList{"Angebot.pdf"});
    QCOMPARE(f.onDisk(f.folder("P-100")), QStringList());
}

void TestProjectFilesPage::openingEntries() {
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100/Angebote")));
    QVERIFY(writeFile(f.folder("P-100/Plan.txt"), "Plan"));
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList({"Angebote", "Plan.txt"}));
    RecordingShell& shell = f.env.shell();

    // Nothing selected, a folder selected: "Datei Öffnen" does nothing.
    f.page->AdvGlowButton13Click();
    f.pick({"Angebote"});
    f.page->AdvGlowButton13Click();
    QCOMPARE(shell.openedDocuments(), QStringList());

    f.pick({"Plan.txt"});
    f.page->AdvGlowButton13Click();
    f.doubleClick("Plan.txt");
    QCOMPARE(shell.openedDocuments(),
             QStringList({f.folder("P-100/Plan.txt"), f.folder("P-100/Plan.txt")}));

    // A double-click on a folder shows it, in the list and the tree.
    f.doubleClick("Angebote");
    QCOMPARE(f.page->selectedFolder(), f.folder("P-100/Angebote"));
    QCOMPARE(f.tree()->currentIndex().data().toString(), "Angebote");
    QCOMPARE(shell.openedDocuments().size(), 2);
}

void TestProjectFilesPage::listKeys() {
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100/Angebote/2026")));
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList{"Angebote"});
    f.pick({"Angebote"});
    QTest::keyClick(f.list(), Qt::Key_Return);
    QTRY_COMPARE(f.listed(), QStringList{"2026"});

    // Backspace goes up, but never above the project folder.
    QTest::keyClick(f.list(), Qt::Key_Backspace);
    QCOMPARE(f.page->selectedFolder(), f.folder("P-100"));
    QTest::keyClick(f.list(), Qt::Key_Backspace);
    QCOMPARE(f.page->selectedFolder(), f.folder("P-100"));

    // F5 reads the folder again and keeps the selection.
    QTRY_COMPARE(f.listed(), QStringList{"Angebote"});
    f.pick({"Angebote"});
    QVERIFY(writeFile(f.folder("P-100/Neu.txt"), "neu"));
    QTest::keyClick(f.list(), Qt::Key_F5);
    QTRY_COMPARE(f.listed(), QStringList({"Angebote", "Neu.txt"}));
    QCOMPARE(f.page->selectedEntries(), QStringList{f.folder("P-100/Angebote")});

    // Alt+Enter: the properties.
    f.pick({"Neu.txt"});
    QTest::keyClick(f.list(), Qt::Key_Return, Qt::AltModifier);
    const auto shown = f.env.dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, MessageDialogs::Kind::Message);
    QVERIFY2(shown[0].text.startsWith("Name: Neu.txt\n"), qPrintable(shown[0].text));
    QVERIFY(shown[0].text.contains("Größe: 3 Bytes (3 Bytes)"));
    QVERIFY(shown[0].text.contains("Ort: " + f.folder("P-100")));
    QCOMPARE(f.env.shell().openedDocuments(), QStringList());
}

void TestProjectFilesPage::columnWidthsAreRemembered() {
    Files f;
    f.addProject("P-100");
    f.page->enter();
    QHeaderView* header = f.list()->header();
    const auto widths = [header] {
        QList<int> result;
        for (int column = 0; column < 4; ++column)
            result << header->sectionSize(column);
        return result;
    };
    QCOMPARE(widths(), QList<int>({250, 80, 120, 120}));
    QCOMPARE(header->model()->headerData(0, Qt::Horizontal).toString(), "Name");
    QCOMPARE(header->model()->headerData(1, Qt::Horizontal).toString(), "Größe");
    QCOMPARE(header->model()->headerData(3, Qt::Horizontal).toString(), "Änderungsdatum");

    header->resizeSection(0, 300);
    header->resizeSection(3, 90);
    f.page->leave();
    // Whatever happens in between, the next entry applies the widths left with.
    header->resizeSection(0, 50);
    f.page->enter();
    QCOMPARE(widths(), QList<int>({300, 80, 120, 90}));
}

void TestProjectFilesPage::newFolder() {
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100/Angebote")));
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList{"Angebote"});
    f.pick({"Angebote"});
    QTest::keyClick(f.list(), Qt::Key_Return);

    f.page->AdvGlowButton6Click();
    QVERIFY(f.newFolder->isVisible());
    auto* name = f.newFolder->findChild<QLineEdit*>("AdvEdit1");
    name->setText("2026\\Mai");
    QTest::mouseClick(f.newFolder->findChild<QPushButton*>("BTN_Erstellen"), Qt::LeftButton);

    QVERIFY(!f.newFolder->isVisible());
    QVERIFY(QFileInfo(f.folder("P-100/Angebote/2026/Mai")).isDir());
    QTRY_COMPARE(f.listed(), QStringList{"2026"});
}

void TestProjectFilesPage::deletingToTheTrash() {
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100/Alt/Unterordner")));
    QVERIFY(writeFile(f.folder("P-100/Alt/Unterordner/x.txt"), "x"));
    QVERIFY(writeFile(f.folder("P-100/Plan.txt"), "Plan"));
    QVERIFY(writeFile(f.folder("P-100/Bleibt.txt"), "bleibt"));
    QVERIFY(QFile::link(f.outside, f.folder("P-100/Verknüpfung")));
    const QStringList outside = diskSnapshot(f.outside);
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList({"Alt", "Verknüpfung", "Bleibt.txt", "Plan.txt"}));

    // Nothing selected: nothing asked.
    f.page->AdvGlowButton7Click();
    QVERIFY(f.env.dialogs().shown().isEmpty());

    f.pick({"Plan.txt"});
    f.env.dialogs().scriptAnswers({Answer::No});
    f.page->AdvGlowButton7Click();
    QCOMPARE(f.env.dialogs().shown()[0].title, "Löschen?");
    QCOMPARE(f.env.dialogs().shown()[0].text,
             "Soll »Plan.txt« in den Papierkorb verschoben werden?");
    QVERIFY(QFileInfo::exists(f.folder("P-100/Plan.txt")));

    f.pick({"Alt", "Verknüpfung", "Plan.txt"});
    f.env.dialogs().scriptAnswers({Answer::Yes});
    f.page->AdvGlowButton7Click();
    QCOMPARE(f.env.dialogs().shown()[1].text,
             "Sollen die 3 markierten Einträge in den Papierkorb verschoben werden?");

    QCOMPARE(f.onDisk(f.folder("P-100")), QStringList{"Bleibt.txt"});
    // In the desktop's trash, restorable from the file manager.
    QCOMPARE(f.onDisk(f.trash + "/files"), QStringList({"Alt", "Plan.txt", "Verknüpfung"}));
    QCOMPARE(readFile(f.trash + "/files/Alt/Unterordner/x.txt"), QByteArray("x"));
    QVERIFY(QFileInfo(f.trash + "/files/Verknüpfung").isSymLink());
    const QByteArray info = readFile(f.trash + "/info/Plan.txt.trashinfo");
    QVERIFY2(info.contains("[Trash Info]"), info.constData());
    QCOMPARE(diskSnapshot(f.outside), outside);
    QTRY_COMPARE(f.listed(), QStringList{"Bleibt.txt"});
}

void TestProjectFilesPage::withoutTrashAskBeforeDeletingForGood_data() {
    QTest::addColumn<Answer>("answer");
    QTest::newRow("for good") << Answer::Yes;
    QTest::newRow("kept") << Answer::No;
}

void TestProjectFilesPage::withoutTrashAskBeforeDeletingForGood() {
    QFETCH(Answer, answer);
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100/Alt")));
    QVERIFY(QFile::link(f.outside, f.folder("P-100/Alt/Verknüpfung")));
    QVERIFY(QFile::link(f.outside + "/wichtig.txt", f.folder("P-100/Alt/wichtig.txt")));
    QVERIFY(writeFile(f.folder("P-100/Plan.txt"), "Plan"));
    const QStringList outside = diskSnapshot(f.outside);
    QStringList tried;
    f.page->setTrash([&](const QString& path) {
        tried << path;
        return false;
    });
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList({"Alt", "Plan.txt"}));
    f.pick({"Alt", "Plan.txt"});
    f.env.dialogs().scriptAnswers({Answer::Yes, answer});

    f.page->AdvGlowButton7Click();

    QCOMPARE(tried, QStringList({f.folder("P-100/Alt"), f.folder("P-100/Plan.txt")}));
    const auto shown = f.env.dialogs().shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].kind, MessageDialogs::Kind::YesNoQuestion);
    QCOMPARE(shown[1].title, "Kein Papierkorb");
    QVERIFY(shown[1].text.contains("Alt, Plan.txt"));
    QCOMPARE(f.onDisk(f.folder("P-100")),
             answer == Answer::Yes ? QStringList() : QStringList({"Alt", "Plan.txt"}));
    QCOMPARE(diskSnapshot(f.outside), outside);
}

void TestProjectFilesPage::renamingInPlace() {
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100")));
    QVERIFY(writeFile(f.folder("P-100/Plan.txt"), "Plan"));
    QVERIFY(writeFile(f.folder("P-100/Vertrag.pdf"), "Vertrag"));
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList({"Plan.txt", "Vertrag.pdf"}));
    f.pick({"Plan.txt"});

    // F2 as the user renames: the editor in the list, Enter to finish.
    QTest::keyClick(f.list(), Qt::Key_F2);
    auto* editor = f.list()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), "Plan.txt");
    editor->setText("Plan 2026.txt");
    QTest::keyClick(editor, Qt::Key_Return); // the view takes the name once the key is through
    QTRY_COMPARE(f.onDisk(f.folder("P-100")), QStringList({"Plan 2026.txt", "Vertrag.pdf"}));

    // A name taken already is refused; nothing is overwritten.
    QVERIFY(!f.list()->model()->setData(f.row("Vertrag.pdf"), "Plan 2026.txt"));
    QCOMPARE(readFile(f.folder("P-100/Plan 2026.txt")), QByteArray("Plan"));
    QCOMPARE(f.env.dialogs().shown().last().text,
             "In diesem Ordner gibt es bereits »Plan 2026.txt«.");
}

void TestProjectFilesPage::namesNeverLeadOutside_data() {
    QTest::addColumn<QString>("name"); // <outside> is a folder beside the database folder
    QTest::newRow("two points") << "..";
    QTest::newRow("up and across") << "../x";
    QTest::newRow("absolute path") << "<outside>/neu";
    QTest::newRow("down and far up") << "a/../../b";
    QTest::newRow("backslashes up") << "..\\..\\x";
}

// A hostile name as the project's number, as a new folder and as a new name in place: the
// documents stay inside the database folder and every file outside stays as it was.
void TestProjectFilesPage::namesNeverLeadOutside() {
    QFETCH(QString, name);
    Files f;
    name.replace("<outside>", f.outside);
    const QStringList before = diskSnapshot(f.env.rootFolder(), {f.env.databaseFolder()});
    f.addProject(name);

    f.page->enter();
    QCOMPARE(f.page->rootFolder(), f.folder(ProjectFolder::name(name, 1)));
    QVERIFY(QFileInfo(f.page->rootFolder()).isDir());
    QVERIFY(writeFile(f.page->rootFolder() + "/Plan.txt", "Plan"));
    QTRY_COMPARE(f.listed(), QStringList{"Plan.txt"});

    f.page->AdvGlowButton6Click();
    f.newFolder->findChild<QLineEdit*>("AdvEdit1")->setText(name);
    QTest::mouseClick(f.newFolder->findChild<QPushButton*>("BTN_Erstellen"), Qt::LeftButton);
    QVERIFY(f.newFolder->isVisible());
    QTest::mouseClick(f.newFolder->findChild<QPushButton*>("BTN_Abbrechen"), Qt::LeftButton);

    QVERIFY(!f.list()->model()->setData(f.row("Plan.txt"), name));

    QCOMPARE(f.onDisk(f.page->rootFolder()), QStringList{"Plan.txt"});
    QCOMPARE(diskSnapshot(f.env.rootFolder(), {f.env.databaseFolder()}), before);
    QCOMPARE(f.env.dialogs().shown().size(), 2);
}

// A link in the project folder to a folder elsewhere is neither shown in the tree nor
// entered; new folders are not made through it.
void TestProjectFilesPage::linkPointingOut() {
    Files f;
    f.addProject("P-100");
    QVERIFY(QDir().mkpath(f.folder("P-100/Angebote")));
    QVERIFY(QFile::link(f.outside, f.folder("P-100/Verknüpfung")));
    const QStringList before = diskSnapshot(f.outside);
    f.page->enter();
    QTRY_COMPARE(f.listed(), QStringList({"Angebote", "Verknüpfung"}));

    // The file-system model fills the tree in the background: read it afresh each try.
    const auto firstSubfolder = [&f] {
        const QModelIndex top = f.tree()->model()->index(0, 0, f.tree()->rootIndex());
        if (f.tree()->model()->rowCount(top) != 1)
            return QString();
        return f.tree()->model()->index(0, 0, top).data().toString();
    };
    QTRY_COMPARE(firstSubfolder(), QStringLiteral("Angebote"));

    f.pick({"Verknüpfung"});
    QTest::keyClick(f.list(), Qt::Key_Return);
    QCOMPARE(f.page->selectedFolder(), f.folder("P-100"));
    QCOMPARE(f.env.dialogs().shown().size(), 1);
    QCOMPARE(f.env.dialogs().shown()[0].kind, MessageDialogs::Kind::Message);

    f.page->AdvGlowButton6Click();
    f.newFolder->findChild<QLineEdit*>("AdvEdit1")->setText("Verknüpfung/neu");
    QTest::mouseClick(f.newFolder->findChild<QPushButton*>("BTN_Erstellen"), Qt::LeftButton);
    QVERIFY(f.newFolder->isVisible());
    QTest::mouseClick(f.newFolder->findChild<QPushButton*>("BTN_Abbrechen"), Qt::LeftButton);
    QCOMPARE(diskSnapshot(f.outside), before);
}

void TestProjectFilesPage::releasedAreaShowsNothing() {
    Files f;
    f.addProject("P-100");
    f.page->enter();
    f.page->release();
    QCOMPARE(f.page->rootFolder(), QString());
    QVERIFY(!f.page->findChild<QSplitter*>()->isVisible());
    QCOMPARE(f.page->selectedEntries(), QStringList());

    // The next entry roots afresh, even at the same folder.
    f.page->enter();
    QCOMPARE(f.page->rootFolder(), f.folder("P-100"));
    QVERIFY(f.page->findChild<QSplitter*>()->isVisible());
}

ORBENTA_TEST_MAIN(TestProjectFilesPage)
#include "tst_projectfilespage.moc"
