#include "printing/reportproject.h"

#include "printing/reporterror.h"

#include <QFile>
#include <QHash>
#include <algorithm>

const ReportBand* ReportLayout::band(ReportBand::Kind kind) const {
    for (const ReportBand& b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

QSizeF ReportLayout::pageSizeMM() const {
    const QSizeF size = QPageSize(pageSize).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? size.transposed() : size;
}

namespace {

struct Token {
    QString text;
    bool quoted = false;
};

// Reads a project file line by line; every fault names the report being read and the line.
class Parser {
public:
    explicit Parser(const QString& text) : m_lines(text.split(QLatin1Char('\n'))) {}

    ReportProject::Parsed run();

private:
    [[noreturn]] void fail(const QString& what) const {
        throw ReportError::at(m_report ? m_report->name : QString(), m_lineNo, what);
    }

    QVector<Token> tokenize(const QString& line) const;
    void topLevel(const QVector<Token>& t);
    void reportLine(const QVector<Token>& t);
    void bandLine(const QVector<Token>& t);
    void finishBand();
    void finishReport();

    double number(const QVector<Token>& t, int index, const QString& what) const;
    QString word(const QVector<Token>& t, int index, const QString& what) const;
    QColor colour(const QVector<Token>& t, int index) const;
    void elementOptions(ReportElement& e, const QVector<Token>& t, int from) const;
    void checkPlaceholders(const QString& text) const;

    QStringList m_lines;
    int m_lineNo = 0;
    ReportProject::Parsed m_result;
    ReportLayout* m_report = nullptr;
    ReportBand* m_band = nullptr;
};

QVector<Token> Parser::tokenize(const QString& line) const {
    QVector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        const QChar c = line.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        // A comment: "#" opening the line, or standing alone after a blank (a colour's "#"
        // is followed by its digits).
        if (c == QLatin1Char('#') && (tokens.isEmpty() || i + 1 >= n || line.at(i + 1).isSpace()))
            break;
        Token token;
        if (c == QLatin1Char('"')) {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar d = line.at(i++);
                if (d == QLatin1Char('\\') && i < n) {
                    const QChar e = line.at(i++);
                    // \{ stays escaped for the placeholder reader: a brace to print as it is.
                    if (e == QLatin1Char('{') || e == QLatin1Char('}'))
                        token.text += QLatin1Char('\\');
                    token.text += e == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : e;
                } else if (d == QLatin1Char('"')) {
                    closed = true;
                    break;
                } else {
                    token.text += d;
                }
            }
            if (!closed)
                fail(QStringLiteral("Das Anführungszeichen wird nicht geschlossen."));
        } else {
            while (i < n && !line.at(i).isSpace() && line.at(i) != QLatin1Char('"'))
                token.text += line.at(i++);
        }
        tokens.append(token);
    }
    return tokens;
}

double Parser::number(const QVector<Token>& t, int index, const QString& what) const {
    if (index >= t.size() || t[index].quoted)
        fail(QStringLiteral("Hier fehlt %1 (eine Zahl in Millimetern).").arg(what));
    QString text = t[index].text;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("»%1« ist keine Zahl (erwartet: %2).").arg(t[index].text, what));
    return value;
}

QString Parser::word(const QVector<Token>& t, int index, const QString& what) const {
    if (index >= t.size() || t[index].text.isEmpty())
        fail(QStringLiteral("Hier fehlt %1.").arg(what));
    return t[index].text;
}

QColor Parser::colour(const QVector<Token>& t, int index) const {
    const QString text = word(t, index, QStringLiteral("eine Farbe (#rrggbb)"));
    const QColor c = QColor::fromString(text);
    if (!c.isValid())
        fail(QStringLiteral("»%1« ist keine Farbe (erwartet: #rrggbb oder ein Farbname).")
                 .arg(text));
    return c;
}

void Parser::checkPlaceholders(const QString& text) const {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (text.at(i) == QLatin1Char('}'))
            fail(QStringLiteral("Die Klammer } hat keine öffnende Klammer {."));
        if (text.at(i) != QLatin1Char('{'))
            continue;
        const qsizetype end = text.indexOf(QLatin1Char('}'), i);
        if (end < 0)
            fail(QStringLiteral("Die Klammer { wird nicht geschlossen."));
        if (text.mid(i + 1, end - i - 1).trimmed().isEmpty())
            fail(QStringLiteral("Zwischen { und } fehlt ein Name."));
        i = end;
    }
}

ValueFormat formatNamed(const QString& name, bool& ok) {
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
    const auto found = formats.constFind(name.toLower());
    ok = found != formats.constEnd();
    return ok ? *found : ValueFormat::Default;
}

void Parser::elementOptions(ReportElement& e, const QVector<Token>& t, int from) const {
    using Kind = ReportElement::Kind;
    const bool writes = e.kind == Kind::Text || e.kind == Kind::Field || e.kind == Kind::Sum ||
                        e.kind == Kind::Count;
    const bool draws = e.kind == Kind::Line || e.kind == Kind::Box;
    for (int i = from; i < t.size(); ++i) {
        const QString option = t[i].text.toLower();
        const auto refuse = [&] {
            fail(QStringLiteral("Die Angabe »%1« passt nicht zu diesem Element.").arg(t[i].text));
        };
        if (t[i].quoted)
            fail(QStringLiteral("Unerwarteter Text »%1«.").arg(t[i].text));
        if (option == QLatin1String("bold") || option == QLatin1String("italic") ||
            option == QLatin1String("strike") || option == QLatin1String("wrap")) {
            if (!writes ||
                (option == QLatin1String("wrap") && e.kind != Kind::Text && e.kind != Kind::Field))
                refuse();
            if (option == QLatin1String("bold"))
                e.font.bold = true;
            else if (option == QLatin1String("italic"))
                e.font.italic = true;
            else if (option == QLatin1String("strike"))
                e.font.strike = true;
            else
                e.wrap = true;
        } else if (option == QLatin1String("size")) {
            if (!writes)
                refuse();
            e.font.size = number(t, ++i, QStringLiteral("die Schriftgröße in Punkt"));
            if (e.font.size < 1 || e.font.size > 200)
                fail(QStringLiteral("Die Schriftgröße muss zwischen 1 und 200 Punkt liegen."));
        } else if (option == QLatin1String("font")) {
            if (!writes)
                refuse();
            e.font.family = word(t, ++i, QStringLiteral("der Name der Schrift"));
        } else if (option == QLatin1String("align")) {
            if (!writes)
                refuse();
            const QString a = word(t, ++i, QStringLiteral("left, center oder right")).toLower();
            if (a == QLatin1String("left"))
                e.align = Qt::AlignLeft;
            else if (a == QLatin1String("center"))
                e.align = Qt::AlignHCenter;
            else if (a == QLatin1String("right"))
                e.align = Qt::AlignRight;
            else
                fail(QStringLiteral("»%1« ist keine Ausrichtung (left, center, right).")
                         .arg(t[i].text));
        } else if (option == QLatin1String("color")) {
            e.color = colour(t, ++i);
        } else if (option == QLatin1String("fill")) {
            if (e.kind != Kind::Box)
                refuse();
            e.fill = colour(t, ++i);
        } else if (option == QLatin1String("width")) {
            if (!draws)
                refuse();
            e.penWidth = number(t, ++i, QStringLiteral("die Strichstärke"));
            if (e.penWidth < 0)
                fail(QStringLiteral("Die Strichstärke darf nicht negativ sein."));
        } else if (option == QLatin1String("format")) {
            if (e.kind != Kind::Field && e.kind != Kind::Sum)
                refuse();
            bool ok = false;
            e.format = formatNamed(word(t, ++i, QStringLiteral("ein Format")), ok);
            if (!ok)
                fail(QStringLiteral("»%1« ist kein Format (text, date, time, datetime, duration, "
                                    "money, number, percent).")
                         .arg(t[i].text));
        } else if (option == QLatin1String("when")) {
            e.when = word(t, ++i, QStringLiteral("der Name eines Feldes"));
        } else if (option == QLatin1String("unless")) {
            e.unless = word(t, ++i, QStringLiteral("der Name eines Feldes"));
        } else {
            fail(QStringLiteral("Unbekannte Angabe »%1«.").arg(t[i].text));
        }
    }
}

void Parser::topLevel(const QVector<Token>& t) {
    const QString keyword = t[0].text.toLower();
    if (keyword == QLatin1String("parameters")) {
        if (t.size() < 2)
            fail(QStringLiteral("Nach »parameters« fehlen die Namen der Parameter."));
        for (int i = 1; i < t.size(); ++i)
            if (!m_result.parameters.contains(t[i].text))
                m_result.parameters << t[i].text;
    } else if (keyword == QLatin1String("report")) {
        const QString name = word(t, 1, QStringLiteral("der Name des Berichts"));
        if (t.size() > 2)
            fail(QStringLiteral("Nach dem Namen des Berichts steht noch »%1«.").arg(t[2].text));
        const bool taken = std::any_of(m_result.reports.begin(), m_result.reports.end(),
                                       [&](const ReportLayout& r) { return r.name == name; });
        if (taken)
            fail(QStringLiteral("Den Bericht »%1« gibt es schon.").arg(name));
        m_result.reports.append(ReportLayout());
        m_report = &m_result.reports.last();
        m_report->name = name;
        m_report->line = m_lineNo;
        m_report->title = name;
    } else {
        fail(QStringLiteral("Unbekannte Angabe »%1« (erwartet: report oder parameters).")
                 .arg(t[0].text));
    }
}

void Parser::reportLine(const QVector<Token>& t) {
    ReportLayout& r = *m_report;
    const QString keyword = t[0].text.toLower();
    const auto noMore = [&](int count) {
        if (t.size() > count)
            fail(QStringLiteral("Überzählige Angabe »%1«.").arg(t[count].text));
    };
    if (keyword == QLatin1String("end")) {
        noMore(1);
        finishReport();
    } else if (keyword == QLatin1String("title")) {
        r.title = word(t, 1, QStringLiteral("der Titel"));
        noMore(2);
    } else if (keyword == QLatin1String("data")) {
        r.connection = word(t, 1, QStringLiteral("der Name der Datenverbindung"));
        r.connectionLine = m_lineNo;
        noMore(2);
    } else if (keyword == QLatin1String("rows")) {
        const QString which = word(t, 1, QStringLiteral("all oder current")).toLower();
        if (which == QLatin1String("all"))
            r.currentRowOnly = false;
        else if (which == QLatin1String("current"))
            r.currentRowOnly = true;
        else
            fail(QStringLiteral("»%1« ist keine Zeilenauswahl (all, current).").arg(t[1].text));
        noMore(2);
    } else if (keyword == QLatin1String("filter")) {
        ReportFilter& f = r.filter;
        f.field = word(t, 1, QStringLiteral("der Name eines Feldes"));
        f.line = m_lineNo;
        const QString test = word(t, 2, QStringLiteral("empty, filled oder equals")).toLower();
        if (test == QLatin1String("empty")) {
            f.test = ReportFilter::Test::Empty;
            noMore(3);
        } else if (test == QLatin1String("filled")) {
            f.test = ReportFilter::Test::Filled;
            noMore(3);
        } else if (test == QLatin1String("equals")) {
            f.test = ReportFilter::Test::Equals;
            if (t.size() < 4)
                fail(QStringLiteral("Nach »equals« fehlt der Wert."));
            f.value = t[3].text;
            noMore(4);
        } else {
            fail(
                QStringLiteral("»%1« ist keine Bedingung (empty, filled, equals).").arg(t[2].text));
        }
    } else if (keyword == QLatin1String("page")) {
        static const QHash<QString, QPageSize::PageSizeId> sizes = {
            {QStringLiteral("a3"), QPageSize::A3},
            {QStringLiteral("a4"), QPageSize::A4},
            {QStringLiteral("a5"), QPageSize::A5},
            {QStringLiteral("letter"), QPageSize::Letter},
            {QStringLiteral("legal"), QPageSize::Legal},
        };
        const QString size = word(t, 1, QStringLiteral("die Papiergröße")).toLower();
        if (!sizes.contains(size))
            fail(QStringLiteral("»%1« ist keine Papiergröße (A3, A4, A5, Letter, Legal).")
                     .arg(t[1].text));
        r.pageSize = sizes.value(size);
        if (t.size() > 2) {
            const QString orientation = t[2].text.toLower();
            if (orientation == QLatin1String("portrait"))
                r.orientation = QPageLayout::Portrait;
            else if (orientation == QLatin1String("landscape"))
                r.orientation = QPageLayout::Landscape;
            else
                fail(QStringLiteral("»%1« ist keine Ausrichtung (portrait, landscape).")
                         .arg(t[2].text));
        }
        noMore(3);
    } else if (keyword == QLatin1String("margins")) {
        if (t.size() == 2) {
            const double m = number(t, 1, QStringLiteral("der Rand"));
            r.margins = QMarginsF(m, m, m, m);
        } else {
            r.margins = QMarginsF(number(t, 1, QStringLiteral("der linke Rand")),
                                  number(t, 2, QStringLiteral("der obere Rand")),
                                  number(t, 3, QStringLiteral("der rechte Rand")),
                                  number(t, 4, QStringLiteral("der untere Rand")));
            noMore(5);
        }
        if (r.margins.left() < 0 || r.margins.top() < 0 || r.margins.right() < 0 ||
            r.margins.bottom() < 0)
            fail(QStringLiteral("Ränder dürfen nicht negativ sein."));
    } else if (keyword == QLatin1String("font")) {
        r.font.family = word(t, 1, QStringLiteral("der Name der Schrift"));
        if (t.size() > 2)
            r.font.size = number(t, 2, QStringLiteral("die Schriftgröße in Punkt"));
        if (r.font.size < 1 || r.font.size > 200)
            fail(QStringLiteral("Die Schriftgröße muss zwischen 1 und 200 Punkt liegen."));
        noMore(3);
    } else if (keyword == QLatin1String("band")) {
        static const QHash<QString, ReportBand::Kind> kinds = {
            {QStringLiteral("pageheader"), ReportBand::Kind::PageHeader},
            {QStringLiteral("title"), ReportBand::Kind::Title},
            {QStringLiteral("columns"), ReportBand::Kind::Columns},
            {QStringLiteral("detail"), ReportBand::Kind::Detail},
            {QStringLiteral("summary"), ReportBand::Kind::Summary},
            {QStringLiteral("pagefooter"), ReportBand::Kind::PageFooter},
        };
        const QString kindName = word(t, 1, QStringLiteral("die Art des Bandes")).toLower();
        if (!kinds.contains(kindName))
            fail(QStringLiteral("»%1« ist keine Art von Band (pageheader, title, columns, detail, "
                                "summary, pagefooter).")
                     .arg(t[1].text));
        const ReportBand::Kind kind = kinds.value(kindName);
        if (r.band(kind))
            fail(QStringLiteral("Das Band »%1« gibt es in diesem Bericht schon.").arg(t[1].text));
        ReportBand band;
        band.kind = kind;
        band.line = m_lineNo;
        for (int i = 2; i < t.size(); ++i) {
            const QString option = t[i].text.toLower();
            if (option == QLatin1String("height")) {
                band.height = number(t, ++i, QStringLiteral("die Höhe"));
                if (band.height < 0)
                    fail(QStringLiteral("Die Höhe darf nicht negativ sein."));
            } else if (option == QLatin1String("stripe") && kind == ReportBand::Kind::Detail) {
                band.stripe = colour(t, ++i);
            } else {
                fail(QStringLiteral("Unbekannte Angabe »%1«.").arg(t[i].text));
            }
        }
        r.bands.append(band);
        m_band = &r.bands.last();
    } else {
        fail(QStringLiteral("Unbekannte Angabe »%1«.").arg(t[0].text));
    }
}

void Parser::bandLine(const QVector<Token>& t) {
    using Kind = ReportElement::Kind;
    static const QHash<QString, Kind> kinds = {
        {QStringLiteral("text"), Kind::Text}, {QStringLiteral("field"), Kind::Field},
        {QStringLiteral("sum"), Kind::Sum},   {QStringLiteral("count"), Kind::Count},
        {QStringLiteral("line"), Kind::Line}, {QStringLiteral("box"), Kind::Box},
    };
    const QString keyword = t[0].text.toLower();
    if (keyword == QLatin1String("end")) {
        if (t.size() > 1)
            fail(QStringLiteral("Überzählige Angabe »%1«.").arg(t[1].text));
        finishBand();
        return;
    }
    if (t[0].quoted || !kinds.contains(keyword))
        fail(QStringLiteral("Unbekanntes Element »%1« (erwartet: text, field, sum, count, line, "
                            "box oder end).")
                 .arg(t[0].text));
    ReportElement e;
    e.kind = kinds.value(keyword);
    e.line = m_lineNo;
    e.font = m_report->font;
    const double a = number(t, 1, QStringLiteral("die waagrechte Lage (x)"));
    const double b = number(t, 2, QStringLiteral("die senkrechte Lage (y)"));
    const double c = number(t, 3,
                            e.kind == Kind::Line ? QStringLiteral("das Ende (x2)")
                                                 : QStringLiteral("die Breite"));
    const double d = number(
        t, 4, e.kind == Kind::Line ? QStringLiteral("das Ende (y2)") : QStringLiteral("die Höhe"));
    if (e.kind == Kind::Line) {
        e.segment = QLineF(a, b, c, d);
        e.rect = QRectF(QPointF(a, b), QPointF(c, d)).normalized();
    } else {
        if (c <= 0 || d <= 0)
            fail(QStringLiteral("Breite und Höhe müssen größer als 0 sein."));
        e.rect = QRectF(a, b, c, d);
    }
    int next = 5;
    if (e.kind == Kind::Text) {
        if (next >= t.size() || !t[next].quoted)
            fail(QStringLiteral("Hier fehlt der Text in Anführungszeichen."));
        e.source = t[next++].text;
        checkPlaceholders(e.source);
    } else if (e.kind == Kind::Field || e.kind == Kind::Sum) {
        if (next >= t.size() || t[next].quoted)
            fail(QStringLiteral("Hier fehlt der Name des Feldes."));
        e.source = t[next++].text;
    }
    elementOptions(e, t, next);
    m_band->elements.append(e);
}

void Parser::finishBand() {
    ReportBand& band = *m_band;
    for (const ReportElement& e : std::as_const(band.elements))
        band.height = std::max(band.height, e.rect.bottom());
    m_band = nullptr;
}

void Parser::finishReport() {
    ReportLayout& r = *m_report;
    if (r.band(ReportBand::Kind::Detail) && r.connection.isEmpty())
        fail(QStringLiteral("Der Bericht hat ein Band »detail«, aber keine Datenverbindung "
                            "(data)."));
    const QSizeF page = r.pageSizeMM();
    if (r.margins.left() + r.margins.right() >= page.width() ||
        r.margins.top() + r.margins.bottom() >= page.height())
        fail(QStringLiteral("Die Ränder lassen auf der Seite keinen Platz."));
    m_report = nullptr;
}

ReportProject::Parsed Parser::run() {
    for (const QString& raw : std::as_const(m_lines)) {
        ++m_lineNo;
        QString line = raw;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QVector<Token> t = tokenize(line);
        if (t.isEmpty())
            continue;
        if (t[0].quoted && !m_band)
            fail(QStringLiteral("Unerwarteter Text »%1«.").arg(t[0].text));
        if (m_band)
            bandLine(t);
        else if (m_report)
            reportLine(t);
        else
            topLevel(t);
    }
    if (m_band) {
        m_lineNo = m_band->line;
        fail(QStringLiteral("Das Band wird nicht mit »end« abgeschlossen."));
    }
    if (m_report) {
        m_lineNo = m_report->line;
        fail(QStringLiteral("Der Bericht wird nicht mit »end« abgeschlossen."));
    }
    return m_result;
}

} // namespace

ReportProject ReportProject::parse(const QString& text) {
    Parsed parsed = Parser(text).run();
    ReportProject project;
    project.m_reports = std::move(parsed.reports);
    project.m_parameters = std::move(parsed.parameters);
    return project;
}

ReportProject ReportProject::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Das Berichtsprojekt »%1« kann nicht gelesen werden: %2")
                              .arg(path, file.errorString()));
    return parse(QString::fromUtf8(file.readAll()));
}

const ReportLayout* ReportProject::report(const QString& name) const {
    for (const ReportLayout& r : m_reports)
        if (r.name == name)
            return &r;
    return nullptr;
}

QStringList ReportProject::reportNames() const {
    QStringList names;
    for (const ReportLayout& r : m_reports)
        names << r.name;
    return names;
}
