#include "tests/values/ValueSuite.h"

#include "data/Decimal.h"
#include "data/FieldConvert.h"
#include "data/TextExcerpt.h"

#include <charconv>
#include <cmath>

namespace {

bool isTextual(const QVariant& value) {
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
}

QByteArray bytesOf(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                   : value.toString().toUtf8();
}

QString textOf(const QVariant& value, bool unpadded = false) {
    QString text = value.typeId() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray())
                                                           : value.toString();
    while (unpadded && text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// Values in their exact forms: floats to the bit (NaN equal to NaN, -0 not equal to 0), decimals
// as numbers (an engine writes its own trailing zeros), memos as their bytes (SQLite's need not
// be UTF-8), fixed-length text without its padding, time stamps as the instants they stand for.
bool sameValue(const ColumnSpec& column, const QVariant& expected, const QVariant& arrived) {
    if (!expected.isValid() || !arrived.isValid())
        return expected.isValid() == arrived.isValid();
    const int type = expected.userType();
    switch (column.kind) {
        case Kind::Memo:
            return isTextual(arrived) && bytesOf(expected) == bytesOf(arrived);
        case Kind::Text:
        case Kind::Uuid:
        case Kind::FixedText: {
            const bool fixed = column.kind == Kind::FixedText;
            return isTextual(arrived) && textOf(expected, fixed) == textOf(arrived, fixed);
        }
        case Kind::Decimal:
            if (Decimal::IsNormal(expected.toString()) && Decimal::IsNormal(arrived.toString()))
                return arrived.typeId() == QMetaType::QString &&
                       Decimal::SameNumber(expected.toString(), arrived.toString());
            break;
        case Kind::Float8:
        case Kind::Float4:
            if (type == QMetaType::Double) {
                const double a = expected.toDouble(), b = arrived.toDouble();
                return arrived.typeId() == QMetaType::Double &&
                       (std::isnan(a) ? std::isnan(b)
                                      : a == b && std::signbit(a) == std::signbit(b));
            }
            break;
        case Kind::Stamp:
        case Kind::ZonedStamp:
            if (type == qMetaTypeId<TimeStamp>()) {
                const TimeStamp a = expected.value<TimeStamp>().toUtc();
                const TimeStamp b = arrived.value<TimeStamp>().toUtc();
                return arrived.userType() == type && a.date == b.date && a.usec == b.usec;
            }
            break;
        default:
            break;
    }
    return arrived.userType() == type && arrived == expected;
}

// Whether a message of the program names the field (in apostrophes) and the value as the
// program shows values to people.
bool namesFieldAndValue(const QString& message, const QString& field, const QVariant& value) {
    if (!message.contains(QLatin1Char('\'') + field + QLatin1Char('\''), Qt::CaseInsensitive))
        return false;
    const int type = value.userType();
    QStringList mentions;
    if (type == QMetaType::Double) {
        const double real = value.toDouble();
        mentions << FieldConvert::FormatFloatExact(real);
        if (std::isnan(real))
            mentions << QStringLiteral("NaN");
        if (std::isinf(real))
            mentions << (real > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity"));
    } else if (type == QMetaType::QByteArray) {
        mentions << QStringLiteral("%1 bytes").arg(value.toByteArray().size())
                 << TextExcerpt(textOf(value).left(12), 12);
    } else if (type == QMetaType::QString) {
        mentions << TextExcerpt(value.toString().left(12), 12);
    } else if (type == QMetaType::QDate) {
        mentions << FieldConvert::FormatDate(value.toDate());
    } else if (type == qMetaTypeId<TimeOfDay>()) {
        mentions << FieldConvert::FormatTime(value.value<TimeOfDay>());
    } else if (type == qMetaTypeId<TimeStamp>()) {
        mentions << FieldConvert::FormatTimeStamp(value.value<TimeStamp>());
    } else {
        mentions << value.toString();
    }
    for (const QString& mention : mentions) {
        if (message.contains(mention))
            return true;
    }
    return false;
}

// The values of a row that are not NULL, for a message.
QString valuesOf(const QVector<ColumnSpec>& columns, const ValueRow& row) {
    QStringList values;
    for (int i = 0; i < columns.size(); ++i) {
        if (row.values.value(i).isValid())
            values << columns[i].name + QLatin1Char('=') + Shown(row.values.value(i));
    }
    return values.join(QLatin1Char(' '));
}

}  // namespace

QString Shown(const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("NULL");
    const int type = value.userType();
    QString text;
    if (type == QMetaType::Double) {
        char digits[40];
        const auto written = std::to_chars(digits, digits + sizeof digits, value.toDouble());
        text = QString::fromLatin1(digits, written.ptr - digits);
    } else if (type == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        text = QStringLiteral("%1 bytes 0x%2")
                   .arg(QString::number(bytes.size()), QLatin1String(bytes.left(24).toHex()));
    } else if (type == QMetaType::QDate) {
        text = IsoDate(value.toDate(), true);
    } else if (type == qMetaTypeId<TimeOfDay>()) {
        text = IsoTime(value.value<TimeOfDay>());
    } else if (type == qMetaTypeId<TimeStamp>()) {
        text = IsoStamp(value.value<TimeStamp>(), true);
    } else {
        text = TextExcerpt(value.toString(), 60);
    }
    return QStringLiteral("%1(%2)").arg(QLatin1String(value.typeName()), text);
}

QStringList ArrivalProblems(const Hop& hop, const QVector<ColumnSpec>& columns,
                            const QVector<ValueRow>& source, const HopResult& result) {
    QStringList problems;
    const auto problem = [&](const QString& text) {
        problems << HopName(hop) + QStringLiteral(": ") + text;
    };
    QMap<qint64, const ValueRow*> arrived;
    for (const ValueRow& row : result.arrived)
        arrived.insert(row.id, &row);
    QStringList messages = result.refusals;
    int rejections = 0;
    for (const ValueRow& row : source) {
        const RowExpectation expected = ExpectRow(hop, columns, row, result.omitted);
        const ValueRow* got = arrived.take(row.id);
        const QString name = QStringLiteral("row %1").arg(row.id);
        if (expected.outcome == Expectation::Arrives) {
            if (!got)
                problem(QStringLiteral("%1 (%2) did not arrive").arg(name, valuesOf(columns, row)));
            for (int i = 0; got && i < columns.size(); ++i) {
                const Expectation& value = expected.values[i];
                if (!sameValue(columns[i], value.value, got->values.value(i)))
                    problem(QStringLiteral("%1 field %2: %3 arrived for %4, expected %5 (%6)")
                                .arg(name, columns[i].name, Shown(got->values.value(i)),
                                     Shown(row.values.value(i)), Shown(value.value),
                                     value.because));
            }
            continue;
        }
        if (got)
            problem(QStringLiteral("%1 arrived (%2), but must fail")
                        .arg(name, valuesOf(columns, *got)));
        if (expected.outcome == Expectation::Rejected) {
            ++rejections;
            continue;
        }
        // A message is matched by what it says, not by its place, so that one unexpected
        // failure does not hide the rest.
        QStringList reasons;
        bool found = false;
        for (int m = 0; m < messages.size() && !found; ++m) {
            for (int i = 0; i < columns.size() && !found; ++i) {
                const Expectation& value = expected.values[i];
                found = value.outcome == Expectation::Refused &&
                        (namesFieldAndValue(messages[m], columns[i].name, row.values[i]) ||
                         namesFieldAndValue(messages[m], columns[i].name, value.value)) &&
                        messages[m].contains(value.reason);
                if (found)
                    messages.removeAt(m);
            }
        }
        if (found)
            continue;
        for (int i = 0; i < columns.size(); ++i) {
            if (expected.values[i].outcome == Expectation::Refused)
                reasons << columns[i].name + QLatin1Char(' ') + Shown(row.values[i]) +
                               QStringLiteral(": ") + expected.values[i].because;
        }
        problem(QStringLiteral("%1 failed without a message naming the field, the value and why "
                               "(%2)")
                    .arg(name, reasons.join(QLatin1Char(' '))));
    }
    for (const ValueRow* row : arrived)
        problem(QStringLiteral("row %1 arrived from nowhere").arg(row->id));
    for (const QString& message : messages)
        problem(QStringLiteral("a row failed unexpectedly: ") + message);
    if (result.rejections != rejections)
        problem(QStringLiteral("the target engine refused %1 statements, not %2")
                    .arg(QString::number(result.rejections), QString::number(rejections)));
    return problems;
}
