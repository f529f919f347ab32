#pragma once

#include "data/Temporal.h"

#include <QByteArray>
#include <QVariant>
#include <QVector>

// One row's values in column order, each in the one exact form of its field's kind; text forms
// are for people only. A null value is an invalid QVariant; otherwise the variant holds:
// - QString for text kinds ('' is a value, not null), and for decimals (ftBCD, ftFMTBcd) their
//   exact digits (see Decimal.h);
// - qlonglong for integers, bool, double for floats;
// - QDate, TimeOfDay, TimeStamp (zoned for ftTimeStamp) for dates and times;
// - QByteArray for bytes and blobs (UTF-8 text for memos).
// A date, time or decimal column may hold text that is no such value (SQLite keeps any text,
// PostgreSQL has 'infinity'): it stays a QString, exactly as the engine holds it.
using Row = QVector<QVariant>;

// A row as a driver delivers it: its key (the bookmark, see KeyCodec) and its values.
struct FetchedRow {
    QByteArray key;
    Row values;
};
