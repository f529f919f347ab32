#pragma once

#include <QVariant>
#include <ostream>

// Row values in test failures: their type and their exact text, not their bytes.
void PrintTo(const QVariant& value, std::ostream* out);
