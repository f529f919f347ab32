// Printing the generator's table to PDF offscreen, as "Print.." lays it out: optimal widths,
// the page-counting pass and the drawing pass, each a forward walk of the table. Reports
// pages/s, rows/s and the peak memory of the printing alone (the peak is reset before it).
// Usage: bench_print [rows ...]   (default 10000 100000)
// With ROWCART_PRINT_PDF_DIR set, the PDFs and a picture of the preview are kept there.
#include "bench/support/BenchGenerator.h"
#include "bench/support/BenchIsolation.h"
#include "data/TDatabase.h"
#include "data/TSession.h"
#include "data/TTable.h"
#include "grids/PreviewFormEh.h"
#include "grids/PrintDBGridEh.h"
#include "grids/RecordGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// Events after every row, as the preview processes them, so the cost is the application's.
class EventsPerRow : public PrintProgress {
public:
    void rowPrinted() override { QApplication::processEvents(); }
};

void resetPeakMemory() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

// Processor time of this process: on a shared machine it varies less than the wall clock.
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void report(qint64 rows, const char* what, double seconds, double cpu, int pages,
            const QString& note) {
    std::printf(
        "%7lld rows  %-18s %7.2f s (cpu %7.2f s)  %5d pages  %6.1f pages/s  %6.0f rows/s"
        "  (cpu: %6.0f rows/s)  peak %4.0f MiB  %s\n",
        static_cast<long long>(rows), what, seconds, cpu, pages, pages / seconds, rows / seconds,
        rows / cpu, BenchGenerator::PeakMemoryMiB(), qPrintable(note));
    std::fflush(stdout);
}

void benchRows(qint64 rows, const QString& keepDir) {
    QTemporaryDir dir;
    const QString alias = QStringLiteral("PRINT%1").arg(rows);
    const QString path = dir.filePath(QStringLiteral("print.db"));
    BenchGenerator::CreateSqliteTable(path, QStringLiteral("BENCH"), rows);
    QFile aliases(dir.filePath(QStringLiteral("aliases.conf")));
    aliases.open(QIODevice::WriteOnly);
    aliases.write(QStringLiteral("[%1]\nDRIVER=SQLITE\nPATH=%2\n").arg(alias, path).toUtf8());
    aliases.close();
    qputenv("ROWCART_ALIASES", aliases.fileName().toUtf8());
    TSession::ReloadAliases();

    TDatabase db;
    db.SetDatabaseName(alias);
    db.SetAliasName(alias);
    db.Connect();
    TTable table;
    table.SetDatabaseName(alias);
    table.SetTableName(QStringLiteral("BENCH"));
    table.SetCachedUpdates(true);
    table.SetUpdateMode(upWhereChanged);
    RecordGrid grid(RecordGrid::Role::Target);
    grid.resize(1000, 600);
    grid.setTable(&table);
    grid.show();
    table.OpenTable();
    QApplication::processEvents();

    TPrintDBGridEh printer(&grid);
    printer.PageHeader().LeftText = {
        QStringLiteral("&[ShortDate] &[Time] Connected to \"BENCH\" table \"BENCH\"")};

    const QString pdf = QDir(keepDir.isEmpty() ? dir.path() : keepDir)
                            .filePath(QStringLiteral("print%1.pdf").arg(rows));
    resetPeakMemory();
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuSeconds();
    int pages = 0;
    {
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(pdf);
        EventsPerRow progress;
        pages = printer.PrintTo(device, device.resolution(), progress);
    }
    report(rows, "to PDF (3 walks)", timer.nsecsElapsed() / 1e9, cpuSeconds() - cpu, pages,
           QStringLiteral("%1 MiB PDF").arg(QFileInfo(pdf).size() / 1048576.0, 0, 'f', 1));

    // The preview keeps every page for its window, so its memory follows the page count.
    resetPeakMemory();
    timer.restart();
    cpu = cpuSeconds();
    printer.PreviewGrid();
    TPreviewFormEh* preview = printer.PreviewForm();
    report(rows, "into the preview", timer.nsecsElapsed() / 1e9, cpuSeconds() - cpu,
           preview->pageCount(), QStringLiteral("pages kept in the window"));
    if (!keepDir.isEmpty()) {
        QApplication::processEvents();
        const QPixmap shot = preview->grab();
        shot.save(QDir(keepDir).filePath(QStringLiteral("preview%1.png").arg(rows)));
    }
    preview->close();
}

}  // namespace

int main(int argc, char* argv[]) {
    IsolateFromUserSettings();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<qint64> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QByteArray(argv[i]).toLongLong());
    if (counts.isEmpty())
        counts = {10000, 100000};
    const QString keepDir = qEnvironmentVariable("ROWCART_PRINT_PDF_DIR");
    for (qint64 rows : counts)
        benchRows(rows, keepDir);
    return 0;
}
