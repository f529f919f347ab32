#pragma once

#include "script/ScriptBuffer.h"

#include <QList>
#include <QString>

// The editor's undo and redo records: each edit is the text it took out and the text it put in
// at one position, so either way is one replacement.
class ScriptEditHistory {
public:
    struct Edit {
        ScriptBuffer::Position at;
        QString removed;
        QString inserted;
        // Characters typed one after another undo together.
        bool typing = false;
    };

    // A new edit ends what could be redone.
    void record(Edit edit);
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    // The last edit, moved over to the other list.
    Edit takeUndo();
    Edit takeRedo();
    void clear();

private:
    QList<Edit> m_undo;
    QList<Edit> m_redo;
};
