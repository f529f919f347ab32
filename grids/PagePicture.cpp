#include "grids/PagePicture.h"

#include <QPainter>

void PagePicture::paint(QPainter& painter, int dpi) const {
    painter.save();
    const double factor = double(dpi) / double(m_dpi) * m_scale;
    painter.scale(factor, factor);
    // Grid lines are 1/100 inch wide at any scale.
    QPen line(Qt::black);
    line.setWidthF(m_dpi / 100.0 / m_scale);
    int font = -1;
    for (const Cell& cell : m_cells) {
        if (cell.background.isValid())
            painter.fillRect(cell.rect, cell.background);
        if (cell.frame) {
            painter.setPen(line);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(cell.rect);
        }
        if (cell.text.isEmpty())
            continue;
        if (cell.font != font && m_fonts && cell.font < m_fonts->size()) {
            font = cell.font;
            painter.setFont(m_fonts->at(static_cast<size_t>(font)));
        }
        painter.setPen(Qt::black);
        // Text that does not fit is clipped to its rectangle by drawText itself.
        painter.drawText(cell.rect.marginsRemoved(cell.padding), cell.flags, cell.text);
    }
    painter.restore();
}
