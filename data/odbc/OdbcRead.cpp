#include "data/odbc/OdbcRead.h"

#include "data/Decimal.h"
#include "data/IsoDateTime.h"
#include "data/odbc/OdbcSession.h"

#include <sqlext.h>
#include <charconv>
#include <cmath>

namespace OdbcRead {

namespace {

// Long values arrive in pieces: each call returns the next one until SQL_NO_DATA.
template <typename Unit>
bool readPieces(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType,
                std::vector<Unit>& out) {
    out.clear();
    Unit buffer[2048];
    const SQLLEN capacity = sizeof(buffer);
    // Text pieces end in a terminator that is no part of the value.
    const SQLLEN terminator = cType == SQL_C_BINARY ? 0 : SQLLEN(sizeof(Unit));
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, cType, buffer, capacity, &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        session.check(rc, stmt);
        if (indicator == SQL_NULL_DATA)
            return false;
        SQLLEN got;
        if (indicator == SQL_NO_TOTAL || indicator > capacity - terminator)
            got = capacity - terminator;  // truncated: more follows
        else
            got = indicator;
        const auto* units = buffer;
        out.insert(out.end(), units, units + got / SQLLEN(sizeof(Unit)));
        if (rc == SQL_SUCCESS)
            return true;
    }
}

template <typename T>
bool readFixed(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType,
               T& value) {
    SQLLEN indicator = 0;
    session.check(SQLGetData(stmt, column, cType, &value, sizeof(value), &indicator), stmt);
    return indicator != SQL_NULL_DATA;
}

QByteArray bytes(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column, bool& isNull) {
    std::vector<char> data;
    isNull = !readPieces(session, stmt, column, SQL_C_BINARY, data);
    return QByteArray(data.data(), qsizetype(data.size()));
}

}  // namespace

bool Boolean(const QString& text) {
    const QString t = text.trimmed().toLower();
    bool isNumber = false;
    const double number = t.toDouble(&isNumber);
    if (isNumber)
        return number != 0;
    return t.startsWith(QLatin1Char('t')) || t.startsWith(QLatin1Char('y'));
}

double SingleValue(float value) {
    if (!std::isfinite(value))
        return value;
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    double wide = value;
    std::from_chars(text, written.ptr, wide);
    return wide;
}

QString Text(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column) {
    if (session.dialect().utf8Text) {
        std::vector<char> bytes;
        if (!readPieces(session, stmt, column, SQL_C_CHAR, bytes))
            return QString();
        QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        if (text.isNull())
            text = QLatin1String("");
        return text;
    }
    std::vector<char16_t> units;
    if (!readPieces(session, stmt, column, SQL_C_WCHAR, units))
        return QString();
    QString text = QString::fromUtf16(units.data(), qsizetype(units.size()));
    if (text.isNull())
        text = QLatin1String("");
    return text;
}

qint64 Integer(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column, qint64 fallback) {
    SQLBIGINT value = 0;
    return readFixed(session, stmt, column, SQL_C_SBIGINT, value) ? qint64(value) : fallback;
}

QVariant Value(const OdbcSession& session, SQLHSTMT stmt, SQLUSMALLINT column, TFieldType type,
               SQLSMALLINT sqlType) {
    switch (KindOf(type)) {
        case FieldKind::Integer: {
            SQLBIGINT value = 0;
            if (!readFixed(session, stmt, column, SQL_C_SBIGINT, value))
                return QVariant();
            return QVariant(qlonglong(value));
        }
        case FieldKind::Boolean: {
            if (sqlType == SQL_BIT) {
                unsigned char bit = 0;
                if (!readFixed(session, stmt, column, SQL_C_BIT, bit))
                    return QVariant();
                return QVariant(bit != 0);
            }
            // Booleans the driver reports as text or small integers.
            const QString text = Text(session, stmt, column);
            return text.isNull() ? QVariant() : QVariant(Boolean(text));
        }
        case FieldKind::Float: {
            double value = 0;
            if (!readFixed(session, stmt, column, SQL_C_DOUBLE, value))
                return QVariant();
            // Read widened: not every driver fills a float buffer as it should.
            if (sqlType == SQL_REAL)
                return QVariant(SingleValue(static_cast<float>(value)));
            return QVariant(value);
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime: {
            // ODBC's own text forms ("yyyy-mm-dd", "hh:mm:ss", "yyyy-mm-dd hh:mm:ss[.f]"),
            // parsed here: cheaper than the drivers' conversions into structures.
            char text[64];
            SQLLEN length = 0;
            session.check(SQLGetData(stmt, column, SQL_C_CHAR, text, sizeof(text), &length), stmt);
            if (length == SQL_NULL_DATA)
                return QVariant();
            const int n = int(std::clamp<SQLLEN>(length, 0, SQLLEN(sizeof(text)) - 1));
            const FieldKind kind = KindOf(type);
            QDate date;
            TimeOfDay time;
            TimeStamp stamp;
            if (kind == FieldKind::Date && IsoDateTime::ParseDate(text, n, date))
                return QVariant(date);
            if (kind == FieldKind::Time && IsoDateTime::ParseTime(text, n, time))
                return QVariant::fromValue(time);
            if (kind == FieldKind::DateTime && IsoDateTime::ParseTimeStamp(text, n, stamp))
                return QVariant::fromValue(stamp);
            // Kept as it stands rather than lost.
            return QVariant(QString::fromUtf8(text, n));
        }
        case FieldKind::Bytes:
        case FieldKind::Blob: {
            bool isNull = false;
            const QByteArray data = bytes(session, stmt, column, isNull);
            return isNull ? QVariant() : QVariant(data);
        }
        case FieldKind::TextBlob: {
            const QString text = Text(session, stmt, column);
            return text.isNull() ? QVariant() : QVariant(text.toUtf8());
        }
        case FieldKind::Bcd: {
            const QString text = Text(session, stmt, column);
            QString decimal;
            if (text.isNull())
                return QVariant();
            return QVariant(Decimal::Normalize(text, decimal) ? decimal : text);
        }
        case FieldKind::Text:
            break;
    }
    const QString text = Text(session, stmt, column);
    return text.isNull() ? QVariant() : QVariant(text);
}

}  // namespace OdbcRead
