// orbenta-reportbench [--db <folder>] [--repeat <n>]
//
// Measures the printed project list: every project of a large database (10,000 generated ones
// unless --db names a database) laid out with the report project beside the program and
// written as a PDF file. Reports the best time of each step and the pages per second. It is a
// measurement, not a test.
#include "data/tdm.h"
#include "generator.h"
#include "platform/orbentaerror.h"
#include "printing/reportcommands.h"
#include "printing/reportrenderer.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

void say(const QString& text, FILE* to = stdout) {
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

} // namespace

int main(int argc, char* argv[]) {
    // Fonts need the GUI part of Qt, a screen they do not.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString folder;
    int repeat = 3;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--db") && i + 1 < args.size()) {
            folder = QDir(args.at(++i)).absolutePath() + QLatin1Char('/');
        } else if (args.at(i) == QLatin1String("--repeat") && i + 1 < args.size()) {
            repeat = std::max(1, args.at(++i).toInt());
        } else {
            say(QStringLiteral("usage: orbenta-reportbench [--db <folder>] [--repeat <n>]"),
                stderr);
            return 2;
        }
    }

    try {
        QTemporaryDir temporary;
        if (folder.isEmpty()) {
            if (!temporary.isValid())
                throw OrbentaError(QStringLiteral("no temporary folder"));
            folder = temporary.path() + QLatin1Char('/');
            BenchSize size;
            size.tasks = 0;
            size.entries = 0;
            say(QStringLiteral("Generating %1 projects in %2 ...").arg(size.projects).arg(folder));
            generateBenchDatabase(folder + QStringLiteral("ORBTData.mdb"), size);
        } else if (!QFileInfo::exists(folder + QStringLiteral("ORBTData.mdb"))) {
            say(QStringLiteral("%1ORBTData.mdb does not exist").arg(folder), stderr);
            return 1;
        }

        Tdm dm(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        dm.ADOConnection1.setConnectionString(Tdm::connectionStringFor(folder));
        dm.ADOConnection1.open();
        dm.Projekte.setSql(QStringLiteral("Select * from Projects"));
        dm.Projekte.open();
        ReportCommands commands(dm);

        double bestLayout = std::numeric_limits<double>::max();
        double bestPdf = std::numeric_limits<double>::max();
        int pages = 0;
        qint64 bytes = 0;
        for (int i = 0; i < repeat; ++i) {
            QElapsedTimer timer;
            timer.start();
            const RenderedReport report = commands.engine().render(QStringLiteral("PRListe"));
            bestLayout = std::min(bestLayout, timer.nsecsElapsed() / 1e6);
            timer.restart();
            QBuffer pdf;
            pdf.open(QIODevice::WriteOnly);
            QPdfWriter writer(&pdf);
            writer.setPageLayout(report.pageLayout());
            QPainter painter(&writer);
            ReportRenderer::paint(report, painter, writer);
            painter.end();
            bestPdf = std::min(bestPdf, timer.nsecsElapsed() / 1e6);
            pages = report.pageCount();
            bytes = pdf.size();
        }
        const double total = bestLayout + bestPdf;
        say(QStringLiteral("prliste-pdf (%1 projects, %2 pages, %3 KB): layout %4 ms, PDF %5 ms, "
                           "total %6 ms, %7 pages/s (target: a few seconds)")
                .arg(dm.Projekte.recordCount())
                .arg(pages)
                .arg(bytes / 1024)
                .arg(bestLayout, 0, 'f', 0)
                .arg(bestPdf, 0, 'f', 0)
                .arg(total, 0, 'f', 0)
                .arg(total > 0 ? pages * 1000.0 / total : 0, 0, 'f', 0));
    } catch (const OrbentaError& e) {
        say(e.message(), stderr);
        return 1;
    }
    return 0;
}
