#pragma once

#include <QString>

// At most the first `limit` characters of `text` for an error message, control characters
// escaped (\n, \t, \x01, ...), and "..." where the text was cut: a hostile file or server
// cannot make a message huge or unreadable.
QString TextExcerpt(const QString& text, int limit = 80);
