#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// A script's lines read once, in order, each without its line end.
class ScriptLines {
public:
    virtual ~ScriptLines() = default;
    // The next line; false when there is none left.
    virtual bool next(QString& line) = 0;
};

// Where a script run reads its lines. A run reads them again from the start, beside its own
// reading, for the script's parameter names and for a failure's message.
class ScriptSource {
public:
    virtual ~ScriptSource() = default;
    virtual std::unique_ptr<ScriptLines> read() const = 0;
};

// Lines held in memory: the SQL window's buffer, a test's script.
class ScriptLineList : public ScriptLines, public ScriptSource {
public:
    explicit ScriptLineList(const QStringList& lines) : m_lines(lines) {}

    bool next(QString& line) override;
    std::unique_ptr<ScriptLines> read() const override;

private:
    const QStringList& m_lines;
    qsizetype m_next = 0;
};
