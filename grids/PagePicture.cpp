#include "grids/PagePicture.h"

#include <QDataStream>
#include <QIODevice>
#include <QFontMetricsF>
#include <QPainter>

namespace {
constexpr int CompressionLevel = 1;
}

std::vector<PagePicture::Cell> PagePicture::cells() const {
    if (m_packed.isEmpty())
        return m_cells;
    const QByteArray data = qUncompress(m_packed);
    QDataStream in(data);
    quint32 count = 0;
    in >> count;
    std::vector<Cell> cells(count);
    for (Cell& cell : cells) {
        qint32 flags = 0;
        in >> cell.rect >> cell.text >> flags >> cell.background >> cell.font >> cell.frame >>
            cell.oneLine >> cell.padding;
        cell.flags = flags;
    }
    return cells;
}

void PagePicture::pack() {
    if (m_cells.empty())
        return;
    QByteArray data;
    {
        QDataStream out(&data, QIODevice::WriteOnly);
        out << quint32(m_cells.size());
        for (const Cell& cell : m_cells)
            out << cell.rect << cell.text << qint32(cell.flags) << cell.background << cell.font
                << cell.frame << cell.oneLine << cell.padding;
    }
    m_packed = qCompress(data, CompressionLevel);
    m_cells = std::vector<Cell>();
}

void PagePicture::paint(QPainter& painter, int dpi) const {
    const std::vector<Cell> unpacked = m_packed.isEmpty() ? std::vector<Cell>() : cells();
    const std::vector<Cell>& all = m_packed.isEmpty() ? m_cells : unpacked;
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
    for (const Cell& cell : all) {
        if (cell.background.isValid())
            painter.fillRect(cell.rect, cell.background);
    }
    painter.setPen(line);
    painter.setBrush(Qt::NoBrush);
    for (const Cell& cell : all) {
        if (cell.frame)
            painter.drawRect(cell.rect);
    }
    painter.setPen(Qt::black);
    for (const Cell& cell : all) {
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
