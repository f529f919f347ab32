#pragma once

#include <QByteArray>
#include <QString>

// Statement text as the script runner hands it over, made ready for the server.
namespace PgStatementText {

// Replaces each '?' parameter marker outside quotes, quoted identifiers, dollar quotes and
// comments by $1, $2, ... in order. `count` receives the number of markers replaced.
QByteArray numberParameters(const QString& sql, int* count = nullptr);

// Whether the text (UTF-8) is one INSERT, UPDATE or DELETE, comments and a closing semicolon
// allowed: a statement the extended protocol takes and that cannot start or end a transaction.
// A text it cannot be sure of (dollar quotes, several statements) answers false.
bool isSingleChange(const QByteArray& sql);

}  // namespace PgStatementText
