#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// The date shown in the about window: the day the program file was built or installed.
namespace ProgramDate {

// The locale's short date format, widened to a four-digit year where it has a two-digit one.
QString shortDateText(const QDate& date, const QLocale& locale = QLocale());
// The last-modification date of `programFile` in that form; empty when the file is missing.
QString fileDateText(const QString& programFile, const QLocale& locale = QLocale());

}  // namespace ProgramDate
