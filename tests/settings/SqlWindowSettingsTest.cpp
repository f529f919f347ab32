#include "script/uSQL.h"
#include "settings/FormStorage.h"
#include "settings/SaveDialogState.h"
#include "tests/settings/SettingsFixture.h"

#include <memory>

namespace {

using SqlWindowSettingsTest = SettingsFixture;

TEST_F(SqlWindowSettingsTest, TheSaveDialogsNameAndFolderSurviveTwoStarts) {
    {
        TfSQL window;
        auto* storage = window.findChild<FormStorage*>(QStringLiteral("FormStorage1"));
        ASSERT_NE(storage, nullptr);
        EXPECT_EQ(storage->storedProps(), QStringList({QStringLiteral("sDialog.FileName"),
                                                       QStringLiteral("sDialog.InitialDir")}));
        window.show();
        window.sDialog->setFileName(QStringLiteral("/data/From alias demo, to table orders.sql"));
        window.sDialog->setInitialDir(QStringLiteral("/data"));
        window.close();
    }
    EXPECT_EQ(stored(QStringLiteral("sDialog_FileName")).toString(),
              QStringLiteral("/data/From alias demo, to table orders.sql"));
    EXPECT_EQ(stored(QStringLiteral("sDialog_InitialDir")).toString(), QStringLiteral("/data"));
    EXPECT_EQ(stored(QStringLiteral("FormVersion")).toString(), QStringLiteral("0"));
    EXPECT_FALSE(storedNames().contains(QStringLiteral("NormPos")));

    TfSQL again;
    EXPECT_TRUE(again.sDialog->fileName().isEmpty());
    again.show();
    EXPECT_EQ(again.sDialog->fileName(),
              QStringLiteral("/data/From alias demo, to table orders.sql"));
    EXPECT_EQ(again.sDialog->initialDir(), QStringLiteral("/data"));
    again.close();
}

TEST_F(SqlWindowSettingsTest, ARunThatNeverOpensTheWindowLeavesItsValuesAlone) {
    writeFile("[General]\nsDialog_FileName=/old/script.sql\nsDialog_InitialDir=/old\n");
    const QByteArray before = fileContents();
    {
        TfSQL window;
        window.close();
    }
    EXPECT_EQ(fileContents(), before);
}

TEST_F(SqlWindowSettingsTest, AWindowLeftOpenStoresWhenItIsDestroyed) {
    auto window = std::make_unique<TfSQL>();
    window->show();
    window->sDialog->setInitialDir(QStringLiteral("/scripts"));
    window.reset();
    EXPECT_EQ(stored(QStringLiteral("sDialog_InitialDir")).toString(), QStringLiteral("/scripts"));
}

}  // namespace
