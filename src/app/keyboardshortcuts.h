#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class Navigation;
class QKeyEvent;
class QWidget;

// The main window's key handler (FormKeyDown). It watches the whole application, so it sees
// every key meant for a control of the main window before that control does, and always lets
// the key go on to it. Keys typed into other windows (the editors, menus) are not its concern.
class KeyboardShortcuts : public QObject {
    Q_OBJECT
public:
    KeyboardShortcuts(QWidget* window, Navigation& navigation, std::function<void()> help,
                      QObject* parent = nullptr);
    ~KeyboardShortcuts() override;

    void FormKeyDown(QKeyEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    Navigation& m_navigation;
    std::function<void()> m_help;
    // A key a control leaves alone travels on to its parents; it is handled once only.
    const QEvent* m_lastKey = nullptr;
    QPointer<QWidget> m_lastReceiver;
};
