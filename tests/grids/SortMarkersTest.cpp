#include "grids/RecordModel.h"
#include "tests/grids/GridHarness.h"

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QSignalSpy>

namespace {

using Marker = SortMarkers::Marker;

class SortMarkersTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.createNumbered(QStringLiteral("sorted"), 6);
        ui = std::make_unique<GridHarness>(RecordGrid::Role::Source,
                                           db.openSource(QStringLiteral("sorted")));
    }

    void clickTitle(int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QHeaderView* titles = ui->grid.horizontalHeader();
        const int x = titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2;
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, modifiers,
                          QPoint(x, titles->height() / 2));
    }

    QList<Marker> markers() {
        QList<Marker> result;
        for (int i = 0; i < 3; ++i)
            result.append(ui->grid.sortMarkers().marker(i));
        return result;
    }

    GridTestDatabase db;
    std::unique_ptr<GridHarness> ui;
};

TEST_F(SortMarkersTest, PlainClicksCycleOneColumnAndAnnounceAtOnce) {
    QSignalSpy announced(&ui->grid, &RecordGrid::sortMarkersChanged);
    clickTitle(1);
    EXPECT_EQ(markers(),
              (QList<Marker>{SortMarkers::NoMarker, SortMarkers::Down, SortMarkers::NoMarker}));
    EXPECT_EQ(announced.count(), 1);
    clickTitle(1);
    EXPECT_EQ(ui->grid.sortMarkers().marker(1), SortMarkers::Up);
    clickTitle(1);
    EXPECT_EQ(ui->grid.sortMarkers().marker(1), SortMarkers::Down);
    clickTitle(2);
    EXPECT_EQ(markers(),
              (QList<Marker>{SortMarkers::NoMarker, SortMarkers::NoMarker, SortMarkers::Down}));
    EXPECT_EQ(announced.count(), 4);
    // The title shows the marker.
    EXPECT_FALSE(ui->grid.model()->headerData(2, Qt::Horizontal, Qt::DecorationRole).isNull());
    EXPECT_TRUE(ui->grid.model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isNull());
}

TEST_F(SortMarkersTest, CtrlClicksKeepOtherColumnsAndAnnounceOnCtrlRelease) {
    QSignalSpy announced(&ui->grid, &RecordGrid::sortMarkersChanged);
    clickTitle(0);
    ASSERT_EQ(announced.count(), 1);
    QTest::keyPress(&ui->grid, Qt::Key_Control, Qt::ControlModifier);
    clickTitle(2, Qt::ControlModifier);
    clickTitle(2, Qt::ControlModifier);
    EXPECT_EQ(markers(),
              (QList<Marker>{SortMarkers::Down, SortMarkers::NoMarker, SortMarkers::Up}));
    EXPECT_EQ(announced.count(), 1);
    QTest::keyRelease(&ui->grid, Qt::Key_Control);
    EXPECT_EQ(announced.count(), 2);

    // Ctrl steps an up arrow back to none.
    clickTitle(2, Qt::ControlModifier);
    EXPECT_EQ(ui->grid.sortMarkers().marker(2), SortMarkers::NoMarker);
    QTest::keyRelease(&ui->grid, Qt::Key_Control);
    EXPECT_EQ(announced.count(), 3);
}

TEST_F(SortMarkersTest, MarkersDoNotReorderRowsOrSelection) {
    ui->click(4, Qt::ControlModifier);
    ui->click(1, Qt::ControlModifier);
    const QByteArray first = ui->grid.selection().Item(0);
    clickTitle(0);
    clickTitle(0);
    EXPECT_EQ(ui->grid.recordModel()->displayText(0, 0), QStringLiteral("1"));
    EXPECT_EQ(ui->grid.recordModel()->displayText(5, 0), QStringLiteral("6"));
    EXPECT_EQ(ui->grid.selection().Item(0), first);
    EXPECT_EQ(ui->grid.selection().Count(), 2);
}

TEST_F(SortMarkersTest, TargetGridTitlesSetNoMarkers) {
    GridHarness target(RecordGrid::Role::Target, db.openTarget(QStringLiteral("sorted")));
    QHeaderView* titles = target.grid.horizontalHeader();
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(titles->sectionViewportPosition(0) + 5, titles->height() / 2));
    EXPECT_EQ(target.grid.sortMarkers().marker(0), SortMarkers::NoMarker);
}

}  // namespace
