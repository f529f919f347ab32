#pragma once

#include "script/ScriptLines.h"

#include <QByteArray>
#include <QFile>

// A script file read as a stream, UTF-8, a line at a time: a run holds the statement it cuts,
// never the file. A line ends at LF, CR LF or a CR alone, as the SQL window's buffer reads a
// loaded text; the break after the last line opens no empty line. A file that cannot be read
// fails with its name.
class ScriptFileLines : public ScriptLines {
public:
    explicit ScriptFileLines(const QString& path);

    bool next(QString& line) override;

private:
    // More of the file into the buffer; false at its end.
    bool fill();

    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_at = 0;
    // The last line ended at a CR: a LF that follows belongs to it.
    bool m_afterCr = false;
};

class ScriptFileSource : public ScriptSource {
public:
    explicit ScriptFileSource(QString path) : m_path(std::move(path)) {}

    std::unique_ptr<ScriptLines> read() const override;

private:
    QString m_path;
};
