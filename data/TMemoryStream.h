#pragma once

#include <QByteArray>

// A growable byte buffer with a read/write position; carries blob values between fields.
class TMemoryStream {
public:
    const QByteArray& Data() const { return m_data; }
    qint64 Size() const { return m_data.size(); }
    qint64 Position() const { return m_position; }
    void SetPosition(qint64 position);

    // Writes at the position (growing the buffer), moves the position past the bytes.
    void Write(const QByteArray& bytes);
    // Reads up to `count` bytes from the position on.
    QByteArray Read(qint64 count);
    void Clear();

private:
    QByteArray m_data;
    qint64 m_position = 0;
};
