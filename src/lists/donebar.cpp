#include "lists/donebar.h"

#include <QPainter>

DoneBar::DoneBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setFormat(QStringLiteral("%v"));
}

void DoneBar::setFill(const QColor& fill) {
    m_fill = fill;
    update();
}

void DoneBar::paint(QPainter* painter, const QRect& rect, std::optional<int> percent,
                    const QString& text, const QColor& fill) {
    painter->save();
    painter->setPen(QColor(0x80, 0x80, 0x80));
    painter->setBrush(Qt::white);
    painter->drawRect(rect);
    if (percent) {
        const int filled = (rect.width() - 1) * qBound(0, *percent, 100) / 100;
        if (filled > 0)
            painter->fillRect(QRect(rect.left() + 1, rect.top() + 1, filled, rect.height() - 1),
                              fill);
        painter->setPen(Qt::black);
        painter->drawText(rect, Qt::AlignCenter, text);
    }
    painter->restore();
}

QSize DoneBar::sizeHint() const {
    const int height = fontMetrics().height() + 6;
    return {qMax(QProgressBar::sizeHint().width(), 100), height};
}

QSize DoneBar::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("100")) + 8, fontMetrics().height() + 6};
}

void DoneBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int span = maximum() - minimum();
    const int percent = span > 0 ? (value() - minimum()) * 100 / span : 0;
    paint(&painter, rect().adjusted(0, 0, -1, -1), percent, text(), m_fill);
}
