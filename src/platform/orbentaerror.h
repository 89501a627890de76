#pragma once

#include <QString>
#include <stdexcept>

// Base of the program's own errors: a German text meant for the user's eyes.
class OrbentaError : public std::runtime_error {
public:
    explicit OrbentaError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
