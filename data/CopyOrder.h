#pragma once

#include "data/TableStructure.h"

#include <QMap>
#include <QStringList>

// An order in which a copy fills tables: each after the tables its foreign keys reference.
struct CopyOrder {
    // Every table once. Where tables reference each other in a circle, the one given first goes
    // first and the others follow as their references allow.
    QStringList tables;
    // The first cycle found, each table referencing the next and the last the first; empty when
    // there is none. Whether a cycle stops the copy is the caller's to say: a target that adds
    // foreign keys after the rows, or does not enforce them, can take it.
    QStringList cycle;
};

// `references` maps a table to the tables its foreign keys reference. A reference to a table
// outside `tables`, or of a table to itself, places nothing. Tables free to go keep their
// given order.
CopyOrder OrderForCopy(const QStringList& tables, const QMap<QString, QStringList>& references);
CopyOrder OrderForCopy(const QVector<TableStructure>& tables);
