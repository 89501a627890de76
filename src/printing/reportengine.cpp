#include "printing/reportengine.h"

#include "platform/messagedialogs.h"
#include "printing/dataconnection.h"
#include "printing/reporterror.h"
#include "printing/reportoutput.h"

#include <QDir>
#include <QFileInfo>

ReportEngine::ReportEngine(const QString& projectFile) : m_projectFile(projectFile) {}

void ReportEngine::setProjectFile(const QString& file) {
    if (file != m_projectFile)
        m_project.reset();
    m_projectFile = file;
}

void ReportEngine::setParameter(const QString& name, const QString& value) {
    m_parameters.insert(name, value);
}

void ReportEngine::addConnection(DataConnection* connection) {
    m_connections.insert(connection->name(), connection);
}

bool ReportEngine::ensureLoaded() {
    if (m_project)
        return true;
    if (!QFileInfo(m_projectFile).isFile()) {
        MessageDialogs::instance().error(
            QStringLiteral("Berichtsprojekt fehlt"),
            QStringLiteral("Das Berichtsprojekt »%1« wurde nicht gefunden.\nEs wird nichts "
                           "gedruckt.")
                .arg(QDir::toNativeSeparators(m_projectFile)));
        return false;
    }
    m_project = ReportProject::load(m_projectFile);
    return true;
}

RenderedReport ReportEngine::renderLayout(const ReportLayout& layout,
                                          const std::function<void(int)>& progress) {
    ReportContext context;
    context.connections = m_connections;
    context.declaredParameters = m_project->parameters();
    context.parameters = m_parameters;
    context.printed = m_printDate.isValid() ? m_printDate : QDateTime::currentDateTime();

    // Every connection remembers its current row and filter and gives them back afterwards,
    // also when the layout fails.
    QList<DataConnection*> begun;
    const auto endAll = [&] {
        for (DataConnection* connection : std::as_const(begun))
            connection->end();
    };
    try {
        for (DataConnection* connection : std::as_const(m_connections)) {
            const bool own = connection->name() == layout.connection;
            connection->begin(own ? layout.filter : ReportFilter(), layout.name);
            begun << connection;
        }
        RenderedReport rendered = ReportRenderer::layout(layout, context, progress);
        endAll();
        return rendered;
    } catch (...) {
        endAll();
        throw;
    }
}

bool ReportEngine::execute(const QString& report, QWidget* parent) {
    if (!ensureLoaded())
        return false;
    const ReportLayout* layout = m_project->report(report);
    if (!layout)
        return false;
    ReportOutput& output = ReportOutput::instance();
    const std::optional<ReportOutput::Choice> choice = output.chooseOutput(parent, report);
    if (!choice)
        return false;
    RenderedReport rendered;
    try {
        rendered = renderLayout(*layout, [&](int page) {
            output.status(parent, QStringLiteral("Erstelle Seite %1").arg(page));
        });
        // The print dialog or the preview comes next; the status shows again while printing.
        output.closeStatus();
        output.deliver(*choice, rendered, parent);
    } catch (...) {
        output.closeStatus();
        throw;
    }
    return true;
}

RenderedReport ReportEngine::render(const QString& report) {
    if (!m_project) {
        if (!QFileInfo(m_projectFile).isFile())
            throw ReportError(QStringLiteral("Das Berichtsprojekt »%1« wurde nicht gefunden.")
                                  .arg(QDir::toNativeSeparators(m_projectFile)));
        m_project = ReportProject::load(m_projectFile);
    }
    const ReportLayout* layout = m_project->report(report);
    if (!layout)
        throw ReportError(QStringLiteral("Den Bericht »%1« gibt es nicht.").arg(report));
    return renderLayout(*layout, {});
}
