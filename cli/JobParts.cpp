#include "cli/JobParts.h"

#include "cli/CommandLineHost.h"
#include "cli/CommandLinePrompts.h"
#include "data/Exceptions.h"
#include "data/TField.h"
#include "data/TransferSides.h"
#include "transfer/RowWalk.h"

#include <unistd.h>
#include <QFile>
#include <QSet>
#include <cstring>

namespace JobParts {
namespace {

// Selects the rows of the keys file (one key per line, compound keys' values tab-separated,
// in the fields' text forms) with one walk over the table; returns how many keys no row has.
int selectKeys(SourceSide& source, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UsageError{QStringLiteral("Cannot read the keys file %1").arg(path)};
    const QVector<int> keyFields = source.table.KeyFieldIndexes();
    if (keyFields.isEmpty()) {
        throw Exception(
            QStringLiteral("Table %1 has no key to find rows by").arg(source.table.TableName()));
    }
    QSet<QString> wanted;
    qint64 lineNumber = 0;
    const auto take = [&](const char* begin, const char* end) {
        ++lineNumber;
        while (end != begin && (end[-1] == '\r' || end[-1] == '\n'))
            --end;
        if (end == begin)
            return;
        const QString key = QString::fromUtf8(begin, end - begin);
        if (key.count(QLatin1Char('\t')) + 1 != keyFields.size()) {
            throw UsageError{QStringLiteral("%1:%2: a key of %3 needs %4 tab-separated values")
                                 .arg(path, QString::number(lineNumber), source.table.TableName(),
                                      QString::number(keyFields.size()))};
        }
        wanted.insert(key);
    };
    // A block at a time, cut at line feeds: a huge file of empty lines costs next to nothing.
    QByteArray block;
    QByteArray partial;
    while (!(block = file.read(1 << 20)).isEmpty()) {
        const char* at = block.constData();
        const char* const end = at + block.size();
        while (const char* feed = static_cast<const char*>(std::memchr(at, '\n', end - at))) {
            if (partial.isEmpty()) {
                take(at, feed);
            } else {
                partial.append(at, feed - at);
                take(partial.constData(), partial.constData() + partial.size());
                partial.clear();
            }
            at = feed + 1;
        }
        partial.append(at, end - at);
    }
    if (!partial.isEmpty())
        take(partial.constData(), partial.constData() + partial.size());
    TTable& table = source.table;
    table.MoveFirst();
    QStringList parts;
    while (!table.AtEnd() && !wanted.isEmpty()) {
        parts.clear();
        for (int index : keyFields)
            parts.append(table.FieldAt(index)->ReadText());
        if (wanted.remove(parts.join(QLatin1Char('\t'))))
            source.selection.SetCurrentRowSelected(true);
        table.MoveNext();
    }
    for (const QString& key : wanted)
        PrintError(QStringLiteral("Key not found: ") + key);
    return wanted.size();
}

}  // namespace

SourceSide::SourceSide(const QString& alias, CommandLinePrompts& prompts)
    : session(TransferSides::SourceSession) {
    TransferSides::SetUpSource(database, table);
    connect(database, alias, prompts);
}

void SourceSide::open(const QString& name) {
    table.CloseTable();
    table.SetTableName(name);
    table.OpenTable();
    selection.setTable(&table);
}

TargetSide::TargetSide(const QString& alias, CommandLinePrompts& prompts) {
    TransferSides::SetUpTarget(database, table);
    connect(database, alias, prompts);
}

void TargetSide::open(const QString& name) {
    table.CloseTable();
    table.SetTableName(name);
    table.OpenTable();
}

DryRun::DryRun(TDatabase& database, TTable& table, bool active)
    : m_database(database), m_table(table), m_active(active) {
    if (m_active)
        m_database.BeginTransaction();
}

DryRun::~DryRun() {
    if (!m_active)
        return;
    try {
        if (m_table.Active())
            m_table.CancelPendingUpdates();
        if (m_database.TransactionActive())
            m_database.RollbackTransaction();
    } catch (const Exception& e) {
        PrintError(e.message());
    }
}

void connect(TDatabase& database, const QString& alias, CommandLinePrompts& prompts) {
    database.SetAliasName(alias);
    prompts.setAliasForLogin(alias);
    database.Connect();
}

std::unique_ptr<RowWalk> rowsOf(SourceSide& source, const JobOptions& options, int& notFound) {
    notFound = 0;
    if (options.keysFile.isEmpty())
        return std::make_unique<TableWalk>(source.table);
    notFound = selectKeys(source, options.keysFile);
    return std::make_unique<SelectionWalk>(source.selection);
}

FieldMappingArray buildMapping(const TTable& source, const JobOptions& options) {
    FieldMappingArray mapping;
    for (int i = 0; i < source.NumberOfFields(); ++i) {
        const QString name = source.FieldAt(i)->FieldName();
        mapping.append(FieldMapping{name, name});
    }
    for (const auto& [from, to] : options.maps) {
        bool found = false;
        for (FieldMapping& entry : mapping) {
            if (entry.sourceName.compare(from, Qt::CaseInsensitive) == 0) {
                entry.targetName = to;
                found = true;
            }
        }
        if (!found) {
            throw UsageError{
                QStringLiteral("--map %1: table %2 has no field %1").arg(from, source.TableName())};
        }
    }
    return mapping;
}

bool barWanted(const JobOptions& options) {
    return !options.quiet && isatty(STDERR_FILENO);
}

QString seconds(const QElapsedTimer& timer) {
    return QString::number(timer.elapsed() / 1000.0, 'f', 1);
}

namespace {

void reportRowFailure(TTable& source, const QString& message, bool rowsOwn, bool skipped) {
    if (!rowsOwn) {
        PrintError(QStringLiteral("Stopped: ") + message);
        return;
    }
    PrintError(QStringLiteral("Row %1 %2: %3")
                   .arg(source.DescribeCurrentRow(),
                        skipped ? QStringLiteral("skipped") : QStringLiteral("failed"), message));
}

}  // namespace

void reportFailuresOf(BatchPieces& pieces, TTable& source, const JobOptions& options) {
    pieces.sayNoRows = !options.keysFile.isEmpty();
    pieces.onRowFailure = options.skipFailedRows ? RowFailurePolicy::Skip : RowFailurePolicy::Stop;
    pieces.rowFailed = [&source](int, const QString& message, bool rowsOwn, bool skipped) {
        reportRowFailure(source, message, rowsOwn, skipped);
    };
}

int exitFor(const BatchOutcome& outcome, bool failed, qint64 skipped) {
    if (outcome.stopped && CommandLineHost::interrupted())
        return ExitInterrupted;
    if (failed || outcome.stoppedOnError || !outcome.completed)
        return ExitFailed;
    return skipped > 0 ? ExitRowsSkipped : ExitDone;
}

}  // namespace JobParts
