#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Programs a value path runs: the program itself (its command line) and the engines' shells.
struct ToolOutcome {
    int code = -1;
    QString out;
    QString err;
};

// `rowcart ARGS` on the suite's aliases, in the tests' British locale, without a display.
ToolOutcome RunRowcart(const QStringList& arguments);
// Any program, its standard input fed from `input`, with extra environment variables.
ToolOutcome RunTool(const QString& program, const QStringList& arguments,
                    const QByteArray& input = {}, const QMap<QString, QString>& environment = {});
bool HasTool(const QString& program);

// The messages of the rows a move or a script run failed, in the order of the rows, as the
// command line reports each ("Row id = 3 skipped: ...").
QStringList RowFailures(const QString& err);

// One INSERT of a generated script, cut at its divider line, with the ID its row has.
struct ScriptStatement {
    qint64 id = 0;
    QString text;
};
// The INSERT statements of a script, apostrophes respected: a divider line inside a quoted
// literal ends nothing.
QVector<ScriptStatement> CutScript(const QString& script);
