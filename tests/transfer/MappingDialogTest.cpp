#include "tests/transfer/DataMoveFixture.h"

#include "data/TTable.h"
#include "transfer/uFromTo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

using MappingDialog = DataMoveFixture;

FieldMappingArray equalNames(int count) {
    FieldMappingArray mapping;
    for (int i = 0; i < count; ++i)
        mapping.append(FieldMapping{QStringLiteral("F%1").arg(i), QStringLiteral("F%1").arg(i)});
    return mapping;
}

}  // namespace

TEST(MappingDialogLayout, ClientHeightFollowsTheFieldCountWithAFloor) {
    for (const auto& [fields, height] : {std::pair{1, 102}, std::pair{3, 91}, std::pair{10, 245}}) {
        TfFromTo dialog(equalNames(fields), {});
        EXPECT_EQ(dialog.height(), height) << fields << " fields";
        EXPECT_EQ(dialog.width(), 461);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("From To"));
    }
}

TEST(MappingDialogLayout, RowsScrollWhenTheScreenIsTooShort) {
    const int available = QGuiApplication::primaryScreen()->availableGeometry().height();
    const int fields = available / 22 + 10;
    TfFromTo dialog(equalNames(fields), {});
    EXPECT_LE(dialog.height(), available);
    auto* scroll = dialog.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QComboBox* last = dialog.box(fields - 1);
    ASSERT_NE(last, nullptr);
    dialog.box(fields - 2)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(last->visibleRegion().boundingRect().isValid()) << "last box scrolled into view";
}

TEST(MappingDialogLayout, BoxesNamedInOrderWithBuddyLabelsAndTargetLists) {
    const QStringList targets = {QStringLiteral("Z"), QStringLiteral("A")};
    FieldMappingArray mapping = equalNames(3);
    mapping[1].sourceName = QStringLiteral("R&D");
    TfFromTo dialog(mapping, targets);
    QList<QWidget*> order;
    for (int i = 0; i < 3; ++i) {
        QComboBox* box = dialog.findChild<QComboBox*>(QStringLiteral("cb%1").arg(i));
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isEditable());
        EXPECT_EQ(box->currentText(), mapping[i].targetName);
        ASSERT_EQ(box->count(), 2);
        EXPECT_EQ(box->itemText(0), QStringLiteral("Z")) << "target order, unsorted";
        order.append(box);
    }
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 3);
    for (QLabel* label : labels)
        EXPECT_NE(label->buddy(), nullptr);
    EXPECT_EQ(dialog.box(1)->accessibleName(), QStringLiteral("R&D"));

    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"));
    ASSERT_TRUE(ok && cancel);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ok->setFocus();
    QWidget* expected[] = {cancel, order[0], order[1], order[2]};
    for (QWidget* widget : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), widget);
    }
}

TEST_F(MappingDialog, OkKeepsTypedNamesAsTheyStandAndCancelChangesNothing) {
    openBoth();
    TTable& source = window().tFrom();
    ASSERT_GT(source.NumberOfFields(), 2);
    prompts().answerDialog([](QObject& dialog) {
        static_cast<TfFromTo&>(dialog).box(0)->setEditText(QStringLiteral(" Mixed Case "));
        static_cast<TfFromTo&>(dialog).box(2)->setEditText(QString());
        return 1;
    });
    EXPECT_EQ(window().ShowFieldMapping(), 1);
    EXPECT_EQ(prompts().dialogs(), QStringList{QStringLiteral("fFromTo")});
    ASSERT_EQ(window().mapping().size(), source.NumberOfFields());
    EXPECT_EQ(window().mapping()[0].targetName, QStringLiteral(" Mixed Case "));
    EXPECT_EQ(window().mapping()[2].targetName, QString());
    EXPECT_EQ(window().mapping()[1].targetName, window().mapping()[1].sourceName);

    prompts().answerDialog([](QObject& dialog) {
        EXPECT_EQ(static_cast<TfFromTo&>(dialog).box(0)->currentText(),
                  static_cast<TfFromTo&>(dialog).box(0)->itemText(0))
            << "every dialog starts from equal names";
        static_cast<TfFromTo&>(dialog).box(0)->setEditText(QStringLiteral("changed"));
        return 2;
    });
    EXPECT_EQ(window().ShowFieldMapping(), 2);
    EXPECT_EQ(window().mapping()[0].targetName, window().mapping()[0].sourceName);
}

TEST_F(MappingDialog, EnterConfirmsAndEscapeCancelsTheRealDialog) {
    openBoth();
    for (const auto& [key, result] : {std::pair{Qt::Key_Return, 1}, std::pair{Qt::Key_Escape, 2}}) {
        prompts().answerDialog([key = key](QObject& object) {
            auto& dialog = static_cast<TfFromTo&>(object);
            QTimer::singleShot(0, &dialog, [&dialog, key] { QTest::keyClick(dialog.box(1), key); });
            return dialog.exec() == QDialog::Accepted ? 1 : 2;
        });
        EXPECT_EQ(window().ShowFieldMapping(), result);
    }
}

TEST_F(MappingDialog, ClosedSourceShowsNothing) {
    FieldMappingArray& mapping = window().mapping();
    mapping = equalNames(2);
    EXPECT_EQ(window().ShowFieldMapping(), 2);
    EXPECT_TRUE(prompts().dialogs().isEmpty());
    EXPECT_EQ(mapping.size(), 2);
}
