#include "data/TDatabase.h"

#include "data/AliasConfig.h"
#include "data/Exceptions.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"

namespace {
const QString UserNameKey = QStringLiteral("USER NAME");
const QString PasswordKey = QStringLiteral("PASSWORD");
}  // namespace

TDatabase::TDatabase(QObject* parent) : QObject(parent) {
    TSession::Default().attach(this);
}

TDatabase::~TDatabase() {
    // Released at program end: tables go without their close events.
    for (TTable* table : m_tables)
        table->closeWithoutEvents(false);
    if (TSession* s = session())
        s->detach(this);
}

TSession* TDatabase::session() const {
    return TSession::Find(m_sessionName);
}

void TDatabase::SetDatabaseName(const QString& name) {
    m_databaseName = name;
    setObjectName(name);
}

void TDatabase::SetSessionName(const QString& name) {
    if (TSession* s = session())
        s->detach(this);
    m_sessionName = name;
    if (TSession* s = session())
        s->attach(this);
}

QString TDatabase::ParamValue(const QString& key) const {
    const QString prefix = key + QLatin1Char('=');
    for (const QString& line : m_params) {
        if (line.startsWith(prefix, Qt::CaseInsensitive))
            return line.mid(prefix.size());
    }
    return QString();
}

void TDatabase::SetParamValue(const QString& key, const QString& value) {
    const QString prefix = key + QLatin1Char('=');
    for (QString& line : m_params) {
        if (line.startsWith(prefix, Qt::CaseInsensitive)) {
            line = prefix + value;
            return;
        }
    }
    m_params.append(prefix + value);
}

void TDatabase::Connect() {
    if (Connected())
        return;
    const QString alias = m_aliasName.isEmpty() ? m_databaseName : m_aliasName;
    const AliasConfig& config = TSession::Aliases();
    const AliasDefinition* definition = config.find(alias);
    if (!definition) {
        throw EDBEngineError(QStringLiteral("Unknown database alias '%1' (not defined in %2)")
                                 .arg(alias, config.path()),
                             QString(), false);
    }

    ConnectRequest request;
    request.aliasName = definition->name;
    request.params = definition->params;
    request.readOnly = m_readOnly;
    if (definition->params.contains(UserNameKey)) {
        if (LoginPrompt) {
            if (ParamValue(UserNameKey).isEmpty())
                SetParamValue(UserNameKey, definition->params.value(UserNameKey));
            const auto login = Prompts().login(m_databaseName, ParamValue(UserNameKey));
            if (!login)
                throw EDatabaseError(
                    QStringLiteral("Cannot connect to database '%1'").arg(m_databaseName));
            SetParamValue(UserNameKey, login->userName);
            request.userName = login->userName;
            request.password = login->password;
        } else {
            request.userName = ParamValue(UserNameKey);
            if (request.userName.isEmpty())
                request.userName = definition->params.value(UserNameKey);
            request.password = ParamValue(PasswordKey);
        }
    }
    m_connection = OpenDriverConnection(request);
    TransIsolation = tiReadCommitted;
    if (AfterConnect)
        AfterConnect(*this);
}

void TDatabase::Disconnect() {
    if (!Connected())
        return;
    // A close a BeforeClose refuses stops the disconnect right there.
    const QList<TTable*> tables = m_tables;
    for (TTable* table : tables)
        table->CloseTable();
    m_connection.reset();
    if (AfterDisconnect)
        AfterDisconnect(*this);
}

void TDatabase::ReadTableList(QStringList& list, bool systemTables) {
    list.clear();
    TDatabase& db = FindDatabase(m_sessionName, m_databaseName);
    db.Connect();
    list = db.driver().tableNames(systemTables);
}

DriverConnection& TDatabase::driver() const {
    if (!m_connection)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed database"));
    return *m_connection;
}

bool TDatabase::IsSqlServer() const {
    return driver().isSqlServer();
}

bool TDatabase::TransactionActive() const {
    return m_connection && m_connection->inTransaction();
}

void TDatabase::BeginTransaction() {
    driver().beginTransaction(TransIsolation);
}

void TDatabase::CommitTransaction() {
    driver().commitTransaction();
}

void TDatabase::RollbackTransaction() {
    driver().rollbackTransaction();
}

void TDatabase::ExecuteStatement(const QString& sql, const QStringList& parameters) {
    driver().executeStatement(sql, parameters);
}

std::unique_ptr<StatementRun> TDatabase::StartStatementRun() {
    return driver().startStatementRun();
}

TDatabase& FindDatabase(const QString& sessionName, const QString& databaseName) {
    TSession* session = TSession::Find(sessionName);
    if (!session)
        throw EDatabaseError(QStringLiteral("Session name '%1' not found").arg(sessionName));
    TDatabase* db = session->FindDatabase(databaseName);
    if (!db) {
        throw EDatabaseError(QStringLiteral("Database '%1' not found in session '%2'")
                                 .arg(databaseName, sessionName));
    }
    return *db;
}
