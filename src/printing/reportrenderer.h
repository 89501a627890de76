#pragma once

#include "printing/reportproject.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QLineF>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class DataConnection;
class QPagedPaintDevice;
class QPainter;

// One thing drawn on a page; positions in millimetres from the paper's top left corner.
struct RenderedItem {
    enum class Kind { Text, Line, Box };
    Kind kind = Kind::Text;
    QRectF rect; // Text: the space it was given; Box: the box
    QLineF segment;
    // Text: one line, written from `origin` (the left end of its base line). A text with the
    // page number or count gets its numbers and its place when it is painted.
    QString text;
    QPointF origin;
    QFont font;
    Qt::Alignment align = Qt::AlignLeft;
    bool pageNumbers = false;
    QColor color = Qt::black;
    QColor fill;
    double penWidth = 0;
};

struct RenderedPage {
    QVector<RenderedItem> items;
};

// A report laid out into pages, ready to be painted onto any paged device.
struct RenderedReport {
    QString name;
    QString title;
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QVector<RenderedPage> pages;

    int pageCount() const { return int(pages.size()); }
    // The paper without margins: the pages place everything themselves.
    QPageLayout pageLayout() const;
};

// What a report reads besides its layout.
struct ReportContext {
    QHash<QString, DataConnection*> connections; // by name
    QStringList declaredParameters;
    QHash<QString, QString> parameters;
    QDateTime printed; // the date of printing
};

class ReportRenderer {
public:
    // Lays the report out page by page, the rows of its data connection one after the other;
    // progress hears of every page begun. The connections must be running (begin()). Throws
    // ReportError naming the report and the line.
    static RenderedReport layout(const ReportLayout& report, const ReportContext& context,
                                 const std::function<void(int page)>& progress = {});

    // Paints the pages from..to (1-based, inclusive; 0 for the first or last page) through a
    // painter that is active on the device; progress hears of every page painted.
    static void paint(const RenderedReport& report, QPainter& painter, QPagedPaintDevice& device,
                      int from = 0, int to = 0, const std::function<void(int page)>& progress = {});
};
