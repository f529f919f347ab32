#include "grids/RecordDelegate.h"

#include "grids/IncrementalSearch.h"
#include "grids/RecordGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

RecordDelegate::RecordDelegate(RecordGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void RecordDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
    const bool current = index.row() == m_grid->currentIndex().row();
    const bool selected = m_grid->rowShownSelected(index.row());
    if (selected) {
        option->state |= QStyle::State_Selected;
    } else if (current && m_grid->role() == RecordGrid::Role::Source) {
        // The current row stands out without looking selected.
        QColor tint = option->palette.color(QPalette::Highlight);
        tint.setAlpha(60);
        option->backgroundBrush = tint;
    } else if (index == m_grid->currentIndex() && m_grid->role() == RecordGrid::Role::Target) {
        option->state |= QStyle::State_Selected;
    }
    if (index == m_grid->currentIndex() && m_grid->hasFocus())
        option->state |= QStyle::State_HasFocus;
}

void RecordDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const IncrementalSearch& search = m_grid->search();
    if (!search.active() || index != m_grid->currentIndex())
        return;
    // The search text over the start of the current cell, in a box of its own.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const QString shown = search.text().isEmpty() ? QStringLiteral(" ") : search.text();
    QRect box = opt.fontMetrics.boundingRect(textRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
    box.adjust(-2, 0, 2, 0);
    box.setTop(option.rect.top() + 1);
    box.setBottom(option.rect.bottom() - 1);
    painter->save();
    painter->fillRect(box, opt.palette.color(QPalette::ToolTipBase));
    painter->setPen(opt.palette.color(QPalette::ToolTipText));
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->drawText(box, Qt::AlignCenter, shown);
    painter->restore();
}

bool RecordDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            modifiers == Qt::NoModifier) {
            if (auto* editor = qobject_cast<QWidget*>(object)) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                emit enterPressed();
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
