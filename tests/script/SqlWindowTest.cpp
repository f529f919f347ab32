#include "about/UrlOpener.h"
#include "app/MainLayout.h"
#include "script/ScriptBuffer.h"
#include "script/ScriptEditor.h"
#include "script/uSQL.h"
#include "settings/SaveDialogState.h"
#include "settings/uSetup.h"
#include "tests/script/ScriptTestSupport.h"

#include <sys/resource.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <csignal>

namespace {

// The text of an RTF file: paragraphs as lines, escapes decoded, groups starting with a
// destination (the font table) skipped.
QStringList rtfLines(const QByteArray& rtf) {
    QStringList lines;
    QString line;
    int depth = 0;
    int skipBelow = -1;
    for (int i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            if (skipBelow < 0 && rtf.mid(i + 1, 8) == "\\fonttbl")
                skipBelow = depth;
        } else if (c == '}') {
            if (depth == skipBelow)
                skipBelow = -1;
            --depth;
        } else if (c == '\r' || c == '\n' || skipBelow >= 0) {
        } else if (c == '\\') {
            const char next = rtf[i + 1];
            if (next == '\\' || next == '{' || next == '}') {
                line += QLatin1Char(next);
                ++i;
                continue;
            }
            static const QRegularExpression word(QStringLiteral("^\\\\([a-z]+)(-?\\d+)? ?"));
            const auto m = word.match(QString::fromLatin1(rtf.mid(i, 20)));
            const QString name = m.captured(1);
            if (name == QLatin1String("par")) {
                lines.append(line);
                line.clear();
            } else if (name == QLatin1String("tab")) {
                line += QLatin1Char('\t');
            } else if (name == QLatin1String("u")) {
                line += QChar(static_cast<ushort>(m.captured(2).toShort()));
                ++i;  // the stand-in character
            }
            i += static_cast<int>(m.capturedLength()) - 1;
        } else if (depth == 1) {
            line += QLatin1Char(c);
        }
    }
    return lines;
}

class SqlWindowTest : public ScriptWindowFixture {
protected:
    void fill() {
        for (const QString& line : script)
            sql().AddText(line);
    }

    const QStringList script = {"/* made at http://www.example.org/rowcart/ today */",
                                "INSERT INTO T (A) VALUES ('O''Hara {x} \\ Zürich')", "",
                                QString(5000, 'w') + "end", ";"};
};

TEST_F(SqlWindowTest, SaveWritesPlainOrRichTextByTheName) {
    fill();
    window().controls().eFromAlias->setEditText(QStringLiteral("SRC"));
    window().controls().eToTable->setEditText(QStringLiteral("orders.db"));
    const QString plain = m_db->folder() + "/script.sql";
    const QString rich = m_db->folder() + "/script.RTF";
    prompts().answerSaveFile(plain);
    prompts().answerSaveFile(rich);
    sql().aSaveSQL->trigger();
    sql().aSaveSQL->trigger();

    ASSERT_EQ(prompts().fileRequests().size(), 2);
    const auto& request = prompts().fileRequests().first();
    EXPECT_EQ(request.fileName, "From alias SRC, to table orders.db.sql");
    EXPECT_EQ(request.filter, "*.sql (*.sql);;*.* (*)");
    EXPECT_EQ(request.defaultSuffix, "sql");
    EXPECT_EQ(sql().sDialog->fileName(), rich);

    QFile saved(plain);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), (script.join("\r\n") + "\r\n").toUtf8());
    QFile rtf(rich);
    ASSERT_TRUE(rtf.open(QIODevice::ReadOnly));
    const QByteArray rtfBytes = rtf.readAll();
    EXPECT_TRUE(rtfBytes.startsWith("{\\rtf1"));
    EXPECT_EQ(rtfLines(rtfBytes), script);
}

// A file is replaced only by a whole script: a save that cannot finish leaves it as it was.
TEST_F(SqlWindowTest, ASaveThatCannotFinishLeavesTheFile) {
    fill();
    const QString kept = m_db->folder() + "/kept.sql";
    QFile old(kept);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old script\r\n");
    old.close();
    const QStringList before = QDir(m_db->folder()).entryList(QDir::Files);

    // Files may grow to 4 KiB, less than the script: the write fails rather than the process.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    prompts().answerSaveFile(kept);
    sql().aSaveSQL->trigger();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    // A folder in the file's place.
    prompts().answerSaveFile(m_db->folder());
    sql().aSaveSQL->trigger();

    ASSERT_EQ(prompts().messages().size(), 2);
    for (const auto& message : prompts().messages())
        EXPECT_TRUE(message.text.startsWith("Cannot create file")) << message.text.toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old script\r\n");
    EXPECT_EQ(QDir(m_db->folder()).entryList(QDir::Files), before);
}

TEST_F(SqlWindowTest, SaveWithoutAutoNameOffersTheLastName) {
    window().fSetup()->findChild<QCheckBox*>(QStringLiteral("cbAutoFilename"))->setChecked(false);
    sql().sDialog->setFileName(QStringLiteral("/somewhere/last.sql"));
    prompts().answerSaveFile(std::nullopt);
    sql().aSaveSQL->trigger();
    ASSERT_EQ(prompts().fileRequests().size(), 1);
    EXPECT_EQ(prompts().fileRequests().first().fileName, "/somewhere/last.sql");
    EXPECT_EQ(sql().sDialog->fileName(), "/somewhere/last.sql");
}

TEST_F(SqlWindowTest, PrintTitlesTheJobWithTheSaveName) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "pdfinfo (poppler-utils) is missing";
    fill();
    sql().sDialog->setFileName(QStringLiteral("orders script.sql"));
    const QString pdf = m_db->folder() + "/printed.pdf";
    prompts().answerDialog([&](QObject& dialog) {
        QPrinter* printer = qobject_cast<QPrintDialog*>(&dialog)->printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return 1;
    });
    sql().aPrintSQL->trigger();
    EXPECT_EQ(prompts().dialogs(), QStringList({"PrintDialog1"}));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Title: +orders script.sql"))));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains("INSERT INTO T (A)"));
}

TEST_F(SqlWindowTest, ClickOnAnAddressOpensIt) {
    QList<QUrl> opened;
    SetUrlOpener([&](const QUrl& url) { opened.append(url); });
    sql().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sql()));
    fill();
    const int onColumn = static_cast<int>(script[0].indexOf("example")) + 1;
    const QPoint onLink = sql().eSQL->caretRect({0, onColumn}).center();
    const QPoint offLink = sql().eSQL->caretRect({0, 3}).center();
    QWidget* viewport = sql().eSQL->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onLink);
    QTest::mouseClick(viewport, Qt::RightButton, {}, onLink);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, offLink);
    SetUrlOpener(nullptr);
    EXPECT_EQ(opened, QList<QUrl>({QUrl("http://www.example.org/rowcart/"),
                                   QUrl("http://www.example.org/rowcart/")}));
}

TEST_F(SqlWindowTest, ExitHidesAndKeepsTheScript) {
    sql().show();
    fill();
    sql().aClose->trigger();
    EXPECT_FALSE(sql().isVisible());
    EXPECT_EQ(sql().LineCount(), script.size());
    EXPECT_EQ(sql().LineAt(3), script[3].left(4096));
}

}  // namespace
