#include "projects/deletionwindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 297;
constexpr int ClientHeight = 72;

} // namespace

TPRDelete::TPRDelete(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowStaysOnTopHint),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("PRDelete"));
    setWindowTitle(QStringLiteral("Lösche Projekt!"));
    setFixedSize(ClientWidth, ClientHeight);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("DelProgress"));
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_bar->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid #8A8A8A; background: white; }"
                       "QProgressBar::chunk { background-color: #32CD32; }"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);

    m_pause.setSingleShot(true);
    m_pause.setInterval(Pause);
    connect(&m_pause, &QTimer::timeout, this, &TPRDelete::pauseElapsed);
}

void TPRDelete::start() {
    m_pause.stop();
    m_label->clear();
    m_bar->setValue(0);
    if (!isVisible()) {
        QRect frame = frameGeometry();
        if (m_mainWindow)
            frame.moveCenter(m_mainWindow->frameGeometry().center());
        else if (const QScreen* screen = QApplication::primaryScreen())
            frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    paintNow();
}

void TPRDelete::setStep(const QString& text) {
    m_label->setText(text);
    paintNow();
}

void TPRDelete::setProgress(int value) {
    m_bar->setValue(value);
    paintNow();
}

void TPRDelete::finish() {
    setProgress(100);
    // The last step stays in view while the program goes on.
    m_pause.start();
}

void TPRDelete::abort() {
    m_pause.stop();
    hide();
}

void TPRDelete::pauseElapsed() {
    m_pause.stop();
    hide();
}

void TPRDelete::paintNow() {
    if (isVisible())
        repaint();
}
