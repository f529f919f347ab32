#include "script/ScriptBuffer.h"

#include "data/Exceptions.h"

#include <QVarLengthArray>
#include <algorithm>

namespace {

[[noreturn]] void throwPastLimit() {
    throw Exception(QStringLiteral("Script text exceeds the editor's limit of %1 characters")
                        .arg(ScriptBuffer::MaxLength));
}

}  // namespace

ScriptBuffer::ScriptBuffer(QObject* parent) : QObject(parent) {
    m_lines.append(QString());
    m_widestCount = 1;
}

void ScriptBuffer::ClearScript() {
    m_lines = QStringList{QString()};
    m_length = 0;
    m_widest = 0;
    m_widestCount = 1;
    m_widestStale = false;
    m_starts = {};
    m_validStarts = 0;
    emit cleared();
}

void ScriptBuffer::AddText(const QString& text) {
    QVarLengthArray<QStringView, 16> pieces;
    const QStringView all(text);
    qsizetype characters = 0;
    if (!all.contains(u'\r')) {
        // The usual text: the vectorised search finds the breaks.
        qsizetype start = 0;
        for (qsizetype lineBreak; (lineBreak = all.indexOf(u'\n', start)) >= 0;
             start = lineBreak + 1)
            pieces.append(all.sliced(start, lineBreak - start));
        pieces.append(all.sliced(start));
        characters = all.size() - (pieces.size() - 1);
    } else {
        const qsizetype size = all.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t c = all[i].unicode();
            if (c != u'\n' && c != u'\r')
                continue;
            pieces.append(all.sliced(start, i - start));
            characters += i - start;
            if (c == u'\r' && i + 1 < size && all[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
        pieces.append(all.sliced(start));
        characters += size - start;
    }

    // A last line without its break (edited by hand) is closed before the new lines.
    const bool closeLast = !m_lines.constLast().isEmpty();
    const qsizetype added = characters + pieces.size() + (closeLast ? 1 : 0);
    if (m_length + added > MaxLength)
        throwPastLimit();
    if (closeLast) {
        m_lines.append(QString());
        countWidth(0);
    }
    uncountWidth(0);
    m_lines.last() = pieces[0].toString();
    countWidth(displayWidth(pieces[0]));
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        m_lines.append(pieces[i].toString());
        countWidth(displayWidth(pieces[i]));
    }
    m_lines.append(QString());
    countWidth(0);
    m_length += added;
    emit appended();
}

int ScriptBuffer::LineCount() const {
    const int total = lineTotal();
    return m_lines.constLast().isEmpty() ? total - 1 : total;
}

QString ScriptBuffer::WholeLineAt(int index) const {
    if (index < 0 || index >= LineCount())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_lines[index];
}

QString ScriptBuffer::LineAt(int index) const {
    return WholeLineAt(index).left(LineAtLength);
}

QStringList ScriptBuffer::lines() const {
    return m_lines.mid(0, LineCount());
}

QString ScriptBuffer::text() const {
    return m_lines.join(QLatin1Char('\n'));
}

ScriptBuffer::Position ScriptBuffer::end() const {
    return {lineTotal() - 1, static_cast<int>(m_lines.constLast().size())};
}

ScriptBuffer::Position ScriptBuffer::clamped(Position position) const {
    if (position.line < 0)
        return {0, 0};
    if (position.line >= lineTotal())
        return end();
    const int size = static_cast<int>(m_lines[position.line].size());
    return {position.line, std::clamp(position.column, 0, size)};
}

QString ScriptBuffer::textBetween(Position from, Position to) const {
    from = clamped(from);
    to = clamped(to);
    if (to < from)
        std::swap(from, to);
    if (from.line == to.line)
        return m_lines[from.line].mid(from.column, to.column - from.column);
    QString text = m_lines[from.line].mid(from.column);
    for (int i = from.line + 1; i < to.line; ++i) {
        text += QLatin1Char('\n');
        text += m_lines[i];
    }
    text += QLatin1Char('\n');
    text += QStringView(m_lines[to.line]).left(to.column);
    return text;
}

ScriptBuffer::Position ScriptBuffer::advance(Position from, QStringView text) {
    const qsizetype lastBreak = text.lastIndexOf(u'\n');
    if (lastBreak < 0)
        return {from.line, from.column + static_cast<int>(text.size())};
    return {from.line + static_cast<int>(text.count(u'\n')),
            static_cast<int>(text.size() - lastBreak - 1)};
}

ScriptBuffer::Position ScriptBuffer::replace(Position from, Position to, QStringView text) {
    from = clamped(from);
    to = clamped(to);
    if (to < from)
        std::swap(from, to);
    qsizetype removed = to.column - from.column;
    for (int i = from.line; i < to.line; ++i)
        removed += m_lines[i].size() + 1;
    if (m_length - removed + text.size() > MaxLength)
        throwPastLimit();

    QStringList replacement;
    const QString& first = m_lines[from.line];
    const QString& last = m_lines[to.line];
    qsizetype start = 0;
    for (;;) {
        const qsizetype lineBreak = text.indexOf(u'\n', start);
        const QStringView piece =
            text.mid(start, lineBreak < 0 ? text.size() - start : lineBreak - start);
        QString line;
        if (start == 0)
            line = QStringView(first).left(from.column).toString();
        line += piece;
        if (lineBreak < 0) {
            line += QStringView(last).mid(to.column);
            replacement.append(line);
            break;
        }
        replacement.append(line);
        start = lineBreak + 1;
    }
    const Position after = advance(from, text);

    for (int i = from.line; i <= to.line; ++i)
        uncountWidth(displayWidth(m_lines[i]));
    const int oldCount = to.line - from.line + 1;
    const int newCount = static_cast<int>(replacement.size());
    if (newCount > oldCount)
        m_lines.insert(from.line + 1, newCount - oldCount, QString());
    else if (newCount < oldCount)
        m_lines.remove(from.line + 1, oldCount - newCount);
    for (int i = 0; i < newCount; ++i) {
        countWidth(displayWidth(replacement[i]));
        m_lines[from.line + i] = std::move(replacement[i]);
    }
    m_length += text.size() - removed;
    invalidateStarts(from.line + 1);
    return after;
}

qsizetype ScriptBuffer::offsetOf(Position position) const {
    position = clamped(position);
    if (m_starts.size() < m_lines.size())
        m_starts.resize(m_lines.size());
    if (m_validStarts <= position.line) {
        int i = m_validStarts;
        qsizetype offset = i == 0 ? 0 : m_starts[i - 1] + m_lines[i - 1].size() + 1;
        for (; i <= position.line; ++i) {
            m_starts[i] = offset;
            offset += m_lines[i].size() + 1;
        }
        m_validStarts = position.line + 1;
    }
    return m_starts[position.line] + position.column;
}

ScriptBuffer::Position ScriptBuffer::positionAt(qsizetype offset) const {
    offsetOf(end());
    const auto first = m_starts.cbegin();
    const auto last = first + lineTotal();
    const int line = static_cast<int>(std::upper_bound(first, last, offset) - first) - 1;
    if (line < 0)
        return {0, 0};
    return clamped({line, static_cast<int>(offset - m_starts[line])});
}

void ScriptBuffer::countWidth(int width) {
    if (width > m_widest) {
        m_widest = width;
        m_widestCount = 1;
        m_widestStale = false;
    } else if (width == m_widest) {
        ++m_widestCount;
        m_widestStale = false;
    }
}

void ScriptBuffer::uncountWidth(int width) {
    if (width == m_widest && --m_widestCount <= 0)
        m_widestStale = true;
}

int ScriptBuffer::widestLine() const {
    if (m_widestStale) {
        m_widest = 0;
        m_widestCount = 0;
        for (const QString& line : m_lines) {
            const int width = displayWidth(line);
            if (width > m_widest) {
                m_widest = width;
                m_widestCount = 1;
            } else if (width == m_widest) {
                ++m_widestCount;
            }
        }
        m_widestStale = false;
    }
    return m_widest;
}

int ScriptBuffer::displayWidth(QStringView line) {
    if (!line.contains(u'\t'))
        return static_cast<int>(line.size());
    return displayColumn(line, static_cast<int>(line.size()));
}

int ScriptBuffer::displayColumn(QStringView line, int column) {
    const QStringView head = line.left(column);
    if (!head.contains(u'\t'))
        return static_cast<int>(head.size());
    int display = 0;
    for (const QChar c : head)
        display = c == u'\t' ? (display / TabWidth + 1) * TabWidth : display + 1;
    return display;
}

int ScriptBuffer::columnAtDisplay(QStringView line, int display) {
    if (!line.contains(u'\t'))
        return std::clamp(display, 0, static_cast<int>(line.size()));
    int at = 0;
    for (int column = 0; column < line.size(); ++column) {
        const int next = line[column] == u'\t' ? (at / TabWidth + 1) * TabWidth : at + 1;
        if (display < next)
            return display - at <= next - display ? column : column + 1;
        at = next;
    }
    return static_cast<int>(line.size());
}
