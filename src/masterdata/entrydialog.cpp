#include "masterdata/entrydialog.h"

#include "masterdata/entryfocus.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcutEvent>
#include <QTimer>

EntryDialog::EntryDialog(QWidget* mainWindow, const char* saveButtonName,
                         const char* cancelButtonName)
    // A title without minimise, maximise or close buttons under a window manager that honours
    // the hints; the fixed size (setClientSize) keeps it from being resized or maximised.
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mainWindow(mainWindow) {
    setWindowModality(Qt::WindowModal);
    setSizeGripEnabled(false);

    m_saveButton = new QPushButton(QStringLiteral("&Speichern"), this);
    m_saveButton->setObjectName(QLatin1String(saveButtonName));
    m_cancelButton = new QPushButton(QStringLiteral("A&bbrechen"), this);
    m_cancelButton->setObjectName(QLatin1String(cancelButtonName));
    // Enter belongs to the fields (the lookup fields move on with it), never to a button.
    for (QPushButton* button : {m_saveButton, m_cancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setMinimumWidth(100);
        connect(button, &QPushButton::clicked, this, [this, button] { buttonClicked(button); });
    }
}

QHBoxLayout* EntryDialog::buttonRow() {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_saveButton);
    row->addWidget(m_cancelButton);
    return row;
}

void EntryDialog::setClientSize(int width, int height) {
    setFixedSize(width, height);
}

void EntryDialog::showOverMainWindow() {
    if (!isVisible()) {
        adjustSize();
        QRect frame = frameGeometry();
        if (m_mainWindow) {
            frame.moveCenter(m_mainWindow->frameGeometry().center());
        } else if (const QScreen* screen = QApplication::primaryScreen()) {
            frame.moveCenter(screen->availableGeometry().center());
        }
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void EntryDialog::finish() {
    hide();
    if (m_mainWindow) {
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
    Q_EMIT closed();
}

void EntryDialog::stayAfterError() {
    EntryFocus::regainWindow(this);
}

// The main window waits for the dialog, so it never stays minimised, also where the window
// manager offers a minimise button in spite of the hints.
void EntryDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !(windowState() & Qt::WindowMinimized))
        return;
    QTimer::singleShot(0, this, [this] {
        if (!isVisible() || !(windowState() & Qt::WindowMinimized))
            return;
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
    });
}

void EntryDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    // Ctrl+S and Ctrl+B must reach the dialog before any field sees them.
    qApp->installEventFilter(this);
    QDialog::showEvent(event);
}

void EntryDialog::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

void EntryDialog::runAction(QPushButton* button) {
    if (button == m_saveButton)
        save();
    else
        cancel();
}

// A click whose leaving question was answered so that the field does not stand (Cancel to the
// lookup question, No to the date question) is dropped: the field has the focus again.
void EntryDialog::buttonClicked(QPushButton* button) {
    if (const auto stands = EntryFocus::takeLeaveAnswer(button); stands && !*stands)
        return;
    runAction(button);
}

bool EntryDialog::belongsHere(QObject* object) const {
    for (auto* widget = qobject_cast<QWidget*>(object); widget; widget = widget->parentWidget()) {
        if (widget == this)
            return true;
    }
    return false;
}

bool EntryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (!isVisible())
        return QDialog::eventFilter(watched, event);
    auto* button = watched == m_saveButton     ? m_saveButton
                   : watched == m_cancelButton ? m_cancelButton
                                               : nullptr;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // The press has given the button the focus already, and the field it came from may have
        // asked its question on the way. The release went to the question box, so the click
        // would be lost: carry it on here when the answer lets the field stand.
        if (button && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (const auto stands = EntryFocus::takeLeaveAnswer(button)) {
                if (*stands)
                    runAction(button);
                return true;
            }
        }
        return QDialog::eventFilter(watched, event);
    case QEvent::Shortcut:
        // Alt+S and Alt+B: the same, without the button's click animation in between.
        if (button && !static_cast<QShortcutEvent*>(event)->isAmbiguous() && button->isEnabled()) {
            EntryFocus::forgetLeaveAnswer();
            button->setFocus(Qt::ShortcutFocusReason);
            if (!isVisible())
                return true;
            const auto stands = EntryFocus::takeLeaveAnswer(button);
            if (!stands || *stands)
                runAction(button);
            return true;
        }
        return QDialog::eventFilter(watched, event);
    case QEvent::KeyPress:
        break;
    default:
        return QDialog::eventFilter(watched, event);
    }

    if (!belongsHere(watched) || QApplication::activePopupWidget())
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier))
        return QDialog::eventFilter(watched, event);
    if (key->key() == Qt::Key_S) {
        save();
        return true;
    }
    if (key->key() == Qt::Key_B) {
        cancel();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Escape would close the dialog with the typed data still pending: it does nothing here.
void EntryDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Only the two buttons end the dialog; closing the window any other way is refused.
void EntryDialog::reject() {}
