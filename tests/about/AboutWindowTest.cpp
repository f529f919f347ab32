#include "about/LinkLabel.h"
#include "about/ProductInfo.h"
#include "about/ProgramDate.h"
#include "about/UrlOpener.h"
#include "about/uAbout.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class AboutWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetUrlOpener([this](const QUrl& url) { m_opened.append(url); });
        m_program = m_folder.filePath(QStringLiteral("rowcart"));
        QFile file(m_program);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void TearDown() override { SetUrlOpener(nullptr); }

    void setModified(const QDateTime& time) {
        QFile file(m_program);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
    static QLabel* label(const TfAbout& about, const char* name) {
        auto* widget = about.findChild<QLabel*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QTemporaryDir m_folder;
    QString m_program;
    QList<QUrl> m_opened;
};

TEST_F(AboutWindowTest, TheTextsAreTheDesignedOnes) {
    TfAbout about(nullptr, m_program);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе..."));
    EXPECT_EQ(about.size(), QSize(324, 192));
    QLabel* version = label(about, "lVersion");
    EXPECT_EQ(version->text(), QStringLiteral("Rowcart  v1.5"));
    EXPECT_TRUE(version->font().bold());
    EXPECT_EQ(version->font().pixelSize(), 27);
    EXPECT_EQ(version->pos(), QPoint(8, 8));
    EXPECT_EQ(label(about, "lPurposeTitle")->text(), QStringLiteral("Предназначение утилиты:"));
    QLabel* purpose = label(about, "lPurpose");
    EXPECT_EQ(purpose->text(),
              QStringLiteral("Перекачка строк данных таблицы из указанной базы данных в другую "
                             "таблицу другой базы данных."));
    EXPECT_TRUE(purpose->wordWrap());
    EXPECT_TRUE(purpose->font().italic());
    EXPECT_EQ(purpose->geometry(), QRect(16, 61, 297, 52));
    EXPECT_EQ(label(about, "lDate")->pos(), QPoint(152, 120));
    EXPECT_EQ(label(about, "lMail")->text(), QStringLiteral("E-mail: ") + ProductInfo::MakerMail);
    EXPECT_EQ(label(about, "lWeb")->text(), ProductInfo::WebAddress);
    EXPECT_TRUE(label(about, "lWeb")->font().underline());
    EXPECT_EQ(label(about, "lWeb")->cursor().shape(), Qt::PointingHandCursor);
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("bOK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), QRect(232, 144, 75, 33));
}

TEST_F(AboutWindowTest, TheMakersAddressesStayUnderTheReservedExampleDomain) {
    EXPECT_TRUE(ProductInfo::MakerMail.endsWith(QStringLiteral("@example.org")));
    EXPECT_EQ(QUrl(ProductInfo::WebAddress).host(), QStringLiteral("www.example.org"));
}

TEST_F(AboutWindowTest, TheDateFollowsTheProgramFilesModificationTime) {
    setModified(QDateTime(QDate(2021, 3, 4), QTime(10, 0)));
    {
        TfAbout about(nullptr, m_program);
        EXPECT_EQ(label(about, "lDate")->text(), QStringLiteral("04/03/2021"));
    }
    // A fresh window for each "About.." reads the file again.
    setModified(QDateTime(QDate(2023, 11, 30), QTime(23, 0)));
    TfAbout about(nullptr, m_program);
    EXPECT_EQ(label(about, "lDate")->text(), QStringLiteral("30/11/2023"));
}

TEST_F(AboutWindowTest, TheDateTakesTheLocalesShortFormatWithAFourDigitYear) {
    const QDate date(2021, 3, 4);
    EXPECT_EQ(ProgramDate::shortDateText(date, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("3/4/2021"));
    EXPECT_EQ(ProgramDate::shortDateText(date, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("04.03.2021"));
    EXPECT_EQ(ProgramDate::shortDateText(date, QLocale(QLocale::Russian, QLocale::Russia)),
              QStringLiteral("04.03.2021"));
    EXPECT_EQ(ProgramDate::fileDateText(m_folder.filePath(QStringLiteral("missing"))), QString());
}

TEST_F(AboutWindowTest, WithoutAFileGivenTheRunningProgramIsDated) {
    TfAbout about;
    EXPECT_EQ(label(about, "lDate")->text(),
              ProgramDate::fileDateText(QCoreApplication::applicationFilePath()));
    EXPECT_FALSE(label(about, "lDate")->text().isEmpty());
}

TEST_F(AboutWindowTest, TheLinksOpenMailAndWebThroughTheDesktop) {
    TfAbout about(nullptr, m_program);
    about.show();
    QTest::mouseClick(label(about, "lMail"), Qt::LeftButton);
    ASSERT_EQ(m_opened.size(), 1);
    const QUrl mail = m_opened.at(0);
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(mail.path(QUrl::FullyDecoded), ProductInfo::MakerDisplayName + QLatin1Char('<') +
                                                 ProductInfo::MakerMail + QLatin1Char('>'));
    EXPECT_EQ(mail.query(), QStringLiteral("SUBJECT=Rowcart"));
    EXPECT_EQ(TfAbout::mailLink(), QStringLiteral("mailto:") + ProductInfo::MakerDisplayName +
                                       QStringLiteral("<") + ProductInfo::MakerMail +
                                       QStringLiteral(">?SUBJECT=Rowcart"));

    QTest::mouseClick(label(about, "lWeb"), Qt::LeftButton);
    ASSERT_EQ(m_opened.size(), 2);
    EXPECT_EQ(m_opened.at(1), QUrl(ProductInfo::WebAddress));
    EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutWindowTest, OkClosesTheWindow) {
    TfAbout about(nullptr, m_program);
    about.show();
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("bOK")), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_TRUE(m_opened.isEmpty());
}

}  // namespace
