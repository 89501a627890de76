#pragma once

#include <QColor>
#include <QProgressBar>

#include <optional>

class QPainter;

// A done percentage as the lists draw it: a grey frame on white, filled in lime up to the
// percentage, the number in black in the middle. The lists' bar columns, the details page and the
// editors use it, so the bar looks the same everywhere whatever the style.
class DoneBar : public QProgressBar {
    Q_OBJECT
public:
    explicit DoneBar(QWidget* parent = nullptr);

    static QColor defaultFill() { return QColor(0x00, 0xFF, 0x00); } // lime

    void setFill(const QColor& fill);
    QColor fill() const { return m_fill; }

    // Draws the bar into `rect`: the frame, the fill for `percent` (0 to 100) and `text`; with
    // no percent (a missing value) only the empty frame.
    static void paint(QPainter* painter, const QRect& rect, std::optional<int> percent,
                      const QString& text, const QColor& fill = defaultFill());

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill = defaultFill();
};
