#pragma once

#include <QString>

// Decimal numbers as exact text, the form a decimal value takes in a row: an optional '-',
// the digits before the point without leading zeros (one "0" when there are none), and '.'
// with the fraction's digits when it has any. No exponent: "-12.50", "0.000001".
namespace Decimal {

// Reads [+-]digits[.digits][(e|E)[+-]digits], blanks around it allowed, into the exact form:
// the fraction keeps the digits it was written with, an exponent moves the point. False when
// the text is no decimal (or its exponent is beyond any engine's range).
bool Normalize(const QString& text, QString& result);
// Whether the text is already in the exact form; most values read are.
bool IsNormal(const QString& text);
// The shortest decimal that reads back as the same double; false for NaN and infinities.
bool FromDouble(double value, QString& result);
// The double nearest to an exact decimal; true when it holds the decimal exactly, that is,
// when the double's shortest decimal is the same number.
bool ToDouble(const QString& decimal, double& value);
// The integer an exact decimal stands for, when it has no fraction but zeros and fits.
bool ToInteger(const QString& decimal, qint64& value);
// Significant digits of an exact decimal before the point (leading zeros not counted) and
// after it (trailing zeros not counted).
void CountDigits(const QString& decimal, int& integerDigits, int& fractionDigits);
// Whether two exact decimals are the same number ("1.50" and "1.5").
bool SameNumber(const QString& a, const QString& b);
// The exact decimal without the zeros that end its fraction ("1.50" gives "1.5").
QString WithoutTrailingZeros(const QString& decimal);

}  // namespace Decimal
