#include "platform/messagedialogs.h"

#include "platform/guarded.h"
#include "platform/orbentaerror.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

MessageDialogs& MessageDialogs::instance() {
    static MessageDialogs dialogs;
    return dialogs;
}

void MessageDialogs::setMainWindow(QWidget* window) {
    m_mainWindow = window;
}

MessageDialogs::Answer MessageDialogs::lookupQuestion(const QString& title, const QString& text) {
    return show(Kind::LookupQuestion, title, text, Answer::Cancel);
}

MessageDialogs::Answer MessageDialogs::yesNoQuestion(const QString& title, const QString& text) {
    return show(Kind::YesNoQuestion, title, text, Answer::No);
}

void MessageDialogs::error(const QString& title, const QString& text) {
    show(Kind::Error, title, text, Answer::Ok);
}

void MessageDialogs::message(const QString& text) {
    show(Kind::Message, QStringLiteral("Orbenta"), text, Answer::Ok);
}

QMessageBox* MessageDialogs::createBox(Kind kind, const QString& title, const QString& text,
                                       QWidget* parent) {
    auto* box = new QMessageBox(parent);
    box->setWindowTitle(title);
    // Callers separate lines with CR LF; Qt wants a plain line feed.
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box->setText(plain);
    box->setTextFormat(Qt::PlainText);
    switch (kind) {
    case Kind::LookupQuestion:
        box->setIcon(QMessageBox::Question);
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case Kind::YesNoQuestion:
        box->setIcon(QMessageBox::Question);
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
        break;
    case Kind::Error:
        box->setIcon(QMessageBox::Critical);
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Message:
        box->setIcon(QMessageBox::Information);
        box->setStandardButtons(QMessageBox::Ok);
        break;
    }
    return box;
}

MessageDialogs::Answer MessageDialogs::show(Kind kind, const QString& title, const QString& text,
                                            Answer fallback) {
    const bool question = kind == Kind::LookupQuestion || kind == Kind::YesNoQuestion;
    if (m_scripted) {
        m_shown.append({kind, title, text});
        return question ? nextAnswer(fallback) : Answer::Ok;
    }

    // A box whose parent is disabled is disabled too and could never be answered; such a
    // box gets another parent and is still placed over the main window.
    QWidget* parent = m_mainWindow;
    if (parent && !parent->isEnabled())
        parent = QApplication::activeModalWidget();
    if (parent && !parent->isEnabled())
        parent = nullptr;

    QMessageBox* box = createBox(kind, title, text, parent);
    if (m_mainWindow && parent != m_mainWindow && m_mainWindow->isVisible()) {
        box->adjustSize();
        box->move(m_mainWindow->frameGeometry().center() - box->rect().center());
    }
    // The window that had the keyboard gets it back: some window managers leave none active
    // once a box closes.
    const QPointer<QWidget> previous = QApplication::activeWindow();
    const int result = box->exec();
    delete box;
    if (previous && previous->isVisible())
        previous->activateWindow();

    switch (result) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return fallback;
    }
}

void MessageDialogs::setScripted(bool scripted) {
    m_scripted = scripted;
}

void MessageDialogs::scriptAnswers(const QList<Answer>& answers) {
    m_answers.append(answers);
}

void MessageDialogs::clearShown() {
    m_shown.clear();
    m_unexpected = 0;
}

MessageDialogs::Answer MessageDialogs::nextAnswer(Answer fallback) {
    if (m_answers.isEmpty()) {
        ++m_unexpected;
        return fallback;
    }
    return m_answers.takeFirst();
}

QString exceptionText(const std::exception& e) {
    if (const auto* own = dynamic_cast<const OrbentaError*>(&e))
        return own->message();
    return QString::fromUtf8(e.what());
}

void reportUnhandledError(const QString& text) {
    MessageDialogs::instance().message(text);
}
