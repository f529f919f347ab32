#include "tests/data/DriverHarness.h"
#include "tests/support/PgTestServer.h"

#include <QRegularExpression>

namespace {

// Runs the driver contract suite against the PostgreSQL test server, a fresh database per test.
class PgHarness : public DriverHarness {
public:
    QString name() const override { return QStringLiteral("PostgreSQL"); }

    QString unavailableReason() const override {
        return PgTestServer::available()
                   ? QString()
                   : QStringLiteral("no PostgreSQL server (ROWCART_PG_PORT is not set)");
    }

    QMap<QString, QString> createDatabase(const QString& tag) override {
        QMap<QString, QString> keys = PgTestServer::createDatabase(QString(tag).replace(
            QRegularExpression(QStringLiteral("[^a-z0-9_]")), QStringLiteral("_")));
        // An alias with a user name asks for a login; the contract tests expect none, so libpq
        // takes the user from its environment instead.
        qputenv("PGUSER", keys.take(QStringLiteral("USER NAME")).toUtf8());
        return keys;
    }

    QString columnType(const QString& generic) const override {
        static const QMap<QString, QString> types = {
            {QStringLiteral("SERIAL"), QStringLiteral("serial")},
            {QStringLiteral("DOUBLE"), QStringLiteral("double precision")},
            {QStringLiteral("BLOB"), QStringLiteral("bytea")},
            {QStringLiteral("CLOB"), QStringLiteral("text")}};
        return types.value(generic, generic);
    }

    // A long text is plain text here, and a scale above four keeps every digit.
    TFieldType fieldType(const QString& generic) const override {
        if (generic == QLatin1String("CLOB"))
            return ftString;
        static const QRegularExpression numeric(QStringLiteral("^NUMERIC\\((\\d+),(\\d+)\\)$"));
        const QRegularExpressionMatch m = numeric.match(generic);
        if (m.hasMatch())
            return m.captured(2).toInt() <= 4 ? ftBCD : ftFMTBcd;
        return DriverHarness::fieldType(generic);
    }
};

const RegisterDriverHarness registerPostgres(std::make_shared<PgHarness>());

}  // namespace
