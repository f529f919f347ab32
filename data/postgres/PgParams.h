#pragma once

#include <QByteArray>
#include <vector>

// The bound values of one statement, kept alive until libpq has sent them. Values are text
// except bytes, which go in binary so that they need no escaping.
class PgParams {
public:
    void reserve(int count);
    void addNull();
    void addText(QByteArray text);
    void addBinary(QByteArray bytes);

    int count() const { return static_cast<int>(m_values.size()); }
    const char* const* values() const;
    const int* lengths() const { return m_lengths.data(); }
    const int* formats() const { return m_formats.data(); }

private:
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    std::vector<int> m_lengths;
    std::vector<int> m_formats;
    mutable std::vector<const char*> m_pointers;
};
