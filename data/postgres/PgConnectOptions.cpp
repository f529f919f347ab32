#include "data/postgres/PgConnectOptions.h"

#include <QStringList>

namespace PgConnectOptions {

QString dateOrder(const QString& dateFormat) {
    const qsizetype d = dateFormat.indexOf(QLatin1Char('d'));
    const qsizetype m = dateFormat.indexOf(QLatin1Char('M'));
    const qsizetype y = dateFormat.indexOf(QLatin1Char('y'));
    if (y >= 0 && (d < 0 || y < d) && (m < 0 || y < m))
        return QStringLiteral("YMD");
    if (d >= 0 && m >= 0 && d < m)
        return QStringLiteral("DMY");
    return QStringLiteral("MDY");
}

QString sessionOptions(const QString& aliasOptions, const QString& order, bool readOnly) {
    QStringList parts;
    const bool setsDateStyle =
        aliasOptions.contains(QLatin1String("datestyle"), Qt::CaseInsensitive);
    if (!setsDateStyle)
        parts << QStringLiteral("-c datestyle=ISO,") + order;
    if (!aliasOptions.trimmed().isEmpty())
        parts << aliasOptions.trimmed();
    // The driver reads dates in ISO form; setting only the output style keeps the order the
    // alias chose.
    if (setsDateStyle)
        parts << QStringLiteral("-c datestyle=ISO");
    // Floats in their shortest exact form; money read and written without locale symbols.
    parts << QStringLiteral("-c extra_float_digits=3") << QStringLiteral("-c lc_monetary=C");
    if (readOnly)
        parts << QStringLiteral("-c default_transaction_read_only=on");
    return parts.join(QLatin1Char(' '));
}

}  // namespace PgConnectOptions
