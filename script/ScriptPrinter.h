#pragma once

#include <QFont>
#include <QString>

class QPrinter;

// Prints a script's text as one job: the editor's font, laid out over the whole printable area
// of each page without header, footer or extra margins, a new page when one is full.
namespace ScriptPrinter {

// `screenFont` is the editor's font; a size given in screen pixels is kept at its screen size
// on paper. A printer that cannot be started raises an error.
void Print(const QString& text, const QFont& screenFont, const QString& title, QPrinter& printer);

}  // namespace ScriptPrinter
