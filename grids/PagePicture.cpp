#include "grids/PagePicture.h"

#include <QFontMetricsF>
#include <QPainter>

void PagePicture::paint(QPainter& painter, int dpi) const {
    painter.save();
    const double factor = double(dpi) / double(m_dpi) * m_scale;
    painter.scale(factor, factor);
    // Grid lines are 1/100 inch wide at any scale.
    QPen line(Qt::black);
    line.setWidthF(m_dpi / 100.0 / m_scale);
    int font = -1;
    double ascent = 0;
    double lineHeight = 0;
    // Backgrounds, then lines, then texts: each pass keeps one pen.
    for (const Cell& cell : m_cells) {
        if (cell.background.isValid())
            painter.fillRect(cell.rect, cell.background);
    }
    painter.setPen(line);
    painter.setBrush(Qt::NoBrush);
    for (const Cell& cell : m_cells) {
        if (cell.frame)
            painter.drawRect(cell.rect);
    }
    painter.setPen(Qt::black);
    for (const Cell& cell : m_cells) {
        if (cell.text.isEmpty())
            continue;
        if (cell.font != font && m_fonts && cell.font < m_fonts->size()) {
            font = cell.font;
            painter.setFont(m_fonts->at(static_cast<size_t>(font)));
            const QFontMetricsF metrics(painter.font());
            ascent = metrics.ascent();
            lineHeight = metrics.ascent() + metrics.descent();
        }
        if (cell.oneLine && (cell.flags & Qt::AlignLeft)) {
            // Where a one-line layout would put the baseline.
            const QRect inner = cell.rect.marginsRemoved(cell.padding);
            const double top = (cell.flags & Qt::AlignVCenter)
                                   ? inner.top() + (inner.height() - lineHeight) / 2
                                   : inner.top();
            painter.drawText(QPointF(inner.left(), top + ascent), cell.text);
            continue;
        }
        // Text that does not fit is clipped to its rectangle by drawText itself.
        painter.drawText(cell.rect.marginsRemoved(cell.padding), cell.flags, cell.text);
    }
    painter.restore();
}
