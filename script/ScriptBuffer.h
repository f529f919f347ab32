#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QTextDocument;

// The script as a list of lines over an editor's document. Additions are gathered and handed
// to the document in chunks, about every 50 ms, because a document laid out and painted once
// per added row is far slower than the rows are made; every read first hands over what is
// still gathered, so the operations always see every line added so far.
class ScriptBuffer : public QObject {
    Q_OBJECT
public:
    // The most characters the buffer holds, line breaks included.
    static constexpr qsizetype MaxLength = 16777215;
    static constexpr int LineAtLength = 4096;

    explicit ScriptBuffer(QTextDocument& document, QObject* parent = nullptr);

    void ClearScript();
    // Adds the text after the last line as whole lines, split at LF, CR and CR LF; an empty
    // text adds one empty line. A text that would carry the buffer past MaxLength adds nothing
    // and fails.
    void AddText(const QString& text);
    // An empty last line left after the final line break is not counted.
    int LineCount();
    // Line `index` without its break, at most its first 4096 characters.
    QString LineAt(int index);
    // The whole line.
    QString WholeLineAt(int index);
    // Characters held, line breaks included.
    qsizetype length() const;

    // Hands what is gathered to the document now.
    void flush();

private:
    QTextDocument& m_document;
    QString m_pending;
    QTimer m_flushTimer;
};
