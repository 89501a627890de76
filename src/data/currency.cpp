#include "data/currency.h"

#include <QList>
#include <QtNumeric>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool allDigits(QStringView s) {
    return std::all_of(s.begin(), s.end(), isAsciiDigit);
}

// "1.234.567": one to three digits, the first not a zero, then groups of exactly three. A point
// anywhere else ("1.5", "0.500") is no grouping: read as one, it would store another value than
// the one meant.
bool isGrouped(QStringView s) {
    const auto groups = s.split(u'.');
    if (groups.first().isEmpty() || groups.first().size() > 3 || groups.first().front() == u'0')
        return false;
    for (qsizetype i = 1; i < groups.size(); ++i) {
        if (groups[i].size() != 3)
            return false;
    }
    return allDigits(s.toString().remove(u'.'));
}

// Digits beyond the fourth place are either rounded (values from doubles) or must be zeros
// (typed text), so that nothing the user typed is lost unnoticed.
std::optional<qint64> toScaled(bool negative, QStringView whole, QStringView fraction,
                               bool roundRest) {
    quint64 magnitude = 0;
    bool overflow = false;
    const auto push = [&](int digit) {
        overflow = overflow || qMulOverflow(magnitude, quint64(10), &magnitude) ||
                   qAddOverflow(magnitude, quint64(digit), &magnitude);
    };
    for (QChar c : whole)
        push(c.digitValue());
    for (qsizetype i = 0; i < 4; ++i)
        push(i < fraction.size() ? fraction[i].digitValue() : 0);
    const QStringView rest = fraction.size() > 4 ? fraction.sliced(4) : QStringView();
    if (roundRest) {
        if (!rest.isEmpty() && rest[0] >= u'5')
            overflow = overflow || qAddOverflow(magnitude, quint64(1), &magnitude);
    } else if (!std::all_of(rest.begin(), rest.end(), [](QChar c) { return c == u'0'; })) {
        return std::nullopt;
    }
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (overflow || magnitude > limit)
        return std::nullopt;
    if (negative)
        return magnitude == 0 ? 0 : -qint64(magnitude - 1) - 1;
    return qint64(magnitude);
}

} // namespace

std::optional<Currency> Currency::fromText(const QString& text) {
    QString s = text.trimmed();
    bool negative = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = s.front() == u'-';
        s.remove(0, 1);
    }
    // The comma is the decimal separator; points only group the whole part.
    const qsizetype comma = s.indexOf(u',');
    const QStringView grouped = comma < 0 ? QStringView(s) : QStringView(s).first(comma);
    const QStringView fraction = comma < 0 ? QStringView() : QStringView(s).sliced(comma + 1);
    if (grouped.contains(u'.') && !isGrouped(grouped))
        return std::nullopt;
    const QString whole = grouped.toString().remove(u'.');
    if ((whole.isEmpty() && fraction.isEmpty()) || !allDigits(whole) || !allDigits(fraction))
        return std::nullopt;
    const auto scaled = toScaled(negative, whole, fraction, false);
    if (!scaled)
        return std::nullopt;
    return Currency(*scaled);
}

std::optional<Currency> Currency::fromStoredReal(double scaled) {
    // 2^63 is exact as a double; the NaN test is in the comparisons.
    constexpr double limit = 9223372036854775808.0;
    const double rounded = std::round(scaled);
    if (!(rounded >= -limit && rounded < limit))
        return std::nullopt;
    return Currency(qint64(rounded));
}

Currency Currency::fromDouble(double value) {
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    if (std::isnan(value) || std::fabs(value) < 0.00001)
        return Currency();
    if (std::fabs(value) >= 922337203685477.5807)
        return Currency(value < 0 ? min : max);
    // Round the shortest decimal form, so 1.00005 gives 1,0001 although its binary value
    // lies a little below.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    const QString digits = QString::fromLatin1(buffer, result.ptr - buffer);
    const qsizetype point = digits.indexOf(u'.');
    const QStringView whole = point < 0 ? QStringView(digits) : QStringView(digits).first(point);
    const QStringView fraction = point < 0 ? QStringView() : QStringView(digits).sliced(point + 1);
    const bool negative = value < 0;
    return Currency(toScaled(negative, whole, fraction, true).value_or(negative ? min : max));
}

QString Currency::toText() const {
    const quint64 magnitude = m_scaled < 0 ? 0 - quint64(m_scaled) : quint64(m_scaled);
    QString text = QString::number(magnitude / Scale);
    if (const quint64 fraction = magnitude % Scale) {
        QString places = QString::number(fraction).rightJustified(4, u'0');
        while (places.endsWith(u'0'))
            places.chop(1);
        text += u',' + places;
    }
    if (m_scaled < 0)
        text.prepend(u'-');
    return text;
}
