#pragma once

#include "printing/reportproject.h"
#include "printing/reportrenderer.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

class DataConnection;
class QWidget;

// The report engine: the report project file, its text parameters and the data connections
// the reports read. The project is loaded at the first run and kept until the program ends; a
// project that could not be loaded is tried again at the next run.
class ReportEngine {
public:
    explicit ReportEngine(const QString& projectFile = QString());

    void setProjectFile(const QString& file);
    QString projectFile() const { return m_projectFile; }
    bool loaded() const { return m_project.has_value(); }

    // Parameters keep their values from run to run until they are set again.
    void setParameter(const QString& name, const QString& value);
    QString parameter(const QString& name) const { return m_parameters.value(name); }

    // The engine does not own the connections.
    void addConnection(DataConnection* connection);
    DataConnection* connection(const QString& name) const { return m_connections.value(name); }

    // Runs the report: loads the project on first use, asks where the report goes, lays it out
    // and hands it over. Does nothing when the project has no report of that name. A missing
    // project file is reported in a message and nothing is printed. Returns true when the
    // report was handed over. Throws ReportError for a faulty layout.
    bool execute(const QString& report, QWidget* parent = nullptr);

    // Lays the report out without any dialog (the benchmark, tests). Throws ReportError, also
    // when the project cannot be read or has no such report.
    RenderedReport render(const QString& report);

    // The date of printing; the current time unless fixed (tests).
    void setPrintDate(const QDateTime& when) { m_printDate = when; }

private:
    bool ensureLoaded();
    RenderedReport renderLayout(const ReportLayout& layout,
                                const std::function<void(int)>& progress);

    QString m_projectFile;
    std::optional<ReportProject> m_project;
    QHash<QString, QString> m_parameters;
    QHash<QString, DataConnection*> m_connections;
    QDateTime m_printDate;
};
