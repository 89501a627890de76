#pragma once

#include "platform/orbentaerror.h"

// A fault of the report project: a layout that cannot be read, or a field or data connection a
// report names that is not there. The text names the report and the line of the project file.
class ReportError : public OrbentaError {
public:
    using OrbentaError::OrbentaError;

    // "Fehler im Bericht »PRListe«, Zeile 42: <what>"; without a report or a line the parts
    // are left out.
    static ReportError at(const QString& report, int line, const QString& what) {
        QString text = QStringLiteral("Fehler im Berichtsprojekt");
        if (!report.isEmpty())
            text = QStringLiteral("Fehler im Bericht »%1«").arg(report);
        if (line > 0)
            text += QStringLiteral(", Zeile %1").arg(line);
        return ReportError(text + QStringLiteral(": ") + what);
    }
};
