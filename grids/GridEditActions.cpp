#include "grids/GridEditActions.h"

#include "data/TField.h"
#include "data/TTable.h"
#include "grids/CellText.h"
#include "grids/ControlsSuspension.h"
#include "grids/RowSelection.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>

TTable* GridEditActions::table() const {
    TTable* t = m_selection.table();
    return t && t->Active() ? t : nullptr;
}

bool GridEditActions::hasSelection() const {
    return m_selection.kind() == SelectionKind::All || m_selection.Count() > 0;
}

bool GridEditActions::canCopy() const {
    return table() && hasSelection();
}

bool GridEditActions::canCut() const {
    return canCopy() && table()->CanModify();
}

bool GridEditActions::canPaste(const QMimeData* data) const {
    return table() && table()->CanModify() && GridClipboard::canPaste(data);
}

bool GridEditActions::canDelete() const {
    return table() && table()->CanModify() && !table()->IsEmpty();
}

bool GridEditActions::canSelectAll() const {
    return table() && !table()->IsEmpty();
}

bool GridEditActions::canInsert() const {
    return table() && table()->CanModify();
}

bool GridEditActions::handleKey(QKeyEvent* event, int column) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool ctrl = modifiers == Qt::ControlModifier;
    const bool shift = modifiers == Qt::ShiftModifier;

    if ((ctrl && key == Qt::Key_C) || (ctrl && key == Qt::Key_Insert)) {
        if (canCopy())
            copy();
        return true;
    }
    if ((ctrl && key == Qt::Key_X) || (shift && key == Qt::Key_Delete)) {
        if (canCut())
            cut();
        return true;
    }
    if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        if (canPaste(data))
            paste(GridClipboard::fromMimeData(data), column);
        return true;
    }
    if (ctrl && key == Qt::Key_Delete) {
        if (canDelete())
            deleteRows();
        return true;
    }
    if (ctrl && key == Qt::Key_A) {
        if (canSelectAll())
            selectAll();
        return true;
    }
    if (modifiers == Qt::NoModifier && key == Qt::Key_Insert) {
        if (canInsert())
            insert();
        return true;
    }
    return false;
}

ClipRows GridEditActions::selectedRows() {
    ClipRows rows;
    TTable* t = table();
    if (!t || !hasSelection())
        return rows;
    const int fields = t->NumberOfFields();
    for (int i = 0; i < fields; ++i)
        rows.types.append(t->FieldAt(i)->FieldType());
    const auto take = [&] {
        QStringList texts;
        Row values;
        for (int i = 0; i < fields; ++i) {
            const TField& field = *t->FieldAt(i);
            values.append(field.Value());
            texts.append(CellText(field, values.last()));
        }
        rows.texts.append(texts);
        rows.values.append(values);
    };
    ControlsSuspension suspension(t);
    const QByteArray back = t->CurrentBookmark();
    if (m_selection.kind() == SelectionKind::All) {
        for (t->MoveFirst(); !t->AtEnd(); t->MoveNext())
            take();
    } else {
        for (int i = 0; i < m_selection.Count(); ++i) {
            t->MoveToBookmark(m_selection.Item(i));
            take();
        }
    }
    t->MoveToBookmark(back);
    return rows;
}

void GridEditActions::copy() {
    QApplication::clipboard()->setMimeData(GridClipboard::toMimeData(selectedRows()));
}

void GridEditActions::cut() {
    copy();
    deleteRows();
}

void GridEditActions::writeRow(const ClipRows& rows, int index, int firstColumn) {
    TTable* t = table();
    const QStringList& texts = rows.texts.at(index);
    for (int j = 0; j < texts.size(); ++j) {
        const int column = firstColumn + j;
        if (column >= t->NumberOfFields())
            break;
        TField& field = *t->FieldAt(column);
        // A value keeps its exact form when it lands in a field of the kind it came from.
        if (rows.hasValues() && j < rows.types.size() && rows.types.at(j) == field.FieldType() &&
            j < rows.values.at(index).size()) {
            field.SetValue(rows.values.at(index).at(j));
        } else if (!field.IsBlobField()) {
            field.WriteText(texts.at(j));
        }
    }
}

void GridEditActions::paste(const ClipRows& rows, int column) {
    TTable* t = table();
    if (!t || rows.rowCount() == 0)
        return;
    const bool all = m_selection.kind() == SelectionKind::All;
    const int firstColumn = all ? 0 : std::max(column, 0);
    ControlsSuspension suspension(t);
    try {
        if (t->State() == TableState::Insert) {
            for (int i = 0; i < rows.rowCount(); ++i) {
                if (i > 0)
                    t->StartInsert();
                writeRow(rows, i, firstColumn);
                t->PostRecord();
            }
            return;
        }
        t->PostRecord();
        const qint64 first = all ? 0 : std::max<qint64>(t->RecNo(), 0);
        for (int i = 0; i < rows.rowCount(); ++i) {
            const qint64 position = first + i;
            if (position < t->RecordCount()) {
                t->MoveTo(position);
                t->StartEdit();
            } else {
                t->StartInsert();
            }
            writeRow(rows, i, firstColumn);
            t->PostRecord();
        }
    } catch (...) {
        // The row that failed is left unposted; the rows before it stay pasted.
        t->CancelRecord();
        throw;
    }
}

void GridEditActions::deleteRows() {
    TTable* t = table();
    if (!t)
        return;
    ControlsSuspension suspension(t);
    if (m_selection.kind() == SelectionKind::All) {
        t->MoveFirst();
        while (t->RecordCount() > 0)
            t->DeleteRecord();
        m_selection.setKind(SelectionKind::None);
    } else if (m_selection.Count() > 0) {
        while (m_selection.Count() > 0) {
            const QByteArray bookmark = m_selection.Item(m_selection.Count() - 1);
            t->MoveToBookmark(bookmark);
            m_selection.SetCurrentRowSelected(false);
            t->DeleteRecord();
        }
    } else {
        t->DeleteRecord();
    }
}

void GridEditActions::selectAll() {
    m_selection.Clear();
    m_selection.setKind(SelectionKind::All);
}

void GridEditActions::insert() {
    table()->StartInsert();
}
