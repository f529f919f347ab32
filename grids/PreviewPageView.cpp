#include "grids/PreviewPageView.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
constexpr int Gap = 8;
}

PreviewPageView::PreviewPageView(const std::vector<PagePicture>& pages, QWidget* parent)
    : QWidget(parent), m_pages(pages) {
    setBackgroundRole(QPalette::Dark);
    setAutoFillBackground(true);
}

const PagePicture* PreviewPageView::page() const {
    if (m_index < 0 || m_index >= static_cast<int>(m_pages.size()))
        return nullptr;
    return &m_pages[static_cast<size_t>(m_index)];
}

void PreviewPageView::setPage(int index) {
    m_index = index;
    resize(sizeHint());
    update();
}

void PreviewPageView::setZoom(double zoom) {
    m_zoom = zoom;
    resize(sizeHint());
    update();
}

QSize PreviewPageView::sizeHint() const {
    const PagePicture* shown = page();
    if (!shown)
        return QSize(2 * Gap, 2 * Gap);
    return (QSizeF(shown->paper()) * m_zoom).toSize() + QSize(2 * Gap, 2 * Gap);
}

void PreviewPageView::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    const PagePicture* shown = page();
    if (!shown)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF paper(Gap, Gap, shown->paper().width() * m_zoom, shown->paper().height() * m_zoom);
    painter.fillRect(paper.translated(3, 3), Qt::black);
    painter.fillRect(paper, Qt::white);
    painter.translate(paper.topLeft());
    painter.scale(m_zoom, m_zoom);
    painter.translate(shown->border().left(), shown->border().top());
    shown->paint(painter, shown->dpi());
}
