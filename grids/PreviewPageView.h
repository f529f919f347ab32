#pragma once

#include "grids/PagePicture.h"

#include <QWidget>
#include <vector>

// One page on a sheet of paper, at the preview's scale.
class PreviewPageView : public QWidget {
    Q_OBJECT
public:
    // The pages are read at each paint: the list may grow while they are drawn.
    explicit PreviewPageView(const std::vector<PagePicture>& pages, QWidget* parent = nullptr);

    // 0-based; -1 for none.
    void setPage(int index);
    // Screen pixels per page pixel.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PagePicture* page() const;

    const std::vector<PagePicture>& m_pages;
    int m_index = -1;
    double m_zoom = 0.1;
};
