#include "script/ScriptPrinter.h"

#include "data/Exceptions.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

namespace ScriptPrinter {

void Print(const QString& text, const QFont& screenFont, const QString& title, QPrinter& printer) {
    printer.setDocName(title);
    QFont font = screenFont;
    if (font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&printer);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    document.setPageSize(page.size());

    QPainter painter;
    if (!painter.begin(&printer))
        throw Exception(QStringLiteral("Printer selected is not valid"));
    const int pages = document.pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !printer.newPage())
            throw Exception(QStringLiteral("Printing failed on page %1").arg(p + 1));
        painter.save();
        painter.translate(0, -p * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, p * page.height(), page.width(), page.height());
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end())
        throw Exception(QStringLiteral("Printing failed"));
}

}  // namespace ScriptPrinter
