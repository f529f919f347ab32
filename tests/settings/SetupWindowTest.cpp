#include "settings/DesktopShortcut.h"
#include "settings/FormStorage.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/uSetup.h"
#include "tests/settings/SettingsFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

class SetupWindowTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        IntegerSpinEdit::setBeeper([this] { ++m_beeps; });
    }
    void TearDown() override {
        IntegerSpinEdit::setBeeper(nullptr);
        DesktopShortcut::setDesktopFolderSource(nullptr);
        SettingsFixture::TearDown();
    }

    // A fresh options window that has loaded the stored settings, as at program start.
    static std::unique_ptr<TfSetup> started() {
        auto setup = std::make_unique<TfSetup>();
        setup->formStorage().RestoreFormPlacement();
        return setup;
    }
    template <typename Widget>
    static Widget* control(const TfSetup& setup, const char* name) {
        auto* widget = setup.findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static IntegerSpinEdit* spin(const TfSetup& setup) {
        return control<IntegerSpinEdit>(setup, "eAutoCommit");
    }
    static QString value(const QString& name) { return stored(name).toString(); }

    int m_beeps = 0;
};

TEST_F(SetupWindowTest, WithoutStoredSettingsTheDesignDefaultsHold) {
    const auto setup = started();
    auto* dialects = control<QComboBox>(*setup, "eSQLLanguage");
    EXPECT_EQ(dialects->count(), 3);
    EXPECT_EQ(dialects->itemText(0), QStringLiteral("Ansi SQL"));
    EXPECT_EQ(dialects->itemText(1), QStringLiteral("Oracle SQL"));
    EXPECT_EQ(dialects->itemText(2), QStringLiteral("Interbase SQL"));
    EXPECT_FALSE(dialects->isEditable());

    EXPECT_EQ(setup->sqlDialect(), 0);
    EXPECT_EQ(setup->sqlDialectName(), QStringLiteral("Ansi SQL"));
    EXPECT_EQ(setup->scriptDivider(), QStringLiteral(";"));
    EXPECT_TRUE(setup->autoFileName());
    EXPECT_TRUE(setup->noTypeComparison());
    EXPECT_FALSE(setup->autoCommit());
    EXPECT_EQ(setup->autoCommitInterval(), 1000);
    EXPECT_EQ(spin(*setup)->text(), QStringLiteral("1000"));
    EXPECT_FALSE(spin(*setup)->isEnabled());
    EXPECT_EQ(control<QLineEdit>(*setup, "eScriptDevider")->maxLength(), 1);
    // Loading alone creates the key but writes nothing.
    EXPECT_TRUE(QFileInfo(keyFolder()).isDir());
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
}

TEST_F(SetupWindowTest, TheWindowIsLaidOutAsDesigned) {
    TfSetup setup;
    EXPECT_EQ(setup.objectName(), QStringLiteral("fSetup"));
    EXPECT_EQ(setup.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(control<QLabel>(setup, "Label1")->text(), QStringLiteral("SQL script language:"));
    EXPECT_EQ(control<QLabel>(setup, "Label2")->text(), QStringLiteral("SQL script devider:"));
    EXPECT_EQ(control<QLabel>(setup, "Label3")->text(),
              QStringLiteral("Allow auto filename in save:"));
    EXPECT_EQ(control<QLabel>(setup, "Label4")->text(),
              QStringLiteral("Place shortcut on desktop:"));
    EXPECT_EQ(control<QLabel>(setup, "Label5")->text(),
              QStringLiteral("Not comparison of field types:"));
    EXPECT_EQ(control<QLabel>(setup, "Label6")->text(), QStringLiteral("AutoCommit"));
    EXPECT_EQ(control<QLabel>(setup, "Label8")->text(), QStringLiteral("rows"));
    EXPECT_EQ(control<QLabel>(setup, "Label9")->text(), QStringLiteral("(field move as string)"));
    EXPECT_EQ(control<QCheckBox>(setup, "cbAutoCommit")->text(), QStringLiteral("after each"));
    EXPECT_TRUE(control<QCheckBox>(setup, "cbAutoFilename")->text().isEmpty());
    EXPECT_TRUE(control<QCheckBox>(setup, "cbNoComp")->text().isEmpty());
    EXPECT_EQ(control<QComboBox>(setup, "eSQLLanguage")->geometry(), QRect(112, 13, 129, 21));
    EXPECT_EQ(control<QLineEdit>(setup, "eScriptDevider")->pos(), QPoint(112, 40));
    EXPECT_EQ(spin(setup)->geometry().topLeft(), QPoint(152, 112));
    EXPECT_EQ(spin(setup)->width(), 73);

    auto* place = control<QToolButton>(setup, "SpeedButton1");
    EXPECT_EQ(place->text(), QStringLiteral("Place"));
    EXPECT_TRUE(place->font().underline());
    EXPECT_EQ(place->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(place->pos(), QPoint(144, 139));
    auto* ok = control<QPushButton>(setup, "BitBtn1");
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->pos(), QPoint(231, 136));
    EXPECT_EQ(ok->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(setup.findChildren<QPushButton*>().size(), 1);
}

TEST_F(SetupWindowTest, TabGoesThroughTheControlsInTheirOrder) {
    TfSetup setup;
    control<QCheckBox>(setup, "cbAutoCommit")->setChecked(true);
    setup.show();
    QApplication::setActiveWindow(&setup);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&setup));
    control<QComboBox>(setup, "eSQLLanguage")->setFocus();

    const QStringList expected = {
        QStringLiteral("BitBtn1"),        QStringLiteral("eScriptDevider"),
        QStringLiteral("cbAutoFilename"), QStringLiteral("cbNoComp"),
        QStringLiteral("cbAutoCommit"),   QStringLiteral("eAutoCommit"),
        QStringLiteral("eSQLLanguage")};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        // The spin box passes its focus on to its line edit.
        while (focused && focused->objectName().isEmpty())
            focused = focused->parentWidget();
        visited.append(focused ? focused->objectName() : QString());
    }
    EXPECT_EQ(visited, expected);
    setup.close();
}

TEST_F(SetupWindowTest, EnterInTheSpinBoxPressesOk) {
    TfSetup setup;
    control<QCheckBox>(setup, "cbAutoCommit")->setChecked(true);
    setup.show();
    QTest::keyClick(spin(setup), Qt::Key_Return);
    EXPECT_FALSE(setup.isVisible());
    EXPECT_EQ(setup.result(), QDialog::Accepted);
}

TEST_F(SetupWindowTest, EscapeDoesNotCloseTheWindow) {
    TfSetup setup;
    setup.show();
    QTest::keyClick(control<QComboBox>(setup, "eSQLLanguage"), Qt::Key_Escape);
    EXPECT_TRUE(setup.isVisible());
    setup.close();
    EXPECT_FALSE(setup.isVisible());
}

TEST_F(SetupWindowTest, TheSpinBoxTakesSignsAndDigitsOnlyAndStepsByAThousand) {
    TfSetup setup;
    control<QCheckBox>(setup, "cbAutoCommit")->setChecked(true);
    IntegerSpinEdit* box = spin(setup);
    box->findChild<QLineEdit*>()->clear();
    EXPECT_EQ(setup.autoCommitInterval(), 0);

    QTest::keyClicks(box, QStringLiteral("1a2.x3"));
    EXPECT_EQ(box->text(), QStringLiteral("123"));
    EXPECT_EQ(m_beeps, 3);
    EXPECT_EQ(setup.autoCommitInterval(), 123);

    box->findChild<QLineEdit*>()->clear();
    QTest::keyClicks(box, QStringLiteral("-"));
    EXPECT_EQ(setup.autoCommitInterval(), 0);
    QTest::keyClicks(box, QStringLiteral("250"));
    EXPECT_EQ(setup.autoCommitInterval(), -250);
    EXPECT_EQ(m_beeps, 3);

    box->setValue(0);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->text(), QStringLiteral("-1000"));
    QTest::keyClick(box, Qt::Key_Up);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(setup.autoCommitInterval(), 1000);

    box->findChild<QLineEdit*>()->setText(QStringLiteral("99999999999"));
    EXPECT_EQ(setup.autoCommitInterval(), 0);
    box->findChild<QLineEdit*>()->setText(QStringLiteral("+42"));
    EXPECT_EQ(setup.autoCommitInterval(), 42);
}

TEST_F(SetupWindowTest, AFractionIsShownRoundedHalfToEven) {
    TfSetup setup;
    IntegerSpinEdit* box = spin(setup);
    box->setValue(1500.5);
    EXPECT_EQ(box->text(), QStringLiteral("1500"));
    box->setValue(1501.5);
    EXPECT_EQ(box->text(), QStringLiteral("1502"));
    box->setValue(-2.5);
    EXPECT_EQ(box->text(), QStringLiteral("-2"));
    box->setValue(-0.4);
    EXPECT_EQ(box->text(), QStringLiteral("0"));
    box->setValue(7.6);
    EXPECT_EQ(setup.autoCommitInterval(), 8);
}

TEST_F(SetupWindowTest, TheSpinBoxFollowsTheAutoCommitTick) {
    TfSetup setup;
    setup.show();
    auto* tick = control<QCheckBox>(setup, "cbAutoCommit");
    IntegerSpinEdit* box = spin(setup);
    box->setValue(3000);
    QTest::mouseClick(tick, Qt::LeftButton);
    EXPECT_TRUE(box->isEnabled());
    QTest::mouseClick(tick, Qt::LeftButton);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(setup.autoCommitInterval(), 3000);
    QTest::mouseClick(tick, Qt::LeftButton);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(setup.autoCommit());
    setup.close();
}

TEST_F(SetupWindowTest, EveryOptionSurvivesTwoStarts) {
    {
        const auto setup = started();
        setup->show();
        control<QComboBox>(*setup, "eSQLLanguage")->setCurrentIndex(2);
        control<QLineEdit>(*setup, "eScriptDevider")->setText(QStringLiteral("#"));
        control<QCheckBox>(*setup, "cbAutoFilename")->setChecked(false);
        control<QCheckBox>(*setup, "cbNoComp")->setChecked(false);
        control<QCheckBox>(*setup, "cbAutoCommit")->setChecked(true);
        spin(*setup)->setValue(2500);
        // The title bar's close box keeps the edits like OK does.
        setup->close();
    }
    EXPECT_EQ(value(QStringLiteral("FormVersion")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("eScriptDevider_Text")), QStringLiteral("#"));
    EXPECT_EQ(value(QStringLiteral("eSQLLanguage_ItemIndex")), QStringLiteral("2"));
    EXPECT_EQ(value(QStringLiteral("cbAutoFilename_Checked")), QStringLiteral("False"));
    EXPECT_EQ(value(QStringLiteral("cbNoComp_Checked")), QStringLiteral("False"));
    EXPECT_EQ(value(QStringLiteral("cbAutoCommit_Checked")), QStringLiteral("True"));
    EXPECT_EQ(value(QStringLiteral("eAutoCommit_Value")), QStringLiteral("2500"));
    // No placement for this window.
    EXPECT_FALSE(storedNames().contains(QStringLiteral("Flags")));
    EXPECT_FALSE(storedNames().contains(QStringLiteral("Visible")));

    const auto again = started();
    EXPECT_EQ(again->sqlDialect(), 2);
    EXPECT_EQ(again->sqlDialectName(), QStringLiteral("Interbase SQL"));
    EXPECT_EQ(again->scriptDivider(), QStringLiteral("#"));
    EXPECT_FALSE(again->autoFileName());
    EXPECT_FALSE(again->noTypeComparison());
    EXPECT_TRUE(again->autoCommit());
    EXPECT_EQ(again->autoCommitInterval(), 2500);
}

TEST_F(SetupWindowTest, ClosingByOkStoresAndShowingLoadsAgain) {
    const auto setup = started();
    setup->show();
    control<QLineEdit>(*setup, "eScriptDevider")->setText(QStringLiteral("/"));
    QTest::mouseClick(control<QPushButton>(*setup, "BitBtn1"), Qt::LeftButton);
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(value(QStringLiteral("eScriptDevider_Text")), QStringLiteral("/"));

    store(QStringLiteral("eScriptDevider_Text"), QStringLiteral("!"));
    setup->show();
    EXPECT_EQ(setup->scriptDivider(), QStringLiteral("!"));
    setup->close();
}

TEST_F(SetupWindowTest, StoredEdgeCasesLoadAsDesigned) {
    writeFile(
        "[General]\n"
        "eSQLLanguage_ItemIndex=7\n"
        "eScriptDevider_Text=\" \"\n"
        "cbAutoCommit_Checked=true\n"
        "cbNoComp_Checked=yes\n"
        "cbAutoFilename_Checked=FALSE\n"
        "eAutoCommit_Value=1500.5\n");
    {
        // Right after start, before the window is ever shown.
        const auto setup = started();
        EXPECT_EQ(setup->sqlDialect(), -1);
        EXPECT_EQ(setup->sqlDialectName(), QString());
        EXPECT_EQ(setup->scriptDivider(), QString());
        EXPECT_TRUE(setup->autoCommit());
        EXPECT_TRUE(spin(*setup)->isEnabled());
        EXPECT_TRUE(setup->noTypeComparison());
        EXPECT_FALSE(setup->autoFileName());
        EXPECT_EQ(spin(*setup)->text(), QStringLiteral("1500"));
        EXPECT_EQ(setup->autoCommitInterval(), 1500);
    }
    // Never shown, so destroying it writes the loaded values back.
    EXPECT_EQ(value(QStringLiteral("eSQLLanguage_ItemIndex")), QStringLiteral("-1"));
    EXPECT_EQ(value(QStringLiteral("eScriptDevider_Text")), QString());
    EXPECT_EQ(value(QStringLiteral("cbNoComp_Checked")), QStringLiteral("True"));
    EXPECT_EQ(value(QStringLiteral("eAutoCommit_Value")), QStringLiteral("1500"));

    store(QStringLiteral("eAutoCommit_Value"), QStringLiteral("abc"));
    const auto setup = started();
    EXPECT_EQ(setup->autoCommitInterval(), 1000);
}

TEST_F(SetupWindowTest, ABlankDividerIsStoredEmpty) {
    {
        const auto setup = started();
        setup->show();
        control<QLineEdit>(*setup, "eScriptDevider")->setText(QStringLiteral(" "));
        EXPECT_EQ(setup->scriptDivider(), QStringLiteral(" "));
        setup->close();
    }
    EXPECT_EQ(value(QStringLiteral("eScriptDevider_Text")), QString());
    EXPECT_TRUE(storedNames().contains(QStringLiteral("eScriptDevider_Text")));
    const auto again = started();
    EXPECT_EQ(again->scriptDivider(), QString());
}

TEST_F(SetupWindowTest, AValueOfAnotherTypeLeavesThatOptionAlone) {
    store(QStringLiteral("cbNoComp_Checked"), QByteArray("False"));
    store(QStringLiteral("eSQLLanguage_ItemIndex"), QStringLiteral("1"));
    const auto setup = started();
    EXPECT_TRUE(setup->noTypeComparison());
    EXPECT_EQ(setup->sqlDialect(), 1);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(SetupWindowTest, PlacingTheShortcutWritesALauncherAndReplacesAnOlderOne) {
    QTemporaryDir desktop;
    const QString folder = desktop.filePath(QStringLiteral("Schreibtisch"));
    DesktopShortcut::setDesktopFolderSource([folder] { return folder; });
    const QString launcher = folder + QStringLiteral("/Rowcart.desktop");

    TfSetup setup;
    setup.show();
    QTest::mouseClick(control<QToolButton>(setup, "SpeedButton1"), Qt::LeftButton);
    ASSERT_TRUE(QFileInfo::exists(launcher));
    QFile file(launcher);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    file.close();
    EXPECT_EQ(lines.value(0), QStringLiteral("[Desktop Entry]"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Type=Application")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Name=Rowcart")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Comment=Rowcart")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Exec=") + QCoreApplication::applicationFilePath()));
    EXPECT_TRUE(QFileInfo(launcher).isExecutable());
    EXPECT_TRUE(messages().isEmpty());

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Desktop Entry]\nName=Old\n");
    file.close();
    QTest::mouseClick(control<QToolButton>(setup, "SpeedButton1"), Qt::LeftButton);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("Old"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    setup.close();
}

TEST_F(SetupWindowTest, AShortcutThatCannotBeWrittenIsReported) {
    QTemporaryDir desktop;
    QFile blocker(desktop.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = blocker.fileName() + QStringLiteral("/Desktop");
    DesktopShortcut::setDesktopFolderSource([folder] { return folder; });

    TfSetup setup;
    setup.show();
    QTest::mouseClick(control<QToolButton>(setup, "SpeedButton1"), Qt::LeftButton);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().at(0).text.startsWith(
        QStringLiteral("Cannot place the desktop shortcut ") + folder))
        << messages().at(0).text.toStdString();
    EXPECT_EQ(messages().at(0).caption, QStringLiteral("Rowcart"));
    EXPECT_EQ(messages().at(0).icon, UserPrompts::Icon::Error);
    setup.close();
}

TEST(DesktopShortcut, WithoutADesktopFolderTheHomeFoldersDesktopServes) {
    EXPECT_EQ(DesktopShortcut::desktopFolder(QStringLiteral("/home/u/Arbeitsfläche"),
                                             QStringLiteral("/home/u")),
              QStringLiteral("/home/u/Arbeitsfläche"));
    EXPECT_EQ(DesktopShortcut::desktopFolder(QString(), QStringLiteral("/home/u")),
              QStringLiteral("/home/u/Desktop"));
    EXPECT_EQ(DesktopShortcut::desktopFolder(QStringLiteral("/"), QStringLiteral("/home/u")),
              QStringLiteral("/home/u/Desktop"));
}

TEST(DesktopShortcut, ALinkAtTheLaunchersPathIsReplacedNotWrittenThrough) {
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a launcher");
    }
    const QFileDevice::Permissions before = QFile::permissions(other);
    const QString launcher = dir.filePath(QStringLiteral("Rowcart.desktop"));
    ASSERT_TRUE(QFile::link(other, launcher));
    DesktopShortcut::CreateDesktopLauncher(QStringLiteral("/opt/r"), launcher, QString(),
                                           QStringLiteral("Rowcart"));
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not a launcher"));
    EXPECT_EQ(QFile::permissions(other), before);
    const QFileInfo written(launcher);
    EXPECT_FALSE(written.isSymLink());
    EXPECT_TRUE(written.isFile() && written.isExecutable());
}

TEST(DesktopShortcut, ExecQuotesReservedCharactersAndEscapesPercent) {
    EXPECT_EQ(DesktopShortcut::execValue(QStringLiteral("/opt/rowcart/rowcart"), QString()),
              QStringLiteral("/opt/rowcart/rowcart"));
    EXPECT_EQ(DesktopShortcut::execValue(QStringLiteral("/opt/My Tools/rowcart"), QString()),
              QStringLiteral("\"/opt/My Tools/rowcart\""));
    EXPECT_EQ(DesktopShortcut::execValue(QStringLiteral("/opt/100%/a$b"), QString()),
              QStringLiteral("\"/opt/100%%/a\\\\$b\""));
    EXPECT_EQ(DesktopShortcut::execValue(QStringLiteral("/opt/r"), QStringLiteral("--x")),
              QStringLiteral("/opt/r --x"));
}

}  // namespace
