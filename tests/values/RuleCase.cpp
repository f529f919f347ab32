#include "tests/values/RuleCase.h"

#include "data/Decimal.h"
#include "data/Temporal.h"

#include <QStringDecoder>
#include <charconv>
#include <cmath>
#include <limits>

bool Case::isText() const {
    return (kind() == Kind::Text || kind() == Kind::FixedText || kind() == Kind::Memo ||
            kind() == Kind::Uuid) &&
           value.isValid();
}

QString Case::text() const {
    return is(QMetaType::QByteArray) ? QString::fromUtf8(value.toByteArray()) : value.toString();
}

bool Case::isDecimal() const {
    return kind() == Kind::Decimal && Decimal::IsNormal(value.toString());
}

QDate Case::date() const {
    if (is(QMetaType::QDate))
        return value.toDate();
    if (is(qMetaTypeId<TimeStamp>()))
        return value.value<TimeStamp>().toUtc().date;
    return {};
}

int DigitsBefore(const QString& decimal) {
    int before = 0, after = 0;
    Decimal::CountDigits(decimal, before, after);
    return before;
}

int DigitsAfter(const QString& decimal) {
    int before = 0, after = 0;
    Decimal::CountDigits(decimal, before, after);
    return after;
}

double SingleOf(double value) {
    const float single = static_cast<float>(value);
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, single);
    double back = 0;
    std::from_chars(text, written.ptr, back);
    return back;
}

bool IsSingle(double value) {
    return !std::isfinite(value) ||
           (!std::isinf(static_cast<float>(value)) && SingleOf(value) == value);
}

bool TextTooLong(const Case& c) {
    return c.isText() && c.column.size > 0 && c.text().toUcs4().size() > c.column.size;
}

bool HoldsNul(const Case& c) {
    return c.isText() && c.text().contains(QChar(0));
}

bool NoUtf8(const Case& c) {
    if (!c.is(QMetaType::QByteArray) || c.kind() != Kind::Memo)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(c.value.toByteArray());
    return decoder.hasError();
}

bool OutOfIntegerRange(const Case& c) {
    const qint64 v = c.value.toLongLong();
    return c.is(QMetaType::LongLong) &&
           ((c.kind() == Kind::Int16 && (v < -32768 || v > 32767)) ||
            (c.kind() == Kind::Int32 &&
             (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())));
}

bool ForeignNumber(const Case& c) {
    switch (c.kind()) {
        case Kind::Int16:
        case Kind::Int32:
        case Kind::Int64:
            return c.value.isValid() && !c.is(QMetaType::LongLong);
        case Kind::Float8:
        case Kind::Float4:
            return c.is(QMetaType::QString);
        default:
            return false;
    }
}

bool DateText(const Case& c) {
    return c.is(QMetaType::QString) && (c.kind() == Kind::Date || c.kind() == Kind::Time ||
                                        c.kind() == Kind::Stamp || c.kind() == Kind::ZonedStamp);
}

bool DateOutside(const Case& c, const QDate& first, const QDate& last) {
    const QDate date = c.date();
    return date.isValid() && (date < first || date > last);
}
