#pragma once

#include "script/ScriptLines.h"

#include <QChar>
#include <QSet>
#include <QString>
#include <QStringList>

// The terminator of a run: the divider's first character, a blank when the divider is empty
// (which no trimmed line can equal, so the whole script is one statement).
QChar StatementTerminator(const QString& divider);

// One statement as cut from the script's lines.
struct CutStatement {
    QString text;        // its lines, each followed by CR LF, or by LF inside a quoted literal
    int firstLine = -1;  // index of its first line
    int lastLine = -1;   // index of the last line read for it: its terminator, or the last line
};

// Cuts a script's lines into statements at lines that hold nothing but the terminator once
// trimmed. Outside quotes, lines are trimmed of every character with a code from 0 to 32 at
// both ends and empty lines are dropped; a statement without lines is skipped. Inside quotes
// (apostrophes, double quotes, back quotes), a literal's lines reach the statement exactly as
// they lie, a terminator line among them. A quote inside a comment (-- to the end of the line,
// /* ... */) opens nothing.
class StatementCutter {
public:
    StatementCutter(ScriptLines& lines, QChar terminator);

    // The next statement with at least one line; false when the lines are used up.
    bool next(CutStatement& statement);

private:
    ScriptLines& m_lines;
    QChar m_terminator;
    int m_next = 0;
    QString m_line;
};

// A statement as the engine receives it: every macro (a percent sign and its name) replaced by
// "0=0", every parameter marker (a colon and its name) by '?', and the markers' names in order.
// Text inside quotes and inside comments (/* ... */, -- to the end of the line) is neither;
// two colons in a row stand for one colon.
struct EngineStatement {
    QString text;
    QStringList parameters;
};
EngineStatement PrepareEngineStatement(const QString& statement);

// The parameter names of the whole script (its lines joined by CR LF, untrimmed), where only
// apostrophes and double quotes switch between inside and outside quotes.
QSet<QString> ScriptParameterNames(ScriptLines& lines);
QSet<QString> ScriptParameterNames(const QStringList& lines);
