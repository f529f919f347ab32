#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

// Encodes a row's key values into a byte string whose byte order (memcmp) is the record order,
// so that bookmarks compare without decoding. Drivers order their rows to match:
// NULL < numbers < text < bytes; text compares by its UTF-8 bytes.
class KeyCodec {
public:
    void appendNull();
    void appendInt(qint64 value);
    void appendDouble(double value);
    void appendText(const QString& value);
    void appendBytes(const QByteArray& value);
    // Picks the encoding from the variant's type: integers, bool, floating point, QByteArray,
    // anything else as its text.
    void append(const QVariant& value);

    const QByteArray& bytes() const { return m_bytes; }

    // Back to values: qlonglong, double, QString, QByteArray or a null QVariant. Throws
    // EDatabaseError on a malformed bookmark.
    static QVector<QVariant> decode(const QByteArray& key);

    // Bookmarks of rows not yet written to the database sort after every stored row.
    static QByteArray pendingInsertKey(quint64 serial);
    static bool isPendingInsertKey(const QByteArray& key);
    static quint64 pendingInsertSerial(const QByteArray& key);

    static int compare(const QByteArray& a, const QByteArray& b);

private:
    void appendEscaped(const QByteArray& raw);

    QByteArray m_bytes;
};
