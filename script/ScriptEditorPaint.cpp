#include "script/LinkHighlighter.h"
#include "script/ScriptEditor.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

QString expandTabs(const QString& line) {
    if (!line.contains(QLatin1Char('\t')))
        return line;
    QString shown;
    for (const QChar c : line) {
        if (c == QLatin1Char('\t'))
            shown.append(QString(ScriptBuffer::TabWidth - shown.size() % ScriptBuffer::TabWidth,
                                 QLatin1Char(' ')));
        else
            shown.append(c);
    }
    return shown;
}

struct Span {
    int from;
    int to;
};

}  // namespace

// Only the lines in view are drawn, each cut to the columns in view, as runs of one look: plain,
// link or selected.
void ScriptEditor::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    const QFont plainFont = font();
    QFont linkFont = plainFont;
    linkFont.setUnderline(true);
    const QRect area = event->rect();
    const int scrolled = horizontalScrollBar()->value();
    const int firstShown = std::max(static_cast<int>((scrolled - Margin) / m_charWidth), 0);
    const int shownCount = static_cast<int>(viewport()->width() / m_charWidth) + 2;
    const Position selectionFrom = std::min(m_caret, m_anchor);
    const Position selectionTo = std::max(m_caret, m_anchor);
    const int fromRow = std::max((area.top() - TopMargin) / m_lineHeight, 0);
    const int toRow = (area.bottom() - TopMargin) / m_lineHeight;

    for (int row = fromRow; row <= toRow; ++row) {
        const int line = firstVisibleLine() + row;
        if (line >= m_buffer.lineTotal())
            break;
        const QString& text = m_buffer.line(line);
        const int top = TopMargin + row * m_lineHeight;
        const auto xOf = [&](int display) { return contentX(display) - scrolled; };

        Span selected{0, 0};
        if (hasSelection() && selectionFrom.line <= line && line <= selectionTo.line) {
            selected.from = line == selectionFrom.line
                                ? ScriptBuffer::displayColumn(text, selectionFrom.column)
                                : 0;
            // A selected line break shows as one cell.
            selected.to = line == selectionTo.line
                              ? ScriptBuffer::displayColumn(text, selectionTo.column)
                              : ScriptBuffer::displayWidth(text) + 1;
            painter.fillRect(QRect(QPoint(xOf(selected.from), top),
                                   QPoint(xOf(selected.to) - 1, top + m_lineHeight - 1)),
                             colours.highlight());
        }

        const QString shown = expandTabs(text);
        const int end = std::min(static_cast<int>(shown.size()), firstShown + shownCount);
        if (firstShown >= end)
            continue;
        QList<int> cuts = {firstShown, end};
        QList<Span> links;
        for (const LinkHighlighter::Link& link : LinkHighlighter::LinksIn(text)) {
            const Span span{
                ScriptBuffer::displayColumn(text, link.start),
                ScriptBuffer::displayColumn(text, link.start + static_cast<int>(link.text.size()))};
            links.append(span);
            cuts << span.from << span.to;
        }
        cuts << selected.from << selected.to;
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

        const int baseline = top + m_ascent;
        for (qsizetype i = 0; i + 1 < cuts.size(); ++i) {
            const int from = cuts[i];
            const int to = cuts[i + 1];
            if (to <= firstShown || from >= end)
                continue;
            const bool isSelected = from >= selected.from && to <= selected.to;
            const bool isLink = std::any_of(links.cbegin(), links.cend(), [&](const Span& s) {
                return from >= s.from && to <= s.to;
            });
            painter.setFont(isLink ? linkFont : plainFont);
            painter.setPen(isSelected ? colours.color(QPalette::HighlightedText)
                           : isLink   ? colours.color(QPalette::Link)
                                      : colours.color(QPalette::Text));
            painter.drawText(QPoint(xOf(from), baseline),
                             QStringView(shown).sliced(from, to - from).toString());
        }
    }

    if (hasFocus() && m_caretShown) {
        const QRect caret = caretRect(m_caret);
        if (caret.intersects(area))
            painter.fillRect(caret, colours.text());
    }
}
