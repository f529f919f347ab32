#pragma once

#include "data/FieldType.h"

class TField;

// How one source field's value travels into its target field during a data move.
enum class CarryRule {
    Text,      // ReadText into WriteText
    Blob,      // the bytes through a memory stream
    DateTime,  // ReadDateTime into WriteDateTime
    Number,    // ReadNumber into WriteNumber
};

// With type comparison on, every value goes as text; with it off, by the source's type.
CarryRule CarryRuleFor(bool noTypeComparison, TFieldType sourceType);

// Carries the source's current value into the target's record by the rule. NULL stays NULL and
// '' stays ''. The value goes in its exact form (see data/Row.h): a rule picks how it is read,
// never a text form that would round it, and a value the target cannot hold fails with a
// message that names the field, the value and the limit.
void CarryValue(CarryRule rule, const TField& source, TField& target);
