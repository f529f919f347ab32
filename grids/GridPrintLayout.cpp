#include "grids/GridPrintLayout.h"

#include <cmath>
#include <numeric>

double RoundMargin(double margin) {
    return std::round(margin * 10000.0) / 10000.0;
}

int MarginPixels(double margin, TMeasureUnits unit, int dpi) {
    const double inches = unit == TMeasureUnits::MM ? margin / 2.54 : margin;
    return static_cast<int>(std::lround(inches * dpi));
}

PageMetrics PageMetrics::fixed() {
    PageMetrics metrics;
    metrics.dpiX = metrics.dpiY = 600;
    metrics.printable = QSize(4676, 6744);
    metrics.border = QMargins(130, 150, 130, 150);
    return metrics;
}

QRect MarginRect(const PageMetrics& metrics, const PrintMargins& margins) {
    const int left =
        MarginPixels(margins.left, margins.units, metrics.dpiX) - metrics.border.left();
    const int right =
        MarginPixels(margins.right, margins.units, metrics.dpiX) - metrics.border.right();
    const int top = MarginPixels(margins.top, margins.units, metrics.dpiY) - metrics.border.top();
    const int bottom =
        MarginPixels(margins.bottom, margins.units, metrics.dpiY) - metrics.border.bottom();
    return QRect(left, top, metrics.printable.width() - right - left,
                 metrics.printable.height() - bottom - top);
}

QVector<int> FitColumnsByWidths(const QVector<int>& widths, int pageWidth) {
    const qint64 total = std::accumulate(widths.begin(), widths.end(), qint64(0));
    if (total <= pageWidth || widths.isEmpty())
        return widths;
    QVector<int> fitted;
    fitted.reserve(widths.size());
    qint64 sum = 0;
    for (int width : widths) {
        fitted.append(static_cast<int>(std::lround(double(width) * pageWidth / double(total))));
        sum += fitted.last();
    }
    if (sum > pageWidth)
        fitted.last() = std::max(0, fitted.last() - static_cast<int>(sum - pageWidth));
    return fitted;
}

QVector<QVector<int>> SplitColumnGroups(QVector<int>& widths, int pageWidth) {
    QVector<QVector<int>> groups;
    int used = 0;
    for (int i = 0; i < widths.size(); ++i) {
        widths[i] = std::min(widths[i], pageWidth);
        if (groups.isEmpty() || used + widths[i] > pageWidth) {
            groups.append(QVector<int>());
            used = 0;
        }
        groups.last().append(i);
        used += widths[i];
    }
    return groups;
}
