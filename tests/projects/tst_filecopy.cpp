#include "disksnapshot.h"
#include "platform/orbentaerror.h"
#include "projects/filecopy.h"
#include "testsupport.h"

#include <QDir>
#include <QProgressDialog>
#include <QPushButton>

using Answer = MessageDialogs::Answer;

namespace {

// A source folder with files and a destination folder, inside the environment.
struct Folders {
    TestEnvironment env;
    QString from = env.rootFolder() + "/Quelle/";
    QString to = env.databaseFolder() + "P-1/";

    Folders() {
        QDir().mkpath(from);
        QDir().mkpath(to);
    }
    FileCopy::Job job(const QString& name) { return {from + name, to + name}; }
};

} // namespace

class TestFileCopy : public QObject {
    Q_OBJECT

private slots:
    void copiesEachFileToItsDestination();
    void existingDestination_data();
    void existingDestination();
    void breakingOffLeavesNoPartialFile_data();
    void breakingOffLeavesNoPartialFile();
    void progressWindowOnlyForLargeCopies();
};

void TestFileCopy::copiesEachFileToItsDestination() {
    Folders f;
    QVERIFY(writeFile(f.from + "Angebot.pdf", "PDF-Inhalt"));
    QVERIFY(writeFile(f.from + "Notiz mit Ümlaut.txt", "Text"));
    const QDateTime stamp(QDate(2009, 3, 5), QTime(14, 30), Qt::UTC);
    QFile old(f.from + "Angebot.pdf");
    QVERIFY(old.open(QIODevice::ReadWrite));
    QVERIFY(old.setFileTime(stamp, QFileDevice::FileModificationTime));
    old.close();

    FileCopy copy(nullptr);
    QCOMPARE(copy.run({f.job("Angebot.pdf"), f.job("Notiz mit Ümlaut.txt")}), 2);

    QCOMPARE(readFile(f.to + "Angebot.pdf"), QByteArray("PDF-Inhalt"));
    QCOMPARE(readFile(f.to + "Notiz mit Ümlaut.txt"), QByteArray("Text"));
    QCOMPARE(QFileInfo(f.to + "Angebot.pdf").lastModified().toUTC(), stamp);
    QCOMPARE(QDir(f.to).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QVERIFY(f.env.dialogs().shown().isEmpty());
}

void TestFileCopy::existingDestination_data() {
    QTest::addColumn<bool>("link");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QByteArray>("afterwards");
    QTest::newRow("replace") << false << Answer::Yes << QByteArray("neu");
    QTest::newRow("keep") << false << Answer::No << QByteArray("alt");
    QTest::newRow("link replaced by the file") << true << Answer::Yes << QByteArray("neu");
    QTest::newRow("link kept") << true << Answer::No << QByteArray("alt");
}

// Nothing is replaced without the user's Yes, and a link is replaced, never written through.
void TestFileCopy::existingDestination() {
    QFETCH(bool, link);
    QFETCH(Answer, answer);
    QFETCH(QByteArray, afterwards);
    Folders f;
    QVERIFY(writeFile(f.from + "Plan.txt", "neu"));
    const QString outside = f.env.rootFolder() + "/draussen.txt";
    if (link) {
        QVERIFY(writeFile(outside, "alt"));
        QVERIFY(QFile::link(outside, f.to + "Plan.txt"));
    } else {
        QVERIFY(writeFile(f.to + "Plan.txt", "alt"));
    }
    f.env.dialogs().scriptAnswers({answer});

    FileCopy copy(nullptr);
    QCOMPARE(copy.run({f.job("Plan.txt")}), answer == Answer::Yes ? 1 : 0);

    const auto shown = f.env.dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, MessageDialogs::Kind::YesNoQuestion);
    QCOMPARE(shown[0].title, "Datei ersetzen?");
    QCOMPARE(shown[0].text, "Die Datei »Plan.txt« ist in diesem Ordner bereits vorhanden.\nSoll "
                            "sie durch die gewählte Datei ersetzt werden?");
    QCOMPARE(readFile(f.to + "Plan.txt"), afterwards);
    if (link) {
        QCOMPARE(readFile(outside), QByteArray("alt"));
        QCOMPARE(QFileInfo(f.to + "Plan.txt").isSymLink(), answer != Answer::Yes);
    }
    QCOMPARE(QDir(f.to).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"Plan.txt"});
}

void TestFileCopy::breakingOffLeavesNoPartialFile_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("new file") << false;
    QTest::newRow("replacing a file") << true;
}

// "Abbrechen" in the progress window in the middle of a file: the files before it stay, the
// broken one leaves neither a partial file nor a changed old one.
void TestFileCopy::breakingOffLeavesNoPartialFile() {
    QFETCH(bool, existing);
    Folders f;
    QVERIFY(writeFile(f.from + "A.txt", "erste Datei"));
    QVERIFY(writeFile(f.from + "B.bin", QByteArray(4096, 'b')));
    QVERIFY(writeFile(f.from + "C.txt", "dritte"));
    if (existing) {
        QVERIFY(writeFile(f.to + "B.bin", "altes B"));
        f.env.dialogs().scriptAnswers({Answer::Yes});
    }

    FileCopy copy(nullptr);
    copy.setProgressThreshold(0);
    copy.setChunkSize(1024);
    connect(&copy, &FileCopy::progressed, this, [&](qint64 done) {
        // Halfway through B.bin.
        if (done > 11 + 2048 && copy.progressDialog() && !copy.progressDialog()->wasCanceled()) {
            auto* cancel = copy.progressDialog()->findChild<QPushButton*>();
            QVERIFY(cancel);
            QCOMPARE(cancel->text(), "Abbrechen");
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    QCOMPARE(copy.run({f.job("A.txt"), f.job("B.bin"), f.job("C.txt")}), 1);

    QCOMPARE(readFile(f.to + "A.txt"), QByteArray("erste Datei"));
    QStringList expected{"A.txt"};
    if (existing) {
        QCOMPARE(readFile(f.to + "B.bin"), QByteArray("altes B"));
        expected << "B.bin";
    }
    QCOMPARE(QDir(f.to).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             expected);
    QVERIFY(!copy.progressDialog());
}

void TestFileCopy::progressWindowOnlyForLargeCopies() {
    Folders f;
    QVERIFY(writeFile(f.from + "klein.txt", "klein"));
    FileCopy copy(nullptr);
    bool small = true;
    connect(&copy, &FileCopy::progressed, this,
            [&] { small = small && copy.progressDialog() == nullptr; });
    QCOMPARE(copy.run({f.job("klein.txt")}), 1);
    QVERIFY(small);

    QProgressDialog* shown = nullptr;
    QString title;
    copy.setProgressThreshold(5);
    connect(&copy, &FileCopy::progressed, this, [&] {
        shown = copy.progressDialog();
        if (shown)
            title = shown->windowTitle();
    });
    f.env.dialogs().scriptAnswers({Answer::Yes});
    QCOMPARE(copy.run({f.job("klein.txt")}), 1);
    QVERIFY(shown);
    QCOMPARE(title, "Dateien kopieren");
}

ORBENTA_TEST_MAIN(TestFileCopy)
#include "tst_filecopy.moc"
