#include "disksnapshot.h"
#include "projects/newfolderdialog.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <memory>

namespace {

// The dialog over a shown main window, for the sub-folder "Angebote" of a project folder.
struct Dialog {
    TestEnvironment env;
    QString root = env.databaseFolder() + "P-100";
    QString parent = root + "/Angebote";
    QWidget mainWindow;
    std::unique_ptr<TForm4> form;

    bool start() {
        QDir().mkpath(parent);
        mainWindow.resize(800, 600);
        mainWindow.show();
        env.dialogs().setMainWindow(&mainWindow);
        form = std::make_unique<TForm4>(&mainWindow);
        return QTest::qWaitForWindowActive(&mainWindow);
    }
    bool open() {
        form->newFolder(root, parent);
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); });
    }
    QLineEdit* name() { return form->findChild<QLineEdit*>("AdvEdit1"); }
    QPushButton* button(const char* objectName) {
        return form->findChild<QPushButton*>(objectName);
    }
    // Any letter, umlauts included, as the keyboard delivers it.
    void type(const QString& text) {
        name()->setFocus();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, name(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QStringList inside() { return diskSnapshot(root); }
};

} // namespace

class TestNewFolderDialog : public QObject {
    Q_OBJECT

private slots:
    void window();
    void nestedNamesInOneStep_data();
    void nestedNamesInOneStep();
    void cancelAndEmptyNameCreateNothing();
    void namesLeadingOutAreRefused_data();
    void namesLeadingOutAreRefused();
};

void TestNewFolderDialog::window() {
    Dialog d;
    QVERIFY(d.start());
    QVERIFY(!d.form->isVisible());
    QCOMPARE(d.form->windowTitle(), "Neuer Ordner");
    QCOMPARE(d.form->size(), QSize(341, 78));
    QCOMPARE(d.button("BTN_Erstellen")->text(), "&Erstellen");
    QVERIFY(d.button("BTN_Erstellen")->isDefault());
    QCOMPARE(d.button("BTN_Abbrechen")->text(), "A&bbrechen");

    // The field is emptied for every new folder.
    d.name()->setText("Rest vom letzten Mal");
    QVERIFY(d.open());
    QCOMPARE(d.name()->text(), QString());
    QCOMPARE(QApplication::focusWidget(), d.name());
    QCOMPARE(d.form->windowModality(), Qt::WindowModal);
}

void TestNewFolderDialog::nestedNamesInOneStep_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("created"); // below the parent
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("plain, Enter") << "Verträge"
                                  << "Verträge" << true;
    QTest::newRow("backslash") << "2026\\März"
                               << "2026/März" << false;
    QTest::newRow("slash, Enter") << "2026/April/Belege"
                                  << "2026/April/Belege" << true;
    QTest::newRow("both, doubled") << "a\\\\b//c\\"
                                   << "a/b/c" << false;
}

void TestNewFolderDialog::nestedNamesInOneStep() {
    QFETCH(QString, typed);
    QFETCH(QString, created);
    QFETCH(bool, byEnter);
    Dialog d;
    QVERIFY(d.start());
    QVERIFY(d.open());
    QSignalSpy spy(d.form.get(), &TForm4::created);
    d.type(typed);
    if (byEnter)
        QTest::keyClick(d.name(), Qt::Key_Return);
    else
        QTest::mouseClick(d.button("BTN_Erstellen"), Qt::LeftButton);

    QVERIFY(QFileInfo(d.parent + '/' + created).isDir());
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy[0][0].toString(), d.parent + '/' + created);
    QVERIFY(!d.form->isVisible());
    QVERIFY(d.env.dialogs().shown().isEmpty());
}

void TestNewFolderDialog::cancelAndEmptyNameCreateNothing() {
    Dialog d;
    QVERIFY(d.start());
    const QStringList before = d.inside();

    QVERIFY(d.open());
    d.type("Unnötig");
    QTest::mouseClick(d.button("BTN_Abbrechen"), Qt::LeftButton);
    QVERIFY(!d.form->isVisible());

    QVERIFY(d.open());
    QTest::keyClick(d.name(), Qt::Key_B, Qt::ControlModifier);
    QVERIFY(!d.form->isVisible());

    // An empty name names the folder that is there already.
    QVERIFY(d.open());
    QTest::keyClick(d.name(), Qt::Key_Return);
    QVERIFY(!d.form->isVisible());
    QCOMPARE(d.inside(), before);
    QVERIFY(d.env.dialogs().shown().isEmpty());
}

void TestNewFolderDialog::namesLeadingOutAreRefused_data() {
    QTest::addColumn<QString>("typed"); // <root> is the test's root folder
    QTest::newRow("two points") << "..";
    QTest::newRow("up and across") << "../x";
    QTest::newRow("up with backslash") << "..\\..\\x";
    QTest::newRow("down and far up") << "a/../../b";
    QTest::newRow("absolute path") << "<root>/absolut";
    QTest::newRow("point") << "./x";
    QTest::newRow("link pointing out") << "Verknüpfung/neu";
    QTest::newRow("link pointing out, backslash") << "Verknüpfung\\a\\b";
}

// Nothing is created or changed anywhere, the user is told, and the dialog stays open with
// the name as typed.
void TestNewFolderDialog::namesLeadingOutAreRefused() {
    QFETCH(QString, typed);
    Dialog d;
    QVERIFY(d.start());
    typed.replace("<root>", d.env.rootFolder());
    const QString outside = d.env.rootFolder() + "/draussen";
    QVERIFY(QDir().mkpath(outside + "/Unterordner"));
    QVERIFY(writeFile(outside + "/wichtig.txt", "bleibt wie es ist"));
    QVERIFY(QFile::link(outside, d.parent + "/Verknüpfung"));
    const QStringList before = diskSnapshot(d.env.rootFolder());

    QVERIFY(d.open());
    QSignalSpy spy(d.form.get(), &TForm4::created);
    d.type(typed);
    QTest::mouseClick(d.button("BTN_Erstellen"), Qt::LeftButton);

    QCOMPARE(diskSnapshot(d.env.rootFolder()), before);
    QCOMPARE(spy.size(), 0);
    const auto shown = d.env.dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, MessageDialogs::Kind::Error);
    QCOMPARE(shown[0].title, "Neuer Ordner");
    QVERIFY2(shown[0].text.startsWith("Der Ordnername »" + typed + "« ist nicht möglich"),
             qPrintable(shown[0].text));
    QVERIFY(d.form->isVisible());
    QCOMPARE(d.name()->text(), typed);
}

ORBENTA_TEST_MAIN(TestNewFolderDialog)
#include "tst_newfolderdialog.moc"
