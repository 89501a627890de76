#pragma once

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

#include <optional>

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

// The last question a field asked when it was left: where the focus was on its way to, and
// whether the answer let the field stand (the user may go on). A button of an entry dialog the
// focus went to reads it, so that the click that left the field is not lost (EntryDialog). It
// holds only until the event that left the field has been handled.
struct LeaveQuestion {
    QPointer<QWidget> headedFor;
    bool fieldStands = false;
};

inline LeaveQuestion& lastLeaveQuestion() {
    static LeaveQuestion question;
    return question;
}

// Called by a field's leaving rule once its question is answered; `headedFor` is the widget that
// had the focus when the question was asked (the one the user was going to).
inline void leaveQuestionAnswered(QWidget* headedFor, bool fieldStands) {
    lastLeaveQuestion() = {headedFor, fieldStands};
    QTimer::singleShot(0, qApp, [] { lastLeaveQuestion() = {}; });
}

// Whether a question was answered on the way to `target` and let the field stand; nothing when
// no question was asked on the way there. Reading it forgets it.
inline std::optional<bool> takeLeaveAnswer(const QWidget* target) {
    LeaveQuestion& question = lastLeaveQuestion();
    if (!target || question.headedFor != target)
        return std::nullopt;
    const bool stands = question.fieldStands;
    question = {};
    return stands;
}

inline void forgetLeaveAnswer() {
    lastLeaveQuestion() = {};
}

} // namespace EntryFocus
