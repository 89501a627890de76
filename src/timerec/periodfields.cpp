#include "timerec/periodfields.h"

#include "masterdata/entryfocus.h"

#include <QFocusEvent>
#include <cmath>

double timeOfDay(double value) {
    if (!std::isfinite(value))
        return 0;
    // A negative value counts its time of day forwards from midnight, as the positive ones do.
    const double whole = std::trunc(value);
    const double fraction = std::abs(value - whole);
    // Rounded to the second: a time field holds no milliseconds.
    const double seconds = std::round(fraction * 86400.0);
    return seconds >= 86400.0 ? 0 : seconds / 86400.0;
}

void PeriodDateField::focusOutEvent(QFocusEvent* event) {
    const bool byUser = EntryFocus::leftByUser(this, event);
    DateField::focusOutEvent(event);
    // No to the date question puts the focus back: the field has not been left.
    if (byUser && !hasFocus())
        Q_EMIT left();
}

PeriodTimeField::PeriodTimeField(QWidget* parent) : QTimeEdit(parent) {
    setDisplayFormat(QStringLiteral("HH:mm:ss"));
    setTime(QTime(0, 0));
}

double PeriodTimeField::dayFraction() const {
    const QTime shown = time();
    return (shown.hour() * 3600 + shown.minute() * 60 + shown.second()) / 86400.0;
}

void PeriodTimeField::setDayFraction(double value) {
    const int seconds = int(std::lround(timeOfDay(value) * 86400.0));
    setTime(QTime(0, 0).addSecs(seconds));
}

void PeriodTimeField::focusOutEvent(QFocusEvent* event) {
    const bool byUser = EntryFocus::leftByUser(this, event);
    QTimeEdit::focusOutEvent(event);
    if (byUser)
        Q_EMIT left();
}
