#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;
class QFrame;

// A free-text date field with a button (also F4 and Alt+Down) that drops down a month calendar;
// picking a day writes it as dd.MM.yyyy. It is not bound: the editors copy its text to and from
// their date columns.
//
// The date-entry rule runs when the user leaves it: a text that is not empty and no date asks
// whether to clear it; Yes empties the field, No puts the focus back with the text unchanged,
// and the next leaving asks again.
class DateField : public QLineEdit {
    Q_OBJECT
public:
    explicit DateField(QWidget* parent = nullptr);

    // The calendar popup; created on first use.
    void showCalendar();
    void hideCalendar();
    bool calendarVisible() const;
    QCalendarWidget* calendar() const { return m_calendar; }

    // The date-entry rule for the current text.
    void checkDate();

Q_SIGNALS:
    void datePicked(const QDate& date);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void createCalendar();
    void pick(const QDate& date);

    QFrame* m_popup = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    bool m_checking = false;
};
