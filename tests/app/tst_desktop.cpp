// The main window on a real X server with a window manager (run-under-x.sh starts both): the
// window manager frames the window some time after it is shown, and the stored numbers are the
// outer frame.
#include "app/mainwindow.h"
#include "appfixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>
#include <optional>

namespace {

std::optional<int> stored(const char* name) {
    return SettingsStore(SettingsStore::Scope::User)
        .readInteger(OrbentaKey, QString::fromLatin1(name));
}

void storeGeometry(const QRect& outer, std::optional<int> max = std::nullopt) {
    SettingsStore user(SettingsStore::Scope::User);
    user.writeInteger(OrbentaKey, QStringLiteral("left"), outer.x());
    user.writeInteger(OrbentaKey, QStringLiteral("top"), outer.y());
    user.writeInteger(OrbentaKey, QStringLiteral("width"), outer.width());
    user.writeInteger(OrbentaKey, QStringLiteral("height"), outer.height());
    if (max)
        user.writeInteger(OrbentaKey, QStringLiteral("max"), *max);
}

QRect storedGeometry() {
    return QRect(stored("left").value_or(-1), stored("top").value_or(-1),
                 stored("width").value_or(-1), stored("height").value_or(-1));
}

// Within a pixel on every edge.
bool near(const QRect& a, const QRect& b) {
    return qAbs(a.left() - b.left()) <= 1 && qAbs(a.top() - b.top()) <= 1 &&
           qAbs(a.right() - b.right()) <= 1 && qAbs(a.bottom() - b.bottom()) <= 1;
}

QString text(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

bool framed(QWidget& window) {
    return window.windowHandle() && !window.windowHandle()->frameMargins().isNull();
}

// Shows the program and waits until the window manager has framed the window and it stands
// at `outer`; false (with the geometry it stands at) when it does not come there.
bool standsAt(RunningProgram& program, const QRect& outer, QString* where) {
    TTMSForm1& window = program.window();
    const bool there = QTest::qWaitFor(
        [&] { return framed(window) && near(window.frameGeometry(), outer); }, 5000);
    *where = text(window.frameGeometry());
    return there;
}

// The text a desktop tool prints, empty when it fails.
QString run(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(5000) || process.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The program itself, started as the desktop's menu starts it, in the folder of its database
// and with its settings in a folder of the test. The window's outer geometry is read as the
// X server and the window manager know it.
class ExternalProgram {
public:
    explicit ExternalProgram(TestEnvironment& env)
        : m_configHome(env.rootFolder() + QStringLiteral("/xdg")) {
        SettingsStore::setLocations(env.machineSettingsFile(),
                                    m_configHome + QStringLiteral("/Selvaner/Orbenta.json"));
        m_workingFolder = env.databaseFolder();
    }
    ~ExternalProgram() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool start() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_configHome);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(m_workingFolder);
        m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/orbenta"),
                        QStringList());
        if (!m_process.waitForStarted(5000))
            return false;
        const QString pid = QString::number(m_process.processId());
        return QTest::qWaitFor(
            [&] {
                const QStringList lines = run(QStringLiteral("wmctrl"), {QStringLiteral("-lp")})
                                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                for (const QString& line : lines) {
                    const QStringList parts = line.simplified().split(QLatin1Char(' '));
                    if (parts.size() >= 3 && parts.at(2) == pid) {
                        m_window = parts.at(0);
                        return true;
                    }
                }
                return false;
            },
            10000);
    }

    // The client window's place and size with the frame the window manager put around it;
    // nothing while it is not framed yet.
    std::optional<QRect> outerGeometry() const {
        const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), m_window});
        const QString extents =
            run(QStringLiteral("xprop"),
                {QStringLiteral("-id"), m_window, QStringLiteral("_NET_FRAME_EXTENTS")});
        const auto number = [&](const char* label) {
            const QRegularExpression pattern(QLatin1String(label) +
                                             QStringLiteral(":\\s*(-?\\d+)"));
            const auto match = pattern.match(info);
            return match.hasMatch() ? std::optional<int>(match.captured(1).toInt()) : std::nullopt;
        };
        const auto x = number("Absolute upper-left X");
        const auto y = number("Absolute upper-left Y");
        const auto width = number("Width");
        const auto height = number("Height");
        const auto frame =
            QRegularExpression(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)"))
                .match(extents);
        if (!x || !y || !width || !height || !frame.hasMatch())
            return std::nullopt;
        // left, right, top, bottom
        const QMargins margins(frame.captured(1).toInt(), frame.captured(3).toInt(),
                               frame.captured(2).toInt(), frame.captured(4).toInt());
        if (margins.isNull())
            return std::nullopt;
        return QRect(*x, *y, *width, *height).marginsAdded(margins);
    }

    bool standsAt(const QRect& outer, QString* where) const {
        const bool there = QTest::qWaitFor(
            [&] {
                const auto now = outerGeometry();
                return now && near(*now, outer);
            },
            5000);
        const auto now = outerGeometry();
        *where = now ? text(*now) : QStringLiteral("not framed");
        return there;
    }

    // Closed as the window manager's close button closes it.
    bool close() {
        run(QStringLiteral("wmctrl"), {QStringLiteral("-ic"), m_window});
        return m_process.waitForFinished(10000) && m_process.exitStatus() == QProcess::NormalExit;
    }

private:
    QString m_configHome;
    QString m_workingFolder;
    QProcess m_process;
    QString m_window;
};

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void nothingStored();
    void storedGeometryComesBack_data();
    void storedGeometryComesBack();
    void maximisedComesBackOverNormalGeometry();
    void twentyStarts();
};

void DesktopTest::initTestCase() {
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "run under an X server (tests/app/run-under-x.sh)");
}

// The program as the user starts it: the window manager frames the window while it starts.
void DesktopTest::nothingStored() {
    TestEnvironment env;
    writeFixture(env);
    ExternalProgram program(env);
    QVERIFY(program.start());
    QString where;
    QVERIFY2(program.standsAt(QRect(20, 20, 848, 461), &where), qPrintable(where));
    QVERIFY(program.close());
    QVERIFY2(storedGeometry() == QRect(20, 20, 848, 461), qPrintable(text(storedGeometry())));
    QCOMPARE(stored("max"), 0);
}

void DesktopTest::storedGeometryComesBack_data() {
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("expected");
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("inside") << QRect(300, 150, 1000, 700) << QRect(300, 150, 1000, 700);
    // From a larger monitor: moved and shrunk into the screen.
    QTest::newRow("larger than the screen")
        << QRect(-300, 150, area.width() + 500, 700) << QRect(area.left(), 150, area.width(), 700);
    QTest::newRow("beyond the bottom right")
        << QRect(area.right() - 100, area.bottom() - 50, 848, 461)
        << QRect(area.right() - 847, area.bottom() - 460, 848, 461);
}

// A start restores what the last close stored, and a close stores where the window stands.
void DesktopTest::storedGeometryComesBack() {
    QFETCH(QRect, stored);
    QFETCH(QRect, expected);
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    storeGeometry(stored);
    {
        RunningProgram program(env);
        QVERIFY(program.show());
        QString where;
        QVERIFY2(standsAt(program, expected, &where), qPrintable(where));
        program.window().close();
    }
    QVERIFY2(near(storedGeometry(), expected), qPrintable(text(storedGeometry())));

    // Moved by the program elsewhere, the window is stored where it stands.
    RunningProgram program(env);
    QVERIFY(program.show());
    QString where;
    QVERIFY2(standsAt(program, expected, &where), qPrintable(where));
    program.window().move(200, 100);
    QVERIFY(QTest::qWaitFor(
        [&] { return program.window().frameGeometry().topLeft() == QPoint(200, 100); }));
    const QRect moved = program.window().frameGeometry();
    program.window().close();
    QVERIFY2(near(storedGeometry(), moved), qPrintable(text(storedGeometry())));
}

void DesktopTest::maximisedComesBackOverNormalGeometry() {
    TestEnvironment env;
    writeFixture(env);
    storeDbPath(env.databaseFolder());
    const QRect normal(120, 90, 900, 650);
    storeGeometry(normal, 0);
    {
        RunningProgram program(env);
        QVERIFY(program.show());
        QString where;
        QVERIFY2(standsAt(program, normal, &where), qPrintable(where));
        program.window().showMaximized();
        QVERIFY(QTest::qWaitFor([&] { return program.window().isMaximized(); }));
        program.window().close();
    }
    QCOMPARE(stored("max"), 1);
    QVERIFY2(near(storedGeometry(), normal), qPrintable(text(storedGeometry())));

    RunningProgram program(env);
    TTMSForm1& window = program.window();
    QVERIFY(program.show());
    const QRect area = window.screen()->availableGeometry();
    QVERIFY(QTest::qWaitFor([&] {
        return window.isMaximized() && window.frameGeometry().width() >= area.width() - 2;
    }));
    window.showNormal();
    QString where;
    QVERIFY2(standsAt(program, normal, &where), qPrintable(where));
    window.close();
    QCOMPARE(stored("max"), 0);
    QVERIFY2(near(storedGeometry(), normal), qPrintable(text(storedGeometry())));
}

void DesktopTest::twentyStarts() {
    TestEnvironment env;
    writeFixture(env);
    const QRect outer(40, 60, 1024, 640);
    for (int start = 1; start <= 20; ++start) {
        ExternalProgram program(env);
        if (start == 1)
            storeGeometry(outer, 0);
        QVERIFY(program.start());
        QString where;
        QVERIFY2(program.standsAt(outer, &where),
                 qPrintable(QStringLiteral("start %1: %2").arg(start).arg(where)));
        QVERIFY(program.close());
        QVERIFY2(storedGeometry() == outer,
                 qPrintable(QStringLiteral("start %1: %2").arg(start).arg(text(storedGeometry()))));
    }
}

ORBENTA_TEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
