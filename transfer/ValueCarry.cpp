#include "transfer/ValueCarry.h"

#include "data/FieldConvert.h"
#include "data/TField.h"
#include "data/TMemoryStream.h"

#include <QLocale>
#include <cmath>

namespace {

bool isDecimalType(TFieldType type) {
    return type == ftBCD || type == ftFMTBcd;
}

// The shortest decimal text that reads back as the same double, without an exponent.
QString exactDecimal(double value) {
    QString plain;
    FieldConvert::NormalizeDecimal(QString::number(value, 'g', QLocale::FloatingPointShortest), -1,
                                   plain);
    return plain;
}

void carryText(const TField& source, TField& target) {
    const FieldKind kind = KindOf(source.FieldType());
    // Between fields of one kind the value itself is what the text would give back, and more:
    // text forms of floats and times are rounded for reading, and parsing text is slow.
    if (kind == KindOf(target.FieldType())) {
        const QVariant& value = source.Value();
        // As text, an empty string makes the target null.
        if (kind == FieldKind::Text && value.toString().isEmpty())
            target.Clear();
        else
            target.SetValue(value);
        return;
    }
    if (kind == FieldKind::Float && isDecimalType(target.FieldType())) {
        const double value = source.Value().toDouble();
        if (std::isfinite(value)) {
            target.SetValue(exactDecimal(value));
            return;
        }
    }
    target.WriteText(source.ReadText());
}

void carryNumber(const TField& source, TField& target) {
    const TFieldType to = target.FieldType();
    if (source.FieldType() == ftBCD) {
        // A decimal keeps every digit in a decimal or integer target; a double would not.
        QString decimal;
        FieldConvert::NormalizeDecimal(source.Value().toString(), -1, decimal);
        const bool integral = !decimal.contains(QLatin1Char('.'));
        if (isDecimalType(to) || (KindOf(to) == FieldKind::Integer && integral)) {
            target.SetValue(decimal);
            return;
        }
    } else if (KindOf(source.FieldType()) == FieldKind::Float && to == ftFMTBcd) {
        const double value = source.ReadNumber();
        if (std::isfinite(value)) {
            target.SetValue(exactDecimal(value));
            return;
        }
    }
    target.WriteNumber(source.ReadNumber());
}

void carryBlob(const TField& source, TField& target) {
    // A memo into a text field (an engine without memos, PostgreSQL's text) carries its text;
    // as bytes it could not arrive at all.
    if (KindOf(source.FieldType()) == FieldKind::TextBlob &&
        KindOf(target.FieldType()) == FieldKind::Text) {
        target.WriteText(source.ReadText());
        return;
    }
    TMemoryStream stream;
    source.SaveBlobTo(stream);
    stream.SetPosition(0);
    target.LoadBlobFrom(stream);
}

}  // namespace

CarryRule CarryRuleFor(bool noTypeComparison, TFieldType sourceType) {
    if (!noTypeComparison)
        return CarryRule::Text;
    if (IsBlobType(sourceType))
        return CarryRule::Blob;
    switch (sourceType) {
        case ftDate:
        case ftTime:
        case ftDateTime:
            return CarryRule::DateTime;
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return CarryRule::Number;
        default:
            return CarryRule::Text;
    }
}

void CarryValue(CarryRule rule, const TField& source, TField& target) {
    if (!source.Value().isValid()) {
        target.Clear();
        return;
    }
    switch (rule) {
        case CarryRule::Text:
            carryText(source, target);
            break;
        case CarryRule::Blob:
            carryBlob(source, target);
            break;
        case CarryRule::DateTime:
            // The day count holds milliseconds; the value itself may hold more.
            if (KindOf(source.FieldType()) == KindOf(target.FieldType()))
                target.SetValue(source.Value());
            else
                target.WriteDateTime(source.ReadDateTime());
            break;
        case CarryRule::Number:
            carryNumber(source, target);
            break;
    }
}
