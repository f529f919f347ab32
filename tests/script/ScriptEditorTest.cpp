#include "about/UrlOpener.h"
#include "script/ScriptBuffer.h"
#include "script/ScriptEditor.h"
#include "tests/script/ScriptTestSupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

void PrintTo(const ScriptBuffer::Position& position, std::ostream* out) {
    *out << '(' << position.line << ", " << position.column << ')';
}

namespace {

using Position = ScriptBuffer::Position;

class ScriptEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        editor.resize(400, 200);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
        editor.setFocus();
    }
    void start(const QString& text) {
        buffer.ClearScript();
        buffer.replace({0, 0}, {0, 0}, text);
        editor.setCaret({0, 0});
    }
    void press(const QKeySequence& keys) {
        for (int i = 0; i < keys.count(); ++i)
            QTest::keyClick(&editor, keys[i].key(), keys[i].keyboardModifiers());
    }

    ScriptBuffer buffer;
    ScriptEditor editor{buffer};
};

TEST_F(ScriptEditorTest, EditingKeysChangeTheTextAndUndoAsOneHistory) {
    const struct {
        const char* keys;
        QString typed;
        QString text;
        Position caret;
    } cases[] = {
        {"End, Backspace", {}, "ab\ncdef\ng", {0, 2}},
        {"Delete, Delete", {}, "c\ncdef\ng", {0, 0}},
        {"End, Delete", {}, "abccdef\ng", {0, 3}},
        {"Down, End, Up, Return", {}, "abc\n\ncdef\ng", {1, 0}},
        {"Ctrl+End, Backspace, Backspace", {}, "abc\ncdef", {1, 4}},
        {"Down, Right, Shift+Right, Shift+Right", "XY", "abc\ncXYf\ng", {1, 3}},
        {"Tab", "z", "\tzabc\ncdef\ng", {0, 2}},
        {"Ctrl+Right, Shift+Ctrl+End, Delete", {}, "abc", {0, 3}},
        {"Down, Down, Ctrl+Left, Ctrl+Del", {}, "abc\ncdefg", {1, 4}},
        {"Ctrl+A", "-", "-", {0, 1}},
    };
    const QString original = QStringLiteral("abc\ncdef\ng");
    for (const auto& c : cases) {
        start(original);
        press(QKeySequence(QString::fromLatin1(c.keys)));
        QTest::keyClicks(&editor, c.typed);
        EXPECT_EQ(buffer.text(), c.text) << c.keys;
        EXPECT_EQ(editor.caret(), c.caret) << c.keys;
        while (editor.canUndo())
            press(QKeySequence(QStringLiteral("Ctrl+Z")));
        EXPECT_EQ(buffer.text(), original) << c.keys;
        press(QKeySequence(QStringLiteral("Ctrl+Y")));
        while (editor.canRedo())
            press(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
        EXPECT_EQ(buffer.text(), c.text) << c.keys;
    }
}

TEST_F(ScriptEditorTest, SelectionCopiesCutsAndPastesThroughTheClipboard) {
    start(QStringLiteral("SELECT one_two FROM t\nx"));
    QTest::mouseDClick(editor.viewport(), Qt::LeftButton, {}, editor.caretRect({0, 9}).center());
    EXPECT_EQ(editor.selectedText(), "one_two");
    press(QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "one_two");

    QTest::mousePress(editor.viewport(), Qt::LeftButton, {}, editor.caretRect({0, 0}).center());
    QTest::mouseMove(editor.viewport(), editor.caretRect({1, 1}).center());
    QTest::mouseRelease(editor.viewport(), Qt::LeftButton, {}, editor.caretRect({1, 1}).center());
    EXPECT_EQ(editor.selectedText(), "SELECT one_two FROM t\nx");

    std::unique_ptr<QMenu> menu(editor.createContextMenu(nullptr));
    QStringList enabled;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->isEnabled())
            enabled.append(action->objectName());
    }
    EXPECT_EQ(enabled,
              QStringList({"edit-cut", "edit-copy", "edit-paste", "edit-delete", "select-all"}));

    press(QKeySequence(QStringLiteral("Shift+Left")));
    press(QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "SELECT one_two FROM t\n");
    EXPECT_EQ(buffer.text(), "x");
    press(QKeySequence(QStringLiteral("Ctrl+End")));
    press(QKeySequence(QStringLiteral("Shift+Insert")));
    EXPECT_EQ(buffer.text(), "xSELECT one_two FROM t\n");
    EXPECT_EQ(editor.caret(), Position({1, 0}));
}

TEST_F(ScriptEditorTest, RightClickOpensTheMenuExceptOnALink) {
    QList<QUrl> opened;
    SetUrlOpener([&](const QUrl& url) { opened.append(url); });
    start(QStringLiteral("-- see https://example.org/a here"));
    // The platform follows a right press with a menu request, which the test sends itself.
    const auto rightClick = [&](int column) {
        const QPoint point = editor.caretRect({0, column}).center();
        QTest::mousePress(editor.viewport(), Qt::RightButton, {}, point);
        QContextMenuEvent request(QContextMenuEvent::Mouse, point,
                                  editor.viewport()->mapToGlobal(point));
        QApplication::sendEvent(editor.viewport(), &request);
        QTest::mouseRelease(editor.viewport(), Qt::RightButton, {}, point);
    };
    rightClick(12);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(opened, QList<QUrl>({QUrl("https://example.org/a")}));
    rightClick(2);
    SetUrlOpener(nullptr);
    EXPECT_EQ(opened.size(), 1);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_NE(menu->findChild<QAction*>(QStringLiteral("select-all")), nullptr);
    menu->close();
}

TEST_F(ScriptEditorTest, TypingAndPastingStopAtTheTextLimit) {
    // Room for five more characters.
    buffer.AddText(QString(ScriptBuffer::MaxLength - 6, QLatin1Char('a')));
    editor.setCaret({1, 0});
    QGuiApplication::clipboard()->setText(QStringLiteral("12\r\n345"));
    press(QKeySequence(QStringLiteral("Ctrl+V")));
    EXPECT_EQ(buffer.length(), ScriptBuffer::MaxLength);
    EXPECT_EQ(buffer.line(1), "12");
    EXPECT_EQ(buffer.line(2), "34");
    QTest::keyClicks(&editor, QStringLiteral("z"));
    EXPECT_EQ(buffer.line(2), "34");
    press(QKeySequence(QStringLiteral("Backspace")));
    QTest::keyClicks(&editor, QStringLiteral("yz"));
    EXPECT_EQ(buffer.line(2), "3y");
    EXPECT_EQ(buffer.length(), ScriptBuffer::MaxLength);
}

TEST_F(ScriptEditorTest, AdditionsFollowTheEndAndLeaveNothingToUndo) {
    start(QStringLiteral("typed"));
    press(QKeySequence(QStringLiteral("End")));
    QTest::keyClicks(&editor, QStringLiteral("!"));
    ASSERT_TRUE(editor.canUndo());
    for (int i = 0; i < 500; ++i)
        buffer.AddText(QStringLiteral("line %1").arg(i));
    EXPECT_FALSE(editor.canUndo());
    EXPECT_EQ(editor.caret(), buffer.end());
    QTRY_VERIFY(editor.firstVisibleLine() > 400);
    EXPECT_EQ(editor.verticalScrollBar()->maximum(), editor.firstVisibleLine());
}

TEST_F(ScriptEditorTest, AccessibilityToolsReadAndEditTheTextByOffsets) {
    editor.setAccessibleName(QStringLiteral("SQL script"));
    start(QStringLiteral("INSERT INTO T\nVALUES (1);\n"));
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&editor);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::EditableText);
    EXPECT_EQ(access->text(QAccessible::Name), "SQL script");
    QAccessibleTextInterface* text = access->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 26);
    EXPECT_EQ(text->text(7, 18), "INTO T\nVALU");

    const struct {
        QAccessible::TextBoundaryType boundary;
        int offset;
        QString before;
        QString at;
        QString after;
    } units[] = {
        {QAccessible::CharBoundary, 14, "\n", "V", "A"},
        {QAccessible::WordBoundary, 8, " ", "INTO", " "},
        {QAccessible::LineBoundary, 16, "INSERT INTO T\n", "VALUES (1);\n", ""},
    };
    for (const auto& unit : units) {
        int start = -1;
        int end = -1;
        EXPECT_EQ(text->textBeforeOffset(unit.offset, unit.boundary, &start, &end), unit.before);
        EXPECT_EQ(text->textAtOffset(unit.offset, unit.boundary, &start, &end), unit.at);
        EXPECT_EQ(text->text(start, end), unit.at);
        EXPECT_EQ(text->textAfterOffset(unit.offset, unit.boundary, &start, &end), unit.after);
    }

    text->setCursorPosition(16);
    EXPECT_EQ(editor.caret(), Position({1, 2}));
    text->setSelection(0, 7, 11);
    EXPECT_EQ(editor.selectedText(), "INTO");
    int from = -1;
    int to = -1;
    text->selection(0, &from, &to);
    EXPECT_EQ(std::make_pair(from, to), std::make_pair(7, 11));

    access->editableTextInterface()->replaceText(7, 11, QStringLiteral("INTO\n"));
    EXPECT_EQ(buffer.text(), "INSERT INTO\n T\nVALUES (1);\n");
    EXPECT_EQ(text->cursorPosition(), 12);
}

}  // namespace
