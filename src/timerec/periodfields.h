#pragma once

#include "masterdata/datefield.h"

#include <QTimeEdit>

// The date and time fields of a time entry's period. Both report when the user has left them
// (after the date rule has had its say), so that the editor recomputes the effort.
class PeriodDateField : public DateField {
    Q_OBJECT
public:
    explicit PeriodDateField(QWidget* parent = nullptr) : DateField(parent) {}

Q_SIGNALS:
    void left();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// A time of day to the second (HH:mm:ss). Its value is the fraction of a day it stands for;
// 00:00:00 is the same as no time at all.
class PeriodTimeField : public QTimeEdit {
    Q_OBJECT
public:
    explicit PeriodTimeField(QWidget* parent = nullptr);

    double dayFraction() const;
    // The time of day of a stored date-time value, to the whole second; an empty value is 0.
    void setDayFraction(double value);

Q_SIGNALS:
    void left();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// The time of day of a date-time value as a fraction of a day (whole days dropped).
double timeOfDay(double value);
