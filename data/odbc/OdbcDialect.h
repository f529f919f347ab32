#pragma once

#include "data/TableStructure.h"

#include <sql.h>

#include <QString>

// What differs between the engines behind ODBC drivers, as far as the driver's SQL needs it:
// identifier quotes, how a window of rows is bounded, how text keys order by their bytes.
struct OdbcDialect {
    enum class Engine { Other, SQLite, PostgreSQL, MySQL, SqlServer, Oracle };

    Engine engine = Engine::Other;
    QString dbmsName;
    QString quote = QStringLiteral("\"");  // empty when the driver has none
    bool fileBased = false;                // desktop database files rather than a server
    QString searchEscape;                  // escapes '_' and '%' in catalog patterns
    // Text travels as UTF-8 (SQL_C_CHAR) rather than UTF-16: MariaDB's driver converts each
    // wide value through a fresh iconv handle.
    bool utf8Text = false;
    // Runs of inserts go as parameter arrays. SQLite's driver takes them but writes every row's
    // bytes with the first row's length.
    bool paramArrays = true;

    // Asks the driver (SQLGetInfo) on an open connection.
    static OdbcDialect detect(SQLHDBC dbc);

    QString quoted(const QString& identifier) const;
    // The name as a catalog pattern that matches only itself.
    QString pattern(const QString& name) const;
    // The expression a text key column orders by, so that rows come in the byte order of the
    // UTF-8 text (the bookmarks' order).
    QString byteOrdered(const QString& quotedColumn) const;
    // The clause after ORDER BY that bounds a window: LIMIT/OFFSET or OFFSET/FETCH, with two
    // '?' markers, the offset's first where offsetFirst().
    QString window() const;
    bool offsetFirst() const { return engine == Engine::SqlServer || engine == Engine::Oracle; }
    // The text whose preparing makes the engine check a statement without running it: SQLite's
    // driver prepares only queries, MariaDB's only statements with markers. `run`: the text is
    // an EXPLAIN that must also be executed (without markers) for the check to happen.
    QString checked(const QString& statement, bool& run) const;
    // A statement that makes the session refuse writes, or empty when the engine has none.
    QString readOnlyStatement() const;
};

// The engine behind a dialect, as the statements that differ between engines name it.
SqlEngine OdbcSqlEngine(const OdbcDialect& dialect);
