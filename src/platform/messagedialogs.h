#pragma once

#include <QList>
#include <QString>

class QWidget;

// The message dialogs of the main window, shared by every window of the program: the lookup
// question (Yes, No, Cancel), the yes/no question box, the error box (one OK button) and the
// plain message box titled "Orbenta". The caller gives title and text for each use; all are
// centred over the main window and speak German.
//
// Tests switch the component to scripted mode: nothing is shown, every dialog is recorded,
// and the questions take their answers from a queue filled beforehand.
class MessageDialogs {
public:
    enum class Answer { Yes, No, Cancel, Ok };
    enum class Kind { LookupQuestion, YesNoQuestion, Error, Message };

    struct Shown {
        Kind kind;
        QString title;
        QString text;
    };

    static MessageDialogs& instance();

    void setMainWindow(QWidget* window);
    QWidget* mainWindow() const { return m_mainWindow; }

    Answer lookupQuestion(const QString& title, const QString& text);
    Answer yesNoQuestion(const QString& title, const QString& text);
    void error(const QString& title, const QString& text);
    // The plain message box with the application title "Orbenta" and an OK button; also the
    // box in which errors the program does not handle itself reach the user.
    void message(const QString& text);

    // Scripted mode for tests. A question asked with an empty queue is recorded and answered
    // Cancel (lookup question) or No (yes/no question), and counted in unexpectedQuestions().
    void setScripted(bool scripted);
    bool scripted() const { return m_scripted; }
    void scriptAnswers(const QList<Answer>& answers);
    int pendingAnswers() const { return m_answers.size(); }
    const QList<Shown>& shown() const { return m_shown; }
    int unexpectedQuestions() const { return m_unexpected; }
    void clearShown();

private:
    MessageDialogs() = default;
    Answer nextAnswer(Answer fallback);

    QWidget* m_mainWindow = nullptr;
    bool m_scripted = false;
    QList<Answer> m_answers;
    QList<Shown> m_shown;
    int m_unexpected = 0;
};
