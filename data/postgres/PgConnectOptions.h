#pragma once

#include <QString>

namespace PgConnectOptions {

// "DMY", "MDY" or "YMD": the order of day, month and year in a date format such as
// "dd.MM.yyyy".
QString dateOrder(const QString& dateFormat);

// The server options of a session: the alias's OPTIONS, plus ISO dates in the user's order
// unless OPTIONS sets the date style (then ISO output in the order it set), exact float and
// money text, and read-only transactions for a read-only connection.
QString sessionOptions(const QString& aliasOptions, const QString& order, bool readOnly);

}  // namespace PgConnectOptions
