#include "script/ScriptExecution.h"

#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "script/ScriptLines.h"
#include "script/StatementCutter.h"

#include <optional>
#include <vector>

namespace {

// Where a statement stands in the script, for its failure message.
struct StatementPlace {
    int firstLine;
    int lastLine;
};

constexpr int ShownLineLength = 100;

QString trimmedLine(const QString& line) {
    qsizetype from = 0;
    qsizetype to = line.size();
    while (from < to && line[from].unicode() <= 32)
        ++from;
    while (to > from && line[to - 1].unicode() <= 32)
        --to;
    if (to - from > ShownLineLength)
        return line.mid(from, ShownLineLength) + QStringLiteral("...");
    return line.mid(from, to - from);
}

class ScriptRun {
public:
    ScriptRun(const ScriptSource& script, QChar terminator, TDatabase& database)
        : m_script(script), m_terminator(terminator), m_db(database) {}

    int run() {
        m_own = !m_db.TransactionActive() && beginOwnTransaction();
        std::unique_ptr<StatementRun> statements = m_db.StartStatementRun();
        try {
            runStatements(*statements);
            if (m_places.empty())
                throw ENoStatement();
            if (m_own && m_db.TransactionActive())
                m_db.CommitTransaction();
        } catch (...) {
            statements.reset();
            rollBack();
            throw;
        }
        return static_cast<int>(m_places.size());
    }

private:
    bool beginOwnTransaction() {
        try {
            if (!m_db.IsSqlServer())
                m_db.TransIsolation = tiDirtyRead;
            m_db.BeginTransaction();
            return true;
        } catch (const Exception&) {
            // Without a transaction of its own every statement takes effect by itself.
            return false;
        }
    }

    void rollBack() {
        if (!m_own || !m_db.TransactionActive())
            return;
        try {
            m_db.RollbackTransaction();
        } catch (const Exception&) {
            // The failure that ended the run says more than this one.
        }
    }

    void runStatements(StatementRun& statements) {
        const std::unique_ptr<ScriptLines> lines = m_script.read();
        StatementCutter cutter(*lines, m_terminator);
        CutStatement cut;
        while (cutter.next(cut)) {
            const qint64 index = static_cast<qint64>(m_places.size());
            m_places.push_back({cut.firstLine, cut.lastLine});
            const EngineStatement statement = PrepareEngineStatement(cut.text);
            try {
                if (const std::optional<QString> missing = missingParameter(statement.parameters)) {
                    // Every statement before this one runs, or fails first.
                    statements.finish();
                    EDatabaseError error(QStringLiteral("Parameter '") + *missing +
                                         QStringLiteral("' not found"));
                    describe(error, index);
                    throw error;
                }
                statements.execute(statement.text, statement.parameters, m_own);
            } catch (Exception& e) {
                if (!m_described)
                    describe(e, statements.failedIndex());
                throw;
            }
            // A COMMIT or ROLLBACK of the script ended the run's transaction.
            if (m_own && !m_db.TransactionActive())
                m_own = beginOwnTransaction();
        }
        try {
            statements.finish();
        } catch (Exception& e) {
            describe(e, statements.failedIndex());
            throw;
        }
    }

    // A marker's name that the script's own parameter list lacks.
    std::optional<QString> missingParameter(const QStringList& parameters) {
        if (parameters.isEmpty())
            return std::nullopt;
        if (!m_scriptParameters)
            m_scriptParameters = ScriptParameterNames(*m_script.read());
        for (const QString& name : parameters) {
            if (!m_scriptParameters->contains(name))
                return name;
        }
        return std::nullopt;
    }

    void describe(Exception& e, qint64 index) {
        m_described = true;
        if (index < 0 || index >= static_cast<qint64>(m_places.size()))
            return;
        const StatementPlace& place = m_places[static_cast<size_t>(index)];
        const QString line = QString::number(place.lastLine);
        QString message = e.message();
        if (auto* engine = dynamic_cast<EDBEngineError*>(&e)) {
            engine->notes().append(QStringLiteral("Error on line ") + line);
        } else if (dynamic_cast<EDatabaseError*>(&e)) {
            if (!message.isEmpty())
                message += QStringLiteral(". ");
            message += QStringLiteral("Error on line ") + line;
        }
        message += QStringLiteral("\n\rStatement ") + QString::number(index + 1) +
                   QStringLiteral(": ") + trimmedLine(lineAt(place.firstLine));
        e.setMessage(message);
    }

    // A line read again: the run holds no line of a statement it has handed over.
    QString lineAt(int index) {
        try {
            const std::unique_ptr<ScriptLines> lines = m_script.read();
            QString line;
            for (int i = 0; i <= index; ++i) {
                if (!lines->next(line))
                    return QString();
            }
            return line;
        } catch (const Exception&) {
            // The failure being described says more than a script gone since.
            return QString();
        }
    }

    const ScriptSource& m_script;
    QChar m_terminator;
    TDatabase& m_db;
    bool m_own = false;
    bool m_described = false;
    std::vector<StatementPlace> m_places;
    std::optional<QSet<QString>> m_scriptParameters;
};

}  // namespace

int RunScript(const ScriptSource& script, const QString& divider, TDatabase& database) {
    if (!database.Connected())
        database.Connect();
    if (!database.Connected())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed database"));
    return ScriptRun(script, StatementTerminator(divider), database).run();
}

int RunScript(const QStringList& lines, const QString& divider, TDatabase& database) {
    if (lines.isEmpty())
        throw EDatabaseError(QStringLiteral("No SQL statement available"));
    return RunScript(ScriptLineList(lines), divider, database);
}
