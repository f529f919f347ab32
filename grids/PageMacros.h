#pragma once

#include <QDateTime>
#include <QString>

// The values that page texts name with "&[...]" macros.
struct PageMacroValues {
    int page = 1;
    int pages = 1;
    QString shortDate;
    QString longDate;
    QString time;

    // Date and time in the locale's formats, taken once for a whole rendering.
    static PageMacroValues at(const QDateTime& now);
};

// Replaces the macros of a header or footer text, matched without regard to case. A macro
// preceded by "&" stays as text, in its canonical spelling.
QString ExpandPageMacros(const QString& text, const PageMacroValues& values);

// Whether a text asks for the page total, which needs a counting pass first (matched with case).
bool NeedsPageCount(const QString& text);
