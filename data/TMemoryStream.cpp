#include "data/TMemoryStream.h"

#include <algorithm>

void TMemoryStream::SetPosition(qint64 position) {
    m_position = std::max<qint64>(0, position);
}

void TMemoryStream::Write(const QByteArray& bytes) {
    const qint64 end = m_position + bytes.size();
    if (end > m_data.size())
        m_data.resize(end);
    std::copy(bytes.begin(), bytes.end(), m_data.begin() + m_position);
    m_position = end;
}

QByteArray TMemoryStream::Read(qint64 count) {
    if (m_position >= m_data.size() || count <= 0)
        return {};
    const QByteArray part = m_data.mid(m_position, count);
    m_position += part.size();
    return part;
}

void TMemoryStream::Clear() {
    m_data.clear();
    m_position = 0;
}
