#include "data/TextExcerpt.h"

QString TextExcerpt(const QString& text, int limit) {
    QString out;
    const qsizetype n = std::min<qsizetype>(text.size(), limit);
    out.reserve(n + 8);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f ||
                 (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (text.size() > n)
        out += QStringLiteral("...");
    return out;
}
