#pragma once

#include <QString>
#include <QStringView>

// Table and column names as a script writes them. A plain identifier ([A-Za-z_][A-Za-z0-9_$]*,
// not a reserved word) stays as it stands, so that engines fold its case as they always did;
// any other name goes between double quotes, each double quote doubled. The three dialects
// share this rule: Oracle, Firebird and the standard all quote names so.
namespace ScriptName {

// A word that SQL:2016 or most of PostgreSQL, SQLite, Oracle and Firebird reserve, in any case.
bool IsReservedWord(QStringView word);
bool IsPlainIdentifier(QStringView name);

// The name as a statement writes it.
QString Identifier(const QString& name);
// A table name as the user typed it: a qualified name (schema.table) keeps its dots, and a
// part already written in double quotes stays as it is; every other part is an Identifier().
QString Table(const QString& text);

}  // namespace ScriptName
