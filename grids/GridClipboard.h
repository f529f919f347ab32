#pragma once

#include "data/Row.h"

#include <QStringList>
#include <QVector>

class QMimeData;

// Rows copied from a grid: the texts as displayed and, when known, the values with the field
// types they came from, so that a paste into the same kind of field keeps the exact value.
struct ClipRows {
    QVector<int> types;  // per column; empty when the rows came from plain text
    QVector<QStringList> texts;
    QVector<Row> values;  // empty when the rows came from plain text

    int rowCount() const { return texts.size(); }
    bool hasValues() const { return !values.isEmpty(); }
};

// The clipboard forms of copied rows: plain text (tabs between cells, CR LF between rows),
// "Csv", "Rich Text Format" and the grid's own binary form.
namespace GridClipboard {

// The MIME names of the forms; "Csv" and "Rich Text Format" are the clipboard format names
// other programs look for.
QString privateFormat();
QString csvFormat();
QString rtfFormat();

QString plainText(const ClipRows& rows);
QByteArray csvText(const ClipRows& rows);
QByteArray richText(const ClipRows& rows);
QByteArray privateData(const ClipRows& rows);

QMimeData* toMimeData(const ClipRows& rows);

// Whether the clipboard holds rows in the grid's own form or as plain text.
bool canPaste(const QMimeData* data);
// The rows of the grid's own form if present, else of the plain text.
ClipRows fromMimeData(const QMimeData* data);
ClipRows fromPlainText(const QString& text);
bool fromPrivateData(const QByteArray& data, ClipRows& rows);

}  // namespace GridClipboard
