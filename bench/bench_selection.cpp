// Record grid and row selection on a large SQLite table: opening it in the source grid,
// jumping to its end, "SelAll", the repeated "is this row selected" question of painting, and
// painting with every row selected.
// Usage: bench_selection [rows=1000000]
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/TDatabase.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "grids/RecordGrid.h"
#include "grids/RecordModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void report(const char* what, double ms, const QString& note = QString()) {
    std::printf("%-44s %10.1f ms  peak %6.0f MiB  %s\n", what, ms, BenchGenerator::PeakMemoryMiB(),
                qPrintable(note));
    std::fflush(stdout);
}

void pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("selection.db"));
    QElapsedTimer timer;
    timer.start();
    BenchGenerator::CreateSqliteTable(path, QStringLiteral("BENCH"), rows);
    report("generate table (one transaction)", elapsedMs(timer),
           QStringLiteral("%1 rows").arg(rows));

    QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
    aliases.open(QIODevice::WriteOnly);
    aliases.write(QStringLiteral("[BENCH]\nDRIVER=SQLITE\nPATH=%1\n").arg(path).toUtf8());
    aliases.close();
    qputenv("ROWCART_ALIASES", aliases.fileName().toUtf8());
    TSession::ReloadAliases();

    TDatabase db;
    db.SetDatabaseName(QStringLiteral("BENCH"));
    db.SetAliasName(QStringLiteral("BENCH"));
    db.Connect();
    TTable table;
    table.SetDatabaseName(QStringLiteral("BENCH"));
    table.SetTableName(QStringLiteral("BENCH"));
    table.SetReadOnly(true);

    RecordGrid grid(RecordGrid::Role::Source);
    grid.resize(1000, 600);
    grid.setTable(&table);
    grid.show();
    QApplication::processEvents();

    timer.restart();
    table.OpenTable();
    grid.viewport()->repaint();
    report("open table and paint the grid", elapsedMs(timer),
           QStringLiteral("%1 rows in the view").arg(grid.model()->rowCount()));

    timer.restart();
    pressKey(&grid, Qt::Key_End, Qt::ControlModifier);
    grid.viewport()->repaint();
    report("Ctrl+End to the last row and paint", elapsedMs(timer),
           QStringLiteral("current row %1").arg(table.RecNo()));

    timer.restart();
    QScrollBar* bar = grid.verticalScrollBar();
    constexpr int Jumps = 50;
    for (int i = 0; i < Jumps; ++i) {
        bar->setValue(static_cast<int>(static_cast<qint64>(bar->maximum()) * i / Jumps));
        grid.viewport()->repaint();
    }
    report("scroll bar jumps, each painted (per jump)", elapsedMs(timer) / Jumps);

    timer.restart();
    pressKey(&grid, Qt::Key_Home, Qt::ControlModifier);
    grid.viewport()->repaint();
    report("Ctrl+Home back to the first row and paint", elapsedMs(timer));

    // What the walk alone costs, for comparison with "SelAll".
    timer.restart();
    qint64 walked = 0;
    table.SuspendControls();
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        walked += table.CurrentBookmark().isEmpty() ? 0 : 1;
    table.ResumeControls();
    report("walk MoveFirst..MoveNext, no selection", elapsedMs(timer),
           QStringLiteral("%1 rows").arg(walked));

    table.MoveTo(rows / 2);
    const qint64 before = grid.selection().comparisons();
    timer.restart();
    grid.selectAllRows();
    const double selectMs = elapsedMs(timer);
    const qint64 selectComparisons = grid.selection().comparisons() - before;
    report("SelAll", selectMs,
           QStringLiteral("Count() %1, %2 comparisons, current row back at %3")
               .arg(grid.selection().Count())
               .arg(selectComparisons)
               .arg(table.RecNo()));

    constexpr int Questions = 1000000;
    grid.selection().CurrentRowSelected();
    const qint64 askedBefore = grid.selection().comparisons();
    timer.restart();
    int yes = 0;
    for (int i = 0; i < Questions; ++i)
        yes += grid.selection().CurrentRowSelected() ? 1 : 0;
    report("CurrentRowSelected x 1,000,000, same row", elapsedMs(timer),
           QStringLiteral("%1 comparisons, %2 answered yes")
               .arg(grid.selection().comparisons() - askedBefore)
               .arg(yes));

    table.MoveTo(rows - 1);
    const qint64 searchBefore = grid.selection().comparisons();
    grid.selection().CurrentRowSelected();
    report("CurrentRowSelected, a new row", 0,
           QStringLiteral("%1 comparisons").arg(grid.selection().comparisons() - searchBefore));

    timer.restart();
    for (int i = 0; i < Jumps; ++i) {
        bar->setValue(static_cast<int>(static_cast<qint64>(bar->maximum()) * i / Jumps));
        grid.viewport()->repaint();
    }
    report("scroll with every row selected (per jump)", elapsedMs(timer) / Jumps);

    timer.restart();
    table.CloseTable();
    table.OpenTable();
    report("reopen (selection emptied)", elapsedMs(timer),
           QStringLiteral("Count() %1").arg(grid.selection().Count()));
    return 0;
}
