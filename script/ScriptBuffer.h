#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The script as a list of lines, the one text that generation writes, the editor shows and
// edits, and saving, printing and execution read. The text is the lines joined by line breaks;
// there is always at least one line, and the empty line after a final break is the editor's
// last line but not one of the script's.
class ScriptBuffer : public QObject {
    Q_OBJECT
public:
    // The most characters the buffer holds, line breaks included.
    static constexpr qsizetype MaxLength = 16777215;
    static constexpr int LineAtLength = 4096;
    static constexpr int TabWidth = 8;

    struct Position {
        int line = 0;
        int column = 0;
        friend bool operator==(Position a, Position b) {
            return a.line == b.line && a.column == b.column;
        }
        friend bool operator!=(Position a, Position b) { return !(a == b); }
        friend bool operator<(Position a, Position b) {
            return a.line < b.line || (a.line == b.line && a.column < b.column);
        }
    };

    explicit ScriptBuffer(QObject* parent = nullptr);

    void ClearScript();
    // Adds the text after the last line as whole lines, split at LF, CR and CR LF; an empty
    // text adds one empty line. A text that would carry the buffer past MaxLength adds nothing
    // and fails.
    void AddText(const QString& text);
    // An empty last line left after the final line break is not counted.
    int LineCount() const;
    // Line `index` without its break, at most its first 4096 characters.
    QString LineAt(int index) const;
    // The whole line.
    QString WholeLineAt(int index) const;
    // Characters held, line breaks included.
    qsizetype length() const { return m_length; }

    // The script's lines (LineCount of them) and its whole text.
    QStringList lines() const;
    QString text() const;

    // Every line the editor shows, the empty last one included.
    int lineTotal() const { return static_cast<int>(m_lines.size()); }
    const QString& line(int index) const { return m_lines[index]; }
    Position end() const;
    Position clamped(Position position) const;
    QString textBetween(Position from, Position to) const;
    // Replaces the text between the two positions by `text` (line breaks LF only) and gives the
    // position after it. A result past MaxLength changes nothing and fails.
    Position replace(Position from, Position to, QStringView text);
    // Where `text` inserted at `from` would end.
    static Position advance(Position from, QStringView text);

    // Offsets into the text, from line starts summed when first asked for.
    qsizetype offsetOf(Position position) const;
    Position positionAt(qsizetype offset) const;

    // The widest line in columns, tabs expanded.
    int widestLine() const;
    static int displayWidth(QStringView line);
    static int displayColumn(QStringView line, int column);
    // The column whose character covers display column `display`, rounded to the nearer edge.
    static int columnAtDisplay(QStringView line, int display);

signals:
    void cleared();
    void appended();

private:
    void countWidth(int width);
    void uncountWidth(int width);
    void invalidateStarts(int fromLine) const {
        if (m_validStarts > fromLine)
            m_validStarts = fromLine;
    }

    QList<QString> m_lines;
    qsizetype m_length = 0;
    mutable int m_widest = 0;
    mutable int m_widestCount = 0;
    mutable bool m_widestStale = false;
    mutable QList<qsizetype> m_starts;
    mutable int m_validStarts = 0;
};
