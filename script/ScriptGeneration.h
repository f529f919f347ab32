#pragma once

#include "transfer/BatchRun.h"
#include "transfer/FieldMapping.h"

#include <QString>

class TTable;

// What a script run reads and where it writes. The main window and its SQL window supply the
// live ones; every value is read afresh at each use.
class ScriptSide {
public:
    virtual ~ScriptSide() = default;

    // Empties the script buffer and shows the script's window.
    virtual void clearAndShow() = 0;
    virtual void addText(const QString& text) = 0;
    virtual void repaintScript() = 0;
    // False once the user closed the script's window: the run stops.
    virtual bool scriptVisible() = 0;
    // Runs before the digits of a long value are written, to keep the windows drawn.
    virtual void beforeLongValue() {}

    virtual int sqlDialect() = 0;
    virtual QString sqlDialectName() = 0;
    virtual QString scriptDivider() = 0;
    virtual bool autoCommit() = 0;
    virtual int autoCommitInterval() = 0;
    virtual QString targetTableName() = 0;
    virtual QString sourceConnectText() = 0;
    virtual QString sourceTableName() = 0;
};

// The pieces that make a batch run write an INSERT script of the selected source rows.
class ScriptGeneration {
public:
    ScriptGeneration(TTable& source, const FieldMappingArray& mapping, ScriptSide& side)
        : m_source(source), m_mapping(mapping), m_side(side) {}

    BatchPieces Pieces();

    // Preparation: the buffer cleared, the window shown, the two header lines and an empty one.
    void WriteHeader();
    // The statement of the source's current row in `dialect` (0 to 2), added in one addition.
    void AppendInsertStatement(int dialect);
    // RowStep for list position `index`: the statement, then the commit marker when auto-commit
    // calls for it.
    void RowStep(int index);
    // Closing step: the final COMMIT line and the closing comment.
    void WriteTrailer();
    // The per-row question "Abort ?"; true when the answer is Yes.
    static bool AskAbort(const QString& message);

private:
    TTable& m_source;
    const FieldMappingArray& m_mapping;
    ScriptSide& m_side;
    // The statements' head for the table and dialect it was made for.
    QString m_head;
    QString m_headTable;
    int m_headDialect = -1;
};
