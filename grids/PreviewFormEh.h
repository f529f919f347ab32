#pragma once

#include "grids/GridPageRenderer.h"
#include "grids/PagePicture.h"

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class PreviewPageView;
class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;
class TPrintDBGridEh;

// The preview window: the pages of the last rendering, a tool bar to print them, change the
// page set-up, scale and page through them, and the Stop button while they are drawn. It keeps
// a printer of its own, initially the system's default, for layout and printing.
class TPreviewFormEh : public QMainWindow, private PageSink, private PrintProgress {
    Q_OBJECT
public:
    // The scale list, in order; the last entry is the initial choice.
    static const QStringList ScaleCaptions;

    explicit TPreviewFormEh(QWidget* parent = nullptr);
    ~TPreviewFormEh() override;

    // The grid printer whose set-up dialog the set-up button opens.
    void setPrinterSetupSource(TPrintDBGridEh* source);

    QPrinter& printer() { return *m_printer; }
    PageMetrics pageMetrics();

    // Replaces the pages with those `render` produces, showing the window once a page is
    // complete. Errors of `render` are raised again after the pages so far are shown.
    using Render = std::function<void(PageSink&, PrintProgress&)>;
    void renderDocument(const QString& title, const Render& render);

    bool rendering() const { return m_rendering; }
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    const std::vector<PagePicture>& pages() const { return m_pages; }
    // 1-based; 0 while there is no page.
    int currentPage() const { return m_current; }
    void setCurrentPage(int page);

    QToolButton* tbPrint;
    QToolButton* tbPrinterSetup;
    QComboBox* cbScale;
    QToolButton* tbPrevPage;
    QToolButton* tbNextPage;
    QToolButton* tbStop;
    QToolButton* tbClose;
    QLabel* lStatus;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void addPage(PagePicture page) override;
    void waitCursor(bool on) override;
    void rowPrinted() override;
    bool stopRequested() override { return m_stopRequested; }

    QToolButton* addButton(const QString& name, const QString& caption, const QString& hint);
    // Previous and next step once on press, then repeat while held.
    void bindStepButton(QToolButton* button, int step);
    void printPages();
    void applyScale();
    void updateControls();
    void bringToFront();

    std::unique_ptr<QPrinter> m_printer;
    QPointer<TPrintDBGridEh> m_setupSource;
    std::vector<PagePicture> m_pages;
    int m_current = 0;
    bool m_rendering = false;
    // Asked of the print system once per rendering, not per page.
    bool m_printerInstalled = false;
    bool m_stopRequested = false;
    QString m_title;
    QScrollArea* m_scroll;
    PreviewPageView* m_view;
    QTimer m_repeat;
    int m_repeatStep = 0;
};
