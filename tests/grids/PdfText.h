#pragma once

#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

// The text of a PDF as a reader extracts it (poppler's pdftotext), page by page, with the
// place of each word in points.
struct PdfPage {
    struct Word {
        QString text;
        QRectF box;
    };
    QSizeF size;
    QVector<Word> words;

    QString text() const;
    bool contains(const QString& text) const { return this->text().contains(text); }
    // The first word with this text, or a word with an empty text.
    Word word(const QString& text) const;
};

QVector<PdfPage> ReadPdf(const QString& path);
