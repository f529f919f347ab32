#include "script/ScriptGeneration.h"

#include "about/ProductInfo.h"
#include "data/Exceptions.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "script/InsertStatement.h"
#include "script/ScriptText.h"

#include <QDateTime>
#include <cstdlib>

BatchPieces ScriptGeneration::Pieces() {
    BatchPieces pieces;
    pieces.prepare = [this] {
        WriteHeader();
        return true;
    };
    pieces.extraStop = [this] { return !m_side.scriptVisible(); };
    pieces.skipUnselected = false;
    pieces.progressInsideGuard = false;
    pieces.rowStep = [this](int index) { RowStep(index); };
    pieces.stopAfterError = &ScriptGeneration::AskAbort;
    pieces.closing = [this] { WriteTrailer(); };
    return pieces;
}

void ScriptGeneration::WriteHeader() {
    const QDateTime started = QDateTime::currentDateTime();
    m_side.clearAndShow();
    m_side.addText(ScriptText::HeaderLine1(ProductInfo::WebAddress, started));
    m_side.addText(ScriptText::HeaderLine2(m_side.sourceConnectText(), m_side.sourceTableName(),
                                           m_side.sqlDialectName()));
    m_side.addText(QString());
    m_side.repaintScript();
}

void ScriptGeneration::AppendInsertStatement(int dialect) {
    if (!InsertStatement::IsDialect(dialect))
        return;
    const auto chosen = static_cast<InsertStatement::Dialect>(dialect);
    // The names are checked and quoted once for as long as table and dialect stay: doing it for
    // every row costs about a microsecond a row.
    const QString table = m_side.targetTableName();
    if (m_head.isNull() || table != m_headTable || dialect != m_headDialect) {
        m_head = InsertStatement::Head(m_mapping, m_source.NumberOfFields(), table, chosen);
        m_headTable = table;
        m_headDialect = dialect;
    }
    m_side.addText(InsertStatement::RenderWithHead(m_source, m_mapping, m_head,
                                                   m_side.scriptDivider(), chosen,
                                                   [this] { m_side.beforeLongValue(); }));
}

void ScriptGeneration::RowStep(int index) {
    AppendInsertStatement(m_side.sqlDialect());
    if (!m_side.autoCommit())
        return;
    const qint64 interval = std::llabs(static_cast<qint64>(m_side.autoCommitInterval()));
    if (interval == 0)
        throw Exception(QStringLiteral("Division by zero"));
    if (index % interval != 0)
        return;
    m_side.addText(ScriptText::CommitLine(m_side.scriptDivider()));
    m_side.addText(ScriptText::RecordsLine(index, QTime::currentTime()));
}

void ScriptGeneration::WriteTrailer() {
    m_side.addText(ScriptText::CommitLine(m_side.scriptDivider()));
    m_side.addText(ScriptText::FinishedLine(QDateTime::currentDateTime()));
}

bool ScriptGeneration::AskAbort(const QString& message) {
    return Prompts().message(QStringLiteral("Error: ") + message + QStringLiteral("\n\rAbort ?"),
                             QStringLiteral("Abort ?"), UserPrompts::Yes | UserPrompts::No,
                             UserPrompts::Icon::Error) == UserPrompts::Yes;
}
