#include "settings/FormStorage.h"
#include "settings/IntegerSpinEdit.h"
#include "tests/settings/SettingsFixture.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>
#include <memory>

namespace {

// A window with one control of every stored kind and a grid pane in a splitter, persisted with
// its placement like the main window.
class StoredWindow : public QWidget {
public:
    explicit StoredWindow(bool active = true) {
        setObjectName(QStringLiteral("fStored"));
        auto* layout = new QVBoxLayout(this);
        eName = new QLineEdit(QStringLiteral("design"), this);
        eName->setObjectName(QStringLiteral("eName"));
        cbFlag = new QCheckBox(this);
        cbFlag->setObjectName(QStringLiteral("cbFlag"));
        eChoice = new QComboBox(this);
        eChoice->setObjectName(QStringLiteral("eChoice"));
        eChoice->addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
        eNumber = new IntegerSpinEdit(this);
        eNumber->setObjectName(QStringLiteral("eNumber"));
        eNumber->setValue(1000);
        splitter = new QSplitter(Qt::Vertical, this);
        dbgGrid = new QWidget(splitter);
        dbgGrid->setObjectName(QStringLiteral("dbgGrid"));
        splitter->addWidget(dbgGrid);
        splitter->addWidget(new QWidget(splitter));
        for (QWidget* widget : {static_cast<QWidget*>(eName), static_cast<QWidget*>(cbFlag),
                                static_cast<QWidget*>(eChoice), static_cast<QWidget*>(eNumber)})
            layout->addWidget(widget);
        layout->addWidget(splitter, 1);
        resize(400, 420);

        FormStorage::Config config;
        config.storedProps = {QStringLiteral("ENAME.text"),
                              QStringLiteral("cbFlag.Checked"),
                              QStringLiteral("eChoice.ItemIndex"),
                              QStringLiteral("eNumber.Value"),
                              QStringLiteral("dbgGrid.Height"),
                              QStringLiteral("missing.Text"),
                              QStringLiteral("nodot"),
                              QStringLiteral("eName.NoSuchProperty")};
        config.options = WindowPlacement::fpState | WindowPlacement::fpPosition;
        config.active = active;
        storage = new FormStorage(this, config);
    }

    bool refuseClose = false;
    QLineEdit* eName;
    QCheckBox* cbFlag;
    QComboBox* eChoice;
    IntegerSpinEdit* eNumber;
    QSplitter* splitter;
    QWidget* dbgGrid;
    FormStorage* storage;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (refuseClose)
            event->ignore();
        else
            event->accept();
    }
};

class FormStorageTest : public SettingsFixture {
protected:
    static QString value(const QString& name) { return stored(name).toString(); }
    static QString sized(const QString& name) {
        const QSize size = QGuiApplication::primaryScreen()->size();
        return name + QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
    }
    static int screenPixelsPerInch() {
        return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
    }
};

TEST_F(FormStorageTest, EntriesAreFoundWithoutRegardToCaseAndBadOnesDropped) {
    StoredWindow window;
    EXPECT_EQ(window.storage->objectName(), QStringLiteral("FormStorage1"));
    EXPECT_EQ(
        window.storage->storedProps(),
        QStringList({QStringLiteral("ENAME.text"), QStringLiteral("cbFlag.Checked"),
                     QStringLiteral("eChoice.ItemIndex"), QStringLiteral("eNumber.Value"),
                     QStringLiteral("dbgGrid.Height"), QStringLiteral("eName.NoSuchProperty")}));
    EXPECT_EQ(window.storage->property("StoredProps").toStringList(),
              window.storage->storedProps());
    EXPECT_EQ(window.storage->iniFileName(), QStringLiteral("Software\\Quorvex"));
    EXPECT_EQ(window.storage->iniSection(), QStringLiteral("Rowcart"));
}

TEST_F(FormStorageTest, EveryStoredKindSurvivesTwoStarts) {
    {
        StoredWindow window;
        window.show();
        EXPECT_TRUE(window.storage->isRestored());
        window.eName->setText(QStringLiteral("  orders "));
        window.cbFlag->setChecked(true);
        window.eChoice->setCurrentIndex(2);
        window.eNumber->setValue(2500);
        const QList<int> sizes = window.splitter->sizes();
        window.splitter->setSizes({123, sizes[0] + sizes[1] - 123});
        ASSERT_EQ(window.dbgGrid->height(), 123);
        window.close();
        EXPECT_TRUE(window.storage->isSaved());
    }
    // Value names use the names as declared, whatever the case in the list.
    EXPECT_EQ(value(QStringLiteral("FormVersion")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("eName_Text")), QStringLiteral("orders"));
    EXPECT_EQ(value(QStringLiteral("cbFlag_Checked")), QStringLiteral("True"));
    EXPECT_EQ(value(QStringLiteral("eChoice_ItemIndex")), QStringLiteral("2"));
    EXPECT_EQ(value(QStringLiteral("eNumber_Value")), QStringLiteral("2500"));
    EXPECT_EQ(value(QStringLiteral("dbgGrid_Height")), QStringLiteral("123"));
    EXPECT_EQ(value(QStringLiteral("Visible")), QStringLiteral("0"));
    EXPECT_FALSE(storedNames().contains(QStringLiteral("eName_NoSuchProperty")));

    StoredWindow again;
    EXPECT_EQ(again.eName->text(), QStringLiteral("design"));
    again.show();
    EXPECT_EQ(again.eName->text(), QStringLiteral("orders"));
    EXPECT_TRUE(again.cbFlag->isChecked());
    EXPECT_EQ(again.eChoice->currentIndex(), 2);
    EXPECT_EQ(again.eNumber->intValue(), 2500);
    EXPECT_EQ(again.dbgGrid->height(), 123);
    again.close();
}

TEST_F(FormStorageTest, AWindowThatNeverLoadedStoresNothing) {
    {
        StoredWindow window;
        window.close();
    }
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
    EXPECT_FALSE(QFileInfo::exists(keyFolder()));
}

TEST_F(FormStorageTest, ClosingStoresAndTheLaterDestructionDoesNot) {
    auto window = std::make_unique<StoredWindow>();
    window->show();
    window->close();
    EXPECT_EQ(value(QStringLiteral("Visible")), QStringLiteral("0"));
    store(QStringLiteral("eName_Text"), QStringLiteral("edited meanwhile"));
    window.reset();
    EXPECT_EQ(value(QStringLiteral("eName_Text")), QStringLiteral("edited meanwhile"));
}

TEST_F(FormStorageTest, DestructionWithoutACloseStoresOnce) {
    auto window = std::make_unique<StoredWindow>();
    window->show();
    window->eName->setText(QStringLiteral("at exit"));
    window->eChoice->setCurrentIndex(1);
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
    window.reset();
    EXPECT_EQ(value(QStringLiteral("eName_Text")), QStringLiteral("at exit"));
    EXPECT_EQ(value(QStringLiteral("eChoice_ItemIndex")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("Visible")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("ShowCmd")), QStringLiteral("1"));
}

TEST_F(FormStorageTest, ARefusedCloseStoresNothing) {
    StoredWindow window;
    window.show();
    window.refuseClose = true;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
    window.refuseClose = false;
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(QFileInfo::exists(settingsFile()));
}

TEST_F(FormStorageTest, EveryShowingLoadsAgain) {
    StoredWindow window;
    window.show();
    window.close();
    store(QStringLiteral("eName_Text"), QStringLiteral("second"));
    window.show();
    EXPECT_EQ(window.eName->text(), QStringLiteral("second"));
    EXPECT_FALSE(window.storage->isSaved());
    window.close();
}

TEST_F(FormStorageTest, APropertyValueOfAnotherTypeIsIgnored) {
    store(QStringLiteral("eName_Text"), QByteArray("bytes"));
    store(QStringLiteral("cbFlag_Checked"), QStringLiteral("True"));
    StoredWindow window;
    window.show();
    EXPECT_EQ(window.eName->text(), QStringLiteral("design"));
    EXPECT_TRUE(window.cbFlag->isChecked());
    EXPECT_TRUE(window.storage->isRestored());
    EXPECT_TRUE(messages().isEmpty());
    window.close();
    EXPECT_EQ(value(QStringLiteral("eName_Text")), QStringLiteral("design"));
}

TEST_F(FormStorageTest, APlacementValueOfAnotherTypeIsReportedAndNothingIsStored) {
    store(QStringLiteral("Flags"), QByteArray("bytes"));
    store(QStringLiteral("eName_Text"), QStringLiteral("stored"));
    const QByteArray before = fileContents();
    {
        StoredWindow window;
        window.show();
        ASSERT_EQ(messages().size(), 1);
        EXPECT_EQ(messages().at(0).text, QStringLiteral("Invalid data type for 'Flags' in ") +
                                             settingsFile() + QLatin1Char('.'));
        EXPECT_EQ(messages().at(0).caption, QStringLiteral("Rowcart"));
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.storage->isRestored());
        EXPECT_EQ(window.eName->text(), QStringLiteral("design"));
        window.close();
    }
    EXPECT_EQ(fileContents(), before);
    EXPECT_EQ(messages().size(), 1);
}

TEST_F(FormStorageTest, AnOlderFormVersionSkipsTheLoadButNotTheStore) {
    store(QStringLiteral("FormVersion"), QStringLiteral("-1"));
    store(QStringLiteral("eName_Text"), QStringLiteral("stored"));
    StoredWindow window;
    window.show();
    EXPECT_TRUE(window.storage->isRestored());
    EXPECT_EQ(window.eName->text(), QStringLiteral("design"));
    window.close();
    EXPECT_EQ(value(QStringLiteral("FormVersion")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("eName_Text")), QStringLiteral("design"));
}

TEST_F(FormStorageTest, PlacementIsStoredUnderItsNamesAndRestored) {
    const QRect placed(60, 70, 410, 330);
    {
        StoredWindow window;
        window.show();
        window.setGeometry(placed);
        window.close();
    }
    const QString norm = QStringLiteral("60,70,470,400");
    EXPECT_EQ(value(QStringLiteral("NormPos")), norm);
    EXPECT_EQ(value(sized(QStringLiteral("NormPos"))), norm);
    EXPECT_EQ(value(QStringLiteral("MinMaxPos")), value(sized(QStringLiteral("MinMaxPos"))));
    EXPECT_TRUE(value(QStringLiteral("MinMaxPos")).startsWith(QStringLiteral("-1,-1,")));
    EXPECT_EQ(value(QStringLiteral("ShowCmd")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("Flags")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("PixelsPerInch")), QString::number(screenPixelsPerInch()));

    StoredWindow again;
    again.show();
    EXPECT_EQ(again.geometry(), placed);
    EXPECT_FALSE(again.isMaximized());
    again.close();
}

TEST_F(FormStorageTest, AMaximisedWindowComesBackMaximisedWithItsNormalPlacement) {
    {
        StoredWindow window;
        window.show();
        window.setGeometry(50, 60, 300, 320);
        window.showMaximized();
        window.close();
    }
    EXPECT_EQ(value(QStringLiteral("ShowCmd")), QStringLiteral("3"));
    EXPECT_EQ(value(QStringLiteral("NormPos")), QStringLiteral("50,60,350,380"));

    StoredWindow again;
    again.show();
    EXPECT_TRUE(again.isMaximized());
    EXPECT_EQ(again.normalGeometry(), QRect(50, 60, 300, 320));
    again.close();
}

TEST_F(FormStorageTest, ADifferentPixelsPerInchKeepsThePositionButNotTheState) {
    store(QStringLiteral("PixelsPerInch"), QString::number(screenPixelsPerInch() + 24));
    store(QStringLiteral("NormPos"), QStringLiteral("10,20,210,220"));
    store(QStringLiteral("ShowCmd"), QStringLiteral("3"));
    StoredWindow window;
    window.setGeometry(30, 40, 380, 390);
    window.show();
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.normalGeometry(), QRect(30, 40, 380, 390));
    window.close();
}

TEST_F(FormStorageTest, ThePlainNormPosServesAnyScreenSize) {
    writeFile("[General]\nNormPos=15 25,,315 , 345\nShowCmd=5\n");
    StoredWindow window;
    window.show();
    EXPECT_EQ(window.geometry(), QRect(15, 25, 300, 320));
    EXPECT_FALSE(window.isMaximized());
    window.close();
}

TEST_F(FormStorageTest, BadPositionWordsTakeTheCurrentPlacement) {
    store(QStringLiteral("NormPos"), QStringLiteral("15,x"));
    StoredWindow window;
    window.setGeometry(30, 40, 380, 390);
    window.show();
    EXPECT_EQ(window.geometry(), QRect(15, 40, 395, 390));
    window.close();
}

TEST_F(FormStorageTest, OutOfRangeStoredNumbersAreIgnoredLikeUnreadableOnes) {
    int gridHeight = 0;
    {
        StoredWindow reference;
        reference.setGeometry(30, 40, 380, 390);
        reference.show();
        gridHeight = reference.dbgGrid->height();
        reference.close();
    }
    store(QStringLiteral("NormPos"), QStringLiteral("-2147483648,0,2147483647,390"));
    store(sized(QStringLiteral("NormPos")), QStringLiteral("-2147483648,0,2147483647,390"));
    store(QStringLiteral("dbgGrid_Height"), QStringLiteral("-2147483648"));
    StoredWindow window;
    window.setGeometry(30, 40, 380, 390);
    window.show();
    EXPECT_EQ(window.geometry(), QRect(30, 0, 380, 390));
    EXPECT_EQ(window.dbgGrid->height(), gridHeight);
    window.close();
}

TEST_F(FormStorageTest, AnInactiveStorageLoadsNothingByItselfButStoresWhenAsked) {
    store(QStringLiteral("eName_Text"), QStringLiteral("stored"));
    StoredWindow window(false);
    window.show();
    EXPECT_EQ(window.eName->text(), QStringLiteral("design"));
    EXPECT_FALSE(window.storage->isRestored());
    window.storage->SaveFormPlacement();
    EXPECT_EQ(value(QStringLiteral("eName_Text")), QStringLiteral("design"));

    EXPECT_EQ(window.storage->ReadString(QStringLiteral("Desktop"), QStringLiteral("none")),
              QStringLiteral("none"));
    window.storage->WriteInteger(QStringLiteral("Counter"), 42);
    EXPECT_EQ(window.storage->ReadInteger(QStringLiteral("Counter"), 0), 42);
    window.close();
}

}  // namespace
