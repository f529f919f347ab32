#include "grids/PrinterPlatform.h"

#include "data/Exceptions.h"

#include <QPagedPaintDevice>
#include <QPrinter>
#include <QPrinterInfo>

namespace PrinterPlatform {

bool PrinterInstalled() {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        return true;
    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    return pdf.isValid();
}

PageMetrics MetricsOf(const QPagedPaintDevice& device, int dpi) {
    const QPageLayout layout = device.pageLayout();
    if (!layout.isValid() || dpi <= 0)
        return PageMetrics::fixed();
    const QRect full = layout.fullRectPixels(dpi);
    const QRect paint = layout.paintRectPixels(dpi);
    PageMetrics metrics;
    metrics.dpiX = metrics.dpiY = dpi;
    metrics.printable = paint.size();
    metrics.border = QMargins(paint.left() - full.left(), paint.top() - full.top(),
                              full.right() - paint.right(), full.bottom() - paint.bottom());
    return metrics;
}

PageMetrics MetricsOf(QPrinter& printer) {
    if (!printer.isValid())
        return PageMetrics::fixed();
    return MetricsOf(printer, printer.resolution());
}

void PrintPages(QPrinter& printer, const std::vector<PagePicture>& pages, int from, int to) {
    from = std::max(from, 1);
    to = std::min<int>(to, static_cast<int>(pages.size()));
    if (from > to)
        return;
    DevicePageSink sink(printer, printer.resolution());
    for (int page = from; page <= to; ++page)
        sink.addPage(pages[static_cast<size_t>(page - 1)]);
}

}  // namespace PrinterPlatform

void DevicePageSink::addPage(PagePicture page) {
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_device);
        if (!m_painter->isActive())
            throw Exception(QStringLiteral("Printing failed: the printer could not be opened"));
    } else {
        m_device.newPage();
    }
    ++m_pages;
    page.paint(*m_painter, m_dpi);
}
