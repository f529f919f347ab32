#include "grids/PrintDBGridEh.h"

#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "grids/PreviewFormEh.h"
#include "grids/PrinterPlatform.h"
#include "grids/PrnDBGridEhSetupDialog.h"
#include "grids/RecordGrid.h"

#include <QHeaderView>

const QString TPrintDBGridEh::DocumentTitle = QStringLiteral("Табличная информация");

GridPrintSource GridPrintSourceOf(const RecordGrid& grid) {
    GridPrintSource source;
    source.table = grid.table();
    const QHeaderView* header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        PrintColumn column;
        column.field = logical;
        column.title = grid.model()->headerData(logical, Qt::Horizontal).toString();
        column.screenWidth = grid.columnWidth(logical);
        column.color = grid.palette().color(QPalette::Base);
        source.columns.append(column);
    }
    source.font = grid.font();
    source.titleFont = header->font();
    source.screenDpi = grid.logicalDpiX();
    source.fixedColor = grid.palette().color(QPalette::Button);
    return source;
}

TPrintDBGridEh::TPrintDBGridEh(RecordGrid* grid, QObject* parent) : QObject(parent), m_grid(grid) {}

TPrintDBGridEh::~TPrintDBGridEh() {
    delete m_setupDialog;
    delete m_preview;
}

RecordGrid* TPrintDBGridEh::DBGrid() const {
    return m_grid;
}

TPreviewFormEh* TPrintDBGridEh::PreviewForm() const {
    return m_preview;
}

TfPrnDBGridEhSetupDialog* TPrintDBGridEh::SetupDialog() const {
    return m_setupDialog;
}

bool TPrintDBGridEh::tableOpen() const {
    return m_grid && m_grid->table() && m_grid->table()->Active();
}

TPreviewFormEh& TPrintDBGridEh::previewForm() {
    if (!m_preview)
        m_preview = new TPreviewFormEh(m_grid ? m_grid->window() : nullptr);
    return *m_preview;
}

void TPrintDBGridEh::PreviewGrid() {
    if (!tableOpen())
        return;
    TPreviewFormEh& preview = previewForm();
    if (preview.rendering())
        return;
    preview.setPrinterSetupSource(this);
    GridPageRenderer renderer(m_settings, GridPrintSourceOf(*m_grid), preview.pageMetrics());
    if (m_clock)
        renderer.setClock(m_clock);
    preview.renderDocument(DocumentTitle, [&renderer](PageSink& sink, PrintProgress& progress) {
        renderer.render(sink, progress);
    });
}

int TPrintDBGridEh::PrintTo(QPagedPaintDevice& device, int dpi, PrintProgress& progress) {
    if (!tableOpen())
        return 0;
    GridPageRenderer renderer(m_settings, GridPrintSourceOf(*m_grid),
                              PrinterPlatform::MetricsOf(device, dpi));
    if (m_clock)
        renderer.setClock(m_clock);
    DevicePageSink sink(device, dpi);
    return renderer.render(sink, progress);
}

void TPrintDBGridEh::SetupDialogExecute() {
    TPreviewFormEh& preview = previewForm();
    if (!m_setupDialog)
        m_setupDialog = new TfPrnDBGridEhSetupDialog(&preview.printer(), &preview);
    m_setupDialog->loadFrom(m_settings);
    if (Prompts().execDialog(*m_setupDialog) != 1)
        return;
    m_setupDialog->saveTo(m_settings);
    PreviewGrid();
}
