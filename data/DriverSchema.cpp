#include "data/Driver.h"
#include "data/Exceptions.h"
#include "data/TableStructure.h"

SqlEngine DriverConnection::engine() const {
    return SqlEngine::Other;
}

QString DriverConnection::quoteIdentifier(const QString& name) const {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

TableStructure DriverConnection::describeTable(const QString& name) {
    throw EDatabaseError(
        QStringLiteral("This driver cannot describe table %1 for a copy").arg(name));
}
