#pragma once

#include "grids/GridPageRenderer.h"

#include <QObject>
#include <QPointer>

class QPagedPaintDevice;
class RecordGrid;
class TfPrnDBGridEhSetupDialog;
class TPreviewFormEh;

// The columns, fonts and colours of a grid as printing takes them: its visible columns in
// display order, with their screen widths.
GridPrintSource GridPrintSourceOf(const RecordGrid& grid);

// The grid printer: prints the grid it is bound to through the preview window, with its page
// set-up kept for the run.
class TPrintDBGridEh : public QObject {
    Q_OBJECT
public:
    static const QString DocumentTitle;

    explicit TPrintDBGridEh(RecordGrid* grid, QObject* parent = nullptr);
    ~TPrintDBGridEh() override;

    RecordGrid* DBGrid() const;
    GridPrintSettings& Settings() { return m_settings; }
    PageTexts& PageHeader() { return m_settings.PageHeader; }
    PageTexts& PageFooter() { return m_settings.PageFooter; }

    // Renders every page into the preview window and opens it; nothing when the grid's table
    // is not open.
    void PreviewGrid();
    // Renders straight onto a paged device (a PDF file, a printer) without the preview.
    int PrintTo(QPagedPaintDevice& device, int dpi, PrintProgress& progress);

    // Shows the set-up dialog; OK renders the preview again.
    void SetupDialogExecute();

    // The preview window, once it has been used.
    TPreviewFormEh* PreviewForm() const;
    TfPrnDBGridEhSetupDialog* SetupDialog() const;

    // Where the date and time of the page texts come from.
    void setClock(GridPageRenderer::Clock clock) { m_clock = std::move(clock); }

private:
    TPreviewFormEh& previewForm();
    bool tableOpen() const;

    QPointer<RecordGrid> m_grid;
    GridPrintSettings m_settings = GridPrintSettings::standard();
    GridPageRenderer::Clock m_clock;
    // Both may go with the window that owns them.
    QPointer<TPreviewFormEh> m_preview;
    QPointer<TfPrnDBGridEhSetupDialog> m_setupDialog;
};
