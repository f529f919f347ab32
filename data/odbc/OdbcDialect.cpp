#include "data/odbc/OdbcDialect.h"

#include "data/odbc/OdbcHandles.h"

#include <QRegularExpression>

namespace {

QString infoText(SQLHDBC dbc, SQLUSMALLINT item) {
    SQLWCHAR text[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, item, text, sizeof(text), &length)))
        return QString();
    return OdbcString(text, std::min<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), 255));
}

}  // namespace

OdbcDialect OdbcDialect::detect(SQLHDBC dbc) {
    OdbcDialect dialect;
    dialect.dbmsName = infoText(dbc, SQL_DBMS_NAME);
    const QString name = dialect.dbmsName.toLower();
    if (name.contains(QLatin1String("sqlite")))
        dialect.engine = Engine::SQLite;
    else if (name.contains(QLatin1String("postgres")))
        dialect.engine = Engine::PostgreSQL;
    else if (name.contains(QLatin1String("mysql")) || name.contains(QLatin1String("mariadb")))
        dialect.engine = Engine::MySQL;
    else if (name.contains(QLatin1String("sql server")))
        dialect.engine = Engine::SqlServer;
    else if (name.contains(QLatin1String("oracle")))
        dialect.engine = Engine::Oracle;
    dialect.utf8Text = dialect.engine == Engine::MySQL;
    dialect.paramArrays = dialect.engine != Engine::SQLite;
    dialect.quote = infoText(dbc, SQL_IDENTIFIER_QUOTE_CHAR).trimmed();
    dialect.searchEscape = infoText(dbc, SQL_SEARCH_PATTERN_ESCAPE);
    SQLUSMALLINT fileUsage = SQL_FILE_NOT_SUPPORTED;
    SQLGetInfoW(dbc, SQL_FILE_USAGE, &fileUsage, sizeof(fileUsage), nullptr);
    dialect.fileBased = fileUsage != SQL_FILE_NOT_SUPPORTED || dialect.engine == Engine::SQLite;
    return dialect;
}

QString OdbcDialect::quoted(const QString& identifier) const {
    if (quote.isEmpty())
        return identifier;
    return quote + QString(identifier).replace(quote, quote + quote) + quote;
}

QString OdbcDialect::pattern(const QString& name) const {
    if (searchEscape.isEmpty())
        return name;
    QString escaped;
    for (const QChar c : name) {
        if (c == QLatin1Char('_') || c == QLatin1Char('%') || QString(c) == searchEscape)
            escaped += searchEscape;
        escaped += c;
    }
    return escaped;
}

QString OdbcDialect::byteOrdered(const QString& quotedColumn) const {
    switch (engine) {
        case Engine::PostgreSQL:
            return quotedColumn + QStringLiteral(" COLLATE \"C\"");
        case Engine::SQLite:
            return quotedColumn + QStringLiteral(" COLLATE BINARY");
        default:
            // Other engines order by the column's own collation.
            return quotedColumn;
    }
}

QString OdbcDialect::window() const {
    return offsetFirst() ? QStringLiteral(" OFFSET ? ROWS FETCH NEXT ? ROWS ONLY")
                         : QStringLiteral(" LIMIT ? OFFSET ?");
}

QString OdbcDialect::readOnlyStatement() const {
    switch (engine) {
        case Engine::SQLite:
            return QStringLiteral("PRAGMA query_only = 1");
        case Engine::PostgreSQL:
            return QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
        case Engine::MySQL:
            return QStringLiteral("SET SESSION TRANSACTION READ ONLY");
        default:
            return QString();
    }
}

QString OdbcDialect::checked(const QString& statement, bool& run) const {
    run = false;
    if (engine == Engine::SQLite)
        return QStringLiteral("EXPLAIN ") + statement;
    static const QRegularExpression explainable(
        QStringLiteral("^\\s*(SELECT|INSERT|UPDATE|DELETE|REPLACE|WITH)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    if (engine == Engine::MySQL && explainable.match(statement).hasMatch()) {
        run = true;
        return QStringLiteral("EXPLAIN ") + statement;
    }
    return statement;
}

SqlEngine OdbcSqlEngine(const OdbcDialect& dialect) {
    switch (dialect.engine) {
        case OdbcDialect::Engine::SQLite:
            return SqlEngine::SQLite;
        case OdbcDialect::Engine::PostgreSQL:
            return SqlEngine::PostgreSQL;
        case OdbcDialect::Engine::MySQL:
            return SqlEngine::MySQL;
        default:
            return SqlEngine::Other;
    }
}
