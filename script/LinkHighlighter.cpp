#include "script/LinkHighlighter.h"

#include <QRegularExpression>

namespace {

const QRegularExpression& linkPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("(?:(?:https?|ftp)://|www\\.|mailto:)[^\\s'\"<>()]*[^\\s'\"<>().,;:]"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// Most lines hold no address; a plain search spares them the pattern.
bool mayHoldLink(const QString& line) {
    return line.contains(QLatin1String("://")) ||
           line.contains(QLatin1String("www."), Qt::CaseInsensitive) ||
           line.contains(QLatin1String("mailto:"), Qt::CaseInsensitive);
}

}  // namespace

LinkHighlighter::LinkHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

LinkHighlighter::Link LinkHighlighter::LinkAt(const QString& line, int column) {
    if (!mayHoldLink(line))
        return {};
    auto matches = linkPattern().globalMatch(line);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (column >= match.capturedStart() && column < match.capturedEnd())
            return {static_cast<int>(match.capturedStart()), match.captured()};
    }
    return {};
}

void LinkHighlighter::highlightBlock(const QString& text) {
    if (!mayHoldLink(text))
        return;
    QTextCharFormat format;
    format.setForeground(Qt::blue);
    format.setFontUnderline(true);
    auto matches = linkPattern().globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        format.setAnchorHref(match.captured());
        setFormat(static_cast<int>(match.capturedStart()), static_cast<int>(match.capturedLength()),
                  format);
    }
}
