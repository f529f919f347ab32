#pragma once

#include "data/Row.h"
#include "tests/app/MainWindowFixture.h"

#include <QCheckBox>
#include <QVariant>
#include <functional>

class TTable;

// A main window with source and target tables made for a test in the WORK database, and the
// means to run "Data Move !" as a user would.
class DataMoveFixture : public MainWindowFixture {
protected:
    // Runs statements on WORK through a connection of its own.
    void execWork(const QStringList& statements);
    // Opens WORK on both sides with these tables.
    void openWorkTables(const QString& source, const QString& target);
    // Selects the source rows at these positions (all when empty).
    void selectSourceRows(const QList<int>& positions = {});
    // Sets the options window's switches.
    void setOptions(bool noTypeComparison, bool autoCommit, int interval = 1000);
    // Runs "Data Move !" with the mapping dialog answered by `mapping` (OK when empty).
    void runMove(std::function<int(QObject&)> mapping = {});

    // Values of one column of the target as the grid shows it: stored rows, then pending ones.
    QVariantList targetColumn(const QString& field);
    // Values of one column of a table as stored, read through a connection of its own.
    QVariantList storedColumn(const QString& alias, const QString& table, const QString& field);
    // Every stored row of a table in record order, decimals in one spelling and fixed-length
    // text without its padding, so that rows of two engines compare value by value.
    QList<Row> storedValues(const QString& alias, const QString& table);
};
