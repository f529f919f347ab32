#include "data/postgres/PgIdentifier.h"

namespace {

bool isIdentStart(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_') ||
           c.unicode() > 127;
}

bool isIdentChar(QChar c) {
    return isIdentStart(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           c == QLatin1Char('$');
}

}  // namespace

QByteArray PgQuoteIdentifier(const QString& name) {
    QByteArray quoted;
    quoted.reserve(name.size() + 2);
    quoted.append('"');
    quoted.append(name.toUtf8().replace('"', "\"\""));
    quoted.append('"');
    return quoted;
}

QByteArray PgQualifiedName(const QString& schema, const QString& name) {
    return PgQuoteIdentifier(schema) + '.' + PgQuoteIdentifier(name);
}

QStringList PgSplitQualifiedName(const QString& text) {
    QStringList parts;
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    for (;;) {
        while (i < n && t[i].isSpace())
            ++i;
        QString part;
        if (i < n && t[i] == QLatin1Char('"')) {
            ++i;
            for (;;) {
                if (i >= n)
                    return {};
                if (t[i] == QLatin1Char('"')) {
                    if (i + 1 < n && t[i + 1] == QLatin1Char('"')) {
                        part += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                part += t[i++];
            }
            if (part.isEmpty())
                return {};
        } else {
            const qsizetype start = i;
            while (i < n && t[i] != QLatin1Char('.') && !t[i].isSpace())
                ++i;
            // The server folds only ASCII letters.
            for (QChar c : t.mid(start, i - start)) {
                if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                    c = QChar(c.unicode() + 32);
                part += c;
            }
            if (part.isEmpty() || !isIdentStart(part[0]))
                return {};
            for (QChar c : part) {
                if (!isIdentChar(c))
                    return {};
            }
        }
        parts.append(part);
        while (i < n && t[i].isSpace())
            ++i;
        if (i >= n)
            return parts;
        if (t[i] != QLatin1Char('.'))
            return {};
        ++i;
    }
}

QString PgDisplayIdentifier(const QString& name) {
    bool plain = !name.isEmpty() && isIdentStart(name[0]);
    for (QChar c : name)
        plain = plain && isIdentChar(c) && !(c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    if (plain)
        return name;
    return QString::fromUtf8(PgQuoteIdentifier(name));
}
