#include "grids/PreviewPageView.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
constexpr int Gap = 8;
}

PreviewPageView::PreviewPageView(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Dark);
    setAutoFillBackground(true);
}

void PreviewPageView::setPage(const PagePicture* page) {
    m_page = page;
    resize(sizeHint());
    update();
}

void PreviewPageView::setZoom(double zoom) {
    m_zoom = zoom;
    resize(sizeHint());
    update();
}

QSize PreviewPageView::sizeHint() const {
    if (!m_page)
        return QSize(2 * Gap, 2 * Gap);
    return (QSizeF(m_page->paper()) * m_zoom).toSize() + QSize(2 * Gap, 2 * Gap);
}

void PreviewPageView::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    if (!m_page)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF paper(Gap, Gap, m_page->paper().width() * m_zoom,
                       m_page->paper().height() * m_zoom);
    painter.fillRect(paper.translated(3, 3), Qt::black);
    painter.fillRect(paper, Qt::white);
    painter.translate(paper.topLeft());
    painter.scale(m_zoom, m_zoom);
    painter.translate(m_page->border().left(), m_page->border().top());
    m_page->paint(painter, m_page->dpi());
}
