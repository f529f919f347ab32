#pragma once

#include <QByteArray>
#include <QVariant>
#include <QVector>

// One row's values in column order. A null value is an invalid QVariant; otherwise the variant
// holds the field kind's canonical type: QString for text kinds and decimals (ftBCD, ftFMTBcd),
// qlonglong for integers, bool, double for floats, QDate, QTime, QDateTime (Qt::UTC, read as a
// plain local date-time) and QByteArray for bytes and blobs.
using Row = QVector<QVariant>;

// A row as a driver delivers it: its key (the bookmark, see KeyCodec) and its values.
struct FetchedRow {
    QByteArray key;
    Row values;
};
