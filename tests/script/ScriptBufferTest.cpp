#include "data/Exceptions.h"
#include "script/ScriptBuffer.h"
#include "tests/script/ScriptTestSupport.h"

#include <QTextDocument>

namespace {

QStringList linesOf(ScriptBuffer& buffer) {
    QStringList lines;
    for (int i = 0; i < buffer.LineCount(); ++i)
        lines.append(buffer.WholeLineAt(i));
    return lines;
}

TEST(ScriptBufferTest, AddTextSplitsAtEveryLineBreak) {
    const struct {
        QStringList additions;
        QStringList lines;
    } cases[] = {
        {{""}, {""}},
        {{"x\ny\n"}, {"x", "y", ""}},
        {{"x\n;\n\n"}, {"x", ";", "", ""}},
        {{"a\r\nb\rc"}, {"a", "b", "c"}},
        {{"a", "", "b\r\n"}, {"a", "", "b", ""}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        QTextDocument document;
        ScriptBuffer buffer(document);
        for (const QString& text : c.additions)
            buffer.AddText(text);
        EXPECT_EQ(linesOf(buffer), c.lines) << c.additions.join("|").toStdString();
    }
}

TEST(ScriptBufferTest, ReadsSeeLinesNotYetHandedToTheDocument) {
    QTextDocument document;
    ScriptBuffer buffer(document);
    buffer.AddText(QStringLiteral("first"));
    EXPECT_TRUE(document.isEmpty());
    buffer.AddText(QStringLiteral("second"));
    EXPECT_EQ(buffer.LineCount(), 2);
    EXPECT_EQ(buffer.LineAt(1), "second");
    EXPECT_EQ(document.toPlainText(), "first\nsecond\n");
    buffer.ClearScript();
    EXPECT_EQ(buffer.LineCount(), 0);
}

TEST(ScriptBufferTest, LineEditedWithoutItsBreakIsClosedBeforeNewLines) {
    QTextDocument document;
    document.setPlainText(QStringLiteral("typed"));
    ScriptBuffer buffer(document);
    EXPECT_EQ(buffer.LineCount(), 1);
    buffer.AddText(QStringLiteral("added"));
    EXPECT_EQ(linesOf(buffer), QStringList({"typed", "added"}));
}

TEST(ScriptBufferTest, LineAtGivesTheFirst4096Characters) {
    QTextDocument document;
    ScriptBuffer buffer(document);
    const QString longLine = QString(5000, QLatin1Char('x')) + QStringLiteral("end");
    buffer.AddText(longLine);
    EXPECT_EQ(buffer.LineAt(0), longLine.left(4096));
    EXPECT_EQ(buffer.WholeLineAt(0), longLine);
    EXPECT_THROW(buffer.LineAt(1), Exception);
}

TEST(ScriptBufferTest, AdditionPastTheLimitAddsNothing) {
    QTextDocument document;
    ScriptBuffer buffer(document);
    // Each addition carries its line break.
    buffer.AddText(QString(ScriptBuffer::MaxLength - 11, QLatin1Char('a')));
    EXPECT_EQ(buffer.length(), ScriptBuffer::MaxLength - 10);
    try {
        buffer.AddText(QStringLiteral("0123456789"));
        ADD_FAILURE() << "an addition past the limit was taken";
    } catch (const Exception& error) {
        EXPECT_EQ(error.message(), "Script text exceeds the editor's limit of 16777215 characters");
    }
    EXPECT_EQ(buffer.LineCount(), 1);
    buffer.AddText(QStringLiteral("012345678"));
    EXPECT_EQ(buffer.length(), ScriptBuffer::MaxLength);
    EXPECT_EQ(buffer.LineAt(1), "012345678");
}

}  // namespace
