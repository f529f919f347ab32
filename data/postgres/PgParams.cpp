#include "data/postgres/PgParams.h"

void PgParams::reserve(int count) {
    const auto n = static_cast<size_t>(count);
    m_values.reserve(n);
    m_null.reserve(n);
    m_lengths.reserve(n);
    m_formats.reserve(n);
}

void PgParams::addNull() {
    m_values.emplace_back();
    m_null.push_back(true);
    m_lengths.push_back(0);
    m_formats.push_back(0);
}

void PgParams::addText(QByteArray text) {
    m_lengths.push_back(static_cast<int>(text.size()));
    m_values.push_back(std::move(text));
    m_null.push_back(false);
    m_formats.push_back(0);
}

void PgParams::addBinary(QByteArray bytes) {
    m_lengths.push_back(static_cast<int>(bytes.size()));
    m_values.push_back(std::move(bytes));
    m_null.push_back(false);
    m_formats.push_back(1);
}

const char* const* PgParams::values() const {
    // Built on demand: the byte arrays may have moved while the vector grew.
    m_pointers.resize(m_values.size());
    for (size_t i = 0; i < m_values.size(); ++i)
        m_pointers[i] = m_null[i] ? nullptr : m_values[i].constData();
    return m_pointers.data();
}
