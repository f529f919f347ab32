#include "data/Exceptions.h"
#include "script/ScriptBuffer.h"
#include "tests/script/ScriptTestSupport.h"

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
        ScriptBuffer buffer;
        for (const QString& text : c.additions)
            buffer.AddText(text);
        EXPECT_EQ(linesOf(buffer), c.lines) << c.additions.join("|").toStdString();
    }
}

TEST(ScriptBufferTest, LineEditedWithoutItsBreakIsClosedBeforeNewLines) {
    ScriptBuffer buffer;
    buffer.replace({0, 0}, {0, 0}, u"typed");
    EXPECT_EQ(buffer.LineCount(), 1);
    buffer.AddText(QStringLiteral("added"));
    EXPECT_EQ(linesOf(buffer), QStringList({"typed", "added"}));
}

TEST(ScriptBufferTest, LineAtGivesTheFirst4096Characters) {
    ScriptBuffer buffer;
    const QString longLine = QString(5000, QLatin1Char('x')) + QStringLiteral("end");
    buffer.AddText(longLine);
    EXPECT_EQ(buffer.LineAt(0), longLine.left(4096));
    EXPECT_EQ(buffer.WholeLineAt(0), longLine);
    EXPECT_THROW(buffer.LineAt(1), Exception);
}

TEST(ScriptBufferTest, AdditionPastTheLimitAddsNothing) {
    ScriptBuffer buffer;
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

TEST(ScriptBufferTest, EditsKeepOffsetsLengthAndWidestLine) {
    ScriptBuffer buffer;
    buffer.AddText(QStringLiteral("first\n\tsecond line\nthird"));
    const QString before = buffer.text();
    ASSERT_EQ(buffer.positionAt(before.indexOf("third")), ScriptBuffer::Position({2, 0}));
    EXPECT_EQ(buffer.widestLine(), 19);

    const struct {
        ScriptBuffer::Position from;
        ScriptBuffer::Position to;
        QString text;
    } edits[] = {
        {{1, 1}, {1, 8}, QStringLiteral("a\nb")},
        {{0, 5}, {2, 0}, QString()},
        {{0, 0}, {0, 0}, QStringLiteral("x\n\n")},
    };
    QString expected = before;
    for (const auto& edit : edits) {
        const qsizetype from = buffer.offsetOf(edit.from);
        expected.replace(from, buffer.offsetOf(edit.to) - from, edit.text);
        const ScriptBuffer::Position after = buffer.replace(edit.from, edit.to, edit.text);
        EXPECT_EQ(buffer.text(), expected);
        EXPECT_EQ(buffer.length(), expected.size());
        EXPECT_EQ(buffer.offsetOf(after), from + edit.text.size());
        for (qsizetype offset = 0; offset <= expected.size(); ++offset)
            ASSERT_EQ(buffer.offsetOf(buffer.positionAt(offset)), offset) << offset;
        int widest = 0;
        for (const QString& line : expected.split('\n'))
            widest = std::max(widest, ScriptBuffer::displayWidth(line));
        EXPECT_EQ(buffer.widestLine(), widest);
    }
}

}  // namespace
