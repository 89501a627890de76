#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QMessageBox;

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

    // The box a dialog of the given kind shows (icon, German standard buttons, title), not yet
    // shown; the caller owns it. Lets tests look at the real box without blocking on it.
    static QMessageBox* createBox(Kind kind, const QString& title, const QString& text,
                                  QWidget* parent);

    // Scripted mode for tests. A question asked with an empty queue is recorded and answered
    // Cancel (lookup question) or No (yes/no question), and counted in unexpectedQuestions().
    void setScripted(bool scripted);
    bool scripted() const { return m_scripted; }
    void scriptAnswers(const QList<Answer>& answers);
    int pendingAnswers() const { return m_answers.size(); }
    const QList<Shown>& shown() const { return m_shown; }
    int unexpectedQuestions() const { return m_unexpected; }
    // Forgets the shown dialogs and the count of unexpected questions.
    void clearShown();
    // Drops answers not used yet.
    void clearAnswers() { m_answers.clear(); }

private:
    MessageDialogs() = default;
    Answer nextAnswer(Answer fallback);
    Answer show(Kind kind, const QString& title, const QString& text, Answer fallback);

    QPointer<QWidget> m_mainWindow;
    bool m_scripted = false;
    QList<Answer> m_answers;
    QList<Shown> m_shown;
    int m_unexpected = 0;
};
