#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <vector>

class QPainter;

// One laid-out page as a list of drawing steps, in the device pixels of the page it was laid
// out for, so that it can be painted on the preview at any scale and on any printer.
class PagePicture {
public:
    struct Cell {
        QRect rect;
        QString text;
        int flags = 0;      // Qt::AlignmentFlag and Qt::TextFlag
        QColor background;  // invalid for none
        quint8 font = 0;
        bool frame = false;
        // Left-aligned text known to fit on one line: drawn at its baseline, without a layout.
        bool oneLine = false;
        QMargins padding;
    };

    PagePicture() = default;
    PagePicture(int dpi, QSize paper, QMargins border, double scale,
                std::shared_ptr<const std::vector<QFont>> fonts)
        : m_dpi(dpi), m_paper(paper), m_border(border), m_scale(scale), m_fonts(std::move(fonts)) {}

    void addCell(Cell cell) { m_cells.push_back(std::move(cell)); }
    std::vector<Cell> cells() const;

    // Keeps the drawing steps compressed: a preview holds every page of a table, and texts
    // compress to a fraction of their size.
    void pack();

    int dpi() const { return m_dpi; }
    QSize paper() const { return m_paper; }
    QMargins border() const { return m_border; }
    // The page's content is drawn at this scale (below 1 when a grid was shrunk to the width).
    double scale() const { return m_scale; }

    // Paints the page with the painter's origin at the printable area, for a device of `dpi`.
    void paint(QPainter& painter, int dpi) const;

private:
    int m_dpi = 600;
    QSize m_paper;
    QMargins m_border;
    double m_scale = 1.0;
    std::shared_ptr<const std::vector<QFont>> m_fonts;
    std::vector<Cell> m_cells;
    QByteArray m_packed;
};
