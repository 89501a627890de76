#include "testsupport.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QTreeView>

#include <memory>

class TestFileDialogs : public QObject {
    Q_OBJECT

private slots:
    void scriptedResultsAndRecords();
    void realDialogIsGerman();
};

void TestFileDialogs::scriptedResultsAndRecords() {
    TestEnvironment env;
    FileDialogs& files = FileDialogs::instance();
    files.scriptResults({"/srv/Orbenta/ORBTData.mdb"});
    QCOMPARE(files.openFile(nullptr, "", "Orbenta Datenbank|ORBTData.mdb", "/opt/"),
             "/srv/Orbenta/ORBTData.mdb");
    QCOMPARE(files.openFile(nullptr, "", "Orbenta Datenbank|ORBTData.mdb", "/srv/"), QString());
    QCOMPARE(files.requests().size(), 2);
    QCOMPARE(files.requests()[0].filter, "Orbenta Datenbank|ORBTData.mdb");
    QCOMPARE(files.requests()[1].initialFolder, "/srv/");
}

// The dialog the real mode shows, looked at without waiting for a choice: the filter as the
// toolkit writes it, and the file list's dates and sizes German whatever the machine's locale.
void TestFileDialogs::realDialogIsGerman() {
    QTemporaryDir folder;
    QFile file(folder.filePath("ORBTData.mdb"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1536, 'x'));
    QVERIFY(file.flush());
    const QDateTime modified(QDate(2009, 3, 5), QTime(14, 30));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    std::unique_ptr<QFileDialog> dialog(FileDialogs::createOpenFileDialog(
        nullptr, QString(), "Orbenta Datenbank|ORBTData.mdb", folder.path() + "/"));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog->nameFilters(), QStringList{"Orbenta Datenbank (ORBTData.mdb)"});
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QCOMPARE(dialog->windowTitle(), "Öffnen");

    auto* list = dialog->findChild<QTreeView*>("treeView");
    QVERIFY(list);
    QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
    const QModelIndex row = list->model()->index(0, 0, list->rootIndex());
    QCOMPARE(row.data().toString(), "ORBTData.mdb");
    QCOMPARE(row.siblingAtColumn(1).data().toString(), "1,50 KiB");
    QCOMPARE(row.siblingAtColumn(3).data().toString(), "05.03.2009 14:30");
    dialog->reject();
}

ORBENTA_TEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
