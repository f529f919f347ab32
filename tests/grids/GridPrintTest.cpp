#include "grids/PageMacros.h"
#include "grids/PreviewFormEh.h"
#include "grids/PrintDBGridEh.h"
#include "grids/PrnDBGridEhSetupDialog.h"
#include "grids/RecordModel.h"
#include "tests/grids/GridHarness.h"
#include "tests/grids/PdfText.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace {

// Two minutes apart, so that a header showing the wrong one is caught.
const QDateTime CountingTime(QDate(2026, 3, 4), QTime(5, 6, 7));
const QDateTime DrawingTime(QDate(2026, 3, 5), QTime(8, 9, 10));

// 2 cm from the paper edge, in points.
constexpr double MarginPoints = 2.0 / 2.54 * 72.0;

class GridPrint : public ::testing::Test {
protected:
    void open(const QString& table) {
        ui = std::make_unique<GridHarness>(RecordGrid::Role::Target, db.openTarget(table));
        printer = std::make_unique<TPrintDBGridEh>(&ui->grid);
        printer->PageHeader().LeftText = {QStringLiteral("&[ShortDate] &[Time] header")};
        auto calls = std::make_shared<int>(0);
        printer->setClock([calls] { return (*calls)++ == 0 ? CountingTime : DrawingTime; });
    }

    // A table of `columns` text columns c1.. whose values are `width` characters long.
    void createWide(const QString& table, int columns, int width, int rows) {
        QStringList names{QStringLiteral("id INTEGER PRIMARY KEY")};
        QStringList values;
        for (int c = 1; c <= columns; ++c) {
            names.append(QStringLiteral("c%1 VARCHAR(200)").arg(c));
            values.append(QStringLiteral("'%1'").arg(QString(width, QLatin1Char('a' + c % 26))));
        }
        db.exec(
            QStringLiteral("CREATE TABLE %1 (%2)").arg(table, names.join(QStringLiteral(", "))));
        for (int r = 1; r <= rows; ++r)
            db.exec(QStringLiteral("INSERT INTO %1 VALUES (%2, %3)")
                        .arg(table, QString::number(r), values.join(QStringLiteral(", "))));
    }

    QString title(int column) {
        return ui->grid.model()->headerData(column, Qt::Horizontal).toString();
    }

    QVector<PdfPage> printToPdf() {
        const QString path = dir.filePath(QStringLiteral("grid%1.pdf").arg(++files));
        {
            QPdfWriter writer(path);
            writer.setResolution(600);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            PrintProgress progress;
            printer->PrintTo(writer, 600, progress);
        }
        return ReadPdf(path);
    }

    QVector<PdfPage> previewToPdf() {
        TPreviewFormEh* preview = printer->PreviewForm();
        const QString path = dir.filePath(QStringLiteral("preview%1.pdf").arg(++files));
        ScriptedPrompts::instance().answerDialog([preview, path](QObject&) {
            preview->printer().setOutputFileName(path);
            return 1;
        });
        preview->tbPrint->click();
        return ReadPdf(path);
    }

    void TearDown() override {
        ScriptedPrompts::instance().reset();
        if (printer && printer->PreviewForm())
            printer->PreviewForm()->close();
    }

    QTemporaryDir dir;
    int files = 0;
    GridTestDatabase db;
    std::unique_ptr<GridHarness> ui;
    std::unique_ptr<TPrintDBGridEh> printer;
};

TEST_F(GridPrint, OnePageTablePrintsPageOneOfOneAtTheBottomRight) {
    db.createNumbered(QStringLiteral("few"), 5);
    open(QStringLiteral("few"));
    ui->table->MoveTo(3);
    const QByteArray current = ui->table->CurrentBookmark();

    const QVector<PdfPage> pages = printToPdf();
    ASSERT_EQ(pages.size(), 1);
    const PdfPage& page = pages[0];
    EXPECT_TRUE(page.contains(QStringLiteral("Page 1 of 1")));
    EXPECT_TRUE(page.contains(QStringLiteral("Row 5")));
    const QRectF footer = page.word(QStringLiteral("Page")).box;
    double right = 0;
    for (const PdfPage::Word& word : page.words) {
        if (word.box.top() >= footer.top() - 1)
            right = std::max(right, word.box.right());
        else
            EXPECT_LT(word.box.bottom(), footer.top()) << word.text.toStdString();
    }
    EXPECT_GT(footer.bottom(), page.size.height() - MarginPoints - 20);
    EXPECT_NEAR(right, page.size.width() - MarginPoints, 3);
    // Back on its row, with its controls resumed.
    EXPECT_EQ(ui->table->CurrentBookmark(), current);
    EXPECT_FALSE(ui->table->ControlsSuspended());
}

TEST_F(GridPrint, SeveralPagesShowOneTotalAndTheDrawingPassDateAndTime) {
    db.createNumbered(QStringLiteral("many"), 250);
    open(QStringLiteral("many"));
    const QVector<PdfPage> pages = printToPdf();
    ASSERT_GT(pages.size(), 2);
    const PageMacroValues drawing = PageMacroValues::at(DrawingTime);
    const PageMacroValues counting = PageMacroValues::at(CountingTime);
    for (int i = 0; i < pages.size(); ++i) {
        const QString text = pages[i].text();
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())))
            << i;
        EXPECT_TRUE(text.startsWith(drawing.shortDate + QLatin1Char(' ') + drawing.time)) << i;
        EXPECT_FALSE(text.contains(counting.time)) << i;
        // Titles on every page.
        EXPECT_TRUE(text.contains(title(1))) << i;
    }
    EXPECT_TRUE(pages.last().contains(QStringLiteral("Row 250")));
}

TEST_F(GridPrint, WideGridIsShrunkColumnByColumnAndNarrowOneIsNotWidened) {
    db.createNumbered(QStringLiteral("narrow"), 3);
    createWide(QStringLiteral("wide"), 8, 40, 3);
    open(QStringLiteral("narrow"));
    const QVector<PdfPage> narrow = printToPdf();
    ASSERT_EQ(narrow.size(), 1);
    const QRectF lastNarrowTitle = narrow[0].word(title(2)).box;
    EXPECT_LT(lastNarrowTitle.right(), narrow[0].size.width() / 2);

    open(QStringLiteral("wide"));
    const QVector<PdfPage> wide = printToPdf();
    ASSERT_EQ(wide.size(), 1);
    for (int column = 0; column <= 8; ++column)
        EXPECT_TRUE(wide[0].contains(title(column))) << column;
    const QRectF lastWideTitle = wide[0].word(title(8)).box;
    EXPECT_LE(lastWideTitle.right(), wide[0].size.width() - MarginPoints);
    EXPECT_GT(lastWideTitle.right(), wide[0].size.width() * 0.8);
    // Columns lose width, the text keeps its size.
    EXPECT_NEAR(wide[0].word(title(0)).box.height(), narrow[0].word(title(0)).box.height(), 0.5);
}

TEST_F(GridPrint, ScalingTheWholeTableToTheWidthShrinksItsTextToo) {
    createWide(QStringLiteral("wide"), 8, 40, 3);
    open(QStringLiteral("wide"));
    const QVector<PdfPage> byColumns = printToPdf();
    printer->Settings().Options &= ~pghFitingByColWidths;
    const QVector<PdfPage> scaled = printToPdf();
    ASSERT_EQ(scaled.size(), 1);
    const PdfPage::Word last = scaled[0].word(title(8));
    EXPECT_LE(last.box.right(), scaled[0].size.width() - MarginPoints);
    EXPECT_LT(last.box.height(), byColumns[0].word(title(8)).box.height() * 0.8);
}

TEST_F(GridPrint, WithoutFittingColumnGroupsPrintEachBlockOfRowsOnPagesOfTheirOwn) {
    createWide(QStringLiteral("wide"), 8, 40, 3);
    open(QStringLiteral("wide"));
    printer->Settings().Options = pghOptimalColWidths | pghColored;
    const QVector<PdfPage> pages = printToPdf();
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages.first().contains(title(0)));
    EXPECT_FALSE(pages.first().contains(title(8)));
    EXPECT_TRUE(pages.last().contains(title(8)));
    EXPECT_FALSE(pages.last().contains(title(1)));
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(
            pages[i].contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())));
        // Every row is printed once per group: each cell text of the page three times.
        QString cell;
        for (const PdfPage::Word& word : pages[i].words)
            if (word.text.size() == 40 && cell.isEmpty())
                cell = word.text;
        EXPECT_EQ(pages[i].text().count(cell), 3) << i;
    }
}

TEST_F(GridPrint, RowAutoStretchWrapsLongTextOntoMoreLines) {
    db.createNames(
        QStringLiteral("names"),
        {QStringLiteral("alpha beta gamma delta epsilon zeta eta theta iota kappa lambda"),
         QStringLiteral("next")});
    open(QStringLiteral("names"));
    // Screen widths, so that the long text does not fit its column.
    printer->Settings().Options = pghFitGridToPageWidth | pghFitingByColWidths | pghRowAutoStretch;
    const PdfPage stretched = printToPdf().value(0);
    printer->Settings().Options &= ~pghRowAutoStretch;
    const PdfPage single = printToPdf().value(0);
    for (const PdfPage* page : {&stretched, &single})
        ASSERT_FALSE(page->word(QStringLiteral("lambda")).text.isEmpty());
    const auto top = [](const PdfPage& page, const char* word) {
        return page.word(QString::fromLatin1(word)).box.top();
    };
    EXPECT_GT(top(stretched, "lambda"), top(stretched, "alpha") + 1);
    EXPECT_GT(top(stretched, "next"), top(stretched, "lambda"));
    EXPECT_NEAR(top(single, "lambda"), top(single, "alpha"), 1);
}

TEST_F(GridPrint, StopKeepsThePagesDrawnSoFarAndPrintingAgainRendersAnew) {
    db.createNumbered(QStringLiteral("many"), 400);
    open(QStringLiteral("many"));
    printer->PreviewGrid();
    const int total = printer->PreviewForm()->pageCount();
    ASSERT_GT(total, 3);

    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        TPreviewFormEh* preview = printer->PreviewForm();
        if (preview && preview->pageCount() >= 2 && preview->tbStop->isEnabled())
            preview->tbStop->click();
    });
    stopper.start(0);
    printer->PreviewGrid();
    stopper.stop();
    TPreviewFormEh* preview = printer->PreviewForm();
    ASSERT_NE(preview, nullptr);
    EXPECT_GE(preview->pageCount(), 2);
    EXPECT_LT(preview->pageCount(), total);
    EXPECT_EQ(preview->currentPage(), 1);
    EXPECT_FALSE(ui->table->ControlsSuspended());
    const QVector<PdfPage> kept = previewToPdf();
    ASSERT_EQ(kept.size(), preview->pageCount());
    EXPECT_TRUE(kept[0].contains(QStringLiteral("Page 1 of %1").arg(total)));

    printer->PreviewGrid();
    EXPECT_EQ(preview->pageCount(), total);
}

TEST_F(GridPrint, DatabaseErrorEndsRenderingWithThePagesSoFarAndIsReported) {
    db.createNumbered(QStringLiteral("gone"), 1200);
    open(QStringLiteral("gone"));
    printer->PageFooter().RightText = {QStringLiteral("Page &[Page]")};
    QTimer::singleShot(0, [&] { db.exec(QStringLiteral("DROP TABLE gone")); });
    EXPECT_FALSE(RunCommand([&] { printer->PreviewGrid(); }));
    ASSERT_EQ(ScriptedPrompts::instance().messages().size(), 1);
    TPreviewFormEh* preview = printer->PreviewForm();
    ASSERT_NE(preview, nullptr);
    EXPECT_GT(preview->pageCount(), 0);
    EXPECT_FALSE(preview->rendering());
    EXPECT_FALSE(ui->table->ControlsSuspended());
}

TEST_F(GridPrint, PreviewControlsFollowThePagesAndTheRendering) {
    db.createNumbered(QStringLiteral("many"), 400);
    open(QStringLiteral("many"));
    bool stopEnabledWhileRendering = false;
    bool closeDisabledWhileRendering = false;
    bool painted = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        TPreviewFormEh* preview = printer->PreviewForm();
        if (preview && preview->rendering()) {
            // Painting the page shown while later pages are added.
            if (preview->pageCount() >= 2 && !painted) {
                preview->grab();
                painted = true;
            }
            stopEnabledWhileRendering = preview->tbStop->isEnabled();
            closeDisabledWhileRendering = !preview->tbClose->isEnabled() &&
                                          !preview->tbPrint->isEnabled() &&
                                          !preview->tbPrinterSetup->isEnabled();
        }
    });
    probe.start(0);
    printer->PreviewGrid();
    probe.stop();
    EXPECT_TRUE(stopEnabledWhileRendering);
    EXPECT_TRUE(closeDisabledWhileRendering);

    TPreviewFormEh& preview = *printer->PreviewForm();
    const int count = preview.pageCount();
    EXPECT_TRUE(preview.isVisible());
    EXPECT_TRUE(preview.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(preview.windowTitle(),
              QStringLiteral("Предварительный просмотр - Табличная информация"));
    EXPECT_EQ(preview.lStatus->text(), QStringLiteral("Страница 1 из %1").arg(count));
    EXPECT_EQ(preview.cbScale->count(), TPreviewFormEh::ScaleCaptions.size());
    EXPECT_EQ(preview.cbScale->currentText(), QStringLiteral("Страница целиком"));
    EXPECT_FALSE(preview.tbStop->isEnabled());
    EXPECT_TRUE(preview.tbClose->isEnabled());
    EXPECT_TRUE(preview.tbPrint->isEnabled());
    EXPECT_TRUE(preview.tbPrinterSetup->isEnabled());
    EXPECT_FALSE(preview.tbPrevPage->isEnabled());
    EXPECT_TRUE(preview.tbNextPage->isEnabled());

    // A click steps once: no extra step on release.
    QTest::mouseClick(preview.tbNextPage, Qt::LeftButton);
    EXPECT_EQ(preview.currentPage(), 2);
    EXPECT_EQ(preview.lStatus->text(), QStringLiteral("Страница 2 из %1").arg(count));
    EXPECT_TRUE(preview.tbPrevPage->isEnabled());
    // Held down, it repeats.
    QTest::mousePress(preview.tbNextPage, Qt::LeftButton);
    QTest::qWait(900);
    QTest::mouseRelease(preview.tbNextPage, Qt::LeftButton);
    EXPECT_GT(preview.currentPage(), 4);
    const int held = preview.currentPage();
    QTest::qWait(300);
    EXPECT_EQ(preview.currentPage(), held);
}

TEST_F(GridPrint, SetupDialogAppliesOnOkAndRendersAgain) {
    createWide(QStringLiteral("wide"), 8, 40, 3);
    open(QStringLiteral("wide"));
    printer->PreviewGrid();
    TPreviewFormEh& preview = *printer->PreviewForm();
    ASSERT_EQ(preview.pageCount(), 1);

    ScriptedPrompts::instance().answerDialog([](QObject& dialog) {
        auto* setup = qobject_cast<TfPrnDBGridEhSetupDialog*>(&dialog);
        EXPECT_EQ(setup->eLeft->text(), QStringLiteral("2.00"));
        EXPECT_TRUE(setup->rbColWidths->isEnabled());
        setup->cbFitToWidth->setChecked(false);
        EXPECT_FALSE(setup->rbColWidths->isEnabled());
        setup->eLeft->setText(QStringLiteral("3,5"));
        // A margin that is not a number is reported when its box is left.
        setup->show();
        QApplication::setActiveWindow(setup);
        setup->eTop->setFocus();
        setup->eTop->setText(QStringLiteral("two"));
        setup->eBottom->setFocus();
        const auto& messages = ScriptedPrompts::instance().messages();
        EXPECT_EQ(messages.size(), 1);
        EXPECT_TRUE(!messages.isEmpty() && messages.last().text.contains(QStringLiteral("'two'")));
        EXPECT_TRUE(setup->eTop->hasFocus());
        setup->eTop->setText(QStringLiteral("1.5"));
        setup->hide();
        return 1;
    });
    preview.tbPrinterSetup->click();
    EXPECT_FALSE(printer->Settings().Options & pghFitGridToPageWidth);
    EXPECT_DOUBLE_EQ(printer->Settings().PageParams.left, 3.5);
    EXPECT_DOUBLE_EQ(printer->Settings().PageParams.top, 1.5);
    EXPECT_GT(preview.pageCount(), 1);

    ScriptedPrompts::instance().answerDialog([](QObject& dialog) {
        qobject_cast<TfPrnDBGridEhSetupDialog*>(&dialog)->cbFitToWidth->setChecked(true);
        return 0;
    });
    preview.tbPrinterSetup->click();
    EXPECT_FALSE(printer->Settings().Options & pghFitGridToPageWidth);
}

TEST(PageMacros, ReplaceIgnoringCaseAndLeaveEscapedOnes) {
    PageMacroValues values;
    values.page = 3;
    values.pages = 12;
    values.shortDate = QStringLiteral("SD");
    values.longDate = QStringLiteral("LD");
    values.time = QStringLiteral("T");
    const std::pair<const char*, const char*> cases[] = {
        {"Page &[Page] of &[Pages]", "Page 3 of 12"},
        {"&[page]/&[PAGES]", "3/12"},
        {"&[ShortDate] &[Date] &[LongDate] &[Time]", "SD SD LD T"},
        {"&&[page] &&[Pages]", "&&[Page] &&[Pages]"},
        {"&[Unknown] & [Page] &[Page", "&[Unknown] & [Page] &[Page"},
        {"&&&[Time]", "&&&[Time]"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ExpandPageMacros(QString::fromUtf8(text), values), QString::fromUtf8(expected))
            << text;
    EXPECT_TRUE(NeedsPageCount(QStringLiteral("of &[Pages]")));
    EXPECT_FALSE(NeedsPageCount(QStringLiteral("of &[pages]")));
}

TEST(GridPrintLayout, MarginsAndFittingByColumnWidths) {
    EXPECT_EQ(MarginPixels(2.0, TMeasureUnits::MM, 600), 472);
    EXPECT_EQ(MarginPixels(0.5, TMeasureUnits::Inches, 600), 300);
    const QRect fixed = MarginRect(PageMetrics::fixed(), PrintMargins());
    EXPECT_EQ(fixed, QRect(472 - 130, 472 - 150, 4676 - 2 * (472 - 130), 6744 - 2 * (472 - 150)));

    EXPECT_EQ(FitColumnsByWidths({100, 200}, 1000), (QVector<int>{100, 200}));
    const QVector<int> fitted = FitColumnsByWidths({333, 333, 334}, 500);
    EXPECT_EQ(fitted, (QVector<int>{167, 167, 166}));
    QVector<int> widths{300, 1200, 400, 500};
    EXPECT_EQ(SplitColumnGroups(widths, 1000), (QVector<QVector<int>>{{0}, {1}, {2, 3}}));
    EXPECT_EQ(widths, (QVector<int>{300, 1000, 400, 500}));
}

}  // namespace
