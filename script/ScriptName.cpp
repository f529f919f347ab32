#include "script/ScriptName.h"

#include <QList>
#include <algorithm>
#include <cstring>
#include <iterator>

namespace ScriptName {
namespace {

// Sorted, upper case. Words only one engine reserves (Oracle's COMMENT or LEVEL, Firebird's
// VALUE or YEAR) are left out: a quoted name keeps its case, so quoting a column that a target
// created unquoted in the other case would break the script there.
const char* const ReservedWords[] = {
    "ADD",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "ARRAY",
    "AS",
    "ASC",
    "ASYMMETRIC",
    "AUTHORIZATION",
    "BETWEEN",
    "BIGINT",
    "BINARY",
    "BOOLEAN",
    "BOTH",
    "BY",
    "CASE",
    "CAST",
    "CHAR",
    "CHARACTER",
    "CHECK",
    "COLLATE",
    "COLUMN",
    "COMMIT",
    "CONNECT",
    "CONSTRAINT",
    "CREATE",
    "CROSS",
    "CURRENT",
    "CURRENT_DATE",
    "CURRENT_ROLE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "CURRENT_USER",
    "DATE",
    "DECIMAL",
    "DEFAULT",
    "DEFERRABLE",
    "DELETE",
    "DESC",
    "DISTINCT",
    "DOUBLE",
    "DROP",
    "ELSE",
    "END",
    "ESCAPE",
    "EXCEPT",
    "EXISTS",
    "FALSE",
    "FETCH",
    "FLOAT",
    "FOR",
    "FOREIGN",
    "FROM",
    "FULL",
    "GRANT",
    "GROUP",
    "HAVING",
    "IN",
    "INDEX",
    "INNER",
    "INSERT",
    "INTEGER",
    "INTERSECT",
    "INTO",
    "IS",
    "ISNULL",
    "JOIN",
    "LATERAL",
    "LEADING",
    "LEFT",
    "LIKE",
    "LIMIT",
    "LOCALTIME",
    "LOCALTIMESTAMP",
    "NATURAL",
    "NOT",
    "NOTNULL",
    "NULL",
    "NUMERIC",
    "OF",
    "OFFSET",
    "ON",
    "ONLY",
    "OR",
    "ORDER",
    "OUTER",
    "OVERLAPS",
    "PRIMARY",
    "REAL",
    "REFERENCES",
    "REVOKE",
    "RIGHT",
    "ROLLBACK",
    "ROW",
    "ROWS",
    "SELECT",
    "SESSION_USER",
    "SET",
    "SIMILAR",
    "SMALLINT",
    "SOME",
    "START",
    "SYMMETRIC",
    "TABLE",
    "THEN",
    "TIME",
    "TIMESTAMP",
    "TO",
    "TRAILING",
    "TRIGGER",
    "TRUE",
    "UNION",
    "UNIQUE",
    "UPDATE",
    "USER",
    "USING",
    "VALUES",
    "VARCHAR",
    "VIEW",
    "WHEN",
    "WHERE",
    "WINDOW",
    "WITH",
};

// The word in upper case into `out` (room for `size` characters and the end); false when it
// is longer or holds anything but ASCII, which no reserved word does.
bool upperAscii(QStringView word, char* out, size_t size) {
    if (static_cast<size_t>(word.size()) >= size)
        return false;
    for (const QChar c : word) {
        const char16_t code = c.unicode();
        if (code > 127)
            return false;
        *out++ = static_cast<char>(code >= 'a' && code <= 'z' ? code - 32 : code);
    }
    *out = 0;
    return true;
}

bool isLetter(char16_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isDigit(char16_t c) {
    return c >= '0' && c <= '9';
}

QString quoted(const QString& name) {
    QString result;
    result.reserve(name.size() + 2);
    result += QLatin1Char('"');
    for (const QChar c : name) {
        if (c == QLatin1Char('"'))
            result += QLatin1Char('"');
        result += c;
    }
    result += QLatin1Char('"');
    return result;
}

// A part of a qualified name already in double quotes, its inner quotes doubled.
bool isQuotedPart(QStringView part) {
    if (part.size() < 3 || part.front() != QLatin1Char('"') || part.back() != QLatin1Char('"'))
        return false;
    const QStringView inner = part.mid(1, part.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] != QLatin1Char('"'))
            continue;
        if (i + 1 >= inner.size() || inner[i + 1] != QLatin1Char('"'))
            return false;
        ++i;
    }
    return true;
}

}  // namespace

bool IsReservedWord(QStringView word) {
    char upper[32];
    if (!upperAscii(word, upper, sizeof upper))
        return false;
    return std::binary_search(std::begin(ReservedWords), std::end(ReservedWords), upper,
                              [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
}

bool IsPlainIdentifier(QStringView name) {
    if (name.isEmpty() || !isLetter(name.front().unicode()))
        return false;
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (!isLetter(code) && !isDigit(code) && code != '$')
            return false;
    }
    return !IsReservedWord(name);
}

QString Identifier(const QString& name) {
    return IsPlainIdentifier(name) ? name : quoted(name);
}

QString Table(const QString& text) {
    QList<QStringView> parts;
    bool inQuotes = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('"')) {
            inQuotes = !inQuotes;
        } else if (text[i] == QLatin1Char('.') && !inQuotes) {
            parts.append(QStringView(text).mid(start, i - start));
            start = i + 1;
        }
    }
    parts.append(QStringView(text).mid(start));
    if (inQuotes || parts.size() == 1)
        return isQuotedPart(text) ? text : Identifier(text);
    QString result;
    for (const QStringView part : parts) {
        const bool quotedAlready = isQuotedPart(part);
        if (part.isEmpty() || (!quotedAlready && part.contains(QLatin1Char('"'))))
            return Identifier(text);
        if (!result.isEmpty())
            result += QLatin1Char('.');
        result += quotedAlready ? part.toString() : Identifier(part.toString());
    }
    return result;
}

}  // namespace ScriptName
