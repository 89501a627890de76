#include "tasks/linkhighlighter.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QRegularExpression>

namespace {

// Addresses with a scheme, "www." addresses and mail addresses; a trailing full stop or comma
// ends the sentence, not the address.
const QRegularExpression& linkPattern() {
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:(?:https?|ftp|file)://|mailto:|www\.)[^\s<>"]*[^\s<>".,;:!?)\]']|)"
                       R"([\w.+-]+@[\w-]+(?:\.[\w-]+)+)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

} // namespace

LinkHighlighter::LinkHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

bool LinkHighlighter::isLinkAt(const QString& text, int position) {
    auto matches = linkPattern().globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        if (position >= match.capturedStart() && position < match.capturedEnd())
            return true;
    }
    return false;
}

void LinkHighlighter::highlightBlock(const QString& text) {
    QTextCharFormat link;
    link.setForeground(QColor(Qt::blue));
    link.setFontUnderline(true);
    auto matches = linkPattern().globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        setFormat(int(match.capturedStart()), int(match.capturedLength()), link);
    }
}

void applyRemarksLook(QPlainTextEdit* memo) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    memo->setFont(font);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    new LinkHighlighter(memo->document());
}
