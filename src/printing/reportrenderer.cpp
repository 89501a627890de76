#include "printing/reportrenderer.h"

#include "data/currency.h"
#include "data/dataset.h"
#include "data/datetimevalue.h"
#include "printing/dataconnection.h"
#include "printing/reporterror.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>

QPageLayout RenderedReport::pageLayout() const {
    return QPageLayout(QPageSize(pageSize), orientation, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

namespace {

// Texts are measured at a fixed fine resolution, so the layout is the same whatever the
// screen or the printer; at 1200 dots per inch the rounding of the metrics does not show.
constexpr int MeasureDpi = 1200;
constexpr double MmPerDot = 25.4 / MeasureDpi;
constexpr double Epsilon = 0.001;

// Stand for the page number and count until every page is known.
const QChar PageMark(0xE000);
const QChar PagesMark(0xE001);

const QPaintDevice* measureDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = qRound(MeasureDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

QFont makeFont(const ReportFont& f) {
    QFont font(f.family);
    font.setPointSizeF(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setStrikeOut(f.strike);
    // Unhinted metrics are the same on every device.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QString germanNumber(double value, int decimals) {
    const QLocale german(QLocale::German, QLocale::Germany);
    return german.toString(value, 'f', decimals);
}

QString shortestGermanNumber(double value) {
    const QLocale german(QLocale::German, QLocale::Germany);
    return german.toString(value, 'f', QLocale::FloatingPointShortest);
}

bool numericType(FieldType type) {
    switch (type) {
    case FieldType::Counter:
    case FieldType::Integer:
    case FieldType::DateTime:
    case FieldType::Currency:
    case FieldType::Float:
        return true;
    default:
        return false;
    }
}

double numberOf(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toDouble();
    return value.toDouble();
}

// A reference to a field: of the row being printed, or of another connection's current row.
struct FieldRef {
    DataConnection* connection = nullptr; // nullptr: a closed dataset, always empty
    int column = -1;
    bool ownRow = true;
    FieldType type = FieldType::Text;
};

struct Segment {
    enum class Kind { Literal, Page, Pages, Date, Time, Title, Parameter, Field };
    Kind kind = Kind::Literal;
    QString text; // Literal; Parameter: its name
    FieldRef field;
    ValueFormat format = ValueFormat::Default;
};

struct CompiledElement {
    const ReportElement* e = nullptr;
    QVector<Segment> segments; // Text
    FieldRef field;            // Field
    QString fixedText;         // Sum and Count, worked out once per run
    bool hasWhen = false;
    bool hasUnless = false;
    FieldRef when;
    FieldRef unless;
    QFont font;
    std::shared_ptr<QFontMetricsF> metrics;
    // Widths of texts met before: a list repeats its dates, states and names.
    std::shared_ptr<QHash<QString, double>> advances;
    double lineHeight = 0; // mm
    double ascent = 0;     // mm
    double descent = 0;    // mm
    bool pageNumbers = false;
};

struct CompiledBand {
    const ReportBand* band = nullptr;
    QVector<CompiledElement> elements;
    bool grows = false;
};

// A band as printed for one row: its items placed from its top, and its height.
struct BandPiece {
    QVector<RenderedItem> items;
    double height = 0;
};

class Layouter {
public:
    Layouter(const ReportLayout& report, const ReportContext& context,
             const std::function<void(int)>& progress)
        : r(report), c(context), m_progress(progress) {}

    RenderedReport run();

private:
    [[noreturn]] void fail(int line, const QString& what) const {
        throw ReportError::at(r.name, line, what);
    }

    FieldRef resolve(const QString& name, int line) const;
    QVector<Segment> compileText(const QString& text, int line) const;
    CompiledBand compile(const ReportBand* band);
    QString valueText(const FieldRef& ref, int row, ValueFormat format) const;
    bool isEmpty(const FieldRef& ref, int row) const;
    QString segmentsText(const QVector<Segment>& segments, int row) const;
    QString elementText(const CompiledElement& ce, int row) const;
    BandPiece evaluate(const CompiledBand& band, int row, int index) const;
    void addText(const CompiledElement& ce, const QString& text, double top,
                 QVector<RenderedItem>& items, const QRectF& rect) const;

    void finishPage();
    void newPage();
    void place(BandPiece piece);
    double bottom() const { return m_bodyBottom - m_footerHeight; }

    const ReportLayout& r;
    const ReportContext& c;
    std::function<void(int)> m_progress;

    DataConnection* m_own = nullptr;
    QVector<int> m_rows;
    QRectF m_body;
    double m_bodyBottom = 0;
    double m_footerHeight = 0;

    CompiledBand m_pageHeader;
    CompiledBand m_title;
    CompiledBand m_columns;
    CompiledBand m_detail;
    CompiledBand m_summary;
    CompiledBand m_pageFooter;

    QVector<RenderedPage> m_pages;
    double m_y = 0;
    double m_pageStart = 0;  // where the rows of a page begin, below its heads
    bool m_inDetail = false; // pages begun now carry the column heads
};

FieldRef Layouter::resolve(const QString& name, int line) const {
    DataConnection* connection = m_own;
    QString field = name;
    FieldRef ref;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot > 0) {
        const QString connectionName = name.left(dot);
        DataConnection* other = c.connections.value(connectionName);
        if (!other)
            fail(line,
                 QStringLiteral("Die Datenverbindung »%1« gibt es nicht.").arg(connectionName));
        if (other != m_own) {
            connection = other;
            ref.ownRow = false;
        }
        field = name.mid(dot + 1);
    } else if (!m_own) {
        fail(line, QStringLiteral("Der Bericht hat keine Datenverbindung (data) für das Feld »%1«.")
                       .arg(name));
    }
    // A closed dataset has no fields to check: its values are empty.
    if (!connection->dataset().active())
        return ref;
    const int column = connection->columnIndex(field);
    if (column < 0)
        fail(line, QStringLiteral("Das Feld »%1« gibt es in der Datenverbindung »%2« nicht.")
                       .arg(field, connection->name()));
    ref.connection = connection;
    ref.column = column;
    const auto columns = connection->columns();
    ref.type = columns.at(column).type;
    return ref;
}

QVector<Segment> Layouter::compileText(const QString& text, int line) const {
    QVector<Segment> segments;
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            segments.append({Segment::Kind::Literal, literal, {}, ValueFormat::Default});
        literal.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('\\') && i + 1 < text.size()) {
            literal += text.at(++i);
            continue;
        }
        if (ch != QLatin1Char('{')) {
            literal += ch;
            continue;
        }
        const qsizetype end = text.indexOf(QLatin1Char('}'), i);
        QString name = text.mid(i + 1, end - i - 1).trimmed();
        i = end;
        flush();
        Segment s;
        const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
        if (colon > 0) {
            static const QHash<QString, ValueFormat> formats = {
                {QStringLiteral("text"), ValueFormat::Text},
                {QStringLiteral("date"), ValueFormat::Date},
                {QStringLiteral("time"), ValueFormat::Time},
                {QStringLiteral("datetime"), ValueFormat::DateTime},
                {QStringLiteral("duration"), ValueFormat::Duration},
                {QStringLiteral("money"), ValueFormat::Money},
                {QStringLiteral("number"), ValueFormat::Number},
                {QStringLiteral("percent"), ValueFormat::Percent},
            };
            const QString format = name.mid(colon + 1).trimmed().toLower();
            if (!formats.contains(format))
                fail(line, QStringLiteral("»%1« ist kein Format.").arg(name.mid(colon + 1)));
            s.format = formats.value(format);
            name = name.left(colon).trimmed();
        }
        if (name == QLatin1String("Seite")) {
            s.kind = Segment::Kind::Page;
        } else if (name == QLatin1String("Seiten")) {
            s.kind = Segment::Kind::Pages;
        } else if (name == QLatin1String("Datum")) {
            s.kind = Segment::Kind::Date;
        } else if (name == QLatin1String("Uhrzeit")) {
            s.kind = Segment::Kind::Time;
        } else if (name == QLatin1String("Titel")) {
            s.kind = Segment::Kind::Title;
        } else if (c.declaredParameters.contains(name)) {
            s.kind = Segment::Kind::Parameter;
            s.text = name;
        } else {
            s.kind = Segment::Kind::Field;
            s.field = resolve(name, line);
        }
        segments.append(s);
    }
    flush();
    return segments;
}

CompiledBand Layouter::compile(const ReportBand* band) {
    CompiledBand cb;
    cb.band = band;
    if (!band)
        return cb;
    for (const ReportElement& e : band->elements) {
        CompiledElement ce;
        ce.e = &e;
        if (!e.when.isEmpty()) {
            ce.hasWhen = true;
            ce.when = resolve(e.when, e.line);
        }
        if (!e.unless.isEmpty()) {
            ce.hasUnless = true;
            ce.unless = resolve(e.unless, e.line);
        }
        switch (e.kind) {
        case ReportElement::Kind::Text:
            ce.segments = compileText(e.source, e.line);
            for (const Segment& s : std::as_const(ce.segments))
                if (s.kind == Segment::Kind::Page || s.kind == Segment::Kind::Pages)
                    ce.pageNumbers = true;
            break;
        case ReportElement::Kind::Field:
            ce.field = resolve(e.source, e.line);
            break;
        case ReportElement::Kind::Sum: {
            const FieldRef ref = resolve(e.source, e.line);
            if (ref.connection && !numericType(ref.type))
                fail(e.line, QStringLiteral("Das Feld »%1« enthält keine Zahlen zum Summieren.")
                                 .arg(e.source));
            double sum = 0;
            if (ref.connection) {
                const QVector<int> rows =
                    ref.ownRow ? m_rows : QVector<int>{ref.connection->currentRow()};
                for (int row : rows)
                    if (row >= 0 && !ref.connection->isEmpty(row, ref.column))
                        sum += numberOf(ref.connection->value(row, ref.column));
            }
            switch (e.format) {
            case ValueFormat::Duration:
                ce.fixedText = showtime(sum);
                break;
            case ValueFormat::Money:
                ce.fixedText = germanNumber(sum, 2);
                break;
            default:
                ce.fixedText = shortestGermanNumber(sum);
                break;
            }
            break;
        }
        case ReportElement::Kind::Count:
            ce.fixedText = QString::number(m_rows.size());
            break;
        case ReportElement::Kind::Line:
        case ReportElement::Kind::Box:
            break;
        }
        if (e.kind != ReportElement::Kind::Line && e.kind != ReportElement::Kind::Box) {
            ce.font = makeFont(e.font);
            ce.metrics = std::make_shared<QFontMetricsF>(ce.font, measureDevice());
            ce.advances = std::make_shared<QHash<QString, double>>();
            ce.lineHeight = ce.metrics->lineSpacing() * MmPerDot;
            ce.ascent = ce.metrics->ascent() * MmPerDot;
            ce.descent = ce.metrics->descent() * MmPerDot;
            if (e.wrap)
                cb.grows = true;
        }
        cb.elements.append(ce);
    }
    return cb;
}

QString Layouter::valueText(const FieldRef& ref, int row, ValueFormat format) const {
    if (!ref.connection)
        return {};
    if (!ref.ownRow)
        row = ref.connection->currentRow();
    if (row < 0 || ref.connection->isEmpty(row, ref.column))
        return {};
    const QVariant v = ref.connection->value(row, ref.column);
    switch (format) {
    case ValueFormat::Default:
        if (ref.type == FieldType::DateTime)
            return DateTimeValue::displayText(v.toDouble());
        return ref.connection->text(row, ref.column);
    case ValueFormat::Text:
        return ref.connection->text(row, ref.column);
    case ValueFormat::Date:
        return DateTimeValue::shortDateText(numberOf(v));
    case ValueFormat::Time:
        return DateTimeValue::formatted(numberOf(v), QStringLiteral("hh:nn"));
    case ValueFormat::DateTime:
        return DateTimeValue::formatted(numberOf(v), QStringLiteral("dd.mm.yyyy hh:nn"));
    case ValueFormat::Duration:
        return showtime(numberOf(v));
    case ValueFormat::Money:
        return germanNumber(numberOf(v), 2);
    case ValueFormat::Number:
        return shortestGermanNumber(numberOf(v));
    case ValueFormat::Percent:
        return QString::number(qRound(numberOf(v))) + QStringLiteral(" %");
    }
    return {};
}

bool Layouter::isEmpty(const FieldRef& ref, int row) const {
    if (!ref.connection)
        return true;
    if (!ref.ownRow)
        row = ref.connection->currentRow();
    return row < 0 || ref.connection->isEmpty(row, ref.column);
}

QString Layouter::segmentsText(const QVector<Segment>& segments, int row) const {
    QString text;
    for (const Segment& s : segments) {
        switch (s.kind) {
        case Segment::Kind::Literal:
            text += s.text;
            break;
        case Segment::Kind::Page:
            text += PageMark;
            break;
        case Segment::Kind::Pages:
            text += PagesMark;
            break;
        case Segment::Kind::Date:
            text += c.printed.date().toString(QStringLiteral("dd.MM.yyyy"));
            break;
        case Segment::Kind::Time:
            text += c.printed.time().toString(QStringLiteral("HH:mm"));
            break;
        case Segment::Kind::Title:
            text += r.title;
            break;
        case Segment::Kind::Parameter:
            text += c.parameters.value(s.text);
            break;
        case Segment::Kind::Field:
            text += valueText(s.field, row, s.format);
            break;
        }
    }
    return text;
}

QString Layouter::elementText(const CompiledElement& ce, int row) const {
    switch (ce.e->kind) {
    case ReportElement::Kind::Text:
        return segmentsText(ce.segments, row);
    case ReportElement::Kind::Field:
        return valueText(ce.field, row, ce.e->format);
    case ReportElement::Kind::Sum:
    case ReportElement::Kind::Count:
        return ce.fixedText;
    default:
        return {};
    }
}

// The width of a text in dots at the measuring resolution.
double advanceOf(const CompiledElement& ce, const QString& text) {
    constexpr qsizetype MaxRemembered = 4096;
    QHash<QString, double>& known = *ce.advances;
    const auto found = known.constFind(text);
    if (found != known.constEnd())
        return *found;
    const double advance = ce.metrics->horizontalAdvance(text);
    if (known.size() < MaxRemembered)
        known.insert(text, advance);
    return advance;
}

// A text on one line, cut with "…" where it is too long; wrapped texts come line by line.
void Layouter::addText(const CompiledElement& ce, const QString& line, double top,
                       QVector<RenderedItem>& items, const QRectF& rect) const {
    RenderedItem item;
    item.kind = RenderedItem::Kind::Text;
    item.rect = QRectF(rect.x(), top, rect.width(), rect.height());
    item.font = ce.font;
    item.align = ce.e->align;
    item.color = ce.e->color;
    item.pageNumbers = ce.pageNumbers;
    const double baseline = top + (rect.height() + ce.ascent - ce.descent) / 2;
    if (ce.pageNumbers) {
        item.text = line;
        item.origin = QPointF(rect.x(), baseline);
        items.append(item);
        return;
    }
    const double widthDots = rect.width() / MmPerDot;
    double advance = advanceOf(ce, line);
    if (advance > widthDots) {
        item.text = ce.metrics->elidedText(line, Qt::ElideRight, widthDots);
        advance = ce.metrics->horizontalAdvance(item.text);
    } else {
        item.text = line;
    }
    const double width = advance * MmPerDot;
    double x = rect.x();
    if (ce.e->align & Qt::AlignRight)
        x = rect.right() - width;
    else if (ce.e->align & Qt::AlignHCenter)
        x = rect.x() + (rect.width() - width) / 2;
    item.origin = QPointF(x, baseline);
    items.append(item);
}

BandPiece Layouter::evaluate(const CompiledBand& band, int row, int index) const {
    BandPiece piece;
    if (!band.band)
        return piece;
    piece.height = band.band->height;
    if (band.band->stripe.isValid() && index % 2 == 1) {
        RenderedItem stripe;
        stripe.kind = RenderedItem::Kind::Box;
        stripe.rect = QRectF(0, 0, m_body.width(), piece.height);
        stripe.fill = band.band->stripe;
        piece.items.append(stripe);
    }

    struct Grown {
        double top;
        double bottom;
        double shift;
        double growth;
    };
    QVector<Grown> grown; // the wrapped elements met so far, in their order from the top
    double growthBelow = 0;

    // Elements lower down move by the growth of the wrapped texts above them.
    const auto shiftFor = [&](double top) {
        double shift = 0;
        for (const Grown& g : std::as_const(grown))
            if (g.bottom <= top + Epsilon)
                shift = std::max(shift, g.shift + g.growth);
        return shift;
    };

    QVector<const CompiledElement*> order;
    order.reserve(band.elements.size());
    for (const CompiledElement& ce : band.elements)
        order.append(&ce);
    if (band.grows)
        std::stable_sort(order.begin(), order.end(),
                         [](const CompiledElement* a, const CompiledElement* b) {
                             return a->e->rect.top() < b->e->rect.top();
                         });

    for (const CompiledElement* ce : std::as_const(order)) {
        const ReportElement& e = *ce->e;
        if (ce->hasWhen && isEmpty(ce->when, row))
            continue;
        if (ce->hasUnless && !isEmpty(ce->unless, row))
            continue;
        const double shift = band.grows ? shiftFor(e.rect.top()) : 0;
        switch (e.kind) {
        case ReportElement::Kind::Line: {
            RenderedItem item;
            item.kind = RenderedItem::Kind::Line;
            item.segment = e.segment.translated(0, shift);
            item.rect = e.rect.translated(0, shift);
            item.color = e.color;
            item.penWidth = e.penWidth;
            piece.items.append(item);
            break;
        }
        case ReportElement::Kind::Box: {
            RenderedItem item;
            item.kind = RenderedItem::Kind::Box;
            item.rect = e.rect.translated(0, shift);
            item.color = e.color;
            item.fill = e.fill;
            item.penWidth = e.penWidth;
            piece.items.append(item);
            break;
        }
        default: {
            QString text = elementText(*ce, row);
            const QRectF rect = e.rect.translated(0, shift);
            if (!e.wrap) {
                if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\t'))) {
                    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
                    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
                }
                if (!text.isEmpty())
                    addText(*ce, text, rect.top(), piece.items, rect);
                break;
            }
            // Wrapped: line by line at the width of the element; a paragraph break stays one.
            text.replace(QLatin1Char('\t'), QStringLiteral("    "));
            text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            QStringList lines;
            if (!text.contains(QChar::LineSeparator) &&
                advanceOf(*ce, text) <= rect.width() / MmPerDot) {
                if (!text.isEmpty())
                    lines << text; // fits on one line
            } else {
                QTextLayout layout(text, ce->font, const_cast<QPaintDevice*>(measureDevice()));
                QTextOption option;
                option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
                layout.setTextOption(option);
                layout.beginLayout();
                for (QTextLine line = layout.createLine(); line.isValid();
                     line = layout.createLine()) {
                    line.setLineWidth(rect.width() / MmPerDot);
                    QString part = text.mid(line.textStart(), line.textLength());
                    while (!part.isEmpty() &&
                           (part.back().isSpace() || part.back() == QChar::LineSeparator))
                        part.chop(1);
                    lines << part;
                }
                layout.endLayout();
            }
            const double lineHeight = ce->lineHeight;
            // An element one line high keeps its line in the middle, like its neighbours.
            const double padding = rect.height() >= 2 * lineHeight
                                       ? 0
                                       : std::max(0.0, (rect.height() - lineHeight) / 2);
            for (int i = 0; i < lines.size(); ++i) {
                if (lines.at(i).isEmpty())
                    continue;
                addText(*ce, lines.at(i), rect.top() + padding + i * lineHeight, piece.items,
                        QRectF(rect.x(), 0, rect.width(), lineHeight));
            }
            const double needed = lines.size() * lineHeight + 2 * padding;
            const double growth = std::max(0.0, needed - rect.height());
            grown.append({e.rect.top(), e.rect.bottom(), shift, growth});
            growthBelow = std::max(growthBelow, shift + growth);
            break;
        }
        }
    }
    piece.height += growthBelow;
    if (band.band->stripe.isValid() && index % 2 == 1)
        piece.items.first().rect.setHeight(piece.height);
    return piece;
}

void Layouter::finishPage() {
    if (m_pages.isEmpty())
        return;
    BandPiece footer = evaluate(m_pageFooter, m_own ? m_own->currentRow() : -1, 0);
    const QPointF offset(m_body.left(), m_bodyBottom - m_footerHeight);
    for (RenderedItem& item : footer.items) {
        item.rect.translate(offset);
        item.segment.translate(offset);
        item.origin += offset;
        m_pages.last().items.append(item);
    }
}

void Layouter::newPage() {
    finishPage();
    m_pages.append(RenderedPage());
    if (m_progress)
        m_progress(int(m_pages.size()));
    m_y = m_body.top();
    m_pageStart = m_body.bottom(); // nothing counts as fresh while the heads are placed
    const int current = m_own ? m_own->currentRow() : -1;
    place(evaluate(m_pageHeader, current, 0));
    if (m_inDetail)
        place(evaluate(m_columns, current, 0));
    m_pageStart = m_y;
}

// Puts a band on the page from the current position. A band that does not fit goes to the
// next page; one taller than a whole page is parted between its text lines.
void Layouter::place(BandPiece piece) {
    const auto put = [&](const RenderedItem& source, double offset) {
        RenderedItem item = source;
        item.rect.translate(m_body.left(), offset);
        item.segment.translate(m_body.left(), offset);
        item.origin += QPointF(m_body.left(), offset);
        m_pages.last().items.append(item);
    };
    for (;;) {
        const double room = bottom() - m_y;
        if (piece.height <= room + Epsilon) {
            for (const RenderedItem& item : std::as_const(piece.items))
                put(item, m_y);
            m_y += piece.height;
            return;
        }
        // Only heads stand on the page so far: the band does not fit on any page as a whole.
        const bool freshPage = m_y <= m_pageStart + Epsilon;
        if (!freshPage) {
            newPage();
            continue;
        }
        // The cut lies above the first text line that would cross the page's bottom.
        double cut = room;
        for (const RenderedItem& item : std::as_const(piece.items))
            if (item.kind == RenderedItem::Kind::Text && item.rect.top() < cut &&
                item.rect.bottom() > room + Epsilon)
                cut = item.rect.top();
        if (cut <= Epsilon)
            cut = room; // a single line taller than the page is cut off
        BandPiece rest;
        rest.height = piece.height - cut;
        for (const RenderedItem& item : std::as_const(piece.items)) {
            if (item.kind == RenderedItem::Kind::Text) {
                if (item.rect.top() < cut - Epsilon) {
                    put(item, m_y);
                } else {
                    RenderedItem part = item;
                    part.rect.translate(0, -cut);
                    part.origin -= QPointF(0, cut);
                    rest.items.append(part);
                }
                continue;
            }
            // Lines and boxes that cross the cut are drawn in two parts.
            if (item.rect.top() < cut - Epsilon) {
                RenderedItem part = item;
                if (item.rect.bottom() > cut) {
                    part.rect.setBottom(cut);
                    if (item.kind == RenderedItem::Kind::Line)
                        part.segment = QLineF(item.segment.p1(), QPointF(item.segment.x2(), cut));
                }
                put(part, m_y);
            }
            if (item.rect.bottom() > cut + Epsilon) {
                RenderedItem part = item;
                if (item.rect.top() < cut) {
                    part.rect.setTop(cut);
                    if (item.kind == RenderedItem::Kind::Line)
                        part.segment = QLineF(QPointF(item.segment.x1(), cut), item.segment.p2());
                }
                part.rect.translate(0, -cut);
                part.segment.translate(0, -cut);
                rest.items.append(part);
            }
        }
        newPage();
        piece = rest;
    }
}

RenderedReport Layouter::run() {
    RenderedReport result;
    result.name = r.name;
    result.title = r.title;
    result.pageSize = r.pageSize;
    result.orientation = r.orientation;

    if (!r.connection.isEmpty()) {
        m_own = c.connections.value(r.connection);
        if (!m_own)
            fail(r.connectionLine,
                 QStringLiteral("Die Datenverbindung »%1« gibt es nicht.").arg(r.connection));
        m_rows = m_own->rows(r.currentRowOnly);
    }

    const QSizeF page = r.pageSizeMM();
    m_body = QRectF(r.margins.left(), r.margins.top(),
                    page.width() - r.margins.left() - r.margins.right(),
                    page.height() - r.margins.top() - r.margins.bottom());
    m_bodyBottom = m_body.bottom();

    m_pageHeader = compile(r.band(ReportBand::Kind::PageHeader));
    m_title = compile(r.band(ReportBand::Kind::Title));
    m_columns = compile(r.band(ReportBand::Kind::Columns));
    m_detail = compile(r.band(ReportBand::Kind::Detail));
    m_summary = compile(r.band(ReportBand::Kind::Summary));
    m_pageFooter = compile(r.band(ReportBand::Kind::PageFooter));

    m_footerHeight = m_pageFooter.band ? m_pageFooter.band->height : 0;
    const double heads = (m_pageHeader.band ? m_pageHeader.band->height : 0) +
                         (m_columns.band ? m_columns.band->height : 0);
    if (heads + m_footerHeight + 1 > m_body.height())
        fail(r.line, QStringLiteral("Kopf- und Fußbänder lassen auf der Seite keinen Platz."));

    const int current = m_own ? m_own->currentRow() : -1;
    newPage();
    place(evaluate(m_title, current, 0));
    m_inDetail = true;
    if (m_columns.band)
        place(evaluate(m_columns, current, 0));
    m_pageStart = m_y;
    if (m_detail.band) {
        int index = 0;
        for (int row : std::as_const(m_rows))
            place(evaluate(m_detail, row, index++));
    }
    m_inDetail = false;
    if (m_summary.band) {
        // The sums close the list; they go to a page of their own only when they must.
        BandPiece summary = evaluate(m_summary, current, 0);
        if (summary.height > bottom() - m_y + Epsilon && m_y > m_pageStart + Epsilon)
            newPage();
        place(summary);
    }
    finishPage();

    // Now that the count is known, the page numbers go in.
    const QString count = QString::number(m_pages.size());
    for (qsizetype p = 0; p < m_pages.size(); ++p) {
        const QString number = QString::number(p + 1);
        for (RenderedItem& item : m_pages[p].items) {
            if (!item.pageNumbers)
                continue;
            item.text.replace(PageMark, number);
            item.text.replace(PagesMark, count);
        }
    }
    result.pages = std::move(m_pages);
    return result;
}

} // namespace

RenderedReport ReportRenderer::layout(const ReportLayout& report, const ReportContext& context,
                                      const std::function<void(int)>& progress) {
    return Layouter(report, context, progress).run();
}

void ReportRenderer::paint(const RenderedReport& report, QPainter& painter,
                           QPagedPaintDevice& device, int from, int to,
                           const std::function<void(int)>& progress) {
    const int count = report.pageCount();
    from = from <= 0 ? 1 : from;
    to = to <= 0 || to > count ? count : to;
    const double sx = painter.device()->logicalDpiX() / 25.4;
    const double sy = painter.device()->logicalDpiY() / 25.4;
    const auto at = [&](const QPointF& p) { return QPointF(p.x() * sx, p.y() * sy); };
    const auto box = [&](const QRectF& r) { return QRectF(at(r.topLeft()), at(r.bottomRight())); };

    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont currentFont;
    QColor currentColour;
    bool fontSet = false;
    bool first = true;
    for (int number = from; number <= to; ++number) {
        if (!first && !device.newPage())
            break;
        first = false;
        if (progress)
            progress(number);
        fontSet = false;
        for (const RenderedItem& item : report.pages.at(number - 1).items) {
            switch (item.kind) {
            case RenderedItem::Kind::Text: {
                if (!fontSet || item.font != currentFont) {
                    painter.setFont(item.font);
                    currentFont = item.font;
                }
                if (!fontSet || item.color != currentColour) {
                    painter.setPen(item.color);
                    currentColour = item.color;
                }
                fontSet = true;
                if (item.pageNumbers) {
                    const QFontMetricsF metrics(item.font, painter.device());
                    const QRectF space = box(item.rect);
                    const QString text =
                        metrics.elidedText(item.text, Qt::ElideRight, space.width());
                    painter.drawText(space, int(item.align | Qt::AlignVCenter) | Qt::TextSingleLine,
                                     text);
                } else {
                    painter.drawText(at(item.origin), item.text);
                }
                break;
            }
            case RenderedItem::Kind::Line: {
                QPen pen(item.color, std::max(item.penWidth, 0.05) * sx);
                pen.setCapStyle(Qt::FlatCap);
                painter.setPen(pen);
                painter.drawLine(QLineF(at(item.segment.p1()), at(item.segment.p2())));
                currentColour = QColor();
                fontSet = false;
                break;
            }
            case RenderedItem::Kind::Box: {
                const QRectF area = box(item.rect);
                if (item.fill.isValid())
                    painter.fillRect(area, item.fill);
                if (item.penWidth > 0) {
                    QPen pen(item.color, item.penWidth * sx);
                    pen.setJoinStyle(Qt::MiterJoin);
                    painter.setPen(pen);
                    painter.setBrush(Qt::NoBrush);
                    painter.drawRect(area);
                    currentColour = QColor();
                    fontSet = false;
                }
                break;
            }
            }
        }
    }
}
