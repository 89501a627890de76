#include "data/germanorder.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <sqlite3.h>
#include <vector>

namespace {

// --- German order ------------------------------------------------------------------------
//
// Texts compare as the German users of the old engine knew it: case is ignored, umlauts and
// other accented letters sort with their base letter (Ä with A, ö with o), ß counts as ss.
// Only when the base letters are all equal does the first differing accent decide, so Muller
// sorts before Müller while MÜLLER and müller are equal.

struct Weight {
    char32_t base = 0;
    char32_t second = 0; // the second letter of an expansion (ß: s, s)
    quint16 accent = 0;
};

class GermanTable {
public:
    static constexpr char32_t Size = 0x250; // Latin-1 and the Latin extensions

    GermanTable() {
        for (char32_t c = 0; c < Size; ++c)
            m_weights[c] = make(c);
    }

    Weight of(char32_t c) const {
        if (c < Size)
            return m_weights[c];
        if (c == 0x1E9E) // capital ß
            return {U's', U's', 0};
        return {QChar::toCaseFolded(c), 0, 0};
    }

private:
    static Weight make(char32_t c) {
        switch (c) {
        case 0xDF:
            return {U's', U's', 0};
        case 0xC6:
        case 0xE6:
            return {U'a', U'e', 0};
        case 0x152:
        case 0x153:
            return {U'o', U'e', 0};
        case 0xD8:
        case 0xF8:
            return {U'o', 0, 0x338};
        case 0x110:
        case 0x111:
            return {U'd', 0, 0x335};
        case 0x141:
        case 0x142:
            return {U'l', 0, 0x337};
        default:
            break;
        }
        char32_t base = c;
        quint16 accent = 0;
        while (QChar::decompositionTag(base) == QChar::Canonical) {
            const QList<uint> parts = QChar::decomposition(base).toUcs4();
            if (parts.isEmpty())
                break;
            if (!accent && parts.size() > 1)
                accent = quint16(parts.at(1));
            base = parts.at(0);
        }
        return {QChar::toCaseFolded(base), 0, accent};
    }

    Weight m_weights[Size];
};

const GermanTable& germanTable() {
    static const GermanTable table;
    return table;
}

bool isCombiningMark(char32_t c) {
    return c >= 0x300 && c <= 0x36F;
}

class GermanReader {
public:
    GermanReader(const void* text, int length)
        : m_p(static_cast<const unsigned char*>(text)), m_end(m_p + (length > 0 ? length : 0)) {}

    bool next(char32_t& weight, quint16& accent) {
        if (m_pending) {
            weight = m_pending;
            accent = 0;
            m_pending = 0;
            return true;
        }
        if (m_p >= m_end)
            return false;
        const unsigned char b = *m_p;
        if (b < 0x80 && (m_p + 1 >= m_end || m_p[1] < 0xCC || m_p[1] > 0xCD)) {
            ++m_p;
            weight = (b >= 'A' && b <= 'Z') ? char32_t(b + 32) : char32_t(b);
            accent = 0;
            return true;
        }
        const Weight w = germanTable().of(decode());
        weight = w.base;
        accent = w.accent;
        m_pending = w.second;
        // A letter written with a separate combining accent counts like the composed one.
        while (m_p < m_end) {
            const unsigned char* at = m_p;
            const char32_t mark = decode();
            if (!isCombiningMark(mark)) {
                m_p = at;
                break;
            }
            if (!accent)
                accent = quint16(mark);
        }
        return true;
    }

private:
    char32_t decode() {
        const unsigned char b = *m_p++;
        int extra = 0;
        char32_t c = b;
        if (b >= 0xF0 && b < 0xF8) {
            extra = 3;
            c = b & 0x07;
        } else if (b >= 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if (b >= 0xC0) {
            extra = 1;
            c = b & 0x1F;
        } else {
            return b;
        }
        if (m_end - m_p < extra)
            return b;
        for (int i = 0; i < extra; ++i) {
            if ((m_p[i] & 0xC0) != 0x80)
                return b;
        }
        for (int i = 0; i < extra; ++i)
            c = (c << 6) | (*m_p++ & 0x3F);
        return c;
    }

    const unsigned char* m_p;
    const unsigned char* m_end;
    char32_t m_pending = 0;
};

// --- Statements --------------------------------------------------------------------------

struct Token {
    enum Kind { Space, Word, Quoted, Text, Number, Symbol };
    Kind kind = Symbol;
    qsizetype start = 0;
    qsizetype end = 0;
    QString name; // Word and Quoted: the name without its quotes
};

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    const qsizetype n = sql.size();
    const auto at = [&](qsizetype i) { return i < n ? sql[i] : QChar(); };
    // A quoted name or text up to its closing character; a doubled one stands for itself.
    const auto skipQuoted = [&](qsizetype i, QChar close, bool doubled) {
        for (++i; i < n; ++i) {
            if (sql[i] != close)
                continue;
            if (doubled && at(i + 1) == close) {
                ++i;
                continue;
            }
            return i + 1;
        }
        return n;
    };
    qsizetype i = 0;
    while (i < n) {
        Token token;
        token.start = i;
        const QChar c = sql[i];
        if (c.isSpace()) {
            token.kind = Token::Space;
            while (i < n && sql[i].isSpace())
                ++i;
        } else if (c == u'-' && at(i + 1) == u'-') {
            token.kind = Token::Space;
            while (i < n && sql[i] != u'\n')
                ++i;
        } else if (c == u'/' && at(i + 1) == u'*') {
            token.kind = Token::Space;
            const qsizetype close = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (c == u'\'') {
            token.kind = Token::Text;
            i = skipQuoted(i, c, true);
        } else if (c == u'"' || c == u'`' || c == u'[') {
            token.kind = Token::Quoted;
            const QChar close = c == u'[' ? QChar(u']') : c;
            i = skipQuoted(i, close, c != u'[');
            token.name = sql.mid(token.start + 1, i - token.start - 2);
            if (c != u'[')
                token.name.replace(QString(2, close), QString(close));
        } else if (c.isLetter() || c == u'_') {
            token.kind = Token::Word;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == u'_' || sql[i] == u'$'))
                ++i;
            token.name = sql.mid(token.start, i - token.start);
        } else if (c.isDigit()) {
            token.kind = Token::Number;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == u'.'))
                ++i;
        } else {
            token.kind = Token::Symbol;
            ++i;
        }
        token.end = i;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool isName(const Token& token) {
    return token.kind == Token::Word || token.kind == Token::Quoted;
}

bool isKeyword(const Token& token, const char* keyword) {
    return token.kind == Token::Word &&
           token.name.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token& token, const QString& sql, char16_t symbol) {
    return token.kind == Token::Symbol && sql[token.start] == symbol;
}

bool isTextColumn(const TableInfo* table, const QString& column) {
    if (!table)
        return false;
    const int index = table->columnIndex(column);
    if (index < 0)
        return false;
    const FieldType type = table->columns.at(index).type;
    return type == FieldType::Text || type == FieldType::Memo;
}

int germanCollation(void*, int aLength, const void* a, int bLength, const void* b) {
    return GermanOrder::compare(static_cast<const char*>(a), aLength, static_cast<const char*>(b),
                                bLength);
}

} // namespace

namespace GermanOrder {

int compare(const char* a, int aLength, const char* b, int bLength) {
    // Texts that are sorted side by side mostly share their start in plain letters: it is passed
    // by bytes, ignoring case. Its last letter is read again, as an accent may follow it.
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    const int shortest = std::min(aLength, bLength);
    int same = 0;
    while (same < shortest) {
        const auto l = static_cast<unsigned char>(a[same]);
        const auto r = static_cast<unsigned char>(b[same]);
        if (l >= 0x80 || r >= 0x80 || lower(l) != lower(r))
            break;
        ++same;
    }
    if (same > 0)
        --same;
    GermanReader left(a + same, aLength - same);
    GermanReader right(b + same, bLength - same);
    int accentOrder = 0;
    for (;;) {
        char32_t l = 0, r = 0;
        quint16 la = 0, ra = 0;
        const bool hasLeft = left.next(l, la);
        const bool hasRight = right.next(r, ra);
        if (!hasLeft || !hasRight)
            return hasLeft ? 1 : hasRight ? -1 : accentOrder;
        if (l != r)
            return l < r ? -1 : 1;
        if (!accentOrder && la != ra)
            accentOrder = la < ra ? -1 : 1;
    }
}

QString applyTo(const QString& sql,
                const std::function<const TableInfo*(const QString&)>& tableOf) {
    const std::vector<Token> tokens = tokenize(sql);
    // The significant tokens, without blanks and comments.
    std::vector<size_t> sig;
    for (size_t t = 0; t < tokens.size(); ++t) {
        if (tokens[t].kind != Token::Space)
            sig.push_back(t);
    }
    const auto token = [&](qsizetype s) -> const Token* {
        return s >= 0 && s < qsizetype(sig.size()) ? &tokens[sig[size_t(s)]] : nullptr;
    };

    // The tables the statement reads or writes: named after FROM, JOIN, UPDATE and INTO, and
    // after the commas of a FROM list.
    std::vector<const TableInfo*> tables;
    bool inFrom = false;
    for (qsizetype s = 0; s < qsizetype(sig.size()); ++s) {
        const Token& t = *token(s);
        const bool from = isKeyword(t, "from");
        if (from || isKeyword(t, "join") || isKeyword(t, "update") || isKeyword(t, "into") ||
            (inFrom && isSymbol(t, sql, u','))) {
            if (const Token* next = token(s + 1); next && isName(*next)) {
                if (const TableInfo* table = tableOf(next->name))
                    tables.push_back(table);
            }
        }
        if (from)
            inFrom = true;
        else if (isKeyword(t, "where") || isKeyword(t, "join") || isKeyword(t, "on") ||
                 isKeyword(t, "order") || isKeyword(t, "group") || isKeyword(t, "having") ||
                 isKeyword(t, "limit") || isKeyword(t, "select") || isSymbol(t, sql, u';') ||
                 isSymbol(t, sql, u')'))
            inFrom = false;
    }
    if (tables.empty())
        return sql;

    enum class Clause { Other, Compare, Order };
    Clause clause = Clause::Other;
    std::vector<Clause> outer;           // the clauses around each open parenthesis
    std::vector<qsizetype> collateAfter; // text positions
    for (qsizetype s = 0; s < qsizetype(sig.size()); ++s) {
        const Token& t = *token(s);
        if (t.kind == Token::Symbol) {
            const QChar c = sql[t.start];
            if (c == u'(') {
                outer.push_back(clause);
            } else if (c == u')') {
                if (!outer.empty()) {
                    clause = outer.back();
                    outer.pop_back();
                }
            } else if (c == u';') {
                clause = Clause::Other;
                outer.clear();
            }
            continue;
        }
        if (t.kind == Token::Word) {
            if (isKeyword(t, "where") || isKeyword(t, "on") || isKeyword(t, "having")) {
                clause = Clause::Compare;
                continue;
            }
            if (isKeyword(t, "by")) {
                const Token* before = token(s - 1);
                if (before && (isKeyword(*before, "order") || isKeyword(*before, "group")))
                    clause = Clause::Order;
                continue;
            }
            if (isKeyword(t, "select") || isKeyword(t, "from") || isKeyword(t, "set") ||
                isKeyword(t, "values") || isKeyword(t, "into") || isKeyword(t, "join") ||
                isKeyword(t, "limit") || isKeyword(t, "offset")) {
                clause = Clause::Other;
                continue;
            }
        }
        if (clause == Clause::Other || !isName(t))
            continue;
        // A qualifier, a function's name or a column given its own collation stays.
        const Token* next = token(s + 1);
        if (next && (isSymbol(*next, sql, u'.') || isSymbol(*next, sql, u'(') ||
                     isKeyword(*next, "collate")))
            continue;
        bool text = false;
        const Token* dot = token(s - 1);
        const Token* qualifier = token(s - 2);
        if (dot && isSymbol(*dot, sql, u'.') && qualifier && isName(*qualifier) &&
            tableOf(qualifier->name)) {
            text = isTextColumn(tableOf(qualifier->name), t.name);
        } else {
            for (const TableInfo* table : tables)
                text = text || isTextColumn(table, t.name);
        }
        if (text)
            collateAfter.push_back(t.end);
    }
    if (collateAfter.empty())
        return sql;

    QString out;
    out.reserve(sql.size() + qsizetype(collateAfter.size()) * 16);
    qsizetype copied = 0;
    for (const qsizetype position : collateAfter) {
        out += QStringView(sql).mid(copied, position - copied);
        out += QLatin1String(" COLLATE GERMAN");
        copied = position;
    }
    out += QStringView(sql).mid(copied);
    return out;
}

void registerCollation(sqlite3* db) {
    sqlite3_create_collation_v2(db, "GERMAN", SQLITE_UTF8, nullptr, germanCollation, nullptr);
}

} // namespace GermanOrder
