#pragma once

#include "data/FieldType.h"

#include <QMap>
#include <QString>
#include <memory>
#include <vector>

// What the driver contract suite needs of a driver: a fresh database per test and the DDL
// spelling of a few column types. Each driver registers one harness; the suite runs every test
// for each of them.
class DriverHarness {
public:
    virtual ~DriverHarness() = default;

    virtual QString name() const = 0;
    // Why the driver cannot run here (no server, ...), or empty when it can.
    virtual QString unavailableReason() const { return QString(); }
    // Creates an empty database and returns its alias keys (DRIVER, PATH or SERVER NAME, ...).
    virtual QMap<QString, QString> createDatabase(const QString& tag) = 0;
    // The column type to declare for a generic type name: INTEGER, SMALLINT, BIGINT, SERIAL
    // (an auto-increment primary key), VARCHAR(n), CHAR(n), DOUBLE, MONEY, NUMERIC(p,s), DATE,
    // TIME, TIMESTAMP, BOOLEAN, BLOB, CLOB.
    virtual QString columnType(const QString& generic) const = 0;
    // The field type the driver reports for a generic type name; the common answers, which a
    // driver overrides where it differs.
    virtual TFieldType fieldType(const QString& generic) const;
};

std::vector<std::shared_ptr<DriverHarness>>& DriverHarnesses();

struct RegisterDriverHarness {
    explicit RegisterDriverHarness(std::shared_ptr<DriverHarness> harness) {
        DriverHarnesses().push_back(std::move(harness));
    }
};
