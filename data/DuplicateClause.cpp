#include "data/DuplicateClause.h"

#include "data/Exceptions.h"

QString DuplicateClause(SqlEngine engine, OnDuplicate policy, const QString& table,
                        const QStringList& key, const QStringList& others) {
    if (policy == OnDuplicate::Fail)
        return QString();
    if (key.isEmpty())
        ThrowNoKeyForDuplicates(table);
    QStringList sets;
    switch (engine) {
        case SqlEngine::SQLite:
        case SqlEngine::PostgreSQL:
            if (policy == OnDuplicate::Skip || others.isEmpty())
                return QStringLiteral(" ON CONFLICT (%1) DO NOTHING")
                    .arg(key.join(QStringLiteral(", ")));
            for (const QString& column : others)
                sets.append(column + QStringLiteral(" = excluded.") + column);
            return QStringLiteral(" ON CONFLICT (%1) DO UPDATE SET %2")
                .arg(key.join(QStringLiteral(", ")), sets.join(QStringLiteral(", ")));
        case SqlEngine::MySQL:
            // Setting the key to itself changes nothing: the row counts as not written. IGNORE
            // would also turn other failures (a value cut to its column) into mere warnings.
            if (policy == OnDuplicate::Skip || others.isEmpty())
                return QStringLiteral(" ON DUPLICATE KEY UPDATE %1 = %1").arg(key.first());
            for (const QString& column : others)
                sets.append(column + QStringLiteral(" = VALUES(") + column + QLatin1Char(')'));
            return QStringLiteral(" ON DUPLICATE KEY UPDATE ") + sets.join(QStringLiteral(", "));
        case SqlEngine::Other:
            break;
    }
    throw EDatabaseError(
        QStringLiteral("Table %1: this engine has no way to skip or update rows whose key is "
                       "there already")
            .arg(table));
}

void ThrowNoKeyForDuplicates(const QString& table) {
    throw EDatabaseError(
        QStringLiteral("Table %1 has no primary key: its rows cannot be told apart to skip or "
                       "update one that is there already")
            .arg(table));
}
