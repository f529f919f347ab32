#include "script/ScriptEditor.h"

#include "script/ScriptText.h"

#include "script/LinkHighlighter.h"
#include "script/ScriptEditorAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QtMath>
#include <algorithm>
#include <functional>

namespace {

// While lines arrive, the view is brought up to date at most this often.
constexpr int AppendRefreshMs = 40;
constexpr qsizetype LongestRemoveEvent = 1 << 20;

}  // namespace

ScriptEditor::ScriptEditor(ScriptBuffer& buffer, QWidget* parent)
    : QAbstractScrollArea(parent), m_buffer(buffer) {
    ScriptEditorAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    m_appendTimer.setSingleShot(true);
    m_appendTimer.setInterval(AppendRefreshMs);
    connect(&m_appendTimer, &QTimer::timeout, this, &ScriptEditor::showAppended);
    m_blinkTimer.setInterval(std::max(QApplication::cursorFlashTime() / 2, 100));
    connect(&m_blinkTimer, &QTimer::timeout, this, [this] {
        m_caretShown = !m_caretShown;
        viewport()->update(caretRect(m_caret));
    });
    connect(&buffer, &ScriptBuffer::cleared, this, &ScriptEditor::onCleared);
    connect(&buffer, &ScriptBuffer::appended, this, &ScriptEditor::onAppended);
    m_caret = m_anchor = buffer.end();
    m_announcedLength = buffer.length();
    fontChanged();
}

QString ScriptEditor::selectedText() const {
    return m_buffer.textBetween(m_anchor, m_caret);
}

void ScriptEditor::setCaret(Position position, bool keepAnchor) {
    m_caret = m_buffer.clamped(position);
    if (!keepAnchor)
        m_anchor = m_caret;
    m_wantedDisplayColumn = -1;
    caretChanged();
}

void ScriptEditor::selectAll() {
    m_anchor = {0, 0};
    m_caret = m_buffer.end();
    caretChanged();
}

void ScriptEditor::caretChanged() {
    m_caretAtEnd = !hasSelection() && m_caret == m_buffer.end();
    restartBlink();
    ensureCaretVisible();
    viewport()->update();
    if (QAccessible::isActive()) {
        const int offset = static_cast<int>(m_buffer.offsetOf(m_caret));
        if (hasSelection()) {
            const int anchor = static_cast<int>(m_buffer.offsetOf(m_anchor));
            QAccessibleTextSelectionEvent selection(this, std::min(anchor, offset),
                                                    std::max(anchor, offset));
            selection.setCursorPosition(offset);
            QAccessible::updateAccessibility(&selection);
        }
        QAccessibleTextCursorEvent cursor(this, offset);
        QAccessible::updateAccessibility(&cursor);
    }
    emit caretMoved();
}

void ScriptEditor::restartBlink() {
    m_caretShown = true;
    if (hasFocus())
        m_blinkTimer.start();
}

void ScriptEditor::insertText(const QString& text) {
    replaceRange(m_anchor, m_caret, text);
}

void ScriptEditor::deleteSelection() {
    if (hasSelection())
        replaceRange(m_anchor, m_caret, QString());
}

void ScriptEditor::cut() {
    if (!hasSelection())
        return;
    copy();
    deleteSelection();
}

void ScriptEditor::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void ScriptEditor::paste() {
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        insertText(text);
}

void ScriptEditor::replaceRange(Position from, Position to, const QString& text, bool typing) {
    from = m_buffer.clamped(from);
    to = m_buffer.clamped(to);
    if (to < from)
        std::swap(from, to);
    const QString removed = m_buffer.textBetween(from, to);
    QString inserted = ScriptText::WithLineFeeds(text);
    // Like the limit of a native edit box: what does not fit is left out.
    const qsizetype room = ScriptBuffer::MaxLength - m_buffer.length() + removed.size();
    if (inserted.size() > room) {
        inserted.truncate(room);
        if (!inserted.isEmpty() && inserted.back().isHighSurrogate())
            inserted.chop(1);
    }
    if (removed.isEmpty() && inserted.isEmpty())
        return;
    const qsizetype offset = QAccessible::isActive() ? m_buffer.offsetOf(from) : 0;
    const Position after = m_buffer.replace(from, to, inserted);
    m_history.record({from, removed, inserted, typing});
    m_caret = m_anchor = after;
    m_wantedDisplayColumn = -1;
    updateScrollBars();
    announceEdit(offset, removed, inserted);
    caretChanged();
}

void ScriptEditor::undo() {
    if (m_history.canUndo())
        replay(m_history.takeUndo(), true);
}

void ScriptEditor::redo() {
    if (m_history.canRedo())
        replay(m_history.takeRedo(), false);
}

void ScriptEditor::replay(const ScriptEditHistory::Edit& edit, bool backwards) {
    const QString& gone = backwards ? edit.inserted : edit.removed;
    const QString& back = backwards ? edit.removed : edit.inserted;
    const qsizetype offset = QAccessible::isActive() ? m_buffer.offsetOf(edit.at) : 0;
    m_caret = m_anchor = m_buffer.replace(edit.at, ScriptBuffer::advance(edit.at, gone), back);
    updateScrollBars();
    announceEdit(offset, gone, back);
    caretChanged();
}

void ScriptEditor::announceEdit(qsizetype offset, const QString& removed, const QString& inserted) {
    m_announcedLength = m_buffer.length();
    if (!QAccessible::isActive())
        return;
    if (!removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(this, static_cast<int>(offset), removed);
        QAccessible::updateAccessibility(&event);
    }
    if (!inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(this, static_cast<int>(offset), inserted);
        QAccessible::updateAccessibility(&event);
    }
}

void ScriptEditor::onCleared() {
    m_history.clear();
    m_appendTimer.stop();
    m_caret = m_anchor = {};
    m_caretAtEnd = true;
    m_wantedDisplayColumn = -1;
    const qsizetype announced = m_announcedLength;
    m_announcedLength = 0;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    // The text is gone; its length is what a reader needs to drop it. A whole script's worth of
    // blanks is not worth sending: readers read the text afresh anyway.
    if (QAccessible::isActive() && announced > 0 && announced <= LongestRemoveEvent) {
        QAccessibleTextRemoveEvent event(this, 0, QString(announced, QLatin1Char(' ')));
        QAccessible::updateAccessibility(&event);
    }
}

void ScriptEditor::onAppended() {
    // Generated text is not something to undo, and older records may no longer fit around it.
    if (m_history.canUndo() || m_history.canRedo())
        m_history.clear();
    if (m_caretAtEnd)
        m_caret = m_anchor = m_buffer.end();
    if (!m_appendTimer.isActive())
        m_appendTimer.start();
}

void ScriptEditor::showAppended() {
    updateScrollBars();
    if (m_caretAtEnd)
        ensureCaretVisible();
    viewport()->update();
    const qsizetype announced = m_announcedLength;
    m_announcedLength = m_buffer.length();
    if (QAccessible::isActive() && m_announcedLength > announced) {
        QAccessibleTextInsertEvent event(
            this, static_cast<int>(announced),
            m_buffer.textBetween(m_buffer.positionAt(announced), m_buffer.end()));
        QAccessible::updateAccessibility(&event);
    }
}

void ScriptEditor::fontChanged() {
    const QFontMetricsF metrics(font());
    m_lineHeight = std::max(qCeil(metrics.lineSpacing()), 1);
    m_charWidth = std::max(metrics.horizontalAdvance(QLatin1Char('x')), 1.0);
    m_ascent = qRound(metrics.ascent());
    updateScrollBars();
    viewport()->update();
}

void ScriptEditor::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fontChanged();
}

void ScriptEditor::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ScriptEditor::scrollContentsBy(int, int) {
    viewport()->update();
}

int ScriptEditor::visibleLines() const {
    return std::max((viewport()->height() - TopMargin) / m_lineHeight, 1);
}

int ScriptEditor::contentX(qint64 display) const {
    return Margin + qRound(static_cast<qreal>(display) * m_charWidth);
}

int ScriptEditor::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

int ScriptEditor::lineTop(int line) const {
    return TopMargin + (line - firstVisibleLine()) * m_lineHeight;
}

void ScriptEditor::updateScrollBars() {
    const int page = visibleLines();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(m_buffer.lineTotal() - page, 0));
    vertical->setPageStep(page);
    vertical->setSingleStep(1);
    const qint64 width = contentX(m_buffer.widestLine() + 1) + Margin;
    const int shown = viewport()->width();
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, static_cast<int>(std::clamp<qint64>(width - shown, 0, INT_MAX)));
    horizontal->setPageStep(shown);
    horizontal->setSingleStep(qCeil(m_charWidth));
}

void ScriptEditor::ensureVisible(Position position) {
    position = m_buffer.clamped(position);
    QScrollBar* vertical = verticalScrollBar();
    const int page = visibleLines();
    if (position.line < vertical->value())
        vertical->setValue(position.line);
    else if (position.line >= vertical->value() + page)
        vertical->setValue(position.line - page + 1);
    QScrollBar* horizontal = horizontalScrollBar();
    const int display = ScriptBuffer::displayColumn(m_buffer.line(position.line), position.column);
    const int x = contentX(display);
    const int shown = viewport()->width();
    if (x - Margin < horizontal->value())
        horizontal->setValue(x - Margin);
    else if (contentX(display + 1) > horizontal->value() + shown)
        horizontal->setValue(contentX(display + 1) - shown);
}

QRect ScriptEditor::caretRect(Position position) const {
    position = m_buffer.clamped(position);
    const int x =
        contentX(ScriptBuffer::displayColumn(m_buffer.line(position.line), position.column)) -
        horizontalScrollBar()->value();
    return {x, lineTop(position.line), 1, m_lineHeight};
}

ScriptEditor::Position ScriptEditor::positionAt(const QPoint& point) const {
    const int row = (point.y() - TopMargin) / m_lineHeight - (point.y() < TopMargin ? 1 : 0);
    const int line = std::clamp(firstVisibleLine() + row, 0, m_buffer.lineTotal() - 1);
    const double x = point.x() - Margin + horizontalScrollBar()->value();
    const int display = std::max(qRound(x / m_charWidth), 0);
    return {line, ScriptBuffer::columnAtDisplay(m_buffer.line(line), display)};
}

ScriptEditor::LinkHit ScriptEditor::linkAt(const QPoint& point) const {
    if (point.y() < TopMargin)
        return {};
    const int line = firstVisibleLine() + (point.y() - TopMargin) / m_lineHeight;
    const double x = point.x() - Margin + horizontalScrollBar()->value();
    if (line >= m_buffer.lineTotal() || x < 0)
        return {};
    const QString& text = m_buffer.line(line);
    const int display = static_cast<int>(x / m_charWidth);
    if (display >= ScriptBuffer::displayWidth(text))
        return {};
    int column = ScriptBuffer::columnAtDisplay(text, display);
    if (ScriptBuffer::displayColumn(text, column) > display)
        --column;
    const LinkHighlighter::Link link = LinkHighlighter::LinkAt(text, column);
    if (!link.valid())
        return {};
    return {line, link.start, link.text};
}

QMenu* ScriptEditor::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const auto add = [&](const char* name, const QString& caption, QKeySequence::StandardKey key,
                         bool enabled, const std::function<void()>& command) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction* action =
            menu->addAction(shortcut.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcut);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, command);
    };
    const bool selection = hasSelection();
    add("edit-undo", tr("&Undo"), QKeySequence::Undo, canUndo(), [this] { undo(); });
    add("edit-redo", tr("&Redo"), QKeySequence::Redo, canRedo(), [this] { redo(); });
    menu->addSeparator();
    add("edit-cut", tr("Cu&t"), QKeySequence::Cut, selection, [this] { cut(); });
    add("edit-copy", tr("&Copy"), QKeySequence::Copy, selection, [this] { copy(); });
    add("edit-paste", tr("&Paste"), QKeySequence::Paste,
        !QGuiApplication::clipboard()->text().isEmpty(), [this] { paste(); });
    add("edit-delete", tr("Delete"), QKeySequence::UnknownKey, selection,
        [this] { deleteSelection(); });
    menu->addSeparator();
    add("select-all", tr("Select All"), QKeySequence::SelectAll, m_buffer.length() > 0,
        [this] { selectAll(); });
    return menu;
}
