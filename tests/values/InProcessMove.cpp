#include "tests/values/InProcessMove.h"

#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "grids/RowSelection.h"
#include "tests/support/ScriptedPrompts.h"
#include "transfer/BatchRun.h"
#include "transfer/RowTransfer.h"

#include <QStringList>

namespace {

class QuietHost : public BatchHost {
public:
    void enterBusy(int) override {}
    void leaveBusy() override {}
    void processEvents() override {}
    void showProgress(int, int, bool) override {}
};

// Answers "Continue ?" with Yes and keeps the message of each failed row.
class SkippingPrompts : public UserPrompts {
public:
    SkippingPrompts() { SetPrompts(this); }
    ~SkippingPrompts() override { SetPrompts(&ScriptedPrompts::instance()); }

    Button message(const QString& text, const QString& caption, Buttons, Icon) override {
        if (caption != QLatin1String("Continue ?")) {
            others.append(text);
            return Cancel;
        }
        QString failure = text;
        failure.remove(0, failure.indexOf(QLatin1String("\n\r")) + 2);
        failure.chop(QStringLiteral("\n\rContinue ?").size());
        failures.append(failure);
        return Yes;
    }
    std::optional<Login> login(const QString&, const QString&) override { return std::nullopt; }
    bool tablePassword(TSession&) override { return false; }
    std::optional<QString> saveFileName(const FileRequest&) override { return std::nullopt; }
    int execDialog(QObject&) override { return 2; }

    QStringList failures;
    QStringList others;
};

void open(TDatabase& db, TTable& table, Engine engine, const QString& name, const QString& tag) {
    db.SetDatabaseName(tag);
    db.SetAliasName(ValueEngines::instance().alias(engine));
    db.LoginPrompt = false;
    table.SetDatabaseName(tag);
    table.SetTableName(name);
    table.OpenTable();
}

}  // namespace

HopResult MoveInProcess(Engine from, const QString& sourceTable, Engine to,
                        const QString& targetTable, bool typed) {
    TDatabase sourceDb, targetDb;
    TTable source, target;
    sourceDb.SetReadOnly(true);
    source.SetReadOnly(true);
    target.SetCachedUpdates(true);
    target.SetUpdateMode(upWhereChanged);
    open(sourceDb, source, from, sourceTable, QStringLiteral("random_from"));
    open(targetDb, target, to, targetTable, QStringLiteral("random_to"));
    RowSelection selection;
    selection.setTable(&source);
    selection.SelectAll();

    FieldMappingArray mapping;
    for (int i = 0; i < source.NumberOfFields(); ++i)
        mapping.append({source.FieldAt(i)->FieldName(), source.FieldAt(i)->FieldName()});
    MoveOptions options;
    options.noTypeComparison = [typed] { return typed; };
    options.autoCommit = [] { return false; };
    options.autoCommitInterval = [] { return qint64(0); };
    RowTransfer transfer(source, target, mapping, options);
    SkippingPrompts prompts;
    QuietHost host;
    BatchRun run(host);
    run.RunBatch(
        source, selection, [] { return 1; }, transfer.pieces());
    target.CommitPendingUpdates();

    HopResult result;
    result.refusals = prompts.failures + prompts.others;
    result.arrived = ValueEngines::instance().read(to, targetTable);
    return result;
}
