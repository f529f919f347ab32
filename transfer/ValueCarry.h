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

// Carries the source's current value into the target's record by the rule. A null source value
// makes the target null. Where the rule's path would drop part of a value (a float's last
// digits in its text, fractions of a second, decimal digits beyond a double's), the value is
// carried exactly instead; what fails on the rule's path still fails.
void CarryValue(CarryRule rule, const TField& source, TField& target);
