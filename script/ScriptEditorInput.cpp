#include "about/UrlOpener.h"
#include "script/ScriptEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>

namespace {

// Blanks, word characters, and everything else: a word move stops where the kind changes.
int kindOf(QChar c) {
    if (c.isSpace())
        return 0;
    return c.isLetterOrNumber() || c == QLatin1Char('_') ? 1 : 2;
}

Qt::KeyboardModifiers editModifiers(const QInputEvent* event) {
    return event->modifiers() & ~Qt::KeypadModifier;
}

bool isCombo(const QKeyEvent* event, Qt::KeyboardModifiers modifiers, int key) {
    return editModifiers(event) == modifiers && event->key() == key;
}

// Text a key types: printable, and not a Ctrl shortcut (AltGr arrives as Ctrl+Alt on some
// systems and does type).
bool typesText(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const Qt::KeyboardModifiers modifiers = editModifiers(event);
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier))
        return false;
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); });
}

}  // namespace

bool ScriptEditor::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = editModifiers(key);
        static const int controlKeys[] = {
            Qt::Key_A,     Qt::Key_C,         Qt::Key_V,     Qt::Key_X,   Qt::Key_Z,
            Qt::Key_Y,     Qt::Key_Insert,    Qt::Key_Home,  Qt::Key_End, Qt::Key_Left,
            Qt::Key_Right, Qt::Key_Backspace, Qt::Key_Delete};
        const bool control = (modifiers & Qt::ControlModifier) &&
                             std::find(std::begin(controlKeys), std::end(controlKeys),
                                       key->key()) != std::end(controlKeys);
        if (control || typesText(key) ||
            ((modifiers & ~Qt::ShiftModifier) == Qt::NoModifier &&
             (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Insert ||
              key->key() == Qt::Key_Backspace))) {
            key->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool ScriptEditor::handleCommandKey(QKeyEvent* event) {
    const auto is = [event](QKeySequence::StandardKey standard,
                            std::initializer_list<std::pair<Qt::KeyboardModifiers, int>> combos) {
        if (event->matches(standard))
            return true;
        return std::any_of(combos.begin(), combos.end(), [event](const auto& combo) {
            return isCombo(event, combo.first, combo.second);
        });
    };
    if (is(QKeySequence::Copy,
           {{Qt::ControlModifier, Qt::Key_C}, {Qt::ControlModifier, Qt::Key_Insert}}))
        copy();
    else if (is(QKeySequence::Cut,
                {{Qt::ControlModifier, Qt::Key_X}, {Qt::ShiftModifier, Qt::Key_Delete}}))
        cut();
    else if (is(QKeySequence::Paste,
                {{Qt::ControlModifier, Qt::Key_V}, {Qt::ShiftModifier, Qt::Key_Insert}}))
        paste();
    else if (is(QKeySequence::Undo, {{Qt::ControlModifier, Qt::Key_Z}}))
        undo();
    else if (is(QKeySequence::Redo, {{Qt::ControlModifier, Qt::Key_Y},
                                     {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z}}))
        redo();
    else if (is(QKeySequence::SelectAll, {{Qt::ControlModifier, Qt::Key_A}}))
        selectAll();
    else
        return false;
    return true;
}

bool ScriptEditor::handleMoveKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = editModifiers(event);
    if (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    const bool select = modifiers & Qt::ShiftModifier;
    const bool control = modifiers & Qt::ControlModifier;
    const QString& text = m_buffer.line(m_caret.line);
    Position to = m_caret;
    int lines = 0;
    switch (event->key()) {
        case Qt::Key_Left:
            if (hasSelection() && !select && !control)
                to = std::min(m_caret, m_anchor);
            else if (control)
                to = wordStart(m_caret);
            else if (m_caret.column > 0)
                to.column -= m_caret.column > 1 && text[m_caret.column - 1].isLowSurrogate() &&
                                     text[m_caret.column - 2].isHighSurrogate()
                                 ? 2
                                 : 1;
            else if (m_caret.line > 0)
                to = {m_caret.line - 1, static_cast<int>(m_buffer.line(m_caret.line - 1).size())};
            break;
        case Qt::Key_Right:
            if (hasSelection() && !select && !control)
                to = std::max(m_caret, m_anchor);
            else if (control)
                to = wordEnd(m_caret);
            else if (m_caret.column < text.size())
                to.column += text[m_caret.column].isHighSurrogate() &&
                                     m_caret.column + 1 < text.size() &&
                                     text[m_caret.column + 1].isLowSurrogate()
                                 ? 2
                                 : 1;
            else if (m_caret.line + 1 < m_buffer.lineTotal())
                to = {m_caret.line + 1, 0};
            break;
        case Qt::Key_Home:
            to = control ? Position{0, 0} : Position{m_caret.line, 0};
            break;
        case Qt::Key_End:
            to = control ? m_buffer.end() : Position{m_caret.line, static_cast<int>(text.size())};
            break;
        case Qt::Key_Up:
            lines = -1;
            break;
        case Qt::Key_Down:
            lines = 1;
            break;
        case Qt::Key_PageUp:
            lines = -visibleLines();
            break;
        case Qt::Key_PageDown:
            lines = visibleLines();
            break;
        default:
            return false;
    }
    if (lines == 0) {
        setCaret(to, select);
        return true;
    }
    if (control && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
        return true;
    }
    const int wanted = m_wantedDisplayColumn >= 0
                           ? m_wantedDisplayColumn
                           : ScriptBuffer::displayColumn(text, m_caret.column);
    const int line = std::clamp(m_caret.line + lines, 0, m_buffer.lineTotal() - 1);
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
    setCaret({line, ScriptBuffer::columnAtDisplay(m_buffer.line(line), wanted)}, select);
    m_wantedDisplayColumn = wanted;
    return true;
}

void ScriptEditor::keyPressEvent(QKeyEvent* event) {
    if (handleCommandKey(event) || handleMoveKey(event)) {
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = editModifiers(event);
    const bool control = modifiers & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Backspace:
            if (hasSelection())
                deleteSelection();
            else if (control)
                replaceRange(wordStart(m_caret), m_caret, QString());
            else if (m_caret != Position{0, 0}) {
                const int before = m_caret.column;
                const QString& text = m_buffer.line(m_caret.line);
                const Position from =
                    before == 0 ? Position{m_caret.line - 1,
                                           static_cast<int>(m_buffer.line(m_caret.line - 1).size())}
                    : before > 1 && text[before - 1].isLowSurrogate() &&
                            text[before - 2].isHighSurrogate()
                        ? Position{m_caret.line, before - 2}
                        : Position{m_caret.line, before - 1};
                replaceRange(from, m_caret, QString());
            }
            break;
        case Qt::Key_Delete:
            if (hasSelection())
                deleteSelection();
            else if (control)
                replaceRange(m_caret, wordEnd(m_caret), QString());
            else if (m_caret != m_buffer.end()) {
                Position to = m_caret;
                const QString& text = m_buffer.line(m_caret.line);
                if (to.column < text.size())
                    to.column += text[to.column].isHighSurrogate() ? 2 : 1;
                else
                    to = {to.line + 1, 0};
                replaceRange(m_caret, to, QString());
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            insertText(QStringLiteral("\n"));
            break;
        case Qt::Key_Tab:
            // Ctrl+Tab leaves the editor, since Tab itself types.
            if (control)
                QAbstractScrollArea::focusNextPrevChild(!(modifiers & Qt::ShiftModifier));
            else
                replaceRange(m_anchor, m_caret, QStringLiteral("\t"), true);
            break;
        case Qt::Key_Backtab:
            if (control)
                QAbstractScrollArea::focusNextPrevChild(false);
            else
                return QAbstractScrollArea::keyPressEvent(event);
            break;
        default:
            if (!typesText(event))
                return QAbstractScrollArea::keyPressEvent(event);
            replaceRange(m_anchor, m_caret, event->text(), true);
            break;
    }
    event->accept();
}

bool ScriptEditor::focusNextPrevChild(bool next) {
    // Tab types a tab; Shift+Tab still leaves the editor.
    return next ? false : QAbstractScrollArea::focusNextPrevChild(false);
}

ScriptEditor::Position ScriptEditor::wordStart(Position position) const {
    const QString& text = m_buffer.line(position.line);
    int column = position.column;
    if (column == 0)
        return position.line > 0
                   ? Position{position.line - 1,
                              static_cast<int>(m_buffer.line(position.line - 1).size())}
                   : position;
    while (column > 0 && kindOf(text[column - 1]) == 0)
        --column;
    if (column > 0) {
        const int kind = kindOf(text[column - 1]);
        while (column > 0 && kindOf(text[column - 1]) == kind)
            --column;
    }
    return {position.line, column};
}

ScriptEditor::Position ScriptEditor::wordEnd(Position position) const {
    const QString& text = m_buffer.line(position.line);
    int column = position.column;
    if (column >= text.size())
        return position.line + 1 < m_buffer.lineTotal() ? Position{position.line + 1, 0} : position;
    const int kind = kindOf(text[column]);
    while (column < text.size() && kindOf(text[column]) == kind)
        ++column;
    while (column < text.size() && kindOf(text[column]) == 0)
        ++column;
    return {position.line, column};
}

void ScriptEditor::selectWordAt(Position position) {
    const QString& text = m_buffer.line(position.line);
    if (text.isEmpty()) {
        setCaret(position);
        return;
    }
    int at = std::min(position.column, static_cast<int>(text.size()) - 1);
    // Just after a word, the word is meant rather than the blank after it.
    if (at > 0 && kindOf(text[at]) == 0 && kindOf(text[at - 1]) != 0)
        --at;
    const int kind = kindOf(text[at]);
    int from = at;
    int to = at + 1;
    while (from > 0 && kindOf(text[from - 1]) == kind)
        --from;
    while (to < text.size() && kindOf(text[to]) == kind)
        ++to;
    m_anchor = {position.line, from};
    m_caret = {position.line, to};
    m_wantedDisplayColumn = -1;
    caretChanged();
}

void ScriptEditor::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    m_pressedButton = Qt::NoButton;
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        const LinkHit hit = linkAt(point);
        if (hit.line >= 0) {
            m_pressedLink = hit;
            m_pressedButton = event->button();
        }
    }
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        setCaret(positionAt(point), editModifiers(event) & Qt::ShiftModifier);
        m_dragging = true;
    } else if (event->button() == Qt::MiddleButton &&
               QGuiApplication::clipboard()->supportsSelection()) {
        const QString selection = QGuiApplication::clipboard()->text(QClipboard::Selection);
        setCaret(positionAt(point));
        if (!selection.isEmpty())
            insertText(selection);
    }
    event->accept();
}

void ScriptEditor::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        setCaret(positionAt(event->position().toPoint()), true);
    event->accept();
}

void ScriptEditor::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (hasSelection() && clipboard->supportsSelection())
            clipboard->setText(selectedText(), QClipboard::Selection);
    }
    if (event->button() == m_pressedButton && m_pressedButton != Qt::NoButton) {
        m_pressedButton = Qt::NoButton;
        const LinkHit hit = linkAt(event->position().toPoint());
        if (hit.line == m_pressedLink.line && hit.start == m_pressedLink.start)
            OpenUrl(QUrl::fromUserInput(hit.text));
    }
    event->accept();
}

void ScriptEditor::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        selectWordAt(positionAt(event->position().toPoint()));
        m_dragging = false;
    }
    event->accept();
}

void ScriptEditor::contextMenuEvent(QContextMenuEvent* event) {
    // A right click on a link opens it rather than the menu.
    if (event->reason() == QContextMenuEvent::Mouse && linkAt(event->pos()).line >= 0) {
        event->accept();
        return;
    }
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void ScriptEditor::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        Position from = std::min(m_caret, m_anchor);
        Position to = std::max(m_caret, m_anchor);
        if (event->replacementLength() > 0) {
            from.column += event->replacementStart();
            to = {from.line, from.column + event->replacementLength()};
        }
        replaceRange(from, to, event->commitString(), true);
    }
    event->accept();
}

QVariant ScriptEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImCursorRectangle:
            return caretRect(m_caret).translated(viewport()->pos());
        case Qt::ImFont:
            return font();
        case Qt::ImCursorPosition:
            return m_caret.column;
        case Qt::ImAnchorPosition:
            return m_anchor.line == m_caret.line ? m_anchor.column : m_caret.column;
        case Qt::ImSurroundingText:
            return m_buffer.line(m_caret.line);
        case Qt::ImCurrentSelection:
            return selectedText();
        case Qt::ImMaximumTextLength:
            return static_cast<int>(ScriptBuffer::MaxLength);
        case Qt::ImHints:
            return static_cast<int>(Qt::ImhMultiLine);
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void ScriptEditor::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void ScriptEditor::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_blinkTimer.stop();
    viewport()->update();
}
