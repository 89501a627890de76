#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

class QLabel;
class QProgressBar;

// The progress window "Lösche Projekt!" of a project deletion: one line naming the step
// (Label1) over a lime green bar from 0 to 100 (DelProgress), always on top, centred over the
// main window. Created once at start and shown only during a deletion. Once the bar is full it
// stays a few seconds with its last step while the program goes on, then hides.
class TPRDelete : public QDialog {
    Q_OBJECT
public:
    static constexpr int Pause = 3000; // milliseconds with the full bar

    explicit TPRDelete(QWidget* mainWindow);

    QLabel* Label1() const { return m_label; }
    QProgressBar* DelProgress() const { return m_bar; }

    // Empties the bar and shows the window.
    void start();
    // Names the step and shows it at once.
    void setStep(const QString& text);
    void setProgress(int value);
    // The full bar; the window hides after the pause.
    void finish();
    // Hides at once (after an error).
    void abort();

    // The pause's timer; tests end it with pauseElapsed() instead of waiting.
    const QTimer& pauseTimer() const { return m_pause; }
    void pauseElapsed();

protected:
    void reject() override {} // only the deletion ends the window

private:
    void paintNow();

    QPointer<QWidget> m_mainWindow;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QTimer m_pause;
};
