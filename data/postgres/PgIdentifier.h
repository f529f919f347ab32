#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every identifier reaches the server in double quotes, so that names with capitals, blanks,
// quotes or semicolons mean themselves and nothing else.
QByteArray PgQuoteIdentifier(const QString& name);
QByteArray PgQualifiedName(const QString& schema, const QString& name);

// The parts of a table name as a user types it: "schema"."Table", schema.table or a plain name.
// Unquoted parts fold to lower case as the server folds them. Empty when the text is no valid
// qualified name.
QStringList PgSplitQualifiedName(const QString& text);

// A name as the table list shows it: quoted only where the server would need quotes.
QString PgDisplayIdentifier(const QString& name);
