#include "data/odbc/OdbcStatementText.h"

#include <QRegularExpression>

namespace {

// True when the piece holds more than blanks and comments.
bool hasStatement(const QString& piece) {
    static const QRegularExpression comments(QStringLiteral("--[^\\n]*|/\\*.*?\\*/"),
                                             QRegularExpression::DotMatchesEverythingOption);
    return !QString(piece).remove(comments).trimmed().isEmpty();
}

}  // namespace

QStringList SplitOdbcStatements(const QString& text, const OdbcDialect& dialect) {
    QStringList statements;
    const bool dollarQuotes = dialect.engine == OdbcDialect::Engine::PostgreSQL;
    const bool brackets = dialect.engine == OdbcDialect::Engine::SqlServer;
    qsizetype start = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto skipTo = [&](const QString& end) {
        const qsizetype found = text.indexOf(end, i);
        i = found < 0 ? n : found + end.size();
    };
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') ||
            (brackets && c == QLatin1Char('['))) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            // A doubled quote stands for itself inside the quotes.
            while (i < n) {
                if (text[i] == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && text[i + 1] == QLatin1Char('-')) {
            skipTo(QStringLiteral("\n"));
        } else if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('*')) {
            i += 2;
            skipTo(QStringLiteral("*/"));
        } else if (dollarQuotes && c == QLatin1Char('$')) {
            static const QRegularExpression tag(QStringLiteral("\\$[A-Za-z_]*\\$"));
            const QRegularExpressionMatch m =
                tag.match(text, i, QRegularExpression::NormalMatch,
                          QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                i += m.capturedLength();
                skipTo(m.captured());
            } else {
                ++i;
            }
        } else if (c == QLatin1Char(';')) {
            const QString piece = text.mid(start, i - start);
            if (hasStatement(piece))
                statements.append(piece.trimmed());
            start = ++i;
        } else {
            ++i;
        }
    }
    const QString rest = text.mid(start);
    if (hasStatement(rest))
        statements.append(rest.trimmed());
    return statements;
}
