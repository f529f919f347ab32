#include "data/postgres/PgValueText.h"

#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/Temporal.h"
#include "data/TextExcerpt.h"
#include "data/postgres/PgParams.h"
#include "data/postgres/PgTemporal.h"

#include <libpq-fe.h>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace PgValueText {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

[[noreturn]] void malformed(const char* what, const char* text, int length) {
    throw EDBEngineError(
        QStringLiteral("The server sent a malformed %1 value '%2'")
            .arg(QLatin1String(what), TextExcerpt(QString::fromUtf8(text, length))),
        QString());
}

QVariant textValue(const char* text, int length) {
    return QVariant(QString::fromUtf8(text, length));
}

double parseDouble(const char* text, int length) {
    const QByteArray t = QByteArray::fromRawData(text, length);
    if (t == "NaN")
        return std::nan("");
    if (t == "Infinity")
        return HUGE_VAL;
    if (t == "-Infinity")
        return -HUGE_VAL;
    double value = 0;
    const auto r = std::from_chars(text, text + length, value);
    if (r.ec != std::errc() || r.ptr != text + length)
        malformed("floating point", text, length);
    return value;
}

void appendDouble(QByteArray& out, double value, bool fixed) {
    if (std::isnan(value)) {
        out.append("NaN");
        return;
    }
    if (std::isinf(value)) {
        out.append(value > 0 ? "Infinity" : "-Infinity");
        return;
    }
    // The shortest text that reads back as the same double.
    char buf[512];
    const auto r = fixed ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                         : std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, static_cast<int>(r.ptr - buf));
}

void appendInteger(QByteArray& out, qlonglong value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, static_cast<int>(r.ptr - buf));
}

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

bool isFloat(const QVariant& value) {
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

// A time stamp as the server counts it: microseconds from 2000-01-01, in UTC for a zoned one.
qint64 serverUsec(const TimeStamp& stamp) {
    const TimeStamp plain = stamp.zoned ? stamp.toUtc() : stamp;
    return PgTemporal::daysFromDate(plain.date) * PgTemporal::UsecPerDay + plain.usec;
}

TimeStamp stampOf(qint64 usec) {
    const qint64 days =
        usec >= 0 ? usec / PgTemporal::UsecPerDay : -((-usec - 1) / PgTemporal::UsecPerDay) - 1;
    TimeStamp stamp;
    stamp.date = PgTemporal::dateFromDays(days);
    stamp.usec = usec - days * PgTemporal::UsecPerDay;
    return stamp;
}

// Text in COPY's text format: backslash starts an escape, tab and newline are delimiters.
void appendCopyEscaped(QByteArray& out, const char* p, qsizetype n) {
    const char* start = p;
    const char* end = p + n;
    for (; p < end; ++p) {
        const char c = *p;
        const char* escape = nullptr;
        switch (c) {
            case '\\':
                escape = "\\\\";
                break;
            case '\n':
                escape = "\\n";
                break;
            case '\r':
                escape = "\\r";
                break;
            case '\t':
                escape = "\\t";
                break;
            default:
                continue;
        }
        out.append(start, p - start);
        out.append(escape, 2);
        start = p + 1;
    }
    out.append(start, end - start);
}

void appendHex(QByteArray& out, const QByteArray& bytes) {
    static const char digits[] = "0123456789abcdef";
    const qsizetype at = out.size();
    out.resize(at + bytes.size() * 2);
    char* dst = out.data() + at;
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *dst++ = digits[u >> 4];
        *dst++ = digits[u & 15];
    }
}

// Text that may hold COPY's delimiters, escaped when it goes into COPY data.
void appendFree(QByteArray& out, const QByteArray& text, bool copy) {
    if (copy)
        appendCopyEscaped(out, text.constData(), text.size());
    else
        out.append(text);
}

void appendOther(QByteArray& out, const QVariant& value, bool copy) {
    if (value.typeId() == QMetaType::QString) {
        // ASCII, the usual text, is its own UTF-8: written without a converted copy.
        const QString& text = *static_cast<const QString*>(value.constData());
        const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
        const qsizetype size = text.size();
        char ascii[256];
        if (size <= qsizetype(sizeof ascii)) {
            qsizetype i = 0;
            for (; i < size && chars[i] < 0x80; ++i)
                ascii[i] = static_cast<char>(chars[i]);
            if (i == size) {
                if (copy)
                    appendCopyEscaped(out, ascii, size);
                else
                    out.append(ascii, size);
                return;
            }
        }
    }
    appendFree(
        out,
        value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8(),
        copy);
}

// The server text of a value that is not null; in COPY data when `copy`.
void appendServerText(PgKind kind, const QVariant& value, QByteArray& out, bool copy) {
    const int type = value.typeId();
    switch (kind) {
        case PgKind::Integer:
            if (isNumber(value) || type == QMetaType::Bool)
                appendInteger(out, value.toLongLong());
            else if (isFloat(value) && std::trunc(value.toDouble()) == value.toDouble() &&
                     std::abs(value.toDouble()) < 9.2e18)
                appendInteger(out, static_cast<qlonglong>(value.toDouble()));
            else
                appendOther(out, value, copy);
            return;
        case PgKind::Boolean:
            if (type == QMetaType::Bool || isNumber(value))
                out.append(value.toBool() ? 't' : 'f');
            else
                appendOther(out, value, copy);
            return;
        case PgKind::Float:
        case PgKind::Money:
        case PgKind::Numeric:
            if (isFloat(value))
                appendDouble(out, value.toDouble(), kind != PgKind::Float);
            else if (isNumber(value))
                appendInteger(out, value.toLongLong());
            else
                appendOther(out, value, copy);
            return;
        case PgKind::Date:
            if (type == QMetaType::QDate)
                PgTemporal::appendDate(out, PgTemporal::daysFromDate(value.toDate()));
            else
                appendOther(out, value, copy);
            return;
        case PgKind::Time:
            if (type == qMetaTypeId<TimeOfDay>())
                PgTemporal::appendTime(out, value.value<TimeOfDay>().usec);
            else
                appendOther(out, value, copy);
            return;
        case PgKind::Timestamp:
        case PgKind::TimestampTz:
            if (type == qMetaTypeId<TimeStamp>()) {
                const TimeStamp stamp = value.value<TimeStamp>();
                PgTemporal::appendTimestamp(out, serverUsec(stamp),
                                            kind == PgKind::TimestampTz && stamp.zoned);
            } else if (type == QMetaType::QDate) {
                PgTemporal::appendTimestamp(
                    out, PgTemporal::daysFromDate(value.toDate()) * PgTemporal::UsecPerDay, false);
            } else {
                appendOther(out, value, copy);
            }
            return;
        case PgKind::Bytes:
            if (copy) {
                // bytea's hex input form, its backslash escaped for COPY.
                out.append("\\\\x", 3);
                appendHex(out, type == QMetaType::QByteArray ? value.toByteArray()
                                                             : value.toString().toUtf8());
            } else {
                appendOther(out, value, false);
            }
            return;
        case PgKind::Text:
        case PgKind::FixedChar:
        case PgKind::Uuid:
        case PgKind::Other:
            appendOther(out, value, copy);
            return;
    }
}

}  // namespace

QByteArray decodeHexBytes(const char* text, int length) {
    if (length >= 2 && text[0] == '\\' && text[1] == 'x') {
        if (length % 2 != 0)
            malformed("bytea", text, length);
        QByteArray bytes((length - 2) / 2, Qt::Uninitialized);
        char* dst = bytes.data();
        for (int i = 2; i + 1 < length; i += 2) {
            const int high = hexValue(text[i]);
            const int low = hexValue(text[i + 1]);
            if (high < 0 || low < 0)
                malformed("bytea", text, length);
            *dst++ = static_cast<char>(high << 4 | low);
        }
        return bytes;
    }
    // The older escape format, when the server was set to bytea_output = escape: "\\" and
    // "\ooo" stand for one byte each, every other character for itself.
    QByteArray bytes;
    bytes.reserve(length);
    for (int i = 0; i < length;) {
        if (text[i] != '\\') {
            bytes.append(text[i++]);
        } else if (i + 1 < length && text[i + 1] == '\\') {
            bytes.append('\\');
            i += 2;
        } else if (i + 3 < length && text[i + 1] >= '0' && text[i + 1] <= '3' &&
                   text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' &&
                   text[i + 3] <= '7') {
            bytes.append(static_cast<char>((text[i + 1] - '0') << 6 | (text[i + 2] - '0') << 3 |
                                           (text[i + 3] - '0')));
            i += 4;
        } else {
            malformed("bytea", text, length);
        }
    }
    return bytes;
}

QVariant fromServer(PgKind kind, const char* text, int length) {
    switch (kind) {
        case PgKind::Integer: {
            qlonglong value = 0;
            const auto r = std::from_chars(text, text + length, value);
            if (r.ec != std::errc() || r.ptr != text + length)
                malformed("integer", text, length);
            return QVariant(value);
        }
        case PgKind::Boolean:
            return QVariant(length > 0 && text[0] == 't');
        case PgKind::Float:
        case PgKind::Money:
            return QVariant(parseDouble(text, length));
        case PgKind::Numeric: {
            const QString raw = QString::fromLatin1(text, length);
            QString decimal;
            return QVariant(Decimal::Normalize(raw, decimal) ? decimal : raw);
        }
        case PgKind::Date: {
            qint64 days;
            if (!PgTemporal::parseDate(text, length, days) || PgTemporal::isInfinite(days))
                return textValue(text, length);
            return QVariant(PgTemporal::dateFromDays(days));
        }
        case PgKind::Time: {
            qint64 usec;
            if (!PgTemporal::parseTime(text, length, usec) || !TimeOfDay::isValid(usec))
                return textValue(text, length);
            return QVariant::fromValue(TimeOfDay{usec});
        }
        case PgKind::Timestamp:
        case PgKind::TimestampTz: {
            const bool zoned = kind == PgKind::TimestampTz;
            qint64 usec;
            if (!PgTemporal::parseTimestamp(text, length, zoned, usec) ||
                PgTemporal::isInfinite(usec))
                return textValue(text, length);
            // A zoned value is an instant: the server keeps no offset, so UTC says it all.
            TimeStamp stamp = stampOf(usec);
            stamp.zoned = zoned;
            return QVariant::fromValue(stamp);
        }
        case PgKind::Bytes:
            return QVariant(decodeHexBytes(text, length));
        case PgKind::Text:
        case PgKind::FixedChar:
        case PgKind::Uuid:
        case PgKind::Other:
            break;
    }
    return textValue(text, length);
}

bool toServer(PgKind kind, const QVariant& value, QByteArray& out) {
    out.clear();
    if (!value.isValid() || value.isNull())
        return false;
    appendServerText(kind, value, out, false);
    return true;
}

void addParam(PgKind kind, const QVariant& value, PgParams& params) {
    QByteArray text;
    if (!toServer(kind, value, text))
        params.addNull();
    else if (kind == PgKind::Bytes)
        params.addBinary(std::move(text));
    else
        params.addText(std::move(text));
}

void appendCopyField(PgKind kind, const QVariant& value, QByteArray& out) {
    if (!value.isValid() || value.isNull())
        out.append("\\N", 2);
    else
        appendServerText(kind, value, out, true);
}

}  // namespace PgValueText
