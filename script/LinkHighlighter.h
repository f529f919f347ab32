#pragma once

#include <QString>
#include <QSyntaxHighlighter>

// Web addresses in a script's lines, shown as links.
class LinkHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit LinkHighlighter(QTextDocument* document);

    struct Link {
        int start = -1;
        QString text;
        bool valid() const { return start >= 0; }
    };
    // The address in `line` that covers `column`, if any.
    static Link LinkAt(const QString& line, int column);

protected:
    void highlightBlock(const QString& text) override;
};
