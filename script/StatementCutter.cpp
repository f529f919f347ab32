#include "script/StatementCutter.h"

namespace {

const QString LineEnd = QStringLiteral("\r\n");

bool isMacroDelimiter(QChar c) {
    switch (c.unicode()) {
        case ' ':
        case ',':
        case ';':
        case ')':
        case '.':
        case '\r':
        case '\n':
            return true;
        default:
            return false;
    }
}

bool isMarkerDelimiter(QChar c) {
    return c != QLatin1Char('.') && isMacroDelimiter(c);
}

// Apostrophes and double quotes always switch between inside and outside quotes.
enum class Quotes { Plain, WithBackQuotes };

// The end of the comment that starts at `i`, or -1 when none starts there.
qsizetype commentEnd(const QString& s, qsizetype i) {
    const qsizetype n = s.size();
    if (i + 1 >= n)
        return -1;
    if (s[i] == QLatin1Char('-') && s[i + 1] == QLatin1Char('-')) {
        qsizetype j = i + 2;
        while (j < n && s[j] != QLatin1Char('\r') && s[j] != QLatin1Char('\n'))
            ++j;
        return j;
    }
    if (s[i] == QLatin1Char('/') && s[i + 1] == QLatin1Char('*')) {
        const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
        return close < 0 ? n : close + 2;
    }
    return -1;
}

// Walks `s` outside quotes and comments; `step(i)` sees each character there and returns the
// index to go on from (i + 1 to take one character). Quoted and commented text is handed to
// `copy(from, to)` untouched.
template <typename Step, typename Copy>
void walkOutside(const QString& s, Quotes quotes, Step step, Copy copy) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') ||
            (quotes == Quotes::WithBackQuotes && c == QLatin1Char('`'))) {
            const qsizetype close = s.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? n : close + 1;
            copy(i, end);
            i = end;
            continue;
        }
        const qsizetype end = commentEnd(s, i);
        if (end >= 0) {
            copy(i, end);
            i = end;
            continue;
        }
        i = step(i);
    }
}

// The end of a name that starts at `i`.
template <typename Delimiter>
qsizetype nameEnd(const QString& s, qsizetype i, Delimiter isDelimiter) {
    while (i < s.size() && !isDelimiter(s[i]))
        ++i;
    return i;
}

QString replaceMacros(const QString& s) {
    if (!s.contains(QLatin1Char('%')))
        return s;
    QString out;
    out.reserve(s.size() + 16);
    walkOutside(
        s, Quotes::Plain,
        [&](qsizetype i) {
            if (s[i] != QLatin1Char('%')) {
                out.append(s[i]);
                return i + 1;
            }
            out.append(QLatin1String("0=0"));
            return nameEnd(s, i + 1, isMacroDelimiter);
        },
        [&](qsizetype from, qsizetype to) { out.append(QStringView(s).mid(from, to - from)); });
    return out;
}

// Replaces markers by '?' into `out` (when given) and collects their names.
template <typename Names>
void replaceMarkers(const QString& s, Quotes quotes, QString* out, Names& names) {
    walkOutside(
        s, quotes,
        [&](qsizetype i) {
            const QChar c = s[i];
            if (c != QLatin1Char(':')) {
                if (out)
                    out->append(c);
                return i + 1;
            }
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char(':')) {
                if (out)
                    out->append(c);
                return i + 2;
            }
            const qsizetype end = nameEnd(s, i + 1, isMarkerDelimiter);
            names << s.mid(i + 1, end - i - 1);
            if (out)
                out->append(QLatin1Char('?'));
            return end;
        },
        [&](qsizetype from, qsizetype to) {
            if (out)
                out->append(QStringView(s).mid(from, to - from));
        });
}

}  // namespace

QChar StatementTerminator(const QString& divider) {
    return divider.isEmpty() ? QLatin1Char(' ') : divider.at(0);
}

StatementCutter::StatementCutter(const QStringList& lines, QChar terminator)
    : m_lines(lines), m_terminator(terminator) {}

bool StatementCutter::next(CutStatement& statement) {
    statement.text.resize(0);
    statement.firstLine = -1;
    while (m_next < m_lines.size()) {
        const int index = m_next++;
        const QString& line = m_lines.at(index);
        qsizetype from = 0;
        qsizetype to = line.size();
        while (from < to && line[from].unicode() <= 32)
            ++from;
        while (to > from && line[to - 1].unicode() <= 32)
            --to;
        if (to - from == 1 && line[from] == m_terminator) {
            if (statement.firstLine < 0)
                continue;
            statement.lastLine = index;
            return true;
        }
        if (from == to)
            continue;
        if (statement.firstLine < 0)
            statement.firstLine = index;
        statement.text.append(QStringView(line).mid(from, to - from));
        statement.text.append(LineEnd);
    }
    statement.lastLine = static_cast<int>(m_lines.size()) - 1;
    return statement.firstLine >= 0;
}

EngineStatement PrepareEngineStatement(const QString& statement) {
    EngineStatement result;
    const QString text = replaceMacros(statement);
    if (!text.contains(QLatin1Char(':'))) {
        result.text = text;
        return result;
    }
    // Colons mostly stand inside quotes (times) or comments: look before copying.
    const Quotes quotes = Quotes::WithBackQuotes;
    bool changes = false;
    walkOutside(
        text, quotes,
        [&](qsizetype i) {
            changes = changes || text[i] == QLatin1Char(':');
            return changes ? text.size() : i + 1;
        },
        [](qsizetype, qsizetype) {});
    if (!changes) {
        result.text = text;
        return result;
    }
    result.text.reserve(text.size());
    replaceMarkers(text, quotes, &result.text, result.parameters);
    return result;
}

QSet<QString> ScriptParameterNames(const QStringList& lines) {
    QSet<QString> names;
    replaceMarkers(lines.join(LineEnd), Quotes::Plain, nullptr, names);
    return names;
}
