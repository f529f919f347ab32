#include "grids/PageMacros.h"

#include <QLocale>

namespace {

enum class Macro { Page, Pages, ShortDate, Date, LongDate, Time };

struct MacroName {
    Macro macro;
    QLatin1StringView name;
};

// Longer names first where one could be read as the start of another.
constexpr MacroName Macros[] = {
    {Macro::Pages, QLatin1StringView("&[Pages]")},
    {Macro::Page, QLatin1StringView("&[Page]")},
    {Macro::ShortDate, QLatin1StringView("&[ShortDate]")},
    {Macro::Date, QLatin1StringView("&[Date]")},
    {Macro::LongDate, QLatin1StringView("&[LongDate]")},
    {Macro::Time, QLatin1StringView("&[Time]")},
};

QString valueOf(Macro macro, const PageMacroValues& values) {
    switch (macro) {
        case Macro::Page:
            return QString::number(values.page);
        case Macro::Pages:
            return QString::number(values.pages);
        case Macro::ShortDate:
        case Macro::Date:
            return values.shortDate;
        case Macro::LongDate:
            return values.longDate;
        case Macro::Time:
            return values.time;
    }
    return QString();
}

}  // namespace

PageMacroValues PageMacroValues::at(const QDateTime& now) {
    const QLocale locale;
    PageMacroValues values;
    values.shortDate = locale.toString(now.date(), QLocale::ShortFormat);
    values.longDate = locale.toString(now.date(), QLocale::LongFormat);
    values.time = locale.toString(now.time(), QLocale::LongFormat);
    return values;
}

QString ExpandPageMacros(const QString& text, const PageMacroValues& values) {
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const MacroName* found = nullptr;
        if (text.at(i) == QLatin1Char('&')) {
            for (const MacroName& macro : Macros) {
                if (QStringView(text).mid(i).startsWith(macro.name, Qt::CaseInsensitive)) {
                    found = &macro;
                    break;
                }
            }
        }
        if (!found) {
            result += text.at(i++);
            continue;
        }
        const bool escaped = i > 0 && text.at(i - 1) == QLatin1Char('&');
        result += escaped ? QString(found->name) : valueOf(found->macro, values);
        i += found->name.size();
    }
    return result;
}

bool NeedsPageCount(const QString& text) {
    return text.contains(QLatin1StringView("&[Pages]"));
}
