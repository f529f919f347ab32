#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QVector>

// The grid printer's options, as flags.
enum TPrintDBGridEhOption {
    pghFitGridToPageWidth = 0x01,
    pghColored = 0x02,
    pghRowAutoStretch = 0x04,
    pghFitingByColWidths = 0x08,
    pghOptimalColWidths = 0x10,
};
using TPrintDBGridEhOptions = int;

enum class TMeasureUnits { MM, Inches };

// Margins are fixed-point numbers with four decimal places.
double RoundMargin(double margin);
// Device pixels from the paper edge. The unit MM divides by 2.54, so 2.0 lies 2 cm in.
int MarginPixels(double margin, TMeasureUnits unit, int dpi);

struct PrintMargins {
    double top = 2.0;
    double bottom = 2.0;
    double left = 2.0;
    double right = 2.0;
    TMeasureUnits units = TMeasureUnits::MM;
};

// A page as the printer reports it: resolution, the printable area, and the unprintable border
// around it, in device pixels.
struct PageMetrics {
    int dpiX = 600;
    int dpiY = 600;
    QSize printable;
    QMargins border;

    QSize paper() const {
        return QSize(printable.width() + border.left() + border.right(),
                     printable.height() + border.top() + border.bottom());
    }
    // The page assumed when no printer is installed.
    static PageMetrics fixed();
};

// The rectangle inside the margins, in the printable area's coordinates (its origin is where
// the unprintable border ends).
QRect MarginRect(const PageMetrics& metrics, const PrintMargins& margins);

// Shrinks the widths by one common ratio so that they fit `pageWidth`; the last column gives
// up what rounding leaves over. Widths that already fit are kept: a grid is never widened.
QVector<int> FitColumnsByWidths(const QVector<int>& widths, int pageWidth);

// Cuts columns wider than the page to its width and splits them, left to right, into groups of
// column indexes that each fit the page width.
QVector<QVector<int>> SplitColumnGroups(QVector<int>& widths, int pageWidth);
