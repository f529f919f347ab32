#pragma once

#include "tests/values/ValueModel.h"

// Values compared in their exact forms: floats to the bit (NaN equal to NaN, -0 not equal to 0),
// decimals as numbers (an engine writes its own trailing zeros), text as text and memos as their
// UTF-8 bytes whether they came as a string or as bytes, fixed-length text without the blanks its
// engine pads it with, time stamps as the instants they stand for (one without zone taken as UTC).
bool SameValue(const ColumnSpec& column, const QVariant& expected, const QVariant& arrived);

// A value for a test's message: its type and every digit or character.
QString Shown(const QVariant& value);

// Whether a message of the program names the field (in apostrophes) and the value as the
// program shows values to people.
bool NamesFieldAndValue(const QString& message, const QString& field, const QVariant& value);
