#include "masterdata/datefield.h"

#include "data/datetimevalue.h"
#include "masterdata/entryfocus.h"
#include "platform/messagedialogs.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// A sheet of a wall calendar: a red head with two rings, the days as a grid below.
QPixmap drawnCalendar(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    const QRectF sheet(1.5 * unit, 2.5 * unit, 13 * unit, 12 * unit);
    painter.setPen(QPen(QColor(0x55, 0x55, 0x55), qMax(1.0, unit)));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(sheet, unit, unit);
    painter.fillRect(
        QRectF(sheet.left() + 0.5 * unit, sheet.top() + 0.5 * unit, sheet.width() - unit, 3 * unit),
        QColor(0xCC, 0x33, 0x33));
    painter.setPen(QPen(QColor(0x33, 0x33, 0x33), qMax(1.0, unit)));
    for (const qreal x : {5.0, 11.0})
        painter.drawLine(QPointF(x * unit, 1 * unit), QPointF(x * unit, 4 * unit));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x66, 0x66, 0x66));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            painter.drawRect(QRectF((3.5 + column * 2.5) * unit, (7.5 + row * 2.2) * unit,
                                    1.5 * unit, 1.4 * unit));
    }
    return pixmap;
}

QIcon calendarIcon() {
    QIcon icon = QIcon::fromTheme(QStringLiteral("x-office-calendar"));
    if (!icon.isNull())
        return icon;
    for (const int size : {16, 24, 32, 48})
        icon.addPixmap(drawnCalendar(size));
    return icon;
}

} // namespace

DateField::DateField(QWidget* parent) : QLineEdit(parent) {
    const QIcon icon = calendarIcon();
    // The button takes no focus, so opening the calendar does not leave the field.
    QAction* drop = addAction(icon, QLineEdit::TrailingPosition);
    drop->setObjectName(QStringLiteral("calendarButton"));
    drop->setToolTip(QStringLiteral("Kalender öffnen (F4)"));
    connect(drop, &QAction::triggered, this, &DateField::showCalendar);
}

void DateField::createCalendar() {
    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("calendarPopup"));
    m_popup->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setObjectName(QStringLiteral("calendar"));
    // Day and month names are German whatever the machine's language.
    m_calendar->setLocale(QLocale(QLocale::German, QLocale::Germany));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setGridVisible(true);
    // Room for the day names in full ("Mo.") whatever the font.
    m_calendar->setMinimumSize(m_calendar->sizeHint().expandedTo(QSize(260, 180)));
    layout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, &DateField::pick);
    connect(m_calendar, &QCalendarWidget::activated, this, &DateField::pick);
}

void DateField::showCalendar() {
    if (!m_popup)
        createCalendar();
    const QDate shown = DateTimeValue::parseShortDate(text()).value_or(QDate::currentDate());
    m_calendar->setSelectedDate(shown);
    m_calendar->setCurrentPage(shown.year(), shown.month());

    m_popup->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.x() + m_popup->width() > area.right())
            at.setX(area.right() - m_popup->width());
        if (at.y() + m_popup->height() > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
        at.setX(qMax(at.x(), area.left()));
        at.setY(qMax(at.y(), area.top()));
    }
    m_popup->move(at);
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DateField::hideCalendar() {
    if (m_popup)
        m_popup->hide();
}

bool DateField::calendarVisible() const {
    return m_popup && m_popup->isVisible();
}

void DateField::pick(const QDate& date) {
    setText(DateTimeValue::shortDateText(date));
    hideCalendar();
    setFocus(Qt::PopupFocusReason);
    Q_EMIT datePicked(date);
}

void DateField::keyPressEvent(QKeyEvent* event) {
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (event->key() == Qt::Key_F4 || altDown) {
        event->accept();
        showCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DateField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (m_checking || !EntryFocus::leftByUser(this, event))
        return;
    checkDate();
}

void DateField::checkDate() {
    if (m_checking)
        return;
    QScopedValueRollback<bool> checking(m_checking, true);
    if (text().isEmpty() || DateTimeValue::parseShortDate(text()))
        return;
    // Where the user was going when leaving the field; a button there goes on after a Yes.
    const QPointer<QWidget> headedFor = QApplication::focusWidget();
    const auto answer = MessageDialogs::instance().yesNoQuestion(
        QStringLiteral("Fehler"),
        QStringLiteral("Ihre Eingabe entspricht nicht einem Datum. Soll die Eingabe gelöscht "
                       "werden?") +
            QStringLiteral("\n") +
            QStringLiteral("Bei \"Nein\" erhält das Feld wieder den Fokus bis ein korrektes "
                           "Datum eingegeben wurde."));
    EntryFocus::regainWindow(this);
    const bool cleared = answer == MessageDialogs::Answer::Yes;
    EntryFocus::leaveQuestionAnswered(headedFor, cleared);
    if (cleared)
        clear();
    else
        EntryFocus::returnFocus(this);
}
