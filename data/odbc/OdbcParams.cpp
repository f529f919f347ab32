#include "data/odbc/OdbcParams.h"

#include "data/Decimal.h"
#include "data/IsoDateTime.h"
#include "data/odbc/OdbcSession.h"

#include <sqlext.h>
#include <cmath>

namespace {

template <typename T>
QByteArray raw(const T& value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof(T));
}

bool isCharType(SQLSMALLINT t) {
    return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR || t == SQL_WCHAR ||
           t == SQL_WVARCHAR || t == SQL_WLONGVARCHAR;
}

bool isBinaryType(SQLSMALLINT t) {
    return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY;
}

bool isIntegerType(SQLSMALLINT t) {
    return t == SQL_TINYINT || t == SQL_SMALLINT || t == SQL_INTEGER || t == SQL_BIGINT;
}

void setText(OdbcValue& v, const QString& text, SQLSMALLINT sqlType, bool utf8) {
    v.sqlType = sqlType;
    v.size = SQLULEN(std::max<qsizetype>(1, text.size()));
    if (utf8) {
        v.cType = SQL_C_CHAR;
        v.data = text.toUtf8();
        return;
    }
    v.cType = SQL_C_WCHAR;
    v.data = QByteArray(reinterpret_cast<const char*>(text.utf16()),
                        text.size() * qsizetype(sizeof(char16_t)));
}

}  // namespace

OdbcValue OdbcValue::integer(qint64 value) {
    OdbcValue v;
    v.cType = SQL_C_SBIGINT;
    v.sqlType = SQL_BIGINT;
    v.size = 19;
    v.data = raw(SQLBIGINT(value));
    return v;
}

OdbcValue OdbcValue::of(const QVariant& value, const OdbcColumn& column) {
    OdbcValue v;
    v.sqlType = column.sqlType;
    v.size = std::max<SQLULEN>(1, column.columnSize);
    v.digits = column.digits;
    const TFieldType type = column.info.type;
    if (!value.isValid() || value.isNull()) {
        v.isNull = true;
        if (KindOf(type) == FieldKind::Boolean)
            v.sqlType = SQL_BIT;
        return v;
    }
    switch (KindOf(type)) {
        case FieldKind::Integer:
            v = integer(value.toLongLong());
            if (isIntegerType(column.sqlType))
                v.sqlType = column.sqlType;
            return v;
        case FieldKind::Boolean: {
            v.cType = SQL_C_BIT;
            v.sqlType = SQL_BIT;
            v.size = 1;
            v.data = raw(static_cast<unsigned char>(value.toBool() ? 1 : 0));
            return v;
        }
        case FieldKind::Float:
            if (type == ftCurrency) {
                // Money types take decimals, not floating point.
                v.cType = SQL_C_CHAR;
                v.sqlType = SQL_NUMERIC;
                v.size = 19;
                v.digits = 4;
                QString decimal;
                Decimal::FromDouble(value.toDouble(), decimal);
                v.data = decimal.toLatin1();
                return v;
            }
            if (column.sqlType == SQL_REAL) {
                // The float itself: its shortest digits lie beyond it, and a server that checks
                // the double it reads against the float's range refuses 3.4028235e+38.
                v.cType = SQL_C_FLOAT;
                v.sqlType = SQL_REAL;
                v.size = 7;
                v.data = raw(static_cast<float>(value.toDouble()));
                return v;
            }
            v.cType = SQL_C_DOUBLE;
            v.sqlType = column.sqlType == SQL_DECIMAL || column.sqlType == SQL_NUMERIC ||
                                column.sqlType == SQL_REAL || column.sqlType == SQL_FLOAT
                            ? column.sqlType
                            : SQL_DOUBLE;
            v.size = std::max<SQLULEN>(15, column.columnSize);
            v.data = raw(value.toDouble());
            return v;
        case FieldKind::Date:
            if (value.typeId() == QMetaType::QDate) {
                const QDate d = value.toDate();
                SQL_DATE_STRUCT s{SQLSMALLINT(d.year()), SQLUSMALLINT(d.month()),
                                  SQLUSMALLINT(d.day())};
                v.cType = SQL_C_TYPE_DATE;
                v.sqlType = SQL_TYPE_DATE;
                v.size = 10;
                v.digits = 0;
                v.data = raw(s);
                return v;
            }
            break;
        case FieldKind::Time:
            if (value.userType() == qMetaTypeId<TimeOfDay>()) {
                const TimeOfDay t = value.value<TimeOfDay>();
                // The time structure has no fraction and no 24:00:00: those go as text.
                if (t.fraction() != 0 || t.usec == UsecPerDay) {
                    setText(v, QString::fromLatin1(IsoDateTime::FormatTime(t)), SQL_VARCHAR, true);
                    return v;
                }
                SQL_TIME_STRUCT s{SQLUSMALLINT(t.hour()), SQLUSMALLINT(t.minute()),
                                  SQLUSMALLINT(t.second())};
                v.cType = SQL_C_TYPE_TIME;
                v.sqlType = SQL_TYPE_TIME;
                v.size = 8;
                v.digits = 0;
                v.data = raw(s);
                return v;
            }
            break;
        case FieldKind::DateTime:
            if (value.userType() == qMetaTypeId<TimeStamp>()) {
                const TimeStamp stamp = value.value<TimeStamp>();
                const QDate d = stamp.date;
                const TimeOfDay t = stamp.time();
                const int digits = std::clamp<int>(column.digits, 0, 9);
                SQL_TIMESTAMP_STRUCT s{SQLSMALLINT(d.year()),
                                       SQLUSMALLINT(d.month()),
                                       SQLUSMALLINT(d.day()),
                                       SQLUSMALLINT(t.hour()),
                                       SQLUSMALLINT(t.minute()),
                                       SQLUSMALLINT(t.second()),
                                       SQLUINTEGER(t.fraction()) * 1000u};
                v.cType = SQL_C_TYPE_TIMESTAMP;
                v.sqlType = SQL_TYPE_TIMESTAMP;
                v.size = SQLULEN(digits > 0 ? 20 + digits : 19);
                v.digits = SQLSMALLINT(digits);
                v.data = raw(s);
                return v;
            }
            break;
        case FieldKind::Bytes:
        case FieldKind::Blob:
            v.cType = SQL_C_BINARY;
            v.sqlType = isBinaryType(column.sqlType) ? column.sqlType : SQL_LONGVARBINARY;
            v.data = value.toByteArray();
            v.size = SQLULEN(std::max<qsizetype>(1, v.data.size()));
            v.digits = 0;
            return v;
        case FieldKind::TextBlob:
            if (value.userType() == QMetaType::QByteArray && column.utf8Text) {
                // UTF-8 as it is: a decoded copy would replace what is no UTF-8.
                v.cType = SQL_C_CHAR;
                v.sqlType = isCharType(column.sqlType) ? column.sqlType : SQL_LONGVARCHAR;
                v.data = value.toByteArray();
                v.size = SQLULEN(std::max<qsizetype>(1, v.data.size()));
                return v;
            }
            setText(v, QString::fromUtf8(value.toByteArray()),
                    isCharType(column.sqlType) ? column.sqlType : SQL_WLONGVARCHAR,
                    column.utf8Text);
            return v;
        case FieldKind::Bcd:
            if (column.sqlType == SQL_DECIMAL || column.sqlType == SQL_NUMERIC) {
                const QByteArray text = value.toString().toLatin1();
                v.cType = SQL_C_CHAR;
                v.data = text;
                return v;
            }
            break;
        case FieldKind::Text:
            break;
    }
    // Text, and values in a form other than their kind's (a date typed as text).
    setText(v, value.toString(), column.sqlType, column.utf8Text);
    if (!isCharType(column.sqlType) && column.sqlType != SQL_GUID)
        v.sqlType = SQL_WVARCHAR;
    return v;
}

void OdbcParams::bind(const OdbcSession& session, SQLHSTMT stmt) {
    m_indicators.assign(m_values.size(), 0);
    for (size_t i = 0; i < m_values.size(); ++i) {
        OdbcValue& v = m_values[i];
        m_indicators[i] = v.isNull ? SQL_NULL_DATA : SQLLEN(v.data.size());
        session.check(
            SQLBindParameter(stmt, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, v.cType, v.sqlType, v.size,
                             v.digits, v.isNull ? nullptr : v.data.data(), SQLLEN(v.data.size()),
                             &m_indicators[i]),
            stmt);
    }
}
