#include "script/ScriptFileLines.h"

#include "data/Exceptions.h"

namespace {

constexpr qint64 ChunkSize = 1 << 16;

}  // namespace

ScriptFileLines::ScriptFileLines(const QString& path) : m_file(path) {
    if (!m_file.open(QIODevice::ReadOnly)) {
        throw Exception(
            QStringLiteral("Cannot read the script %1: %2").arg(path, m_file.errorString()));
    }
}

bool ScriptFileLines::fill() {
    m_buffer.remove(0, m_at);
    m_at = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + ChunkSize);
    const qint64 got = m_file.read(m_buffer.data() + kept, ChunkSize);
    if (got < 0) {
        throw Exception(QStringLiteral("Cannot read the script %1: %2")
                            .arg(m_file.fileName(), m_file.errorString()));
    }
    m_buffer.resize(kept + got);
    return got > 0;
}

bool ScriptFileLines::next(QString& line) {
    qsizetype searched = m_at;
    for (;;) {
        if (m_afterCr && m_at < m_buffer.size()) {
            if (m_buffer[m_at] == '\n')
                searched = ++m_at;
            m_afterCr = false;
        }
        const char* const begin = m_buffer.constData();
        const char* end = begin + m_buffer.size();
        const char* at = begin + searched;
        while (at != end && *at != '\n' && *at != '\r')
            ++at;
        if (at != end) {
            line = QString::fromUtf8(begin + m_at, at - (begin + m_at));
            m_afterCr = *at == '\r';
            m_at = at - begin + 1;
            return true;
        }
        searched = m_buffer.size() - m_at;
        if (!fill()) {
            if (m_buffer.isEmpty())
                return false;
            line = QString::fromUtf8(m_buffer);
            m_buffer.clear();
            return true;
        }
        // The search goes on where it stopped, now at the same place in the moved buffer.
    }
}

std::unique_ptr<ScriptLines> ScriptFileSource::read() const {
    return std::make_unique<ScriptFileLines>(m_path);
}
