#include "data/odbc/OdbcError.h"

#include "data/odbc/OdbcHandles.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Driver managers and drivers put their names in brackets before the message.
QString withoutVendorTags(const QString& text) {
    static const QRegularExpression tags(QStringLiteral("^(\\s*\\[[^\\]]*\\])+\\s*"));
    return QString(text).remove(tags).trimmed();
}

}  // namespace

EDBEngineError OdbcEngineError(SQLSMALLINT handleType, SQLHANDLE handle, SQLHDBC dbc) {
    QStringList messages;
    QString firstState;
    SQLINTEGER firstNative = 0;
    bool lost = false;
    for (SQLSMALLINT record = 1; handle && record <= 8; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLWCHAR text[2048] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &nativeError, text,
                                            static_cast<SQLSMALLINT>(std::size(text)), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        const QString sqlState = OdbcString(state, 5);
        if (firstState.isEmpty()) {
            firstState = sqlState;
            firstNative = nativeError;
        }
        if (sqlState.startsWith(QLatin1String("08")))
            lost = true;
        const QString message = withoutVendorTags(
            OdbcString(text, std::min<qsizetype>(length, qsizetype(std::size(text)) - 1)));
        if (!message.isEmpty() && !messages.contains(message))
            messages.append(message);
    }
    if (dbc && !lost) {
        SQLUINTEGER dead = SQL_CD_FALSE;
        if (SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
            lost = dead == SQL_CD_TRUE;
    }
    if (messages.isEmpty())
        messages.append(QStringLiteral("The ODBC driver reported an error without a message"));
    // SQLite's driver reports every failure as a general error (HY000), with SQLite's own
    // result code as the native one: a constraint (19), a datatype mismatch (20), a value too
    // big (18).
    FailureCause cause = EDBEngineError::CauseOfSqlState(firstState);
    if (firstState == QLatin1String("HY000") && firstNative >= 18 && firstNative <= 20)
        cause = FailureCause::Values;
    return EDBEngineError(messages.join(QLatin1Char('\n')), firstState, !lost, cause);
}

void OdbcCheck(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, SQLHDBC dbc) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        throw OdbcEngineError(handleType, handle, dbc);
}
