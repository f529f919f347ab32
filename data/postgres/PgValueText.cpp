#include "data/postgres/PgValueText.h"

#include "data/postgres/PgParams.h"
#include "data/postgres/PgTemporal.h"

#include <libpq-fe.h>
#include <QDateTime>
#include <QTime>
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
    std::from_chars(text, text + length, value);
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

qint64 usecOfTime(const QTime& time) {
    return qint64(time.msecsSinceStartOfDay()) * 1000;
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

void appendTimestamp(QByteArray& out, const QDate& date, const QTime& time) {
    out.append(PgTemporal::formatTimestamp(
        PgTemporal::daysFromDate(date) * PgTemporal::UsecPerDay + usecOfTime(time), false));
}

void appendZoneOffset(QByteArray& out, int seconds) {
    out.append(seconds < 0 ? '-' : '+');
    seconds = std::abs(seconds);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    out.append(buf);
}

void appendOther(QByteArray& out, const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray)
        out.append(value.toByteArray());
    else
        out.append(value.toString().toUtf8());
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

}  // namespace

QByteArray decodeHexBytes(const char* text, int length) {
    if (length >= 2 && text[0] == '\\' && text[1] == 'x') {
        QByteArray bytes((length - 2) / 2, Qt::Uninitialized);
        char* dst = bytes.data();
        for (int i = 2; i + 1 < length; i += 2)
            *dst++ = static_cast<char>(hexValue(text[i]) << 4 | hexValue(text[i + 1]));
        return bytes;
    }
    // The older escape format, when the server was set to bytea_output = escape.
    size_t n = 0;
    unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &n);
    QByteArray bytes(reinterpret_cast<const char*>(raw), static_cast<qsizetype>(n));
    PQfreemem(raw);
    return bytes;
}

QVariant fromServer(PgKind kind, const char* text, int length) {
    switch (kind) {
        case PgKind::Integer: {
            qlonglong value = 0;
            std::from_chars(text, text + length, value);
            return QVariant(value);
        }
        case PgKind::Boolean:
            return QVariant(length > 0 && text[0] == 't');
        case PgKind::Float:
        case PgKind::Money:
            return QVariant(parseDouble(text, length));
        case PgKind::Numeric:
            return QVariant(QString::fromLatin1(text, length));
        case PgKind::Date: {
            qint64 days;
            if (!PgTemporal::parseDate(text, length, days) || PgTemporal::isInfinite(days))
                return textValue(text, length);
            return QVariant(PgTemporal::dateFromDays(days));
        }
        case PgKind::Time: {
            qint64 usec;
            if (!PgTemporal::parseTime(text, length, usec) || usec % 1000 != 0 ||
                usec >= PgTemporal::UsecPerDay)
                return textValue(text, length);
            return QVariant(QTime::fromMSecsSinceStartOfDay(static_cast<int>(usec / 1000)));
        }
        case PgKind::Timestamp: {
            qint64 usec;
            if (!PgTemporal::parseTimestamp(text, length, false, usec) ||
                PgTemporal::isInfinite(usec))
                return textValue(text, length);
            if (usec % 1000 != 0)
                return QVariant(QString::fromLatin1(PgTemporal::formatTimestamp(usec, false, 'T')));
            const qint64 days = usec >= 0 ? usec / PgTemporal::UsecPerDay
                                          : -((-usec - 1) / PgTemporal::UsecPerDay) - 1;
            const qint64 ms = (usec - days * PgTemporal::UsecPerDay) / 1000;
            return QVariant(QDateTime(PgTemporal::dateFromDays(days),
                                      QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)),
                                      Qt::UTC));
        }
        case PgKind::Bytes:
            return QVariant(decodeHexBytes(text, length));
        case PgKind::TimestampTz:
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
    switch (kind) {
        case PgKind::Integer:
            if (isNumber(value) || value.typeId() == QMetaType::Bool)
                appendInteger(out, value.toLongLong());
            else if (isFloat(value) && std::trunc(value.toDouble()) == value.toDouble() &&
                     std::abs(value.toDouble()) < 9.2e18)
                appendInteger(out, static_cast<qlonglong>(value.toDouble()));
            else
                appendOther(out, value);
            return true;
        case PgKind::Boolean:
            if (value.typeId() == QMetaType::Bool || isNumber(value))
                out.append(value.toBool() ? 't' : 'f');
            else
                appendOther(out, value);
            return true;
        case PgKind::Float:
        case PgKind::Money:
        case PgKind::Numeric:
            if (isFloat(value))
                appendDouble(out, value.toDouble(), kind == PgKind::Money);
            else if (isNumber(value))
                appendInteger(out, value.toLongLong());
            else
                appendOther(out, value);
            return true;
        case PgKind::Date:
            if (value.typeId() == QMetaType::QDate)
                out.append(PgTemporal::formatDate(PgTemporal::daysFromDate(value.toDate())));
            else if (value.typeId() == QMetaType::QDateTime)
                out.append(
                    PgTemporal::formatDate(PgTemporal::daysFromDate(value.toDateTime().date())));
            else
                appendOther(out, value);
            return true;
        case PgKind::Time:
            if (value.typeId() == QMetaType::QTime)
                out.append(PgTemporal::formatTime(usecOfTime(value.toTime())));
            else if (value.typeId() == QMetaType::QDateTime)
                out.append(PgTemporal::formatTime(usecOfTime(value.toDateTime().time())));
            else
                appendOther(out, value);
            return true;
        case PgKind::Timestamp:
        case PgKind::TimestampTz:
            if (value.typeId() == QMetaType::QDateTime) {
                // A plain date-time: its fields as they stand, without any zone conversion.
                const QDateTime dt = value.toDateTime();
                appendTimestamp(out, dt.date(), dt.time());
                if (kind == PgKind::TimestampTz)
                    appendZoneOffset(out, dt.timeSpec() == Qt::UTC ? 0 : dt.offsetFromUtc());
            } else if (value.typeId() == QMetaType::QDate) {
                appendTimestamp(out, value.toDate(), QTime(0, 0));
            } else {
                appendOther(out, value);
            }
            return true;
        case PgKind::Bytes:
        case PgKind::Text:
        case PgKind::FixedChar:
        case PgKind::Uuid:
        case PgKind::Other:
            appendOther(out, value);
            return true;
    }
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
    if (!value.isValid() || value.isNull()) {
        out.append("\\N", 2);
        return;
    }
    if (kind == PgKind::Bytes && value.typeId() == QMetaType::QByteArray) {
        out.append("\\\\x", 3);
        appendHex(out, value.toByteArray());
        return;
    }
    if (kind == PgKind::Integer && isNumber(value)) {
        appendInteger(out, value.toLongLong());
        return;
    }
    if ((kind == PgKind::Text || kind == PgKind::FixedChar) &&
        value.typeId() == QMetaType::QString) {
        const QByteArray utf8 = value.toString().toUtf8();
        appendCopyEscaped(out, utf8.constData(), utf8.size());
        return;
    }
    QByteArray text;
    toServer(kind, value, text);
    if (kind == PgKind::Bytes) {
        out.append("\\\\x", 3);
        appendHex(out, text);
        return;
    }
    appendCopyEscaped(out, text.constData(), text.size());
}

}  // namespace PgValueText
