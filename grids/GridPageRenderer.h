#pragma once

#include "grids/GridPrintLayout.h"
#include "grids/PageMacros.h"
#include "grids/PagePicture.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>

class TTable;

// A page header or footer: three texts (lines each) and their font, whose pixel size is given
// at 96 pixels per inch.
struct PageTexts {
    QStringList LeftText;
    QStringList CenterText;
    QStringList RightText;
    QFont Font;

    bool empty() const { return LeftText.isEmpty() && CenterText.isEmpty() && RightText.isEmpty(); }
};

// What the grid printer is told: options, margins, page texts and the print font name.
struct GridPrintSettings {
    TPrintDBGridEhOptions Options = pghFitGridToPageWidth | pghColored | pghRowAutoStretch |
                                    pghFitingByColWidths | pghOptimalColWidths;
    PrintMargins PageParams;
    PageTexts PageHeader;
    PageTexts PageFooter;
    // Replaces the family of the column and title fonts when set.
    QString PrintFontName;

    // The settings of the main window's grid printer.
    static GridPrintSettings standard();
};

// One printed column: the field it shows, its title and its width on the screen.
struct PrintColumn {
    int field = 0;
    QString title;
    int screenWidth = 64;
    QColor color = Qt::white;
};

// What the grid shows, taken from it when printing starts.
struct GridPrintSource {
    QPointer<TTable> table;
    QVector<PrintColumn> columns;
    QFont font;
    QFont titleFont;
    int screenDpi = 96;
    QColor fixedColor = Qt::lightGray;
};

// Receives the pages as they are completed.
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual void addPage(PagePicture page) = 0;
};

// The window around a rendering: the wait cursor of the measuring passes, events after each
// printed row, and the Stop request.
class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    virtual void waitCursor(bool on) { Q_UNUSED(on); }
    virtual void rowPrinted() {}
    virtual bool stopRequested() { return false; }
};

// Lays out a table as the grid shows it in pages: header, column titles on every page, rows,
// footer. Walks the table forward from its first row (once to measure widths, once to count
// pages when a text asks for the total, once to draw), keeping one page of rows in memory, and
// returns the table to its row with its controls resumed on every way out.
class GridPageRenderer {
public:
    using Clock = std::function<QDateTime()>;

    GridPageRenderer(const GridPrintSettings& settings, const GridPrintSource& source,
                     const PageMetrics& metrics);

    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Returns the number of pages drawn. An error while reading rows ends rendering, keeping
    // the pages already passed to the sink, and is raised again.
    int render(PageSink& sink, PrintProgress& progress);
    bool stopped() const { return m_stopped; }

private:
    struct BufferedRow {
        QStringList texts;
        QVector<bool> oneLine;  // the text fits its cell on one line
        int height = 0;
    };
    enum Font : quint8 { HeaderFont, FooterFont, CellFont, TitleFont };

    void prepareFonts();
    void measureOptimalWidths(PrintProgress& progress);
    void fitWidths();
    void measureRows();
    int textHeight(const QString& text, Font font, int width, bool wrap) const;
    int blockHeight(const PageTexts& texts, int width) const;
    BufferedRow readRow() const;
    // The height of a cell's wrapped text, at least `minimum`.
    int cellHeight(const QString& text, Font font, int width, int minimum) const;
    // The width of a text in a font; plain ASCII texts add up cached character advances
    // instead of being shaped, which is most of the cost of a row.
    double textWidth(const QString& text, Font font) const;
    bool fitsOneLine(const QString& text, Font font, int width) const;
    // One pass over the table; draws into `sink` when given, else only counts the pages.
    int paginate(PageSink* sink, PrintProgress& progress);
    PagePicture drawPage(int page, const QVector<int>& group,
                         const std::vector<BufferedRow>& rows) const;
    void addTexts(PagePicture& picture, const PageTexts& texts, const QRect& rect, int vertical,
                  int page) const;
    bool tableGone() const;

    GridPrintSettings m_settings;
    GridPrintSource m_source;
    PageMetrics m_metrics;
    Clock m_clock;
    PageMacroValues m_values;
    bool m_stopped = false;

    std::shared_ptr<std::vector<QFont>> m_fonts;
    std::vector<QFontMetricsF> m_fontMetrics;                 // one per font, measured once
    mutable std::vector<std::array<double, 128>> m_advances;  // per font; negative: not yet
    double m_scale = 1.0;
    QRect m_rect;  // inside the margins, in content units
    int m_headerHeight = 0;
    int m_footerHeight = 0;
    QVector<int> m_widths;
    QVector<QVector<int>> m_groups;
    QMargins m_padding;
    int m_rowHeight = 0;
    int m_titleHeight = 0;
};
