#include "script/LinkHighlighter.h"

#include <QRegularExpression>

namespace LinkHighlighter {

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

QList<Link> LinksIn(const QString& line) {
    QList<Link> links;
    if (!mayHoldLink(line))
        return links;
    auto matches = linkPattern().globalMatch(line);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        links.append({static_cast<int>(match.capturedStart()), match.captured()});
    }
    return links;
}

Link LinkAt(const QString& line, int column) {
    for (const Link& link : LinksIn(line)) {
        if (column >= link.start && column < link.start + link.text.size())
            return link;
    }
    return {};
}

}  // namespace LinkHighlighter
