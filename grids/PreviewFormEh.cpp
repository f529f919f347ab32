#include "grids/PreviewFormEh.h"

#include "data/UserPrompts.h"
#include "grids/PreviewPageView.h"
#include "grids/PrintDBGridEh.h"
#include "grids/PrinterPlatform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPrintDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int RepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 100;
constexpr int PageWidthEntry = 8;
constexpr int WholePageEntry = 9;
}  // namespace

const QStringList TPreviewFormEh::ScaleCaptions = {QStringLiteral("500%"),
                                                   QStringLiteral("200%"),
                                                   QStringLiteral("150%"),
                                                   QStringLiteral("100%"),
                                                   QStringLiteral("75%"),
                                                   QStringLiteral("50%"),
                                                   QStringLiteral("25%"),
                                                   QStringLiteral("10%"),
                                                   QStringLiteral("По ширине страницы"),
                                                   QStringLiteral("Страница целиком")};

TPreviewFormEh::TPreviewFormEh(QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("PreviewFormEh"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Предварительный просмотр"));

    QToolBar* bar = addToolBar(QStringLiteral("Preview"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tbPrint = addButton(QStringLiteral("tbPrint"), QStringLiteral("Печатать"),
                        QStringLiteral("Печатать"));
    bar->addWidget(tbPrint);
    tbPrinterSetup =
        addButton(QStringLiteral("tbPrinterSetup"), QStringLiteral("Настройка принтера"),
                  QStringLiteral("Настройка принтера"));
    bar->addWidget(tbPrinterSetup);
    bar->addSeparator();
    cbScale = new QComboBox(bar);
    cbScale->setObjectName(QStringLiteral("cbScale"));
    cbScale->addItems(ScaleCaptions);
    cbScale->setCurrentIndex(WholePageEntry);
    cbScale->setToolTip(QStringLiteral("Масштаб"));
    cbScale->setAccessibleName(QStringLiteral("Масштаб"));
    bar->addWidget(cbScale);
    bar->addSeparator();
    tbPrevPage = addButton(QStringLiteral("tbPrevPage"), QStringLiteral("Предыдущая"),
                           QStringLiteral("Предыдущая страница"));
    bar->addWidget(tbPrevPage);
    tbNextPage = addButton(QStringLiteral("tbNextPage"), QStringLiteral("Следующая"),
                           QStringLiteral("Следующая страница"));
    bar->addWidget(tbNextPage);
    bar->addSeparator();
    tbStop = addButton(QStringLiteral("tbStop"), QStringLiteral("Стоп"), QString());
    bar->addWidget(tbStop);
    tbClose = addButton(QStringLiteral("tbClose"), QStringLiteral("Закрыть"),
                        QStringLiteral("Закрыть окно предварительного просмотра"));
    bar->addWidget(tbClose);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("sbPages"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PreviewPageView(m_pages);
    m_scroll->setWidget(m_view);
    setCentralWidget(m_scroll);

    lStatus = new QLabel(this);
    lStatus->setObjectName(QStringLiteral("lStatus"));
    statusBar()->addWidget(lStatus, 1);

    connect(tbPrint, &QToolButton::clicked, this, [this] { RunCommand([this] { printPages(); }); });
    connect(tbPrinterSetup, &QToolButton::clicked, this, [this] {
        RunCommand([this] {
            if (m_setupSource)
                m_setupSource->SetupDialogExecute();
        });
    });
    connect(cbScale, &QComboBox::currentIndexChanged, this, [this] { applyScale(); });
    bindStepButton(tbPrevPage, -1);
    bindStepButton(tbNextPage, 1);
    connect(tbStop, &QToolButton::clicked, this, [this] { m_stopRequested = true; });
    connect(tbClose, &QToolButton::clicked, this, &QWidget::close);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(RepeatIntervalMs);
        setCurrentPage(m_current + m_repeatStep);
    });
    m_printerInstalled = PrinterPlatform::PrinterInstalled();
    updateControls();
}

TPreviewFormEh::~TPreviewFormEh() = default;

QToolButton* TPreviewFormEh::addButton(const QString& name, const QString& caption,
                                       const QString& hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

void TPreviewFormEh::bindStepButton(QToolButton* button, int step) {
    connect(button, &QToolButton::pressed, this, [this, step] {
        setCurrentPage(m_current + step);
        m_repeatStep = step;
        m_repeat.start(RepeatDelayMs);
    });
    connect(button, &QToolButton::released, this, [this] { m_repeat.stop(); });
}

void TPreviewFormEh::setPrinterSetupSource(TPrintDBGridEh* source) {
    m_setupSource = source;
    updateControls();
}

PageMetrics TPreviewFormEh::pageMetrics() {
    return PrinterPlatform::MetricsOf(*m_printer);
}

void TPreviewFormEh::renderDocument(const QString& title, const Render& render) {
    m_pages.clear();
    m_current = 0;
    m_view->setPage(-1);
    m_title = title;
    setWindowTitle(QStringLiteral("Предварительный просмотр - ") + title);
    m_rendering = true;
    m_stopRequested = false;
    m_printerInstalled = PrinterPlatform::PrinterInstalled();
    updateControls();
    // The document ends on every way out: the pages so far stay, page 1 is shown.
    struct EndDocument {
        TPreviewFormEh& form;
        ~EndDocument() {
            form.m_rendering = false;
            form.m_repeat.stop();
            form.setCurrentPage(form.m_pages.empty() ? 0 : 1);
            form.updateControls();
            form.bringToFront();
        }
    } end{*this};
    render(*this, *this);
}

void TPreviewFormEh::addPage(PagePicture page) {
    page.pack();
    m_pages.push_back(std::move(page));
    if (m_pages.size() == 1) {
        setCurrentPage(1);
        bringToFront();
    }
    updateControls();
}

void TPreviewFormEh::waitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TPreviewFormEh::rowPrinted() {
    QApplication::processEvents();
}

void TPreviewFormEh::setCurrentPage(int page) {
    const int count = pageCount();
    page = count == 0 ? 0 : std::clamp(page, 1, count);
    if (page == m_current && (page == 0 || m_view->isVisible()))
        return updateControls();
    m_current = page;
    m_view->setPage(page - 1);
    applyScale();
    updateControls();
}

void TPreviewFormEh::applyScale() {
    if (m_current == 0)
        return;
    const PagePicture& page = m_pages[static_cast<size_t>(m_current - 1)];
    const double toScreen = double(logicalDpiX()) / page.dpi();
    const int entry = cbScale->currentIndex();
    const QSize area = m_scroll->viewport()->size() - QSize(16, 16);
    double zoom = toScreen;
    if (entry == PageWidthEntry) {
        zoom = double(area.width()) / page.paper().width();
    } else if (entry == WholePageEntry) {
        zoom = std::min(double(area.width()) / page.paper().width(),
                        double(area.height()) / page.paper().height());
    } else {
        zoom = toScreen * QString(cbScale->currentText()).chopped(1).toDouble() / 100.0;
    }
    m_view->setZoom(std::max(zoom, 0.001));
}

void TPreviewFormEh::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyScale();
}

void TPreviewFormEh::updateControls() {
    const int count = pageCount();
    tbPrint->setEnabled(!m_rendering && m_printerInstalled);
    tbPrinterSetup->setEnabled(!m_rendering && m_setupSource);
    tbPrevPage->setEnabled(m_current > 1);
    tbNextPage->setEnabled(m_current < count);
    tbStop->setEnabled(m_rendering);
    tbClose->setEnabled(!m_rendering);
    lStatus->setText(QStringLiteral("Страница %1 из %2").arg(m_current).arg(count));
    if (!tbPrevPage->isEnabled() && !tbNextPage->isEnabled())
        m_repeat.stop();
}

void TPreviewFormEh::bringToFront() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible())
        showMaximized();
    raise();
    activateWindow();
}

void TPreviewFormEh::printPages() {
    const int count = pageCount();
    if (m_rendering || count == 0)
        return;
    QPrintDialog dialog(m_printer.get(), this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setMinMax(1, count);
    dialog.setFromTo(1, count);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (Prompts().execDialog(dialog) != 1)
        return;
    int from = 1;
    int to = count;
    if (m_printer->printRange() == QPrinter::PageRange && m_printer->fromPage() > 0) {
        from = m_printer->fromPage();
        to = m_printer->toPage();
    }
    PrinterPlatform::PrintPages(*m_printer, m_pages, from, to);
}

void TPreviewFormEh::closeEvent(QCloseEvent* event) {
    // Closing while pages are drawn would leave the rendering without a window: stop it first.
    if (m_rendering) {
        m_stopRequested = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
