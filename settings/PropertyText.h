#pragma once

#include <QList>
#include <QLocale>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <optional>

// The text forms in which a stored property is kept, and how a text is applied back.
namespace PropertyText {

enum class Kind { Integer, Boolean, Float, Text };

Kind kindOf(QMetaType type);

// Removes every leading and trailing character with a code up to 32.
QString trimmed(const QString& text);

// At most 18 significant digits, no trailing zeros, "." as decimal separator; fixed notation
// from 0.00001 up to 18 integer digits, "1.5E20" / "1E-6" outside that.
QString formatFloat(double value);

QString toText(const QVariant& value, Kind kind);

// The value a stored text gives, or nothing when the property is to keep its value: an integer
// that does not parse gives 0, a boolean other than "True"/"False" (any case) and a number that
// does not parse in `locale` (after "." became its decimal separator) give nothing.
std::optional<QVariant> fromText(const QString& text, Kind kind, const QLocale& locale = QLocale());

// The first four words of a stored window position, split at commas and blanks (a run of them
// counts as one); a missing or bad word, or a coordinate beyond any window's size, takes its
// default.
QList<int> positionWords(const QString& text, const QList<int>& defaults);

}  // namespace PropertyText
