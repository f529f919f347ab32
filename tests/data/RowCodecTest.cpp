#include "data/RowCodec.h"

#include "tests/support/ValuePrint.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QTimeZone>
#include <QUuid>

namespace {

TEST(RowCodec, EveryKindOfValueUnpacksAsPacked) {
    const Row row = {
        QVariant(), QVariant(qlonglong(-9223372036854775807LL - 1)), QVariant(true),
        QVariant(false), QVariant(0.1 + 0.2), QVariant(QString()),
        QVariant(QStringLiteral("O'Hara caf\u00e9")),
        QVariant(QString::fromUtf8("\u0416\u00e9 \U0001F600")), QVariant(QDate(1, 1, 1)),
        QVariant::fromValue(TimeOfDay{UsecPerDay - 1}), QVariant::fromValue(TimeOfDay{UsecPerDay}),
        QVariant::fromValue(TimeStamp{QDate(2026, 12, 9), 3723000004, 0, false}),
        QVariant::fromValue(TimeStamp{QDate(-4713, 11, 24), 0, 0, false}),
        QVariant::fromValue(TimeStamp{QDate(2026, 12, 9), 3723000000, -19800, true}),
        // Values of other types than a row's own still come back as they went.
        QVariant(QDateTime(QDate(2026, 12, 9), QTime(1, 2, 3), QTimeZone(3600))),
        QVariant(QByteArray("a\0b\xff", 4)),
        QVariant(QUuid::fromString(QStringLiteral("{67c8770b-44f1-410a-ab9a-f9b5446f13ee}"))),
        QVariant(QString::fromUtf8("four\u0416")),  // past the characters read four at a time
    };
    const Row back = RowCodec::Decode(RowCodec::Encode(row));
    ASSERT_EQ(back.size(), row.size());
    for (int i = 0; i < row.size(); ++i) {
        EXPECT_EQ(back[i].userType(), row[i].userType()) << i;
        EXPECT_EQ(back[i], row[i]) << i;
    }
    EXPECT_EQ(back[14].toDateTime().offsetFromUtc(), 3600);
    EXPECT_TRUE(RowCodec::Decode(RowCodec::Encode(Row())).isEmpty());
}

}  // namespace
