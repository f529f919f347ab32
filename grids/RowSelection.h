#pragma once

#include "grids/SelectionKind.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QVector>

#include "data/TTable.h"

// The bookmarks of the selected rows of a grid, kept sorted in the table's record order without
// duplicates. The order in which the user picked the rows is not kept, so a run over the
// selection visits the rows in table order.
class RowSelection : public QObject {
    Q_OBJECT
public:
    explicit RowSelection(QObject* parent = nullptr);

    void setTable(TTable* table);
    TTable* table() const { return m_table; }

    // The grid's linked flag: set whenever its table opens or closes, which empties the list.
    bool linked() const { return m_linked; }
    void setLinked(bool linked);

    SelectionKind kind() const { return m_kind; }
    void setKind(SelectionKind kind);

    int Count() const { return m_items.size(); }
    const QByteArray& Item(int index) const { return m_items.at(index); }
    // Whether the bookmark is in the list; `index` becomes its position or the one where it
    // would be inserted.
    bool Find(const QByteArray& bookmark, int& index);
    int IndexOf(const QByteArray& bookmark);
    bool CurrentRowSelected();
    void SetCurrentRowSelected(bool value);
    void SelectAll();
    // Adds or removes a row by its bookmark, with the rules of SetCurrentRowSelected.
    void setSelected(const QByteArray& bookmark, bool value);
    void Clear();

    // Bookmark comparisons made by Find so far; the price of painting and selecting.
    qint64 comparisons() const { return m_comparisons; }

signals:
    // The list or the kind changed: the grid repaints.
    void changed();

private:
    int compare(const QByteArray& a, const QByteArray& b);
    void listChanged();
    void announce();

    QPointer<TTable> m_table;
    QVector<QByteArray> m_items;
    bool m_linked = false;
    SelectionKind m_kind = SelectionKind::None;

    QByteArray m_cachedBookmark;
    int m_cachedIndex = -1;
    bool m_cachedFound = false;

    qint64 m_comparisons = 0;
};
