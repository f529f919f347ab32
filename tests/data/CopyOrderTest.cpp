#include "data/CopyOrder.h"

#include <gtest/gtest.h>

namespace {

TableStructure tableReferencing(const QString& name, const QStringList& referenced) {
    TableStructure table;
    table.name = name;
    for (const QString& target : referenced)
        table.foreignKeys.append(
            {QString(), {QStringLiteral("c")}, target, {QStringLiteral("id")}});
    return table;
}

TEST(CopyOrder, TablesComeAfterWhatTheyReferenceAndSelfReferencesPlaceNothing) {
    // A grandchild given first, a tree of employees referencing itself, and a reference to a
    // table the copy leaves out.
    const CopyOrder order =
        OrderForCopy({tableReferencing(QStringLiteral("grandchild"),
                                       {QStringLiteral("child"), QStringLiteral("parent")}),
                      tableReferencing(QStringLiteral("child"), {QStringLiteral("parent")}),
                      tableReferencing(QStringLiteral("employee"),
                                       {QStringLiteral("employee"), QStringLiteral("not copied")}),
                      tableReferencing(QStringLiteral("parent"), {})});
    EXPECT_EQ(order.tables, QStringList({"employee", "parent", "child", "grandchild"}));
    EXPECT_TRUE(order.cycle.isEmpty());
}

TEST(CopyOrder, ACycleIsReportedWithItsTablesAndTheRestStillOrdered) {
    const CopyOrder order =
        OrderForCopy({QStringLiteral("audit"), QStringLiteral("b"), QStringLiteral("c"),
                      QStringLiteral("a"), QStringLiteral("lone")},
                     {{QStringLiteral("audit"), {QStringLiteral("a")}},
                      {QStringLiteral("a"), {QStringLiteral("b")}},
                      {QStringLiteral("b"), {QStringLiteral("c"), QStringLiteral("b")}},
                      {QStringLiteral("c"), {QStringLiteral("a")}}});
    // Each references the next, the last the first.
    EXPECT_EQ(order.cycle, QStringList({"a", "b", "c"}));
    // The cycle is broken at its table given first; the rest go as their references allow.
    EXPECT_EQ(order.tables, QStringList({"lone", "b", "a", "audit", "c"}));
}

}  // namespace
