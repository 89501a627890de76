#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// Date-time values are doubles of days since 30.12.1899 00:00, the fraction being the time of
// day; durations use the same form. Before the epoch the day part is negative while the fraction
// still counts forwards from midnight: -1.25 is 29.12.1899 06:00. The short date format is always
// dd.MM.yyyy. An invalid date converts to NaN, and NaN (like infinity) converts back to an
// invalid date and an empty text.
namespace DateTimeValue {

double fromDate(const QDate& date);
double fromDateTime(const QDateTime& local);
QDate toDate(double value);         // the day part, after rounding to milliseconds
QDateTime toDateTime(double value); // local date and time, rounded to milliseconds
double now();                       // the current local date and time
double today();                     // today at midnight
// Whether a stored value is a date-time at all: finite and from 01.01.0100 to 31.12.9999 (as a
// duration some 8,000 years either way). Others come only from other tools writing the file.
bool isInRange(double value);

// "05.03.2009"
QString shortDateText(double value);
QString shortDateText(const QDate& date);
// Reads what German users type: d.M.yyyy, d.M.yy (two-digit years lie in a window around the
// current year: up to 50 years ahead, else in the past, so in 2026 09 is 2009, 76 is 2076 and 77
// is 1977), d.M. and d.M (the current year); leading zeros optional, surrounding blanks ignored.
// Refuses everything else, impossible days (31.02.2009) and months (1.13.2009) included.
std::optional<QDate> parseShortDate(const QString& text, const QDate& today = QDate::currentDate());
// A time of day as typed: H:mm or H:mm:ss (hours 0 to 23), surrounding blanks ignored; the
// fraction of a day it stands for (12:00 gives 0.5). Refuses everything else (24:00, 9:60).
std::optional<double> parseTimeOfDay(const QString& text);
// A date as parseShortDate reads it, optionally followed by a blank and a time of day; or a time
// of day alone, which stands on day 0 (30.12.1899).
std::optional<double> parseDateTime(const QString& text, const QDate& today = QDate::currentDate());

// The display text of a date-time field: the short date, followed by " HH:mm:ss" when the
// time of day is not midnight.
QString displayText(double value);
// A display format of the kind datasets carry ("dd:mm:yyyy", "HH:mm"), letters in either case:
// d/dd day, m/mm month (minutes when the last token was an hour), n/nn minutes, yy/yyyy year,
// h/hh hours of 24, s/ss seconds; every other character is kept.
QString formatted(double value, const QString& displayFormat);

} // namespace DateTimeValue

// The duration text of a date-time value holding a duration in days: hours with at least two
// digits (whole days count 24 hours each), ":" and two-digit minutes; seconds are dropped.
// 0 gives "00:00", 1.5 gives "36:00", a negative value shows the time of day of its absolute
// value without adding days. Hours are not limited to 16 bits. NaN gives an empty text.
QString showtime(double duration);
