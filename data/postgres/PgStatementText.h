#pragma once

#include <QByteArray>
#include <QString>

// Statement text as the script runner hands it over, made ready for the server.
namespace PgStatementText {

// Replaces each '?' parameter marker outside quotes, quoted identifiers, dollar quotes and
// comments by $1, $2, ... in order. `count` receives the number of markers replaced.
QByteArray numberParameters(const QString& sql, int* count = nullptr);

}  // namespace PgStatementText
