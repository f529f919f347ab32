#include "data/CopyOrder.h"

#include <QSet>

namespace {

// Walks references among `left` from `start` until a table comes round again.
QStringList findCycle(const QString& start, const QSet<QString>& left,
                      const QMap<QString, QStringList>& references) {
    QStringList path;
    QString at = start;
    while (!path.contains(at)) {
        path.append(at);
        // A table still left has a reference to another table still left, or it would be placed.
        for (const QString& next : references.value(at)) {
            if (next != at && left.contains(next)) {
                at = next;
                break;
            }
        }
    }
    return path.mid(path.indexOf(at));
}

}  // namespace

CopyOrder OrderForCopy(const QStringList& tables, const QMap<QString, QStringList>& references) {
    CopyOrder order;
    QSet<QString> left(tables.begin(), tables.end());
    const auto ready = [&](const QString& table) {
        for (const QString& target : references.value(table)) {
            if (target != table && left.contains(target))
                return false;
        }
        return true;
    };
    while (!left.isEmpty()) {
        QString next;
        for (const QString& table : tables) {
            if (left.contains(table) && ready(table)) {
                next = table;
                break;
            }
        }
        if (next.isNull()) {
            // Every table left waits for another, so some of them wait in a circle: the first
            // of those goes anyway.
            QString first;
            for (const QString& table : tables) {
                if (left.contains(table)) {
                    first = table;
                    break;
                }
            }
            const QStringList cycle = findCycle(first, left, references);
            if (order.cycle.isEmpty())
                order.cycle = cycle;
            for (const QString& table : tables) {
                if (cycle.contains(table)) {
                    next = table;
                    break;
                }
            }
        }
        order.tables.append(next);
        left.remove(next);
    }
    return order;
}

CopyOrder OrderForCopy(const QVector<TableStructure>& tables) {
    QStringList names;
    QMap<QString, QStringList> references;
    for (const TableStructure& table : tables) {
        names.append(table.name);
        for (const TableStructure::ForeignKey& key : table.foreignKeys)
            references[table.name].append(key.table);
    }
    return OrderForCopy(names, references);
}
