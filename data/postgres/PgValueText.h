#pragma once

#include "data/postgres/PgTypeMap.h"

#include <QByteArray>
#include <QVariant>

class PgParams;

// Values between the server's text forms and the canonical row values (see data/Row.h).
//
// Dates and times come as QDate, QTime and QDateTime when these hold them exactly. A time or
// time stamp with microseconds that milliseconds cannot hold, the end of the day (24:00:00),
// and 'infinity' come as their text instead ("2026-08-12T10:11:12.123456"), which is written
// back as it is, so that a round trip never loses precision.
namespace PgValueText {

// `text` is the server's output in ISO date style; money arrives as numeric text.
QVariant fromServer(PgKind kind, const char* text, int length);

// The text (raw bytes for PgKind::Bytes) that stands for `value` in a column of `kind`. False
// for null.
bool toServer(PgKind kind, const QVariant& value, QByteArray& text);

// Appends `value` as a bound parameter: bytes in binary, everything else as text.
void addParam(PgKind kind, const QVariant& value, PgParams& params);

// Appends `value` as one field of COPY's text format: escaped, \N for null.
void appendCopyField(PgKind kind, const QVariant& value, QByteArray& out);

QByteArray decodeHexBytes(const char* text, int length);

}  // namespace PgValueText
