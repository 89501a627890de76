#include "app/windowplacement.h"

#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

bool framed(const QMargins& margins) {
    return margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 &&
           margins.bottom() >= 0;
}

constexpr Qt::WindowStates OtherStates =
    Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;

} // namespace

WindowPlacement::WindowPlacement(QWidget* window) : QObject(window), m_window(window) {
    window->installEventFilter(this);
}

QRect WindowPlacement::clampedInto(const QRect& outer, const QRect& area) {
    if (!area.isValid())
        return outer;
    QRect r = outer;
    r.setSize(r.size().boundedTo(area.size()));
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.top() < area.top())
        r.moveTop(area.top());
    return r;
}

QRect WindowPlacement::clampedIntoScreen(const QRect& outer) {
    const QScreen* screen = QGuiApplication::screenAt(outer.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? clampedInto(outer, screen->availableGeometry()) : outer;
}

void WindowPlacement::restore(const QRect& outer, bool maximised) {
    m_target = clampedIntoScreen(outer);
    m_maximise = maximised;
    m_placed = false;
    // Before the window exists Qt takes the position as the frame's and the size as the inner
    // one; the size is put right once the frame is known.
    m_window->move(m_target.topLeft());
    m_window->resize(m_target.size());
    if (maximised) {
        QScopedValueRollback<bool> placing(m_placing, true);
        m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    }
}

QMargins WindowPlacement::frameMargins() const {
    const QWindow* handle = m_window->windowHandle();
    if (!handle || !handle->isExposed())
        return {};
    const QMargins margins = handle->frameMargins();
    return framed(margins) ? margins : QMargins();
}

QRect WindowPlacement::outerGeometry() const {
    if (!m_placed)
        return m_target;
    return m_window->geometry().marginsAdded(frameMargins());
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (m_placed)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Show:
        if (watched == m_window) {
            // Mapped in the normal geometry first; maximised once that stands.
            if (m_maximise && (m_window->windowState() & Qt::WindowMaximized)) {
                QScopedValueRollback<bool> placing(m_placing, true);
                m_window->setWindowState(m_window->windowState() & ~Qt::WindowMaximized);
            }
            if (QWindow* handle = m_window->windowHandle(); handle && !m_watchingHandle) {
                handle->installEventFilter(this);
                m_watchingHandle = true;
            }
        }
        place();
        break;
    case QEvent::Expose:
    case QEvent::Move:
    case QEvent::Resize:
        if (!m_placing)
            place();
        break;
    case QEvent::WindowStateChange:
        // Once the window stands, the user or the window manager decided otherwise.
        if (!m_placing && watched == m_window && exposed() &&
            (m_window->windowState() & OtherStates))
            finish();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool WindowPlacement::exposed() const {
    const QWindow* handle = m_window->windowHandle();
    return m_window->isVisible() && handle && handle->isExposed();
}

void WindowPlacement::place() {
    // Not mapped yet: the frame is not known.
    if (m_placed || m_placing || !exposed())
        return;
    const QMargins margins = m_window->windowHandle()->frameMargins();
    if (!framed(margins))
        return;
    const QRect inner = m_target.marginsRemoved(margins);
    if (m_window->geometry() != inner) {
        QScopedValueRollback<bool> placing(m_placing, true);
        m_window->setGeometry(inner);
    }
    finish();
}

void WindowPlacement::finish() {
    if (m_placed)
        return;
    m_placed = true;
    if (m_window->windowHandle())
        m_window->windowHandle()->removeEventFilter(this);
    m_watchingHandle = false;
    if (m_maximise && !(m_window->windowState() & OtherStates)) {
        QScopedValueRollback<bool> placing(m_placing, true);
        m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    }
}
