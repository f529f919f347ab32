#include "script/ScriptBuffer.h"

#include "data/Exceptions.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

ScriptBuffer::ScriptBuffer(QTextDocument& document, QObject* parent)
    : QObject(parent), m_document(document) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(50);
    connect(&m_flushTimer, &QTimer::timeout, this, &ScriptBuffer::flush);
}

void ScriptBuffer::ClearScript() {
    m_pending.clear();
    m_flushTimer.stop();
    m_document.clear();
}

qsizetype ScriptBuffer::length() const {
    // The document counts one paragraph separator after its last block.
    return m_document.characterCount() - 1 + m_pending.size();
}

void ScriptBuffer::AddText(const QString& text) {
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A last line without its break (edited by hand) is closed before the new lines.
    const bool closeLast = m_pending.isEmpty() && !m_document.lastBlock().text().isEmpty();
    const qsizetype added = lines.size() + 1 + (closeLast ? 1 : 0);
    if (length() + added > MaxLength) {
        throw Exception(QStringLiteral("Script text exceeds the editor's limit of %1 characters")
                            .arg(MaxLength));
    }
    if (closeLast)
        m_pending += QLatin1Char('\n');
    m_pending += lines;
    m_pending += QLatin1Char('\n');
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void ScriptBuffer::flush() {
    m_flushTimer.stop();
    if (m_pending.isEmpty())
        return;
    QTextCursor cursor(&m_document);
    cursor.movePosition(QTextCursor::End);
    // Generated text is not something to undo line by line, and its undo record would double
    // the memory of a large script.
    const bool undo = m_document.isUndoRedoEnabled();
    m_document.setUndoRedoEnabled(false);
    cursor.insertText(m_pending);
    m_document.setUndoRedoEnabled(undo);
    m_pending.clear();
}

int ScriptBuffer::LineCount() {
    flush();
    const int blocks = m_document.blockCount();
    return m_document.lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

QString ScriptBuffer::WholeLineAt(int index) {
    flush();
    const QTextBlock block = m_document.findBlockByNumber(index);
    if (index < 0 || !block.isValid() || index >= LineCount())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    return block.text();
}

QString ScriptBuffer::LineAt(int index) {
    return WholeLineAt(index).left(LineAtLength);
}
