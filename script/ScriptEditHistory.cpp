#include "script/ScriptEditHistory.h"

void ScriptEditHistory::record(Edit edit) {
    m_redo.clear();
    if (edit.typing && edit.removed.isEmpty() && !m_undo.isEmpty()) {
        Edit& last = m_undo.last();
        if (last.typing && ScriptBuffer::advance(last.at, last.inserted) == edit.at) {
            last.inserted += edit.inserted;
            return;
        }
    }
    m_undo.append(std::move(edit));
}

ScriptEditHistory::Edit ScriptEditHistory::takeUndo() {
    Edit edit = m_undo.takeLast();
    edit.typing = false;
    m_redo.append(edit);
    return edit;
}

ScriptEditHistory::Edit ScriptEditHistory::takeRedo() {
    Edit edit = m_redo.takeLast();
    m_undo.append(edit);
    return edit;
}

void ScriptEditHistory::clear() {
    m_undo.clear();
    m_redo.clear();
}
