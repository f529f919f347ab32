#include "app/AnchorPanel.h"

#include <QResizeEvent>

AnchorPanel::AnchorPanel(int designWidth, QWidget* parent)
    : QFrame(parent), m_designWidth(designWidth) {
    resize(designWidth, height());
}

void AnchorPanel::place(QWidget* child, const QRect& designRect, Anchor anchor) {
    child->setParent(this);
    m_entries.append(Entry{child, designRect, anchor});
    apply(m_entries.last());
}

void AnchorPanel::apply(const Entry& entry) const {
    if (!entry.child)
        return;
    const int growth = width() - m_designWidth;
    QRect rect = entry.designRect;
    if (entry.anchor == Right)
        rect.translate(growth, 0);
    else if (entry.anchor == LeftRight)
        rect.setWidth(qMax(0, rect.width() + growth));
    entry.child->setGeometry(rect);
}

void AnchorPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    for (const Entry& entry : m_entries)
        apply(entry);
}
