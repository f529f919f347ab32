// "Generate SQL.." through the real main and SQL windows (offscreen) over the generator's table,
// against the sqlite3 shell writing the same rows as INSERT statements.
// Usage: bench_script [rows ...]   (default 100000 1000000)
#include "app/MainActions.h"
#include "app/MainLayout.h"
#include "app/uMain.h"
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/Exceptions.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "grids/RecordGrid.h"
#include "grids/RowSelection.h"
#include "script/InsertStatement.h"
#include "script/ScriptBuffer.h"
#include "script/ScriptGeneration.h"
#include "script/uSQL.h"
#include "transfer/BatchRun.h"

#include <malloc.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

// OK to the mapping dialog; Yes to "Abort ?", which only the editor's limit raises here.
class BenchPrompts : public UserPrompts {
public:
    Button message(const QString& text, const QString& caption, Buttons buttons, Icon) override {
        std::fprintf(stderr, "  asked %s: %s\n", qPrintable(caption),
                     qPrintable(QString(text).replace(QLatin1String("\n\r"), QLatin1String(" "))));
        return (buttons & Yes) ? Yes : Ok;
    }
    std::optional<Login> login(const QString&, const QString&) override { return std::nullopt; }
    bool tablePassword(TSession&) override { return false; }
    std::optional<QString> saveFileName(const FileRequest&) override { return std::nullopt; }
    int execDialog(QObject&) override { return 1; }
};

double seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The sqlite3 shell writing `rows` rows as INSERT statements, output thrown away.
double sqliteShell(const QString& path, qint64 rows) {
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"),
                {path, QStringLiteral(".mode insert T"),
                 QStringLiteral("SELECT * FROM BENCH ORDER BY ID LIMIT %1").arg(rows)});
    shell.waitForFinished(-1);
    return seconds(timer);
}

// The same pieces without the windows: the script buffer alone, no editor, no progress display,
// the event pass kept.
class BufferSide : public ScriptSide {
public:
    ScriptBuffer buffer;
    void clearAndShow() override { buffer.ClearScript(); }
    void addText(const QString& text) override { buffer.AddText(text); }
    void repaintScript() override {}
    bool scriptVisible() override { return true; }
    int sqlDialect() override { return InsertStatement::Ansi; }
    QString sqlDialectName() override { return QStringLiteral("Ansi SQL"); }
    QString scriptDivider() override { return QStringLiteral(";"); }
    bool autoCommit() override { return false; }
    int autoCommitInterval() override { return 0; }
    QString targetTableName() override { return QStringLiteral("T"); }
    QString sourceConnectText() override { return QStringLiteral("Connected to \"BENCH\""); }
    QString sourceTableName() override { return QStringLiteral("BENCH"); }
};

class EventHost : public BatchHost {
public:
    void enterBusy(int) override {}
    void leaveBusy() override {}
    void processEvents() override { QApplication::processEvents(); }
    void showProgress(int, int, bool) override {}
};

qint64 heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
}

// The time and heap a buffer takes for the window's script, added again in the same pieces:
// one addition a statement (its lines and the empty lines after it), as the run makes them.
void reportBufferCost(TfSQL& sql) {
    QStringList additions;
    qint64 characters = 0;
    for (const QString& line : sql.buffer().lines()) {
        if (additions.isEmpty() || line.startsWith(QLatin1String("INSERT INTO ")))
            additions.append(line);
        else
            additions.last() += QLatin1Char('\n') + line;
        characters += line.size();
    }
    // The best of three rounds: the first also pays for the heap's growth.
    double elapsed = 0;
    qint64 used = 0;
    int lines = 0;
    for (int round = 0; round < 3; ++round) {
        const qint64 before = heapInUse();
        ScriptBuffer copy;
        QElapsedTimer timer;
        timer.start();
        for (const QString& text : additions)
            copy.AddText(text);
        const double took = seconds(timer);
        elapsed = round == 0 ? took : std::min(elapsed, took);
        used = heapInUse() - before;
        lines = copy.lineTotal();
    }
    std::printf(
        "  the script added again to a bare buffer: %lld additions in %.3f s at best (%.2f us "
        "each); "
        "%d lines take %.1f MiB, %.1f bytes a line besides the text's 2 bytes a character\n",
        static_cast<long long>(additions.size()), elapsed, elapsed * 1e6 / additions.size(), lines,
        used / 1048576.0, static_cast<double>(used - 2 * characters) / lines);
}

double windowless(TTable& table, RowSelection& selection, const FieldMappingArray& mapping,
                  qint64& statements) {
    BufferSide side;
    ScriptGeneration generation(table, mapping, side);
    EventHost host;
    BatchRun run(host);
    // The grid still shows the table: keep it from following every row, as a run does.
    table.SuspendControls();
    QElapsedTimer timer;
    timer.start();
    try {
        run.RunBatch(
            table, selection, [] { return 1; }, generation.Pieces());
    } catch (const Exception& e) {
        // The trailer after the run stopped at the buffer's limit: the window reports it.
        std::fprintf(stderr, "  the buffer alone: %s\n", qPrintable(e.message()));
    }
    const double elapsed = seconds(timer);
    table.ResumeControls();
    statements = 0;
    for (int i = 0; i < side.buffer.LineCount(); ++i)
        statements += side.buffer.LineAt(i).startsWith(QLatin1String("INSERT INTO ")) ? 1 : 0;
    return elapsed;
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toLongLong());
    if (sizes.isEmpty())
        sizes = {100000, 1000000};
    BenchPrompts prompts;
    SetPrompts(&prompts);

    for (const qint64 rows : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.db"));
        BenchGenerator::CreateSqliteTable(path, QStringLiteral("BENCH"), rows);
        QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
        aliases.open(QIODevice::WriteOnly);
        aliases.write(QStringLiteral("[BENCH]\nDRIVER=SQLITE\nPATH=%1\n").arg(path).toUtf8());
        aliases.close();
        qputenv("ROWCART_ALIASES", aliases.fileName().toUtf8());
        TSession::ReloadAliases();

        TfMain main;
        main.show();
        QApplication::processEvents();
        const MainLayout& c = main.controls();
        c.eFromAlias->setEditText(QStringLiteral("BENCH"));
        main.actionList().aFromConnect->trigger();
        c.eFromTable->setEditText(QStringLiteral("BENCH"));
        main.actionList().aFromReopen->trigger();
        c.dbgFrom->selectAllRows();
        c.eToTable->setEditText(QStringLiteral("T"));

        QElapsedTimer timer;
        timer.start();
        main.actionList().aGenerateSQL->trigger();
        const double generate = seconds(timer);
        TfSQL& sql = *main.fSQL();
        qint64 statements = 0;
        qint64 characters = 0;
        const int lines = sql.LineCount();
        for (int i = 0; i < lines; ++i) {
            const QString line = sql.WholeLineAt(i);
            characters += line.size() + 1;
            if (line.startsWith(QLatin1String("INSERT INTO ")))
                ++statements;
        }
        const double shell = sqliteShell(path, statements);
        const double shellAll = sqliteShell(path, rows);
        const double ours = statements / generate;
        const double theirs = statements / shell;
        std::printf(
            "%lld selected rows: %lld statements in %.2f s = %.0f rows/s "
            "(%lld characters, %d lines)\n",
            static_cast<long long>(rows), static_cast<long long>(statements), generate, ours,
            static_cast<long long>(characters), lines);
        std::printf(
            "  sqlite3 shell, same %lld rows: %.2f s = %.0f rows/s; all %lld rows: %.2f s "
            "= %.0f rows/s\n",
            static_cast<long long>(statements), shell, theirs, static_cast<long long>(rows),
            shellAll, rows / shellAll);
        std::printf("  ratio %.2f of the shell; peak memory %.0f MiB\n", ours / theirs,
                    BenchGenerator::PeakMemoryMiB());
        reportBufferCost(sql);
        qint64 bare = 0;
        const double bareTime =
            windowless(main.tFrom(), c.dbgFrom->selection(), main.mapping(), bare);
        std::printf(
            "  the same pieces into the buffer alone, event pass but no window: %lld "
            "statements in %.2f s = %.0f rows/s\n",
            static_cast<long long>(bare), bareTime, bare / bareTime);
        std::fflush(stdout);
        main.tFrom().CloseTable();
    }
    SetPrompts(nullptr);
    return 0;
}
