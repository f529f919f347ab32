#include "data/Exceptions.h"
#include "data/KeyCodec.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray keyOf(const QVariant& v) {
    KeyCodec codec;
    codec.append(v);
    return codec.bytes();
}

TEST(KeyCodec, ByteOrderFollowsValueOrder) {
    // In the order a driver sorts them: nulls, numbers, text by UTF-8 bytes, bytes.
    const QList<QVariant> ordered = {QVariant(),
                                     QVariant(qlonglong(-9000000000LL)),
                                     QVariant(qlonglong(-1)),
                                     QVariant(qlonglong(0)),
                                     QVariant(qlonglong(7)),
                                     QVariant(qlonglong(1) << 40),
                                     QVariant(QString()),
                                     QVariant(QStringLiteral("A")),
                                     QVariant(QStringLiteral("a")),
                                     QVariant(QString::fromUtf8("a\0", 2)),
                                     QVariant(QStringLiteral("ab")),
                                     QVariant(QString::fromUtf8("é")),
                                     QVariant(QByteArray("\x00", 1)),
                                     QVariant(QByteArray("\x01"))};
    for (int i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_LT(KeyCodec::compare(keyOf(ordered[i]), keyOf(ordered[i + 1])), 0)
            << "at " << i << ": " << ordered[i].toString().toStdString();
    }
}

TEST(KeyCodec, DoublesKeepTheirOrder) {
    const QList<double> values = {-1e300, -2.5, -0.0001, 0.0, 1e-9, 3.25, 1e300};
    for (int i = 0; i + 1 < values.size(); ++i)
        EXPECT_LT(KeyCodec::compare(keyOf(values[i]), keyOf(values[i + 1])), 0) << i;
}

TEST(KeyCodec, CompositeKeysRoundTrip) {
    KeyCodec codec;
    codec.appendInt(-42);
    codec.appendText(QString::fromUtf8("O'Brien\0x", 9));
    codec.appendNull();
    codec.appendDouble(-2.75);
    codec.appendBytes(QByteArray("\x00\xff\x00", 3));
    const QVector<QVariant> back = KeyCodec::decode(codec.bytes());
    ASSERT_EQ(back.size(), 5);
    EXPECT_EQ(back[0].toLongLong(), -42);
    EXPECT_EQ(back[1].toString(), QString::fromUtf8("O'Brien\0x", 9));
    EXPECT_FALSE(back[2].isValid());
    EXPECT_EQ(back[3].toDouble(), -2.75);
    EXPECT_EQ(back[4].toByteArray(), QByteArray("\x00\xff\x00", 3));
}

TEST(KeyCodec, MalformedBookmarksAreRefused) {
    // Cut short, an unknown tag, a bad escape, and text that is no UTF-8 (which the encoder
    // never writes, so that it could not decode and encode back the same).
    for (const QByteArray& key :
         {QByteArray("\x10\x80", 2), QByteArray("\x77", 1), QByteArray("\x30\x61\x00\x01", 4),
          QByteArray("\x30\xc7\x7f\x00\x00", 5), QByteArray("\x30\x61", 2)})
        EXPECT_THROW(KeyCodec::decode(key), EDatabaseError) << key.toHex().constData();
}

TEST(KeyCodec, PendingInsertKeysSortAfterStoredRows) {
    const QByteArray stored = keyOf(QVariant(QByteArray(50, '\xff')));
    EXPECT_LT(KeyCodec::compare(stored, KeyCodec::pendingInsertKey(1)), 0);
    EXPECT_LT(KeyCodec::compare(KeyCodec::pendingInsertKey(2), KeyCodec::pendingInsertKey(10)), 0);
    EXPECT_TRUE(KeyCodec::isPendingInsertKey(KeyCodec::pendingInsertKey(5)));
    EXPECT_EQ(KeyCodec::pendingInsertSerial(KeyCodec::pendingInsertKey(5)), 5u);
    EXPECT_FALSE(KeyCodec::isPendingInsertKey(stored));
}

}  // namespace
