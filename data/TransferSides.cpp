#include "data/TransferSides.h"

#include "data/TDatabase.h"
#include "data/TTable.h"

namespace TransferSides {

const QString SourceSession = QStringLiteral("ses");

void SetUpSource(TDatabase& database, TTable& table) {
    database.SetDatabaseName(QStringLiteral("dbFrom"));
    database.SetSessionName(SourceSession);
    database.SetReadOnly(true);
    table.SetDatabaseName(QStringLiteral("dbFrom"));
    table.SetSessionName(SourceSession);
    table.SetReadOnly(true);
}

void SetUpTarget(TDatabase& database) {
    database.SetDatabaseName(QStringLiteral("dbTo"));
    database.SetSessionName(QStringLiteral("Default"));
}

void SetUpTarget(TDatabase& database, TTable& table) {
    SetUpTarget(database);
    table.SetDatabaseName(QStringLiteral("dbTo"));
    table.SetSessionName(QStringLiteral("Default"));
    table.SetCachedUpdates(true);
    table.SetUpdateMode(upWhereChanged);
}

QString ConnectText(const TDatabase& database) {
    QString text = QStringLiteral("Connected to \"%1\"").arg(database.AliasName());
    const QString user = database.ParamValue(QStringLiteral("USER NAME"));
    if (!user.isEmpty())
        text += QStringLiteral(" as ") + user;
    return text;
}

}  // namespace TransferSides
