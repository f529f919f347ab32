#pragma once

#include "tests/values/ValueModel.h"

// What must happen to a value on its way: the rules below, engine limits and the dialects' text
// forms, each saying why. README's table "What arrives where" says the same in prose.

struct Hop {
    Engine from = Engine::Sqlite;
    Engine to = Engine::Sqlite;
    Path path = Path::MoveTyped;
};

struct Expectation {
    enum Outcome {
        Arrives,   // `value`, which is the source's value unless a rule gives its nearest form
        Refused,   // the program fails the row with a message naming field, value and `reason`
        Rejected,  // the target engine refuses the statement a script holds for the row
    };
    Outcome outcome = Arrives;
    QVariant value;
    // For a refusal, a part of the program's message that says why.
    QString reason;
    // Every rule that decided, for a failing test's message.
    QString because;
};

Expectation Expect(const Hop& hop, const ColumnSpec& column, const QVariant& value);
