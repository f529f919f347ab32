#pragma once

#include "data/FieldType.h"
#include "tests/values/ValueModel.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class DriverConnection;

// The databases of a test run, each under an alias of a temporary alias file (never the user's):
// an SQLite file, a database on the PostgreSQL test server and one on the MariaDB test server
// (through its ODBC driver). Tables are filled through each engine's own SQL (SQLite's through
// its C API, with bound values), so a source holds exactly what its engine holds, and read back
// through the program, as its grids read them.
class ValueEngines {
public:
    static ValueEngines& instance();
    ~ValueEngines();

    // Empty when the engine is there, else why its cases skip.
    QString missing(Engine engine) const;
    QString alias(Engine engine) const;
    QString aliasFile() const;
    // Passwords for the command line's logins: the servers trust loopback.
    QString passwordFile() const;
    QString folder() const { return m_dir.path(); }
    QString sqlitePath() const;
    // Connection keys of the alias (PostgreSQL's for psql, MariaDB's for its client).
    const QMap<QString, QString>& keys(Engine engine) const { return m_keys[int(engine)]; }

    void exec(Engine engine, const QString& sql);
    // Drops the table if it is there and creates it anew.
    void recreate(Engine engine, const QString& table, const QVector<ColumnSpec>& columns);
    void fill(Engine engine, const QString& table, const QVector<ColumnSpec>& columns,
              const QVector<ValueRow>& rows);
    // Every row in record order, each value as the program reads it (its exact form).
    QVector<ValueRow> read(Engine engine, const QString& table);
    // The field types the program gives the table's columns, ID first.
    QVector<TFieldType> fieldTypes(Engine engine, const QString& table);

private:
    ValueEngines();
    void writeAliases();
    DriverConnection& connection(Engine engine);

    QTemporaryDir m_dir;
    QString m_missing[3];
    QMap<QString, QString> m_keys[3];
    std::unique_ptr<DriverConnection> m_connections[3];
};
