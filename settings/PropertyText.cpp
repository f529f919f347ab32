#include "settings/PropertyText.h"

#include <QRegularExpression>

#include <cmath>

namespace PropertyText {

Kind kindOf(QMetaType type) {
    switch (type.id()) {
        case QMetaType::Bool:
            return Kind::Boolean;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return Kind::Integer;
        case QMetaType::Double:
        case QMetaType::Float:
            return Kind::Float;
        default:
            return Kind::Text;
    }
}

QString trimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QString formatFloat(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // The shortest digits that read back as the same double, never more than 18 of them.
    const QString scientific =
        QString::number(std::fabs(value), 'e', QLocale::FloatingPointShortest);
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    QString digits = scientific.left(e).remove(QLatin1Char('.'));
    const int exponent = scientific.mid(e + 1).toInt();
    digits.truncate(18);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    QString text = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= -5 && exponent < 18) {
        if (exponent < 0) {
            text += QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
        } else if (digits.size() <= exponent + 1) {
            text += digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
        } else {
            text += digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
        }
        return text;
    }
    text += digits.left(1);
    if (digits.size() > 1)
        text += QLatin1Char('.') + digits.mid(1);
    return text + QLatin1Char('E') + QString::number(exponent);
}

QString toText(const QVariant& value, Kind kind) {
    switch (kind) {
        case Kind::Integer:
            return QString::number(value.toLongLong());
        case Kind::Boolean:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case Kind::Float:
            return formatFloat(value.toDouble());
        case Kind::Text:
            break;
    }
    return value.toString();
}

std::optional<QVariant> fromText(const QString& text, Kind kind, const QLocale& locale) {
    switch (kind) {
        case Kind::Integer: {
            bool ok = false;
            const int number = text.toInt(&ok, 10);
            return QVariant(ok ? number : 0);
        }
        case Kind::Boolean:
            if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                return QVariant(false);
            if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                return QVariant(true);
            return std::nullopt;
        case Kind::Float: {
            QLocale strict = locale;
            strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
            QString localText = text;
            localText.replace(QLatin1Char('.'), strict.decimalPoint());
            bool ok = false;
            const double number = strict.toDouble(localText, &ok);
            if (!ok)
                return std::nullopt;
            return QVariant(number);
        }
        case Kind::Text:
            break;
    }
    return QVariant(text);
}

namespace {

// QWIDGETSIZE_MAX, which a library without widgets does not see.
constexpr int MaxWindowSize = (1 << 24) - 1;

}  // namespace

QList<int> positionWords(const QString& text, const QList<int>& defaults) {
    static const QRegularExpression separators(QStringLiteral("[, ]+"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    QList<int> values = defaults;
    for (qsizetype i = 0; i < values.size() && i < words.size(); ++i) {
        bool ok = false;
        const int value = words.at(i).toInt(&ok, 10);
        // Coordinates beyond any widget size are as unreadable as words that are no numbers,
        // and keep the arithmetic on them within int.
        if (ok && value >= -MaxWindowSize && value <= MaxWindowSize)
            values[i] = value;
    }
    return values;
}

}  // namespace PropertyText
