#pragma once

#include <QString>
#include <exception>

// The text an exception shows the user (the German message of the program's own errors).
QString exceptionText(const std::exception& e);
// The error message box: the text with the title "Orbenta".
void reportUnhandledError(const QString& text);

// Runs f; an exception stops it and reaches the user as the error message box.
// Returns false when f threw.
template <typename F> bool runGuarded(F&& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        reportUnhandledError(exceptionText(e));
    }
    return false;
}
