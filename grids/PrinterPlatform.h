#pragma once

#include "grids/GridPageRenderer.h"
#include "grids/GridPrintLayout.h"
#include "grids/PagePicture.h"

#include <QPainter>
#include <memory>

class QPagedPaintDevice;
class QPrinter;

// The printing platform: which printers exist, what a page of the chosen one measures, and
// pages drawn with QPainter onto it (a real printer or Qt's PDF printer).
namespace PrinterPlatform {

// Qt's own PDF printer counts: printing to a file works without a print server.
bool PrinterInstalled();

// The page of a printer at its resolution; the fixed page when the printer is not usable.
PageMetrics MetricsOf(const QPagedPaintDevice& device, int dpi);
PageMetrics MetricsOf(QPrinter& printer);

// Prints pages `from` to `to` (1-based, inclusive), one sheet each.
void PrintPages(QPrinter& printer, const std::vector<PagePicture>& pages, int from, int to);

}  // namespace PrinterPlatform

// Draws pages onto a paged device as they are completed, one sheet each, holding no page
// after it is drawn.
class DevicePageSink : public PageSink {
public:
    DevicePageSink(QPagedPaintDevice& device, int dpi) : m_device(device), m_dpi(dpi) {}
    void addPage(PagePicture page) override;
    int pages() const { return m_pages; }

private:
    QPagedPaintDevice& m_device;
    int m_dpi;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};
