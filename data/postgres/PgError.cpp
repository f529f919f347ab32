#include "data/postgres/PgError.h"

#include <QStringList>

namespace {

// libpq indents continuation lines with a tab and ends with a newline; the error report shows
// the text as it is.
QString tidy(const char* text) {
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('\t')) && !lines.isEmpty())
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
    const bool usable = conn && PQstatus(conn) == CONNECTION_OK;
    if (!result)
        return EDBEngineError(PgConnectionMessage(conn), QString(), usable);

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
    return EDBEngineError(message, state ? QString::fromLatin1(state) : QString(), usable);
}

void ThrowPgError(PGconn* conn, const PGresult* result) {
    throw PgEngineError(conn, result);
}
