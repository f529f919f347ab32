#include "data/odbc/OdbcDataSources.h"

#include "data/AliasConfig.h"
#include "data/Exceptions.h"
#include "data/odbc/OdbcHandles.h"

namespace {

constexpr int MaxAliasName = 31;

}  // namespace

void AppendOdbcDataSources(AliasConfig& config) {
    SQLHENV env = nullptr;
    try {
        env = OdbcEnvironment();
    } catch (const Exception&) {
        return;
    }
    for (const SQLUSMALLINT first :
         {SQLUSMALLINT(SQL_FETCH_FIRST_USER), SQLUSMALLINT(SQL_FETCH_FIRST_SYSTEM)}) {
        SQLUSMALLINT direction = first;
        SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1];
        SQLWCHAR description[256];
        SQLSMALLINT nameLength = 0, descriptionLength = 0;
        while (SQL_SUCCEEDED(SQLDataSourcesW(env, direction, name, SQL_MAX_DSN_LENGTH + 1,
                                             &nameLength, description, 256, &descriptionLength))) {
            direction = SQL_FETCH_NEXT;
            const QString dsn =
                OdbcString(name, std::min<qsizetype>(nameLength, SQL_MAX_DSN_LENGTH));
            if (dsn.isEmpty() || dsn.size() > MaxAliasName || config.find(dsn))
                continue;
            AliasDefinition alias;
            alias.name = dsn;
            alias.params.insert(QStringLiteral("DRIVER"), QStringLiteral("ODBC"));
            alias.params.insert(QStringLiteral("DSN"), dsn);
            config.append(alias);
        }
    }
}
