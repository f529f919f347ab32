#pragma once

#include "script/ScriptBuffer.h"
#include "script/ScriptEditHistory.h"

#include <QAbstractScrollArea>
#include <QTimer>

class QMenu;

// A plain-text editor drawn straight from a ScriptBuffer's lines: only the lines in view are
// painted, so a script of millions of characters costs its text and no layout. Additions to the
// buffer only schedule a repaint; edits go through the buffer with an undo record.
class ScriptEditor : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Position = ScriptBuffer::Position;

    explicit ScriptEditor(ScriptBuffer& buffer, QWidget* parent = nullptr);

    ScriptBuffer& buffer() const { return m_buffer; }

    Position caret() const { return m_caret; }
    Position anchor() const { return m_anchor; }
    bool hasSelection() const { return m_caret != m_anchor; }
    QString selectedText() const;
    // Moves the caret, keeping the selection's other end when `keepAnchor`.
    void setCaret(Position position, bool keepAnchor = false);
    void selectAll();

    // Replaces the selection by `text`, cut to what the text limit leaves room for.
    void insertText(const QString& text);
    void deleteSelection();
    void cut();
    void copy() const;
    void paste();
    void undo();
    void redo();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    // Replaces the text between two positions as one undoable edit; the caret goes after it.
    void replaceRange(Position from, Position to, const QString& text, bool typing = false);

    // Where a position is drawn, in viewport coordinates: one caret wide, one line high.
    QRect caretRect(Position position) const;
    // The position nearest to a viewport point.
    Position positionAt(const QPoint& point) const;
    int firstVisibleLine() const;
    qreal charWidth() const { return m_charWidth; }
    void ensureVisible(Position position);
    void ensureCaretVisible() { ensureVisible(m_caret); }

    // Undo, Redo, Cut, Copy, Paste, Delete and Select All, enabled as they apply.
    QMenu* createContextMenu(QWidget* parent);

signals:
    void caretMoved();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // An edit of the history applied again, backwards for undo.
    void replay(const ScriptEditHistory::Edit& edit, bool backwards);
    static constexpr int Margin = 4;
    static constexpr int TopMargin = 2;

    struct LinkHit {
        int line = -1;
        int start = -1;
        QString text;
    };

    void onCleared();
    void onAppended();
    void showAppended();
    void fontChanged();
    void updateScrollBars();
    void caretChanged();
    void restartBlink();
    // Characters and lines the edit took out and put in, told to accessibility tools.
    void announceEdit(qsizetype offset, const QString& removed, const QString& inserted);
    bool handleCommandKey(QKeyEvent* event);
    bool handleMoveKey(QKeyEvent* event);
    Position wordStart(Position position) const;
    Position wordEnd(Position position) const;
    void selectWordAt(Position position);
    int visibleLines() const;
    // Where a display column starts, in content pixels: the font's advance is fractional.
    int contentX(qint64 display) const;
    int lineTop(int line) const;
    LinkHit linkAt(const QPoint& point) const;

    ScriptBuffer& m_buffer;
    ScriptEditHistory m_history;
    Position m_caret;
    Position m_anchor;
    // The column kept while moving up and down through shorter lines.
    int m_wantedDisplayColumn = -1;
    bool m_caretAtEnd = true;
    bool m_dragging = false;
    bool m_caretShown = true;
    LinkHit m_pressedLink;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    int m_lineHeight = 1;
    qreal m_charWidth = 1;
    int m_ascent = 0;
    QTimer m_appendTimer;
    QTimer m_blinkTimer;
    qsizetype m_announcedLength = 0;
};
