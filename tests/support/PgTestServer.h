#pragma once

#include "data/Driver.h"

#include <gtest/gtest.h>
#include <QMap>
#include <QString>
#include <memory>

// The PostgreSQL server that test.sh starts (ROWCART_PG_HOST, _PORT, _USER). Tests skip when
// there is none.
namespace PgTestServer {

bool available();
// Alias keys for a database on the test server.
QMap<QString, QString> aliasKeys(const QString& database);
// Creates a fresh database and returns its alias keys.
QMap<QString, QString> createDatabase(const QString& tag);
// The database this test executable shares among its tests; created on first use, dropped at
// the end of the run.
const QString& sharedDatabase();

std::unique_ptr<DriverConnection> open(const QMap<QString, QString>& keys, bool readOnly = false);

// A loopback port that nobody listens on right now.
int freeLoopbackPort();

// An identifier in double quotes.
QString quoted(const QString& name);

}  // namespace PgTestServer

// Each test gets a schema of its own in the shared database and a connection whose search
// path starts there, so tests never see each other's tables.
class PgTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A further connection to the same schema, as another user of the database would have.
    std::unique_ptr<DriverConnection> connectAgain(bool readOnly = false) const;
    void exec(const QString& sql) { m_conn->executeStatement(sql, {}); }
    // The server's own text of one value, for exact comparisons ("SELECT <expression>").
    QString serverText(const QString& table, const QString& expression, const QString& where);

    QString m_schema;
    int m_probes = 0;
    QMap<QString, QString> m_keys;
    std::unique_ptr<DriverConnection> m_conn;
};

// Every row of a table, read through a fresh cursor in record order.
std::vector<FetchedRow> ReadAll(DriverConnection& conn, const QString& table);

PendingChange InsertOf(const Row& values);
PendingChange ModifyOf(const FetchedRow& row, const Row& values);
PendingChange DeleteOf(const FetchedRow& row);
std::vector<const PendingChange*> Pointers(const std::vector<PendingChange>& changes);
