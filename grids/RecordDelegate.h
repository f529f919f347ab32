#pragma once

#include <QStyledItemDelegate>

class RecordGrid;

// Paints a grid's cells with the grid's own selection: selected rows (or every row with the
// kind all), the current row of the source grid or the current cell of the target grid, and the
// incremental search text in the current cell.
class RecordDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit RecordDelegate(RecordGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    // Enter in a cell editor closes it and moves on like Tab.
    bool eventFilter(QObject* object, QEvent* event) override;

signals:
    void enterPressed();

private:
    RecordGrid* m_grid;
};
