#include "data/Decimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace Decimal {
namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// An engine's decimal never has more than a few thousand digits; a hostile exponent must not
// make a huge text.
constexpr qint64 ExponentLimit = 20000;

// The number without sign and trailing fraction zeros, for comparing.
QStringView essential(const QString& decimal, bool& negative) {
    QStringView digits(decimal);
    negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits = digits.mid(1);
    if (digits.contains(QLatin1Char('.'))) {
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        if (digits.endsWith(QLatin1Char('.')))
            digits.chop(1);
    }
    return digits;
}

}  // namespace

bool IsNormal(const QString& text) {
    const QChar* at = text.constData();
    const QChar* const end = at + text.size();
    const bool negative = at != end && *at == QLatin1Char('-');
    if (negative)
        ++at;
    if (at == end || !isDigit(*at))
        return false;
    const bool zero = *at == QLatin1Char('0');
    ++at;
    if (!zero) {
        while (at != end && isDigit(*at))
            ++at;
    }
    bool allZero = zero;
    if (at != end) {
        if (*at != QLatin1Char('.'))
            return false;
        const QChar* const fraction = ++at;
        while (at != end && isDigit(*at)) {
            allZero = allZero && *at == QLatin1Char('0');
            ++at;
        }
        if (at != end || at == fraction)
            return false;
    }
    return !(negative && allZero);
}

bool Normalize(const QString& text, QString& result) {
    if (IsNormal(text)) {
        result = text;
        return true;
    }
    const QString t = text.trimmed();
    const qsizetype n = t.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        negative = t[i++] == QLatin1Char('-');
    QString digits;
    digits.reserve(n);
    while (i < n && isDigit(t[i]))
        digits.append(t[i++]);
    qint64 point = digits.size();  // digits before the decimal point
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(t[i]))
            digits.append(t[i++]);
    }
    if (digits.isEmpty())
        return false;
    qint64 fractionDigits = digits.size() - point;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        bool ok = false;
        const qint64 exponent = t.mid(i + 1).toLongLong(&ok);
        if (!ok || std::llabs(exponent) > ExponentLimit)
            return false;
        point += exponent;
        fractionDigits = std::max<qint64>(0, fractionDigits - exponent);
        i = n;
    }
    if (i != n)
        return false;
    // Zeros to reach the point on either side, then the fraction's digits as written.
    if (point < 0) {
        digits.prepend(QString(-point, QLatin1Char('0')));
        point = 0;
    }
    if (point > digits.size())
        digits.append(QString(point - digits.size(), QLatin1Char('0')));
    while (digits.size() - point > fractionDigits && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    qsizetype lead = 0;
    while (lead < point - 1 && digits[lead] == QLatin1Char('0'))
        ++lead;
    QString intPart = point == 0 ? QStringLiteral("0") : digits.mid(lead, point - lead);
    const QString fracPart = digits.mid(point);
    result = intPart;
    if (!fracPart.isEmpty())
        result += QLatin1Char('.') + fracPart;
    const bool zero =
        intPart == QLatin1String("0") && std::all_of(fracPart.begin(), fracPart.end(),
                                                     [](QChar c) { return c == QLatin1Char('0'); });
    if (negative && !zero)
        result.prepend(QLatin1Char('-'));
    return true;
}

bool FromDouble(double value, QString& result) {
    if (!std::isfinite(value))
        return false;
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    if (written.ec != std::errc())
        return false;
    return Normalize(QString::fromLatin1(text, written.ptr - text), result);
}

bool ToDouble(const QString& decimal, double& value) {
    const QByteArray text = decimal.toLatin1();
    const std::from_chars_result read =
        std::from_chars(text.constData(), text.constData() + text.size(), value);
    if (read.ptr != text.constData() + text.size())
        return false;
    if (read.ec != std::errc()) {
        // Beyond a double's range either way.
        value = std::strtod(text.constData(), nullptr);
        return false;
    }
    QString back;
    return FromDouble(value, back) && SameNumber(back, decimal);
}

bool ToInteger(const QString& decimal, qint64& value) {
    bool negative = false;
    const QStringView digits = essential(decimal, negative);
    if (digits.contains(QLatin1Char('.')))
        return false;
    bool ok = false;
    value = decimal.startsWith(QLatin1Char('-'))
                ? QStringView(decimal).left(digits.size() + 1).toLongLong(&ok)
                : digits.toLongLong(&ok);
    return ok;
}

void CountDigits(const QString& decimal, int& integerDigits, int& fractionDigits) {
    bool negative = false;
    const QStringView digits = essential(decimal, negative);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    const qsizetype whole = point < 0 ? digits.size() : point;
    integerDigits = digits.left(whole) == QLatin1String("0") ? 0 : static_cast<int>(whole);
    fractionDigits = point < 0 ? 0 : static_cast<int>(digits.size() - point - 1);
}

QString WithoutTrailingZeros(const QString& decimal) {
    bool negative = false;
    const QStringView digits = essential(decimal, negative);
    if (negative && digits != QLatin1String("0"))
        return QLatin1Char('-') + digits.toString();
    return digits.toString();
}

bool SameNumber(const QString& a, const QString& b) {
    bool negativeA = false, negativeB = false;
    const QStringView digitsA = essential(a, negativeA);
    const QStringView digitsB = essential(b, negativeB);
    return negativeA == negativeB && digitsA == digitsB;
}

}  // namespace Decimal
