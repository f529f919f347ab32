#include "data/postgres/PgError.h"

#include <QStringList>

namespace {

// libpq wraps its messages with tab-indented continuation lines and ends them with a newline;
// the error report shows the text as it is.
QString tidy(const char* text) {
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        // A continuation that starts a sentence keeps its own line.
        if (line.startsWith(QLatin1Char('\t')) && !lines.isEmpty() && !trimmed[0].isUpper())
            lines.last() += QLatin1Char(' ') + trimmed;
        else
            lines.append(trimmed);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QString PgConnectionMessage(PGconn* conn) {
    if (!conn)
        return QStringLiteral("Out of memory while connecting to the server");
    const QString message = tidy(PQerrorMessage(conn));
    return message.isEmpty() ? QStringLiteral("The connection to the server failed") : message;
}

EDBEngineError PgEngineError(PGconn* conn, const PGresult* result) {
    bool usable = conn && PQstatus(conn) == CONNECTION_OK;
    if (!result)
        return EDBEngineError(PgConnectionMessage(conn), QString(), usable);
    // The server ends the session after a FATAL error, before libpq has seen the socket close.
    if (const char* severity = PQresultErrorField(result, PG_DIAG_SEVERITY_NONLOCALIZED)) {
        if (qstrcmp(severity, "FATAL") == 0 || qstrcmp(severity, "PANIC") == 0)
            usable = false;
    }

    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    QString message;
    if (primary) {
        message = QString::fromUtf8(primary).trimmed();
        if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
            message += QLatin1Char('\n') + QString::fromUtf8(detail).trimmed();
    } else {
        // Errors libpq makes up itself (a lost connection) carry no fields.
        message = tidy(PQresultErrorMessage(result));
        if (message.isEmpty())
            message = PgConnectionMessage(conn);
    }
    const QString code = state ? QString::fromLatin1(state) : QString();
    return EDBEngineError(message, code, usable, EDBEngineError::CauseOfSqlState(code));
}

void ThrowPgError(PGconn* conn, const PGresult* result) {
    throw PgEngineError(conn, result);
}
