#include "data/postgres/PgSortableDecimal.h"

#include <cstdio>

namespace PgSortableDecimal {

namespace {

// Class marks, in the server's order.
constexpr char MinusInfinity = '0';
constexpr char Negative = '1';
constexpr char Zero = '2';
constexpr char Positive = '3';
constexpr char PlusInfinity = '4';
constexpr char NotANumber = '5';

// The exponent e of 0.d1d2... x 10^e lies within the server's limits (131072 digits before the
// point, 16383 after); biased it fits six digits.
constexpr int ExponentBias = 500000;
constexpr int ExponentDigits = 6;
// Ends a negative number's digits: sorts above every digit, so that -0.12 > -0.123.
constexpr char NegativeEnd = '~';

QByteArray exponentText(int biased) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06d", biased);
    return QByteArray(buf, ExponentDigits);
}

}  // namespace

QByteArray encode(const QByteArray& decimal) {
    if (decimal == "NaN")
        return QByteArray(1, NotANumber);
    if (decimal == "Infinity")
        return QByteArray(1, PlusInfinity);
    if (decimal == "-Infinity")
        return QByteArray(1, MinusInfinity);

    int i = 0;
    bool negative = false;
    if (i < decimal.size() && (decimal[i] == '-' || decimal[i] == '+'))
        negative = decimal[i++] == '-';
    QByteArray intPart, fracPart;
    while (i < decimal.size() && decimal[i] >= '0' && decimal[i] <= '9')
        intPart.append(decimal[i++]);
    if (i < decimal.size() && decimal[i] == '.') {
        ++i;
        while (i < decimal.size() && decimal[i] >= '0' && decimal[i] <= '9')
            fracPart.append(decimal[i++]);
    }
    if (i != decimal.size() || (intPart.isEmpty() && fracPart.isEmpty()))
        return {};

    int lead = 0;
    while (lead < intPart.size() && intPart[lead] == '0')
        ++lead;
    intPart = intPart.mid(lead);
    QByteArray digits = intPart + fracPart;
    int exponent = static_cast<int>(intPart.size());
    lead = 0;
    while (lead < digits.size() && digits[lead] == '0')
        ++lead;
    if (lead == digits.size())
        return QByteArray(1, Zero);
    // Only leading zeros of the fraction move the exponent below zero.
    exponent -= lead;
    digits = digits.mid(lead);
    while (digits.endsWith('0'))
        digits.chop(1);

    QByteArray out;
    if (!negative) {
        out.append(Positive);
        out.append(exponentText(exponent + ExponentBias));
        out.append(digits);
    } else {
        out.append(Negative);
        out.append(exponentText(999999 - (exponent + ExponentBias)));
        for (char& d : digits)
            d = static_cast<char>('9' - (d - '0'));
        out.append(digits);
        out.append(NegativeEnd);
    }
    return out;
}

QByteArray decode(const QByteArray& encoded) {
    if (encoded.size() == 1) {
        switch (encoded[0]) {
            case NotANumber:
                return "NaN";
            case PlusInfinity:
                return "Infinity";
            case MinusInfinity:
                return "-Infinity";
            case Zero:
                return "0";
            default:
                return {};
        }
    }
    if (encoded.size() < 1 + ExponentDigits + 1)
        return {};
    const bool negative = encoded[0] == Negative;
    if (!negative && encoded[0] != Positive)
        return {};
    bool ok = false;
    const int biased = encoded.mid(1, ExponentDigits).toInt(&ok);
    if (!ok)
        return {};
    const int exponent = (negative ? 999999 - biased : biased) - ExponentBias;
    QByteArray digits = encoded.mid(1 + ExponentDigits);
    if (negative) {
        if (!digits.endsWith(NegativeEnd))
            return {};
        digits.chop(1);
        for (char& d : digits)
            d = static_cast<char>('9' - (d - '0'));
    }
    for (char d : digits) {
        if (d < '0' || d > '9')
            return {};
    }
    if (digits.isEmpty())
        return {};

    QByteArray out = negative ? QByteArray("-") : QByteArray();
    const int n = static_cast<int>(digits.size());
    if (exponent <= 0) {
        out += "0." + QByteArray(-exponent, '0') + digits;
    } else if (exponent >= n) {
        out += digits + QByteArray(exponent - n, '0');
    } else {
        out += digits.left(exponent) + '.' + digits.mid(exponent);
    }
    return out;
}

}  // namespace PgSortableDecimal
