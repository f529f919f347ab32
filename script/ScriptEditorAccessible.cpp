#include "script/ScriptEditorAccessible.h"

#include "script/ScriptEditor.h"

#include <QtMath>

namespace {

// Texts longer than this are not handed over whole as the editor's value.
constexpr qsizetype LongestValue = 65536;

int kindOf(QChar c) {
    if (c.isSpace())
        return 0;
    return c.isLetterOrNumber() || c == QLatin1Char('_') ? 1 : 2;
}

QAccessibleInterface* editorFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ScriptEditor") && object && object->isWidgetType())
        return new ScriptEditorAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

ScriptEditorAccessible::ScriptEditorAccessible(QWidget* editor)
    : QAccessibleWidget(editor, QAccessible::EditableText) {}

void ScriptEditorAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(editorFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

ScriptEditor* ScriptEditorAccessible::editor() const {
    return static_cast<ScriptEditor*>(widget());
}

void* ScriptEditorAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ScriptEditorAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value) {
        const ScriptBuffer& buffer = editor()->buffer();
        return buffer.length() <= LongestValue ? buffer.text() : QString();
    }
    return QAccessibleWidget::text(kind);
}

QAccessible::State ScriptEditorAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void ScriptEditorAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !editor()->hasSelection())
        return;
    const ScriptBuffer& buffer = editor()->buffer();
    const int anchor = static_cast<int>(buffer.offsetOf(editor()->anchor()));
    const int caret = static_cast<int>(buffer.offsetOf(editor()->caret()));
    *startOffset = std::min(anchor, caret);
    *endOffset = std::max(anchor, caret);
}

int ScriptEditorAccessible::selectionCount() const {
    return editor()->hasSelection() ? 1 : 0;
}

void ScriptEditorAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void ScriptEditorAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        editor()->setCaret(editor()->caret());
}

void ScriptEditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0)
        return;
    const ScriptBuffer& buffer = editor()->buffer();
    editor()->setCaret(buffer.positionAt(startOffset));
    editor()->setCaret(buffer.positionAt(endOffset), true);
}

int ScriptEditorAccessible::cursorPosition() const {
    return static_cast<int>(editor()->buffer().offsetOf(editor()->caret()));
}

void ScriptEditorAccessible::setCursorPosition(int position) {
    editor()->setCaret(editor()->buffer().positionAt(position));
}

QString ScriptEditorAccessible::text(int startOffset, int endOffset) const {
    const ScriptBuffer& buffer = editor()->buffer();
    return buffer.textBetween(buffer.positionAt(startOffset), buffer.positionAt(endOffset));
}

int ScriptEditorAccessible::characterCount() const {
    return static_cast<int>(editor()->buffer().length());
}

ScriptEditorAccessible::Range ScriptEditorAccessible::unitAt(
    int offset, QAccessible::TextBoundaryType boundaryType) const {
    const ScriptBuffer& buffer = editor()->buffer();
    const int count = characterCount();
    offset = std::clamp(offset, 0, count);
    const ScriptBuffer::Position at = buffer.positionAt(offset);
    const QString& line = buffer.line(at.line);
    const int lineStart = offset - at.column;
    const int lineEnd = lineStart + static_cast<int>(line.size());
    switch (boundaryType) {
        case QAccessible::CharBoundary:
            return {offset, std::min(offset + 1, count)};
        case QAccessible::WordBoundary: {
            if (at.column >= line.size())
                return {offset, std::min(offset + 1, count)};
            const int kind = kindOf(line[at.column]);
            int from = at.column;
            int to = at.column + 1;
            while (from > 0 && kindOf(line[from - 1]) == kind)
                --from;
            while (to < line.size() && kindOf(line[to]) == kind)
                ++to;
            return {lineStart + from, lineStart + to};
        }
        case QAccessible::NoBoundary:
            return {0, count};
        default:
            // Sentences and paragraphs are taken as lines in a script.
            return {lineStart, std::min(lineEnd + 1, count)};
    }
}

QString ScriptEditorAccessible::textOf(Range range, int* startOffset, int* endOffset) const {
    *startOffset = range.start;
    *endOffset = range.end;
    return text(range.start, range.end);
}

QString ScriptEditorAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const {
    return textOf(unitAt(offset, boundaryType), startOffset, endOffset);
}

QString ScriptEditorAccessible::textBeforeOffset(int offset,
                                                 QAccessible::TextBoundaryType boundaryType,
                                                 int* startOffset, int* endOffset) const {
    const Range unit = unitAt(offset, boundaryType);
    if (unit.start <= 0 || boundaryType == QAccessible::NoBoundary)
        return textOf({0, 0}, startOffset, endOffset);
    return textOf(unitAt(unit.start - 1, boundaryType), startOffset, endOffset);
}

QString ScriptEditorAccessible::textAfterOffset(int offset,
                                                QAccessible::TextBoundaryType boundaryType,
                                                int* startOffset, int* endOffset) const {
    const Range unit = unitAt(offset, boundaryType);
    const int count = characterCount();
    if (unit.end >= count || boundaryType == QAccessible::NoBoundary)
        return textOf({count, count}, startOffset, endOffset);
    return textOf(unitAt(unit.end, boundaryType), startOffset, endOffset);
}

QRect ScriptEditorAccessible::characterRect(int offset) const {
    QRect rect = editor()->caretRect(editor()->buffer().positionAt(offset));
    rect.setWidth(qCeil(editor()->charWidth()));
    return rect.translated(editor()->viewport()->mapToGlobal(QPoint(0, 0)));
}

int ScriptEditorAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint local = editor()->viewport()->mapFromGlobal(point);
    if (!editor()->viewport()->rect().contains(local))
        return -1;
    return static_cast<int>(editor()->buffer().offsetOf(editor()->positionAt(local)));
}

void ScriptEditorAccessible::scrollToSubstring(int startIndex, int) {
    editor()->ensureVisible(editor()->buffer().positionAt(startIndex));
}

QString ScriptEditorAccessible::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

void ScriptEditorAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void ScriptEditorAccessible::insertText(int offset, const QString& text) {
    replaceText(offset, offset, text);
}

void ScriptEditorAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    const ScriptBuffer& buffer = editor()->buffer();
    editor()->replaceRange(buffer.positionAt(startOffset), buffer.positionAt(endOffset), text);
}
