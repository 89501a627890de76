#pragma once

#include <QSyntaxHighlighter>

class QPlainTextEdit;

// Draws web and mail addresses in a text underlined in blue, as the remark memos show links.
class LinkHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit LinkHighlighter(QTextDocument* document);

    // Whether the text holds a link at the given position (for tests and tool tips).
    static bool isLinkAt(const QString& text, int position);

protected:
    void highlightBlock(const QString& text) override;
};

// The look of the task remarks: a fixed-pitch font, lines wrapped at the memo's width and links
// underlined in blue.
void applyRemarksLook(QPlainTextEdit* memo);
