#pragma once

#include "grids/PagePicture.h"

#include <QWidget>

// One page on a sheet of paper, at the preview's scale.
class PreviewPageView : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPageView(QWidget* parent = nullptr);

    void setPage(const PagePicture* page);
    // Screen pixels per page pixel.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PagePicture* m_page = nullptr;
    double m_zoom = 0.1;
};
