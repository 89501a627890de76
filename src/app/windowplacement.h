#pragma once

#include <QObject>
#include <QRect>

class QScreen;
class QWidget;

// Places a top-level window by its outer geometry (frame included), which is what the settings
// keep. The frame's share is known only once the window manager has framed the window: a
// reparenting window manager does so before it maps the window, so the margins are read when the
// window is first exposed, never before (until then the platform may report a frame made up from
// the unmapped window). The window then gets the inner size that gives the stored outer one, at
// the stored position. A window to be maximised is mapped in its normal geometry first and
// maximised once that stands, so that restoring it brings the stored geometry back.
class WindowPlacement : public QObject {
    Q_OBJECT
public:
    explicit WindowPlacement(QWidget* window);

    // Before the window is first shown: where it is to stand, clamped into the available area of
    // its screen, and whether it is maximised then.
    void restore(const QRect& outer, bool maximised);

    // Whether the window stands where it was restored to (or the user or the window manager has
    // taken over). Until then its geometry changes are the placement's own.
    bool placed() const { return m_placed; }
    bool placing() const { return m_placing; }

    // The outer geometry of the window in its normal state as it stands now; the restored one
    // while it has not been placed yet.
    QRect outerGeometry() const;

    // The frame's share once the window manager has framed the window; none before.
    QMargins frameMargins() const;

    // The outer geometry moved and shrunk into the available area of the screen it lies on
    // (of the primary screen when it lies on none).
    static QRect clampedIntoScreen(const QRect& outer);
    static QRect clampedInto(const QRect& outer, const QRect& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool exposed() const;
    void place();
    void finish();

    QWidget* m_window;
    QRect m_target;
    bool m_maximise = false;
    bool m_placed = true; // nothing to place until restore()
    bool m_placing = false;
    bool m_watchingHandle = false;
};
