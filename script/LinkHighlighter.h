#pragma once

#include <QList>
#include <QString>

// Web addresses in a script's lines, shown as links.
namespace LinkHighlighter {

struct Link {
    int start = -1;
    QString text;
    bool valid() const { return start >= 0; }
};
// The address in `line` that covers `column`, if any.
Link LinkAt(const QString& line, int column);
// Every address in `line`, left to right.
QList<Link> LinksIn(const QString& line);

}  // namespace LinkHighlighter
