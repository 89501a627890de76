#pragma once

#include <QApplication>
#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QWidget>

// Shared by the entry fields: when a field's rule puts the focus back into it, the field the
// focus was on its way to loses it again without the user having left it, and its own rule
// must not run then.
namespace EntryFocus {

inline bool& returningFlag() {
    static bool returning = false;
    return returning;
}

inline bool returning() {
    return returningFlag();
}

inline void returnFocus(QWidget* field) {
    QScopedValueRollback<bool> guard(returningFlag(), true);
    field->setFocus(Qt::OtherFocusReason);
}

// Once a message box is answered, some desktops activate no window at all (or the main window
// the box was placed over): the window of the field (or editor) that asked takes the keyboard
// again, so that typing goes where the focus was put.
inline void regainWindow(QWidget* widget) {
    QWidget* window = widget->window();
    if (window->isVisible() && QApplication::activeWindow() != window)
        window->activateWindow();
}

// Whether a focus-out means the user left the field. Opening a popup (the field's own list or
// calendar, a context menu), switching windows, a question box taking the focus and hiding the
// dialog do not.
inline bool leftByUser(const QWidget* field, const QFocusEvent* event) {
    switch (event->reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::NoFocusReason:
        return false;
    default:
        break;
    }
    return !returning() && field->isVisible();
}

} // namespace EntryFocus
