#include "cli/ProgramVersion.h"

#include "data/odbc/OdbcHandles.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QStringList>
#include <exception>
#include <memory>

namespace {

struct ConnectionHandleFree {
    void operator()(SQLHDBC handle) const { SQLFreeHandle(SQL_HANDLE_DBC, handle); }
};

// The driver manager's own version; it answers SQL_DM_VER on a connection handle that is not
// connected ("03.52.0002.0003": ODBC 3.52, driver manager 2.3). Empty when there is none.
QString driverManagerVersion() {
    try {
        SQLHDBC raw = nullptr;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, OdbcEnvironment(), &raw)))
            return {};
        const std::unique_ptr<void, ConnectionHandleFree> dbc(raw);
        char text[32] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfo(dbc.get(), SQL_DM_VER, text,
                                      static_cast<SQLSMALLINT>(sizeof text), &length)))
            return {};
        const QStringList parts = QString::fromLatin1(text).split(QLatin1Char('.'));
        if (parts.size() != 4)
            return {};
        return QStringLiteral("%1.%2").arg(QString::number(parts[2].toInt()),
                                           QString::number(parts[3].toInt()));
    } catch (const std::exception&) {
        return {};
    }
}

// libpq's number of a version as people write it: 150004 is 15.4, 90624 (before 10) 9.6.24.
QString postgresVersion(int number) {
    if (number >= 100000)
        return QStringLiteral("%1.%2").arg(QString::number(number / 10000),
                                           QString::number(number % 10000));
    return QStringLiteral("%1.%2.%3")
        .arg(QString::number(number / 10000), QString::number(number / 100 % 100),
             QString::number(number % 100));
}

}  // namespace

QString ProgramVersionText() {
    // The driver manager tells only its major and minor version at run time; the build's
    // pkg-config knows the full one.
    QString odbc = driverManagerVersion();
    odbc = (odbc.isEmpty() ? QStringLiteral("unixODBC") : QStringLiteral("unixODBC ") + odbc) +
           QStringLiteral(" (built with " ROWCART_ODBC_BUILD_VERSION ")");
    return QStringLiteral("rowcart " ROWCART_VERSION "\nQt %1\nSQLite %2\nlibpq %3\n%4\n")
        .arg(QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()),
             postgresVersion(PQlibVersion()), odbc);
}
