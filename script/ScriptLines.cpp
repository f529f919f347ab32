#include "script/ScriptLines.h"

bool ScriptLineList::next(QString& line) {
    if (m_next >= m_lines.size())
        return false;
    line = m_lines.at(m_next++);
    return true;
}

std::unique_ptr<ScriptLines> ScriptLineList::read() const {
    return std::make_unique<ScriptLineList>(m_lines);
}
