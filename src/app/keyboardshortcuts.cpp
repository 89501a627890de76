#include "app/keyboardshortcuts.h"

#include "app/navigation.h"
#include "platform/guarded.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Ctrl+1 to Ctrl+4 of the main keyboard, also when Shift turns the digit into its symbol
// (German and US layouts).
int digitPage(const QKeyEvent* event) {
    if (event->modifiers() & Qt::KeypadModifier)
        return 0;
    switch (event->key()) {
    case Qt::Key_1:
    case Qt::Key_Exclam:
        return 1;
    case Qt::Key_2:
    case Qt::Key_QuoteDbl:
    case Qt::Key_At:
        return 2;
    case Qt::Key_3:
    case Qt::Key_section:
    case Qt::Key_NumberSign:
        return 3;
    case Qt::Key_4:
    case Qt::Key_Dollar:
        return 4;
    default:
        return 0;
    }
}

bool isDigitKey(int key) {
    return key >= Qt::Key_1 && key <= Qt::Key_4;
}

} // namespace

KeyboardShortcuts::KeyboardShortcuts(QWidget* window, Navigation& navigation,
                                     std::function<void()> help, QObject* parent)
    : QObject(parent), m_window(window), m_navigation(navigation), m_help(std::move(help)) {
    qApp->installEventFilter(this);
}

KeyboardShortcuts::~KeyboardShortcuts() {
    if (qApp)
        qApp->removeEventFilter(this);
}

bool KeyboardShortcuts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        m_lastKey = nullptr;
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* receiver = static_cast<QWidget*>(watched);
    if (receiver->window() != m_window)
        return false;
    // The same key passed on from a child to its parent.
    const bool passedOn = event == m_lastKey && m_lastReceiver && receiver != m_lastReceiver &&
                          receiver->isAncestorOf(m_lastReceiver);
    m_lastKey = event;
    m_lastReceiver = receiver;
    if (!passedOn)
        runGuarded([&] { FormKeyDown(static_cast<QKeyEvent*>(event)); });
    return false;
}

void KeyboardShortcuts::FormKeyDown(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_F5) {
        m_navigation.refreshActivePage();
        return;
    }
    if (key == Qt::Key_F1) {
        m_help();
        return;
    }
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (!(held & Qt::ControlModifier))
        return;
    // Shift+Tab reaches us as Backtab.
    const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (held == (Qt::ControlModifier | Qt::ShiftModifier)) {
        if (tab)
            m_navigation.previousPage();
        return;
    }
    if (tab || key == Qt::Key_PageDown) {
        m_navigation.nextPage();
    } else if (key == Qt::Key_PageUp) {
        m_navigation.previousPage();
    } else if (key == Qt::Key_F) {
        m_navigation.toggleSearchBar();
    } else if (const int page = digitPage(event)) {
        // A shifted symbol stands for its digit only while Shift is held.
        if (isDigitKey(key) || (held & Qt::ShiftModifier))
            m_navigation.showProjectPage(page);
    }
}
