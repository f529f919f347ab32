#include "data/postgres/PgStatementText.h"

namespace PgStatementText {

namespace {

bool isIdentChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
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

}  // namespace

QByteArray numberParameters(const QString& sql, int* count) {
    const QByteArray s = sql.toUtf8();
    QByteArray out;
    out.reserve(s.size() + 16);
    int markers = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const char c = s[i];
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
                    ++j;
                    break;
                }
                ++j;
            }
            out.append(s.mid(i, j - i));
            i = j;
        } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            qsizetype j = s.indexOf('\n', i);
            j = j < 0 ? n : j;
            out.append(s.mid(i, j - i));
            i = j;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
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
            out.append(s.mid(i, j - i));
            i = j;
        } else if (c == '$' && dollarTag(s, i) > 0) {
            const qsizetype tagLength = dollarTag(s, i);
            const QByteArray tag = s.mid(i, tagLength);
            const qsizetype close = s.indexOf(tag, i + tagLength);
            const qsizetype j = close < 0 ? n : close + tagLength;
            out.append(s.mid(i, j - i));
            i = j;
        } else if (c == '?') {
            out.append('$');
            out.append(QByteArray::number(++markers));
            ++i;
        } else {
            out.append(c);
            ++i;
        }
    }
    if (count)
        *count = markers;
    return out;
}

}  // namespace PgStatementText
