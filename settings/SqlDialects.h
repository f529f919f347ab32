#pragma once

#include <QStringList>

// The dialects of a generated script, in the order of the options' list, whose index is the
// dialect: 0 "Ansi SQL", 1 "Oracle SQL", 2 "Interbase SQL".
namespace SqlDialects {

const QStringList& Names();
// The word the command line takes for each: "ansi", "oracle", "interbase".
QString Word(int dialect);
// The dialect a word names, or -1.
int FromWord(const QString& word);

}  // namespace SqlDialects
