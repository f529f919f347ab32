#include "data/KeyCodec.h"

#include "data/Exceptions.h"

#include <QStringDecoder>
#include <cstring>

namespace {

enum Tag : unsigned char {
    TagNull = 0x05,
    TagInt = 0x10,
    TagDouble = 0x11,
    TagText = 0x30,
    TagBytes = 0x40,
    TagPendingInsert = 0xFF,
};

void putBigEndian(char* out, quint64 v) {
    for (int i = 7; i >= 0; --i, v >>= 8)
        out[i] = static_cast<char>(v & 0xFF);
}

// A tag and eight bytes in one append: every row read makes a key.
void appendTagged(QByteArray& out, unsigned char tag, quint64 v) {
    char bytes[9];
    bytes[0] = static_cast<char>(tag);
    putBigEndian(bytes + 1, v);
    out.append(bytes, sizeof bytes);
}

quint64 readBigEndian(const QByteArray& in, int pos) {
    quint64 v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | static_cast<unsigned char>(in[pos + i]);
    return v;
}

[[noreturn]] void malformed() {
    throw EDatabaseError(QStringLiteral("Invalid bookmark"));
}

}  // namespace

void KeyCodec::appendNull() {
    m_bytes.append(static_cast<char>(TagNull));
}

void KeyCodec::appendInt(qint64 value) {
    appendTagged(m_bytes, TagInt, static_cast<quint64>(value) ^ (quint64(1) << 63));
}

void KeyCodec::appendDouble(double value) {
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    // Negative numbers reverse their order when read as unsigned: flip all their bits.
    bits = (bits & (quint64(1) << 63)) ? ~bits : bits | (quint64(1) << 63);
    appendTagged(m_bytes, TagDouble, bits);
}

void KeyCodec::appendText(const QString& value) {
    m_bytes.append(static_cast<char>(TagText));
    appendEscaped(value.toUtf8());
}

void KeyCodec::appendBytes(const QByteArray& value) {
    m_bytes.append(static_cast<char>(TagBytes));
    appendEscaped(value);
}

void KeyCodec::append(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        appendNull();
        return;
    }
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            appendInt(value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            appendDouble(value.toDouble());
            break;
        case QMetaType::QByteArray:
            appendBytes(value.toByteArray());
            break;
        default:
            appendText(value.toString());
    }
}

// A zero byte inside the value becomes 00 FF; 00 00 ends it, so a value sorts before its
// extensions.
void KeyCodec::appendEscaped(const QByteArray& raw) {
    for (char c : raw) {
        m_bytes.append(c);
        if (c == 0)
            m_bytes.append(static_cast<char>(0xFF));
    }
    m_bytes.append(2, '\0');
}

QVector<QVariant> KeyCodec::decode(const QByteArray& key) {
    QVector<QVariant> values;
    int pos = 0;
    while (pos < key.size()) {
        const auto tag = static_cast<unsigned char>(key[pos++]);
        switch (tag) {
            case TagNull:
                values.append(QVariant());
                break;
            case TagInt:
            case TagDouble: {
                if (pos + 8 > key.size())
                    malformed();
                quint64 bits = readBigEndian(key, pos);
                pos += 8;
                if (tag == TagInt) {
                    values.append(QVariant(static_cast<qlonglong>(bits ^ (quint64(1) << 63))));
                } else {
                    bits = (bits & (quint64(1) << 63)) ? bits & ~(quint64(1) << 63) : ~bits;
                    double d;
                    std::memcpy(&d, &bits, sizeof d);
                    values.append(QVariant(d));
                }
                break;
            }
            case TagText:
            case TagBytes: {
                QByteArray raw;
                for (;;) {
                    if (pos + 1 > key.size())
                        malformed();
                    const char c = key[pos++];
                    if (c != 0) {
                        raw.append(c);
                        continue;
                    }
                    if (pos >= key.size())
                        malformed();
                    const auto next = static_cast<unsigned char>(key[pos++]);
                    if (next == 0)
                        break;
                    if (next != 0xFF)
                        malformed();
                    raw.append('\0');
                }
                if (tag == TagBytes) {
                    values.append(QVariant(raw));
                    break;
                }
                QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                const QString text = utf8(raw);
                if (utf8.hasError())
                    malformed();
                values.append(QVariant(text));
                break;
            }
            default:
                malformed();
        }
    }
    return values;
}

QByteArray KeyCodec::pendingInsertKey(quint64 serial) {
    QByteArray key(9, Qt::Uninitialized);
    key[0] = static_cast<char>(TagPendingInsert);
    putBigEndian(key.data() + 1, serial);
    return key;
}

bool KeyCodec::isPendingInsertKey(const QByteArray& key) {
    return key.size() == 9 && static_cast<unsigned char>(key[0]) == TagPendingInsert;
}

quint64 KeyCodec::pendingInsertSerial(const QByteArray& key) {
    return readBigEndian(key, 1);
}

int KeyCodec::compare(const QByteArray& a, const QByteArray& b) {
    const int n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.constData(), b.constData(), static_cast<size_t>(n)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
