#include "printsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {
QString runPoppler(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        qWarning("%s is missing: install poppler-utils (scripts/setup.sh does)", qPrintable(tool));
        return QString();
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

QString pdfText(const QString& file) {
    return runPoppler(QStringLiteral("pdftotext"),
                      {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                       file, QStringLiteral("-")});
}

int pdfPages(const QString& file) {
    const QString info = runPoppler(QStringLiteral("pdfinfo"), {file});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

ScriptedOutput::ScriptedOutput() : m_wasScripted(output().scripted()) {
    output().setScripted(true);
    output().clearRecords();
}

ScriptedOutput::~ScriptedOutput() {
    output().clearRecords();
    output().setScripted(m_wasScripted);
}

void ScriptedOutput::choose(const QString& file, ReportOutput::Destination destination) {
    ReportOutput::Choice choice;
    choice.destination = destination;
    choice.fileName = file;
    QList<std::optional<ReportOutput::Choice>> choices;
    choices << choice;
    output().scriptChoices(choices);
}

void ScriptedOutput::cancelNext() {
    QList<std::optional<ReportOutput::Choice>> choices;
    choices << std::nullopt;
    output().scriptChoices(choices);
}
