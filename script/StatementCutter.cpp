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

// What a piece of text leaves open at its end, for the next line: a quote or a block comment.
struct OpenSpan {
    QChar quote;  // null when no quote is open
    bool comment = false;
};

bool startsLineComment(const QString& s, qsizetype i) {
    return i + 1 < s.size() && s[i] == QLatin1Char('-') && s[i + 1] == QLatin1Char('-');
}

bool startsBlockComment(const QString& s, qsizetype i) {
    return i + 1 < s.size() && s[i] == QLatin1Char('/') && s[i + 1] == QLatin1Char('*');
}

// Walks `s` outside quotes and comments; `step(i)` sees each character there and returns the
// index to go on from (i + 1 to take one character). Quoted and commented text is handed to
// `copy(from, to)` untouched. With `open`, a quote or block comment left open by the text
// before goes on at the start of `s`, and one that `s` leaves open is recorded there: walking
// lines one by one is walking them joined.
template <typename Step, typename Copy>
void walkOutside(const QString& s, Quotes quotes, Step step, Copy copy, OpenSpan* open = nullptr) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    if (open && (!open->quote.isNull() || open->comment)) {
        const qsizetype close =
            open->comment ? s.indexOf(QLatin1String("*/")) : s.indexOf(open->quote);
        i = close < 0 ? n : close + (open->comment ? 2 : 1);
        copy(0, i);
        if (close >= 0)
            *open = OpenSpan();
    }
    while (i < n) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') ||
            (quotes == Quotes::WithBackQuotes && c == QLatin1Char('`'))) {
            const qsizetype close = s.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? n : close + 1;
            if (close < 0 && open)
                open->quote = c;
            copy(i, end);
            i = end;
            continue;
        }
        if (startsLineComment(s, i)) {
            qsizetype end = i + 2;
            while (end < n && s[end] != QLatin1Char('\r') && s[end] != QLatin1Char('\n'))
                ++end;
            copy(i, end);
            i = end;
            continue;
        }
        if (startsBlockComment(s, i)) {
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype end = close < 0 ? n : close + 2;
            if (close < 0 && open)
                open->comment = true;
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
void replaceMarkers(const QString& s, Quotes quotes, QString* out, Names& names,
                    OpenSpan* open = nullptr) {
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
        },
        open);
}

bool isBlank(QChar c) {
    return c.unicode() <= 32;
}

}  // namespace

QChar StatementTerminator(const QString& divider) {
    return divider.isEmpty() ? QLatin1Char(' ') : divider.at(0);
}

StatementCutter::StatementCutter(ScriptLines& lines, QChar terminator)
    : m_lines(lines), m_terminator(terminator) {}

bool StatementCutter::next(CutStatement& statement) {
    statement.text.resize(0);
    statement.firstLine = -1;
    OpenSpan open;
    while (m_lines.next(m_line)) {
        const int index = m_next++;
        const QString& line = m_line;
        const bool startsInLiteral = !open.quote.isNull();
        qsizetype from = 0;
        qsizetype to = line.size();
        if (!startsInLiteral) {
            while (from < to && isBlank(line[from]))
                ++from;
            qsizetype end = to;
            while (end > from && isBlank(line[end - 1]))
                --end;
            if (end - from == 1 && line[from] == m_terminator) {
                if (statement.firstLine < 0)
                    continue;
                statement.lastLine = index;
                return true;
            }
            if (from == end)
                continue;
        }
        walkOutside(
            line, Quotes::WithBackQuotes, [](qsizetype i) { return i + 1; },
            [](qsizetype, qsizetype) {}, &open);
        const bool endsInLiteral = !open.quote.isNull();
        if (!endsInLiteral) {
            while (to > from && isBlank(line[to - 1]))
                --to;
        }
        if (statement.firstLine < 0)
            statement.firstLine = index;
        statement.text.append(QStringView(line).mid(from, to - from));
        // A literal's line break reaches the engine as the script holds it.
        statement.text.append(endsInLiteral ? QStringView(u"\n") : QStringView(LineEnd));
    }
    statement.lastLine = m_next - 1;
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

QSet<QString> ScriptParameterNames(ScriptLines& lines) {
    QSet<QString> names;
    OpenSpan open;
    QString line;
    while (lines.next(line))
        replaceMarkers(line, Quotes::Plain, nullptr, names, &open);
    return names;
}

QSet<QString> ScriptParameterNames(const QStringList& lines) {
    ScriptLineList reader(lines);
    return ScriptParameterNames(reader);
}
