#include "tests/grids/PdfText.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTextDocumentFragment>

QString PdfPage::text() const {
    QStringList texts;
    for (const Word& word : words)
        texts.append(word.text);
    return texts.join(QLatin1Char(' '));
}

PdfPage::Word PdfPage::word(const QString& text) const {
    for (const Word& word : words)
        if (word.text == text)
            return word;
    return Word();
}

QVector<PdfPage> ReadPdf(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    QVector<PdfPage> pages;
    static const QRegularExpression page(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    qsizetype at = 0;
    for (;;) {
        const QRegularExpressionMatch start = page.match(html, at);
        if (!start.hasMatch())
            break;
        const qsizetype end = html.indexOf(QStringLiteral("</page>"), start.capturedEnd());
        PdfPage result;
        result.size = QSizeF(start.captured(1).toDouble(), start.captured(2).toDouble());
        auto words = word.globalMatch(html.mid(start.capturedEnd(), end - start.capturedEnd()));
        while (words.hasNext()) {
            const QRegularExpressionMatch m = words.next();
            const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
            result.words.append({QTextDocumentFragment::fromHtml(m.captured(5)).toPlainText(),
                                 QRectF(topLeft, bottomRight)});
        }
        pages.append(result);
        at = end;
    }
    return pages;
}
