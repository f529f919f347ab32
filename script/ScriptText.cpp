#include "script/ScriptText.h"

#include "data/FieldConvert.h"
#include "script/DayPattern.h"

#include <algorithm>

namespace ScriptText {

QString FillHeaderLine(const QString& content) {
    const qsizetype blanks = std::clamp<qsizetype>(80 - content.size(), 0, 67);
    return content + QString(blanks, QLatin1Char(' ')) + QStringLiteral(" */");
}

QString HeaderLine1(const QString& webAddress, const QDateTime& started) {
    return FillHeaderLine(QStringLiteral("/* Script created in Rowcart ") + webAddress +
                          QStringLiteral(" at ") +
                          DayPattern::Format(started.date(), started.time(), true));
}

QString HeaderLine2(const QString& connectLabel, const QString& sourceTable,
                    const QString& dialectName) {
    return FillHeaderLine(QStringLiteral("/* ") + connectLabel + QStringLiteral(", from table \"") +
                          sourceTable + QStringLiteral("\", ") + dialectName);
}

QString CommitLine(const QString& divider) {
    return QStringLiteral("COMMIT") + divider;
}

QString RecordsLine(int index, const QTime& now) {
    return QStringLiteral("/*********** records ") + QString::number(index) + QStringLiteral("  ") +
           FieldConvert::FormatTime(now) + QString(36, QLatin1Char('*')) + QStringLiteral("/\n");
}

QString FinishedLine(const QDateTime& now) {
    return QStringLiteral("/*********** OK, finished ") + FieldConvert::FormatDate(now.date()) +
           QLatin1Char(' ') + FieldConvert::FormatTime(now.time()) + QString(21, QLatin1Char('*')) +
           QLatin1Char('/');
}

QString WithLineFeeds(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace ScriptText
