#pragma once

#include <QDateTime>
#include <QString>

// The fixed lines of a generated script around its statements: the two header lines, the
// commit marker and the trailer. Knows no window, so a run without one writes the same text.
namespace ScriptText {

// Blanks up to column 80 (at most 67), then " */".
QString FillHeaderLine(const QString& content);
// "/* Script created in Rowcart <web address> at dd.mm.yyyy hh:nn:ss", filled.
QString HeaderLine1(const QString& webAddress, const QDateTime& started);
// "/* <connection label>, from table "<table>", <dialect name>", filled.
QString HeaderLine2(const QString& connectLabel, const QString& sourceTable,
                    const QString& dialectName);
// "COMMIT" and the divider: the first line of the commit marker and of the trailer.
QString CommitLine(const QString& divider);
// The comment line of the commit marker for list position `index`, with the time in the user's
// long time format; ends with a line break, so an empty line follows it.
QString RecordsLine(int index, const QTime& now);
// The last line: the date in the user's short date format and the time in the long one.
QString FinishedLine(const QDateTime& now);

// Every line break (CR LF, CR) as a line feed, as the script buffer breaks lines.
QString WithLineFeeds(QString text);

}  // namespace ScriptText
