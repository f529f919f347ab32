#include "grids/RowSelection.h"

#include "data/Exceptions.h"
#include "data/TTable.h"
#include "grids/ControlsSuspension.h"

#include <algorithm>
#include <iterator>

RowSelection::RowSelection(QObject* parent) : QObject(parent) {}

void RowSelection::setTable(TTable* table) {
    m_table = table;
    setLinked(table && table->Active());
}

void RowSelection::setLinked(bool linked) {
    m_linked = linked;
    Clear();
    setKind(SelectionKind::None);
}

void RowSelection::setKind(SelectionKind kind) {
    if (m_kind == kind)
        return;
    m_kind = kind;
    announce();
}

int RowSelection::compare(const QByteArray& a, const QByteArray& b) {
    ++m_comparisons;
    return m_table->CompareBookmarks(a, b);
}

bool RowSelection::Find(const QByteArray& bookmark, int& index) {
    if (m_cachedIndex != -1 && bookmark == m_cachedBookmark) {
        index = m_cachedIndex;
        return m_cachedFound;
    }
    // A run over the selection asks for its items in turn: try the one after the last answer.
    const int next = m_cachedIndex + 1;
    if (m_cachedFound && next < m_items.size() && compare(m_items.at(next), bookmark) == 0) {
        index = next;
        m_cachedBookmark = bookmark;
        m_cachedIndex = next;
        return true;
    }
    bool found = false;
    int low = 0;
    int high = m_items.size() - 1;
    // Walks over the table arrive in record order: a bookmark beyond the last item is found
    // with one comparison instead of a full search.
    if (high >= 0 && compare(m_items.at(high), bookmark) < 0)
        low = high + 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int c = compare(m_items.at(mid), bookmark);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                low = mid;
            }
        }
    }
    index = low;
    m_cachedBookmark = bookmark;
    m_cachedIndex = index;
    m_cachedFound = found;
    return found;
}

int RowSelection::IndexOf(const QByteArray& bookmark) {
    int index = -1;
    return Find(bookmark, index) ? index : -1;
}

bool RowSelection::CurrentRowSelected() {
    if (!m_linked || !m_table || !m_table->Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    const QByteArray bookmark = m_table->CurrentBookmark();
    if (bookmark.isEmpty())
        return false;
    int index = -1;
    return Find(bookmark, index);
}

void RowSelection::SetCurrentRowSelected(bool value) {
    if (!m_linked || !m_table || !m_table->Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    setSelected(m_table->CurrentBookmark(), value);
}

void RowSelection::setSelected(const QByteArray& bookmark, bool value) {
    if (bookmark.isEmpty())
        return;
    int index = -1;
    if (Find(bookmark, index) == value)
        return;
    if (value)
        m_items.insert(index, bookmark);
    else
        m_items.remove(index);
    listChanged();
    if (m_kind != SelectionKind::Rows && !m_items.isEmpty())
        m_kind = SelectionKind::Rows;
    if (m_kind == SelectionKind::Rows && m_items.isEmpty())
        m_kind = SelectionKind::None;
    announce();
}

void RowSelection::SelectAll() {
    if (!m_linked || !m_table || !m_table->Active())
        return;
    TTable* table = m_table;
    {
        ControlsSuspension suspension(table);
        const QByteArray back = table->CurrentBookmark();
        // Ends an edit as a walk from the first row would.
        table->MoveFirst();
        const QVector<QByteArray> all = table->Bookmarks();
        // Both lists are in record order: one merge, without a search per row.
        QVector<QByteArray> merged;
        merged.reserve(m_items.size() + all.size());
        std::set_union(
            m_items.cbegin(), m_items.cend(), all.cbegin(), all.cend(), std::back_inserter(merged),
            [this](const QByteArray& a, const QByteArray& b) { return compare(a, b) < 0; });
        if (merged.size() != m_items.size()) {
            m_items = std::move(merged);
            listChanged();
            if (m_kind != SelectionKind::Rows)
                m_kind = SelectionKind::Rows;
        }
        if (back.isEmpty())
            table->MoveLast();
        else
            table->MoveToBookmark(back);
    }
    announce();
}

void RowSelection::Clear() {
    if (m_items.isEmpty())
        return;
    m_items.clear();
    m_items.squeeze();
    listChanged();
    if (m_kind == SelectionKind::Rows)
        m_kind = SelectionKind::None;
    announce();
}

void RowSelection::listChanged() {
    m_cachedBookmark.clear();
    m_cachedIndex = -1;
    m_cachedFound = false;
}

void RowSelection::announce() {
    // While the table's controls are suspended the grid does not repaint; it redraws once when
    // they resume.
    if (!m_table || !m_table->ControlsSuspended())
        emit changed();
}
