#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// Date-time values are doubles of days since 30.12.1899 00:00, the fraction being the time of
// day; durations use the same form. The short date format is always dd.MM.yyyy.
namespace DateTimeValue {

double fromDate(const QDate& date);
double fromDateTime(const QDateTime& local);
QDate toDate(double value);          // the day part
QDateTime toDateTime(double value);  // local date and time, rounded to milliseconds
double now();                        // the current local date and time
double today();                      // today at midnight

// "05.03.2009"
QString shortDateText(double value);
QString shortDateText(const QDate& date);
// Reads what German users type: d.M.yyyy, d.M.yy (two-digit years lie in a window around the
// current year: up to 50 years ahead, else in the past, so 09 is 2009) and d.M. (the current
// year). Refuses everything else, impossible days (31.02.2009) and months (1.13.2009) included.
std::optional<QDate> parseShortDate(const QString& text, const QDate& today = QDate::currentDate());

// The display text of a date-time field: the short date, followed by " HH:mm:ss" when the
// time of day is not midnight.
QString displayText(double value);
// A display format of the kind datasets carry ("dd:mm:yyyy", "HH:mm"): dd, mm (month when it
// follows d, minutes after h), yyyy, HH/hh and nn tokens, other characters kept.
QString formatted(double value, const QString& displayFormat);

} // namespace DateTimeValue

// The duration text of a date-time value holding a duration in days: hours with at least two
// digits (whole days count 24 hours each), ":" and two-digit minutes; seconds are dropped.
// 0 gives "00:00", 1.5 gives "36:00", a negative value shows the time of day of its absolute
// value without adding days. Hours are not limited to 16 bits.
QString showtime(double duration);
