#include "transfer/ValueCarry.h"

#include "data/TField.h"
#include "data/TMemoryStream.h"

namespace {

void carryBlob(const TField& source, TField& target) {
    // A memo into a text field (an engine without memos, PostgreSQL's text) carries its text;
    // as bytes it could not arrive at all.
    if (KindOf(source.FieldType()) == FieldKind::TextBlob && !target.IsBlobField()) {
        target.SetValue(source.Value());
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
    const QVariant& value = source.Value();
    if (!value.isValid()) {
        target.Clear();
        return;
    }
    if (rule == CarryRule::Blob) {
        carryBlob(source, target);
        return;
    }
    const FieldKind to = KindOf(target.FieldType());
    if (rule == CarryRule::Number &&
        (to == FieldKind::Date || to == FieldKind::Time || to == FieldKind::DateTime)) {
        // A number into a date is a day count.
        target.WriteNumber(source.ReadNumber());
        return;
    }
    // Text, numbers and dates: the target takes the value itself where its kind is the
    // source's, and converts it exactly where not (text it parses, a number it writes with
    // every digit), so no rule needs a text form that rounds.
    target.SetValue(value);
}
