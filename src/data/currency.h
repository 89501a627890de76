#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Exact fixed-point money value with four places after the point (19 significant digits),
// held as an integer count of ten-thousandths: 0,1 + 0,2 is exactly 0,3.
class Currency {
public:
    static constexpr qint64 Scale = 10000;

    Currency() = default;
    static Currency fromScaled(qint64 scaled) { return Currency(scaled); }
    // Reads amounts as German users write them: the comma separates the decimals, a point only
    // groups three digits ("1234,5", "-0,25", "1.500" is 1500, "1.234,50"). A point anywhere
    // else ("1.5", "1.50", "12.34.5"), decimal places beyond the fourth other than zeros
    // (nothing is rounded away), letters, blanks inside, empty text or an overflow give
    // std::nullopt.
    static std::optional<Currency> fromText(const QString& text);
    // A REAL another tool wrote where a count of ten-thousandths belongs, rounded to a whole
    // count; std::nullopt when it lies beyond the range (1e300) and so is no amount.
    static std::optional<Currency> fromStoredReal(double scaled);
    // Rounded half away from zero to four places, from the value's shortest decimal form
    // (1.00005 gives 1,0001); values beyond the range saturate, NaN gives 0.
    static Currency fromDouble(double value);

    qint64 scaled() const { return m_scaled; }
    double toDouble() const { return double(m_scaled) / Scale; }
    // Plain German number, no currency sign, no grouping, no trailing zeros: "1234,5", "0", "-3".
    QString toText() const;

    friend Currency operator+(Currency a, Currency b) { return Currency(a.m_scaled + b.m_scaled); }
    friend Currency operator-(Currency a, Currency b) { return Currency(a.m_scaled - b.m_scaled); }
    friend bool operator==(Currency a, Currency b) = default;

private:
    explicit Currency(qint64 scaled) : m_scaled(scaled) {}
    qint64 m_scaled = 0;
};
