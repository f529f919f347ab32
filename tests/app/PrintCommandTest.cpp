#include "tests/app/MainWindowFixture.h"

#include "data/TTable.h"
#include "grids/PreviewFormEh.h"
#include "grids/PrintDBGridEh.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

using PrintCommand = MainWindowFixture;

TEST_F(PrintCommand, DoesNothingWhileTheTargetIsClosedThenPrintsItsConnectionAndTable) {
    TPrintDBGridEh& printer = window().PrintDBGridEh1();
    EXPECT_EQ(printer.objectName(), QStringLiteral("PrintDBGridEh1"));
    a().aPrint->trigger();
    EXPECT_EQ(printer.PreviewForm(), nullptr);
    EXPECT_TRUE(printer.PageHeader().LeftText.isEmpty());

    connectTarget(QStringLiteral("DEMO"));
    openTarget(QStringLiteral("CUSTOMERS"));
    ASSERT_TRUE(window().tTo().Active());
    a().aPrint->trigger();
    a().aPrint->trigger();
    const QString connection = c().lToConnect->text();
    EXPECT_TRUE(connection.startsWith(QStringLiteral("Connected to \"DEMO\"")));
    EXPECT_EQ(printer.PageHeader().LeftText,
              QStringList{QStringLiteral("&[ShortDate] &[Time] ") + connection +
                          QStringLiteral(" table \"CUSTOMERS\"")});
    TPreviewFormEh* preview = printer.PreviewForm();
    ASSERT_NE(preview, nullptr);
    ASSERT_GT(preview->pageCount(), 0);
    const QString header = preview->pages().front().cells().front().text;
    EXPECT_TRUE(
        header.endsWith(QLatin1Char(' ') + connection + QStringLiteral(" table \"CUSTOMERS\"")));
    EXPECT_FALSE(header.contains(QStringLiteral("&[")));
    preview->close();
}
