#include "transfer/RowWalk.h"

#include "data/Exceptions.h"
#include "data/TTable.h"
#include "grids/RowSelection.h"

#include <vector>

int SelectionWalk::count() {
    return m_selection.Count();
}

void SelectionWalk::begin(TTable& table) {
    m_next = 0;
    table.SetBookmarkLookahead([this](int wanted) {
        std::vector<QByteArray> keys;
        const int count = m_selection.Count();
        for (int k = m_next; k < count && k < m_next + wanted; ++k)
            keys.push_back(m_selection.Item(k));
        return keys;
    });
}

void SelectionWalk::end(TTable& table) {
    table.SetBookmarkLookahead(nullptr);
}

void SelectionWalk::moveTo(TTable& table, int index) {
    m_next = index;
    table.MoveToBookmark(m_selection.Item(index));
}

bool SelectionWalk::currentSelected() {
    return m_selection.CurrentRowSelected();
}

int TableWalk::count() {
    qint64 before = 0;
    if (!m_after.isEmpty()) {
        m_table.MoveToBookmark(m_after);
        before = m_table.RecNo() + 1;
    }
    return static_cast<int>(m_table.RecordCount() - before);
}

void TableWalk::moveTo(TTable& table, int index) {
    if (index == 0 && m_after.isEmpty()) {
        table.MoveFirst();
    } else {
        if (index == 0)
            table.MoveToBookmark(m_after);
        table.MoveNext();
    }
    if (table.AtEnd())
        throw EDatabaseError(QStringLiteral("Record not found"));
}
