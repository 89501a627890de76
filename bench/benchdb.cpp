// orbenta-benchdb [--seed <n>] <folder>: writes the large benchmark database into the folder,
// for running the program or the benchmark on it.
#include "generator.h"
#include "platform/orbentaerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

namespace {

void say(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

int usage() {
    say(QStringLiteral("usage: orbenta-benchdb [--seed <n>] <folder>"));
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    quint64 seed = DefaultBenchSeed;
    QString folder;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--seed") && i + 1 < args.size()) {
            bool ok = false;
            seed = args.at(++i).toULongLong(&ok);
            if (!ok)
                return usage();
        } else if (args.at(i).startsWith(QLatin1Char('-')) || !folder.isEmpty()) {
            return usage();
        } else {
            folder = args.at(i);
        }
    }
    if (folder.isEmpty())
        return usage();

    const QString file = QDir(folder).absolutePath() + QStringLiteral("/ORBTData.mdb");
    if (QFileInfo::exists(file)) {
        say(QStringLiteral("%1 exists already").arg(file));
        return 1;
    }
    if (!QDir().mkpath(folder)) {
        say(QStringLiteral("cannot create %1").arg(folder));
        return 1;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        generateBenchDatabase(file, BenchSize{}, seed);
        say(QStringLiteral("%1 written in %2 s")
                .arg(file)
                .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
    } catch (const OrbentaError& e) {
        say(e.message());
        return 1;
    }
    return 0;
}
