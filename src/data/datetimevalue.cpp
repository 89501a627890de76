#include "data/datetimevalue.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 MSecsPerDay = 86400000;

QDate epoch() {
    return QDate(1899, 12, 30);
}

// The value as a day count and the time of day, both rounded to whole milliseconds. Before
// the epoch the day part is negative while the time of day still counts forwards from
// midnight: -1.25 is 29.12.1899 06:00.
struct Parts {
    qint64 days;
    qint64 msecsOfDay;
};

std::optional<Parts> split(double value) {
    // Beyond this the milliseconds leave 64 bits.
    if (!std::isfinite(value) || std::fabs(value) > 1e11)
        return std::nullopt;
    const qint64 msecs = std::llround(value * MSecsPerDay);
    return Parts{msecs / MSecsPerDay, std::abs(msecs) % MSecsPerDay};
}

QString twoDigits(qint64 n) {
    return QString::number(n).rightJustified(2, u'0');
}

} // namespace

namespace DateTimeValue {

double fromDate(const QDate& date) {
    if (!date.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    return double(epoch().daysTo(date));
}

double fromDateTime(const QDateTime& local) {
    if (!local.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    const QDateTime dt = local.toLocalTime();
    const double days = double(epoch().daysTo(dt.date()));
    const double time = dt.time().msecsSinceStartOfDay() / double(MSecsPerDay);
    return days < 0 ? days - time : days + time;
}

QDate toDate(double value) {
    const auto parts = split(value);
    return parts ? epoch().addDays(parts->days) : QDate();
}

QDateTime toDateTime(double value) {
    const auto parts = split(value);
    if (!parts)
        return QDateTime();
    return QDateTime(epoch().addDays(parts->days),
                     QTime::fromMSecsSinceStartOfDay(int(parts->msecsOfDay)));
}

double now() {
    return fromDateTime(QDateTime::currentDateTime());
}

double today() {
    return fromDate(QDate::currentDate());
}

bool isInRange(double value) {
    // 01.01.0100 is day -657434, 01.01.10000 day 2958466; the comparisons refuse NaN too.
    return value > -657435.0 && value < 2958466.0;
}

QString shortDateText(double value) {
    return shortDateText(toDate(value));
}

QString shortDateText(const QDate& date) {
    if (!date.isValid())
        return QString();
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    return twoDigits(day) + u'.' + twoDigits(month) + u'.' +
           QString::number(year).rightJustified(4, u'0');
}

std::optional<QDate> parseShortDate(const QString& text, const QDate& today) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^([0-9]{1,2})\.([0-9]{1,2})(?:\.([0-9]{2}|[0-9]{4})?)?$)"));
    const auto match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString yearText = match.captured(3);
    int year = today.year();
    if (yearText.size() == 4) {
        year = yearText.toInt();
    } else if (yearText.size() == 2) {
        const int current = today.year();
        year = current - current % 100 + yearText.toInt();
        if (year > current + 50)
            year -= 100;
        else if (year <= current - 50)
            year += 100;
    }
    const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

namespace {

const QString TimePattern = QStringLiteral(R"((\d{1,2}):(\d{2})(?::(\d{2}))?)");

std::optional<double> timeOfDay(const QRegularExpressionMatch& match, int first) {
    const int hours = match.captured(first).toInt();
    const int minutes = match.captured(first + 1).toInt();
    const int seconds = match.captured(first + 2).toInt();
    if (hours > 23 || minutes > 59 || seconds > 59)
        return std::nullopt;
    return (hours * 3600 + minutes * 60 + seconds) / 86400.0;
}

} // namespace

std::optional<double> parseTimeOfDay(const QString& text) {
    static const QRegularExpression timeOnly(QStringLiteral(R"(^\s*)") + TimePattern +
                                             QStringLiteral(R"(\s*$)"));
    const QRegularExpressionMatch match = timeOnly.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return timeOfDay(match, 1);
}

std::optional<double> parseDateTime(const QString& text, const QDate& today) {
    if (const auto time = parseTimeOfDay(text))
        return time;
    static const QRegularExpression dateAndTime(QStringLiteral(R"(^\s*(\S+)(?:\s+)") + TimePattern +
                                                QStringLiteral(R"()?\s*$)"));
    const QRegularExpressionMatch match = dateAndTime.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<QDate> date = parseShortDate(match.captured(1), today);
    if (!date)
        return std::nullopt;
    double value = fromDate(*date);
    if (match.capturedLength(2) > 0) {
        const std::optional<double> time = timeOfDay(match, 2);
        if (!time)
            return std::nullopt;
        // Before the epoch the day part is negative while the time still counts forwards.
        value += value < 0 ? -*time : *time;
    }
    return value;
}

// Day and time of day straight from the value: a local QDateTime would cost a time-zone lookup
// per cell and move wall-clock times that fall into a clock-change gap.
QString displayText(double value) {
    const auto parts = split(value);
    if (!parts)
        return QString();
    QString text = shortDateText(epoch().addDays(parts->days));
    if (parts->msecsOfDay != 0) {
        const qint64 seconds = parts->msecsOfDay / 1000;
        text += u' ' + twoDigits(seconds / 3600) + u':' + twoDigits(seconds / 60 % 60) + u':' +
                twoDigits(seconds % 60);
    }
    return text;
}

QString formatted(double value, const QString& displayFormat) {
    const auto parts = split(value);
    if (!parts)
        return QString();
    const QDate date = epoch().addDays(parts->days);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(parts->msecsOfDay));
    QString out;
    QChar lastToken; // "m" means minutes right after an hour token, as in "hh:mm"
    for (qsizetype i = 0; i < displayFormat.size();) {
        const QChar c = displayFormat[i].toLower();
        qsizetype run = 1;
        while (i + run < displayFormat.size() && displayFormat[i + run].toLower() == c)
            ++run;
        const bool twoDigit = run >= 2;
        qsizetype used = twoDigit ? 2 : 1;
        const auto number = [&](int n) { out += twoDigit ? twoDigits(n) : QString::number(n); };
        switch (c.unicode()) {
        case 'd':
            number(date.day());
            break;
        case 'm':
            if (lastToken == u'h')
                number(time.minute());
            else
                number(date.month());
            break;
        case 'n':
            number(time.minute());
            break;
        case 'h':
            number(time.hour());
            break;
        case 's':
            number(time.second());
            break;
        case 'y':
            used = std::min<qsizetype>(run, 4);
            out += run >= 3 ? QString::number(date.year()).rightJustified(4, u'0')
                            : twoDigits(date.year() % 100);
            break;
        default:
            out += displayFormat[i];
            ++i;
            continue;
        }
        lastToken = c;
        i += used;
    }
    return out;
}

} // namespace DateTimeValue

QString showtime(double duration) {
    const auto parts = split(duration);
    if (!parts)
        return QString();
    qint64 hours = parts->msecsOfDay / 3600000;
    const qint64 minutes = parts->msecsOfDay / 60000 % 60;
    if (parts->days > 0)
        hours += parts->days * 24;
    return twoDigits(hours) + u':' + twoDigits(minutes);
}
