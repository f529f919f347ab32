#include "data/postgres/PgStatementText.h"

namespace PgStatementText {

namespace {

bool isIdentChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The length of a dollar-quote tag ("$tag$" or "$$") at `i`, or 0 when there is none.
qsizetype dollarTag(const QByteArray& s, qsizetype i) {
    if (i > 0 && isIdentChar(s[i - 1]))
        return 0;
    qsizetype j = i + 1;
    if (j < s.size() && s[j] >= '0' && s[j] <= '9')
        return 0;
    while (j < s.size() && isIdentChar(s[j]) && s[j] != '$')
        ++j;
    return j < s.size() && s[j] == '$' ? j - i + 1 : 0;
}

enum class Token { None, Quoted, Comment };

// The end of the quoted text, quoted identifier, dollar quote or comment that starts at `i`;
// `kind` says which it was (None, with `i` returned, when none starts there).
qsizetype tokenEnd(const QByteArray& s, qsizetype i, Token& kind) {
    const qsizetype n = s.size();
    const char c = s[i];
    kind = Token::Quoted;
    if (c == '\'' || c == '"') {
        // E'...' strings take backslash escapes; everything else doubles its quote.
        const bool escapes = c == '\'' && i > 0 && (s[i - 1] == 'E' || s[i - 1] == 'e') &&
                             (i < 2 || !isIdentChar(s[i - 2]));
        qsizetype j = i + 1;
        while (j < n) {
            if (escapes && s[j] == '\\') {
                j += 2;
                continue;
            }
            if (s[j] == c) {
                if (j + 1 < n && s[j + 1] == c) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    }
    if (c == '$') {
        const qsizetype tagLength = dollarTag(s, i);
        if (tagLength > 0) {
            const qsizetype close = s.indexOf(s.mid(i, tagLength), i + tagLength);
            return close < 0 ? n : close + tagLength;
        }
    }
    kind = Token::Comment;
    if (c == '-' && i + 1 < n && s[i + 1] == '-') {
        const qsizetype j = s.indexOf('\n', i);
        return j < 0 ? n : j;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
        // Block comments nest.
        int depth = 0;
        qsizetype j = i;
        while (j < n) {
            if (s[j] == '/' && j + 1 < n && s[j + 1] == '*') {
                ++depth;
                j += 2;
            } else if (s[j] == '*' && j + 1 < n && s[j + 1] == '/') {
                j += 2;
                if (--depth == 0)
                    break;
            } else {
                ++j;
            }
        }
        return j;
    }
    kind = Token::None;
    return i;
}

}  // namespace

QByteArray numberParameters(const QString& sql, int* count) {
    const QByteArray s = sql.toUtf8();
    QByteArray out;
    out.reserve(s.size() + 16);
    int markers = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        Token kind;
        const qsizetype end = tokenEnd(s, i, kind);
        if (kind != Token::None) {
            out.append(s.mid(i, end - i));
            i = end;
        } else if (s[i] == '?') {
            out.append('$');
            out.append(QByteArray::number(++markers));
            ++i;
        } else {
            out.append(s[i]);
            ++i;
        }
    }
    if (count)
        *count = markers;
    return out;
}

bool isSingleChange(const QByteArray& s) {
    QByteArray firstWord;
    bool started = false;
    bool ended = false;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const char c = s[i];
        if (isSpace(c)) {
            ++i;
            continue;
        }
        // Dollar quotes and positional parameters: not sure enough to tell.
        if (c == '$')
            return false;
        Token kind;
        const qsizetype end = tokenEnd(s, i, kind);
        if (kind == Token::Comment) {
            i = end;
            continue;
        }
        if (ended && c != ';')
            return false;
        if (c == ';') {
            ended = true;
            ++i;
            continue;
        }
        if (!started) {
            started = true;
            qsizetype j = i;
            while (j < n && ((s[j] >= 'a' && s[j] <= 'z') || (s[j] >= 'A' && s[j] <= 'Z')))
                ++j;
            firstWord = s.mid(i, j - i).toUpper();
            if (j > i) {
                i = j;
                continue;
            }
        }
        i = kind == Token::Quoted ? end : i + 1;
    }
    return firstWord == "INSERT" || firstWord == "UPDATE" || firstWord == "DELETE";
}

}  // namespace PgStatementText
