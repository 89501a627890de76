#pragma once

#include <QColor>
#include <QLineF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

// The report project: the layouts of the printed lists and sheets, read from a text file that
// lies beside the program (reports/orbt.rav). The README describes the format ("Report
// layouts"). Positions and sizes are millimetres, font sizes points.

struct ReportFont {
    QString family;
    double size = 9;
    bool bold = false;
    bool italic = false;
    bool strike = false;
};

// How a value is written.
enum class ValueFormat {
    Default,  // as the lists show it; date-time values as dd.MM.yyyy (with the time if any)
    Text,     // as stored
    Date,     // dd.MM.yyyy
    Time,     // HH:mm
    DateTime, // dd.MM.yyyy HH:mm
    Duration, // hours and minutes of a duration in days, 36:00
    Money,    // 1.500,50
    Number,   // German notation, as many decimals as needed
    Percent,  // 40 %
};

struct ReportElement {
    enum class Kind { Text, Field, Sum, Count, Line, Box };
    Kind kind = Kind::Text;
    int line = 0;   // in the project file
    QRectF rect;    // within its band; Line: the bounding box of the line
    QLineF segment; // Line only
    // Text: the text with {placeholders}; Field and Sum: the field ("Bezeichnung" or
    // "RVProjekte.Bezeichnung").
    QString source;
    ReportFont font;
    Qt::Alignment align = Qt::AlignLeft;
    bool wrap = false; // several lines; the band grows with them
    QColor color = Qt::black;
    QColor fill;           // Box: no fill when invalid
    double penWidth = 0.2; // Line and Box
    ValueFormat format = ValueFormat::Default;
    QString when;   // printed only when this field has a value
    QString unless; // printed only when this field is empty
};

struct ReportBand {
    enum class Kind { PageHeader, Title, Columns, Detail, Summary, PageFooter };
    Kind kind = Kind::Detail;
    int line = 0;
    double height = 0; // at least the bottom of its lowest element
    QColor stripe;     // Detail: the background of every second row, none when invalid
    QVector<ReportElement> elements;
};

// A report may read only the rows of its data connection that pass a filter on one field.
struct ReportFilter {
    enum class Test { None, Empty, Filled, Equals };
    Test test = Test::None;
    QString field;
    QString value; // Equals
    int line = 0;
};

struct ReportLayout {
    QString name;
    int line = 0;
    QString title;
    QString connection; // the data connection the detail band runs over; may be empty
    int connectionLine = 0;
    bool currentRowOnly = false; // a sheet of the current row instead of a list of all rows
    ReportFilter filter;
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{15, 15, 15, 15};
    ReportFont font{QStringLiteral("DejaVu Sans"), 9};
    QVector<ReportBand> bands;

    const ReportBand* band(ReportBand::Kind kind) const;
    QSizeF pageSizeMM() const; // in the orientation
};

class ReportProject {
public:
    struct Parsed {
        QVector<ReportLayout> reports;
        QStringList parameters;
    };

    // Throws ReportError naming the report and the line of the first fault.
    static ReportProject parse(const QString& text);
    // Reads and parses the file; throws ReportError when it cannot be read.
    static ReportProject load(const QString& path);

    // nullptr when the project has no report of that name (letter case counts).
    const ReportLayout* report(const QString& name) const;
    QStringList reportNames() const;
    // The declared parameters; their {Name} in a text is the parameter's value.
    const QStringList& parameters() const { return m_parameters; }

private:
    QVector<ReportLayout> m_reports;
    QStringList m_parameters;
};
