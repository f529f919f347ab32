#include "data/TSession.h"

#include "data/AliasConfig.h"
#include "data/TDatabase.h"
#include "data/odbc/OdbcDataSources.h"

#include <optional>

namespace {

QList<TSession*>& sessions() {
    static QList<TSession*> list;
    return list;
}

std::optional<AliasConfig>& aliasConfig() {
    static std::optional<AliasConfig> config;
    return config;
}

}  // namespace

TSession::TSession(const QString& sessionName, QObject* parent)
    : QObject(parent), m_name(sessionName) {
    setObjectName(sessionName);
    sessions().append(this);
}

TSession::~TSession() {
    sessions().removeAll(this);
}

void TSession::ReadAliasList(QStringList& list) {
    list.clear();
    for (const AliasDefinition& alias : Aliases().aliases())
        list.append(alias.name);
}

TDatabase* TSession::FindDatabase(const QString& databaseName) const {
    for (TDatabase* db : m_databases) {
        if (db->DatabaseName().compare(databaseName, Qt::CaseInsensitive) == 0)
            return db;
    }
    return nullptr;
}

TSession& TSession::Default() {
    static TSession* session = new TSession(QStringLiteral("Default"));
    return *session;
}

TSession* TSession::Find(const QString& sessionName) {
    if (sessionName.isEmpty() ||
        sessionName.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0)
        return &Default();
    for (TSession* session : sessions()) {
        if (session->m_name.compare(sessionName, Qt::CaseInsensitive) == 0)
            return session;
    }
    return nullptr;
}

const AliasConfig& TSession::Aliases() {
    auto& config = aliasConfig();
    if (!config) {
        const QString path = AliasConfig::defaultPath();
        AliasConfig::ensureDefault(path);
        config = AliasConfig::load(path);
        AppendOdbcDataSources(*config);
    }
    return *config;
}

void TSession::ReloadAliases() {
    aliasConfig().reset();
}

void TSession::attach(TDatabase* db) {
    if (!m_databases.contains(db))
        m_databases.append(db);
}

void TSession::detach(TDatabase* db) {
    m_databases.removeAll(db);
}
