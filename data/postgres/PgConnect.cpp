#include "data/postgres/PgConnect.h"

#include "data/Exceptions.h"
#include "data/postgres/PgConnectOptions.h"
#include "data/postgres/PgError.h"

#include <QLocale>
#include <vector>

namespace {

void ignoreNotice(void*, const char*) {}

const char* const kClientEncoding[] = {"client_encoding", "UTF8"};
const char* const kApplicationName[] = {"application_name", "Rowcart"};
const char* const kConnectTimeout[] = {"connect_timeout", "15"};

}  // namespace

PgConnPtr PgConnect(const ConnectRequest& request) {
    const auto param = [&](const char* key) {
        return request.params.value(QString::fromLatin1(key)).trimmed();
    };
    const QString user = request.userName.isEmpty() ? param("USER NAME") : request.userName;
    QByteArray password = request.password.isEmpty()
                              ? request.params.value(QStringLiteral("PASSWORD")).toUtf8()
                              : request.password.toUtf8();
    const QByteArray options =
        PgConnectOptions::sessionOptions(
            param("OPTIONS"),
            PgConnectOptions::dateOrder(QLocale().dateFormat(QLocale::ShortFormat)),
            request.readOnly)
            .toUtf8();
    const QByteArray host = param("SERVER NAME").toUtf8();
    const QByteArray port = param("PORT").toUtf8();
    const QByteArray dbname = param("DATABASE NAME").toUtf8();
    const QByteArray userName = user.toUtf8();

    std::vector<const char*> keys;
    std::vector<const char*> values;
    const auto add = [&](const char* key, const QByteArray& value) {
        if (value.isEmpty())
            return;
        keys.push_back(key);
        values.push_back(value.constData());
    };
    add("host", host);
    add("port", port);
    add("dbname", dbname);
    add("user", userName);
    add("password", password);
    add("options", options);
    for (const char* const* fixed : {kClientEncoding, kApplicationName, kConnectTimeout}) {
        keys.push_back(fixed[0]);
        values.push_back(fixed[1]);
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);

    // expand_dbname = 0: a database name is a name, never a connection string.
    PgConnPtr conn(PQconnectdbParams(keys.data(), values.data(), 0));
    password.fill('\0');
    if (!conn || PQstatus(conn.get()) != CONNECTION_OK)
        throw EDBEngineError(PgConnectionMessage(conn.get()), QString(), false);
    PQsetNoticeProcessor(conn.get(), ignoreNotice, nullptr);
    return conn;
}
