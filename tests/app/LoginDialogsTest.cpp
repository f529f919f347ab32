#include "app/TLoginDialog.h"
#include "app/TablePasswordDialog.h"
#include "data/TSession.h"
#include "tests/app/QtPrinters.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QPushButton* buttonNamed(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

}  // namespace

TEST(LoginDialog, ShowsTheDatabaseAndStartsInThePasswordWhenAUserIsGiven) {
    TLoginDialog dialog(QStringLiteral("dbFrom"), QStringLiteral("someone"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QApplication::setActiveWindow(&dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Database Login"));
    EXPECT_EQ(dialog.size(), QSize(273, 147));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.databaseNameLabel()->text(), QStringLiteral("dbFrom"));
    EXPECT_EQ(dialog.databaseNameLabel()->objectName(), QStringLiteral("DatabaseName"));
    EXPECT_EQ(dialog.userNameEdit()->objectName(), QStringLiteral("UserName"));
    EXPECT_EQ(dialog.passwordEdit()->objectName(), QStringLiteral("Password"));
    EXPECT_EQ(dialog.userNameEdit()->text(), QStringLiteral("someone"));
    EXPECT_EQ(dialog.userNameEdit()->maxLength(), 31);
    EXPECT_EQ(dialog.passwordEdit()->maxLength(), 31);
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.focusWidget(), dialog.passwordEdit());
    QPushButton* ok = buttonNamed(&dialog, QStringLiteral("&OK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_NE(buttonNamed(&dialog, QStringLiteral("Cancel")), nullptr);
}

TEST(LoginDialog, StartsInTheUserNameWhenNoneIsGiven) {
    TLoginDialog dialog(QStringLiteral("dbTo"), QString());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.focusWidget(), dialog.userNameEdit());
}

TEST(LoginDialog, NarrowsALongDatabaseNameToThePanel) {
    TLoginDialog dialog(QString(200, QLatin1Char('W')), QString());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QLabel* name = dialog.databaseNameLabel();
    const QWidget* panel = name->parentWidget();
    const int inner = static_cast<const QFrame*>(panel)->contentsRect().width();
    EXPECT_EQ(name->width(), inner - name->x() - 5);

    TLoginDialog shortName(QStringLiteral("dbFrom"), QString());
    shortName.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shortName));
    EXPECT_GE(shortName.databaseNameLabel()->width(),
              shortName.databaseNameLabel()->sizeHint().width());
}

TEST(LoginDialog, OkReturnsTheTypedTextsAndCancelNothing) {
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TLoginDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->userNameEdit()->setText(QStringLiteral("alice"));
        QTest::keyClicks(dialog->passwordEdit(), QStringLiteral("secret"));
        QTest::keyClick(dialog->passwordEdit(), Qt::Key_Return);
    });
    const auto login = TLoginDialog::ask(QStringLiteral("dbFrom"), QStringLiteral("someone"));
    ASSERT_TRUE(login.has_value());
    EXPECT_EQ(login->userName, QStringLiteral("alice"));
    EXPECT_EQ(login->password, QStringLiteral("secret"));

    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(qobject_cast<TLoginDialog*>(dialog)->passwordEdit(), QStringLiteral("x"));
        buttonNamed(dialog, QStringLiteral("Cancel"))->click();
    });
    EXPECT_FALSE(
        TLoginDialog::ask(QStringLiteral("dbFrom"), QStringLiteral("someone")).has_value());
}

TEST(TablePasswordDialog, ButtonsFollowTheEditAndTheListFollowsTheButtons) {
    TSession session(QStringLiteral("pw"));
    session.TablePasswords() = {QStringLiteral("old")};
    TablePasswordDialog dialog(session);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter password"));
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.okButton()->isDefault());
    EXPECT_EQ(dialog.removeAllButton()->text(), QStringLiteral("Re&move all"));

    EXPECT_FALSE(dialog.addButton()->isEnabled());
    EXPECT_FALSE(dialog.removeButton()->isEnabled());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_TRUE(dialog.removeAllButton()->isEnabled());

    QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("new"));
    EXPECT_TRUE(dialog.addButton()->isEnabled());
    EXPECT_TRUE(dialog.removeButton()->isEnabled());
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    dialog.addButton()->click();
    EXPECT_EQ(session.TablePasswords(), QStringList({"old", "new"}));
    EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());
    EXPECT_FALSE(dialog.addButton()->isEnabled());
    // Something was added in this dialog, so OK stays available with an empty edit.
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("old"));
    dialog.removeButton()->click();
    EXPECT_EQ(session.TablePasswords(), QStringList({"new"}));
    EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());

    dialog.removeAllButton()->click();
    EXPECT_TRUE(session.TablePasswords().isEmpty());
}

TEST(TablePasswordDialog, OkAddsTheTypedPasswordAndConfirms) {
    TSession session(QStringLiteral("pw"));
    TablePasswordDialog dialog(session);
    dialog.show();
    QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("typed"));
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(session.TablePasswords(), QStringList({"typed"}));
}
