#include "about/ProgramDate.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace ProgramDate {

QString shortDateText(const QDate& date, const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression years(QStringLiteral("y+"));
    format.replace(years, QStringLiteral("yyyy"));
    return locale.toString(date, format);
}

QString fileDateText(const QString& programFile, const QLocale& locale) {
    const QFileInfo info(programFile);
    if (!info.exists())
        return QString();
    return shortDateText(info.lastModified().date(), locale);
}

}  // namespace ProgramDate
