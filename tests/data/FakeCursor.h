#pragma once

#include "data/Driver.h"
#include "data/Exceptions.h"
#include "data/KeyCodec.h"

#include <functional>

// A table of rows (ID, NAME) with integer keys 1..n held in memory, and a connection whose
// transaction state it keeps, for the engine's own classes without an engine. It counts what
// it is asked.
class FakeConnection : public DriverConnection {
public:
    bool isSqlServer() const override { return false; }
    QStringList tableNames(bool) override { return {}; }
    std::unique_ptr<TableCursor> openTable(const QString&, bool) override { return nullptr; }
    bool inTransaction() override { return transaction; }
    void beginTransaction(TTransIsolation) override { transaction = true; }
    void commitTransaction() override { transaction = false; }
    void rollbackTransaction() override {
        transaction = false;
        ++rollbacks;
    }
    void executeStatement(const QString&, const QStringList&) override {}

    bool transaction = false;
    int rollbacks = 0;
};

class FakeCursor : public TableCursor {
public:
    explicit FakeCursor(int rows) : m_rows(rows) {
        ColumnInfo id;
        id.name = QStringLiteral("ID");
        id.type = ftInteger;
        ColumnInfo name;
        name.name = QStringLiteral("NAME");
        name.type = ftString;
        m_columns = {id, name};
    }

    static QByteArray keyOf(qint64 id) {
        KeyCodec codec;
        codec.appendInt(id);
        return codec.bytes();
    }
    static qint64 idOf(const QByteArray& key) {
        return KeyCodec::decode(key).value(0).toLongLong();
    }

    const QVector<ColumnInfo>& columns() const override { return m_columns; }
    qint64 rowCount() override { return m_rows; }
    std::vector<FetchedRow> fetchAt(qint64 offset, int limit) override {
        return fetchFrom(offset > 0 ? keyOf(offset) : QByteArray(), false, limit);
    }
    std::vector<FetchedRow> fetchFrom(const QByteArray& key, bool inclusive, int limit) override {
        ++fetches;
        qint64 id = key.isEmpty() ? 1 : idOf(key) + (inclusive ? 0 : 1);
        std::vector<FetchedRow> rows;
        for (; id <= m_rows && int(rows.size()) < limit; ++id)
            rows.push_back(rowOf(id));
        rowsRead += qint64(rows.size());
        return rows;
    }
    std::vector<FetchedRow> fetchKeys(const std::vector<QByteArray>& keys) override {
        ++keyFetches;
        std::vector<FetchedRow> rows;
        for (const QByteArray& key : keys) {
            if (idOf(key) >= 1 && idOf(key) <= m_rows)
                rows.push_back(rowOf(idOf(key)));
        }
        rowsRead += qint64(rows.size());
        return rows;
    }
    qint64 positionOf(const QByteArray& key) override { return idOf(key) - 1; }
    QVector<int> keyColumns() const override { return {0}; }
    void applyChanges(const std::vector<const PendingChange*>& changes, TUpdateMode) override {
        ++applies;
        if (apply)
            apply(changes);
    }

    // Runs for every applyChanges; throws as the engine would.
    std::function<void(const std::vector<const PendingChange*>&)> apply;
    int fetches = 0;
    int keyFetches = 0;
    qint64 rowsRead = 0;
    int applies = 0;

private:
    FetchedRow rowOf(qint64 id) const {
        return FetchedRow{keyOf(id), Row{QVariant(id), QVariant(QStringLiteral("row %1").arg(id))}};
    }

    qint64 m_rows;
    QVector<ColumnInfo> m_columns;
};
