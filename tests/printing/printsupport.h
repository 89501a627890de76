#pragma once

#include "printing/reportoutput.h"

#include <QString>

// The text of a PDF file as poppler's pdftotext reads it (layout kept), and its page count.
QString pdfText(const QString& file);
int pdfPages(const QString& file);

// The report output in scripted mode for one test: every destination writes a PDF, and the
// output dialog answers with a choice given beforehand.
class ScriptedOutput {
public:
    ScriptedOutput();
    ~ScriptedOutput();
    ScriptedOutput(const ScriptedOutput&) = delete;
    ScriptedOutput& operator=(const ScriptedOutput&) = delete;

    static ReportOutput& output() { return ReportOutput::instance(); }
    // The next output dialog chooses this destination, writing to file.
    static void choose(const QString& file,
                       ReportOutput::Destination destination = ReportOutput::Destination::File);
    static void cancelNext();

private:
    bool m_wasScripted;
};
