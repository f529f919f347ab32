#include "data/odbc/OdbcBlockReader.h"

#include "data/Decimal.h"
#include "data/IsoDateTime.h"
#include "data/odbc/OdbcRead.h"
#include "data/odbc/OdbcSession.h"

#include <sqlext.h>
#include <algorithm>
#include <cstring>

namespace {

constexpr int BlockRows = 256;
constexpr SQLLEN LongWidth = 4096;  // bytes kept in place for a long or unbounded value
constexpr SQLLEN MaxWidth = 16384;  // a declared size above this is read as long

}  // namespace

OdbcBlockReader::OdbcBlockReader(const OdbcRelation& relation) : m_relation(relation) {
    for (const OdbcColumn& column : relation.columns) {
        Column buffer;
        const SQLLEN size = SQLLEN(column.columnSize);
        const bool bounded = size > 0 && size * 4 <= MaxWidth;
        switch (KindOf(column.info.type)) {
            case FieldKind::Integer:
                buffer.cType = SQL_C_SBIGINT;
                buffer.width = sizeof(SQLBIGINT);
                break;
            case FieldKind::Float:
                buffer.cType = SQL_C_DOUBLE;
                buffer.width = sizeof(double);
                break;
            case FieldKind::Boolean:
                if (column.sqlType == SQL_BIT) {
                    buffer.cType = SQL_C_BIT;
                    buffer.width = 1;
                } else {
                    buffer.width = 32;
                    buffer.terminator = 1;
                }
                break;
            case FieldKind::Date:
            case FieldKind::Time:
            case FieldKind::DateTime:
                buffer.width = 64;
                buffer.terminator = 1;
                break;
            case FieldKind::Bcd:
                buffer.width = bounded ? size + 8 : 128;
                buffer.terminator = 1;
                break;
            case FieldKind::Bytes:
            case FieldKind::Blob:
                buffer.cType = SQL_C_BINARY;
                buffer.width = bounded ? std::max<SQLLEN>(1, size) : LongWidth;
                break;
            case FieldKind::Text:
            case FieldKind::TextBlob:
                if (column.utf8Text) {
                    buffer.width = (bounded ? size * 4 : LongWidth) + 1;
                    buffer.terminator = 1;
                } else {
                    buffer.cType = SQL_C_WCHAR;
                    buffer.width = (bounded ? size * 2 : LongWidth) + 2;
                    buffer.terminator = 2;
                }
                break;
        }
        m_columns.push_back(std::move(buffer));
    }
}

std::vector<Row> OdbcBlockReader::read(const OdbcSession& session, SQLHSTMT stmt, int limit,
                                       std::vector<Cut>& cut) {
    const int block = std::clamp(limit, 1, BlockRows);
    m_status.assign(size_t(block), SQL_ROW_NOROW);
    session.check(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, SQL_BIND_BY_COLUMN, 0), stmt);
    session.check(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                                 reinterpret_cast<SQLPOINTER>(SQLULEN(block)), 0),
                  stmt);
    session.check(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, m_status.data(), 0), stmt);
    session.check(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0), stmt);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        Column& buffer = m_columns[c];
        if (buffer.data.size() < block * buffer.width)
            buffer.data.resize(block * buffer.width);
        buffer.indicators.resize(size_t(block));
        session.check(SQLBindCol(stmt, SQLUSMALLINT(c + 1), buffer.cType, buffer.data.data(),
                                 buffer.width, buffer.indicators.data()),
                      stmt);
    }
    std::vector<Row> rows;
    while (int(rows.size()) < limit) {
        m_fetched = 0;
        const SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        session.check(rc, stmt);
        for (SQLULEN r = 0; r < m_fetched && int(rows.size()) < limit; ++r) {
            if (m_status[r] == SQL_ROW_ERROR)
                session.check(SQL_ERROR, stmt);
            Row row(int(m_columns.size()));
            for (int c = 0; c < int(m_columns.size()); ++c) {
                const Column& buffer = m_columns[size_t(c)];
                const SQLLEN length = buffer.indicators[r];
                if (length == SQL_NULL_DATA)
                    continue;
                if (length == SQL_NO_TOTAL || length > buffer.width - buffer.terminator) {
                    cut.push_back({int(rows.size()), c});
                    continue;
                }
                row[c] = value(buffer, c, int(r));
            }
            rows.push_back(std::move(row));
        }
        if (m_fetched < SQLULEN(block))
            break;
    }
    return rows;
}

QVariant OdbcBlockReader::value(const Column& buffer, int column, int row) const {
    const char* at = buffer.data.constData() + SQLLEN(row) * buffer.width;
    const int length = int(buffer.indicators[size_t(row)]);
    const TFieldType type = m_relation.columns[column].info.type;
    const auto text = [&] {
        if (buffer.cType == SQL_C_WCHAR)
            return QString::fromUtf16(reinterpret_cast<const char16_t*>(at), length / 2);
        return QString::fromUtf8(at, length);
    };
    switch (KindOf(type)) {
        case FieldKind::Integer: {
            SQLBIGINT v;
            std::memcpy(&v, at, sizeof(v));
            return QVariant(qlonglong(v));
        }
        case FieldKind::Float: {
            double v;
            std::memcpy(&v, at, sizeof(v));
            if (m_relation.columns[column].sqlType == SQL_REAL)
                return QVariant(OdbcRead::SingleValue(static_cast<float>(v)));
            return QVariant(v);
        }
        case FieldKind::Boolean:
            if (buffer.cType == SQL_C_BIT)
                return QVariant(*at != 0);
            return QVariant(OdbcRead::Boolean(text()));
        case FieldKind::Date: {
            QDate date;
            if (IsoDateTime::ParseDate(at, length, date))
                return QVariant(date);
            return QVariant(text());
        }
        case FieldKind::Time: {
            TimeOfDay time;
            if (IsoDateTime::ParseTime(at, length, time))
                return QVariant::fromValue(time);
            return QVariant(text());
        }
        case FieldKind::DateTime: {
            TimeStamp stamp;
            if (IsoDateTime::ParseTimeStamp(at, length, stamp))
                return QVariant::fromValue(stamp);
            return QVariant(text());
        }
        case FieldKind::Bytes:
        case FieldKind::Blob:
            return QVariant(QByteArray(at, length));
        case FieldKind::TextBlob:
            if (buffer.cType == SQL_C_CHAR)
                return QVariant(QByteArray(at, length));
            return QVariant(text().toUtf8());
        case FieldKind::Bcd: {
            const QString raw = text();
            QString decimal;
            return QVariant(Decimal::Normalize(raw, decimal) ? decimal : raw);
        }
        case FieldKind::Text:
            break;
    }
    QString value = text();
    if (value.isNull())
        value = QLatin1String("");
    return QVariant(value);
}
