#include "grids/GridPageRenderer.h"

#include "data/TField.h"
#include "data/TTable.h"
#include "grids/CellText.h"

#include <QFontMetricsF>
#include <cmath>
#include <numeric>

namespace {

QFont printerFont(QFont font, int dpi, int screenDpi, const QString& family = QString()) {
    const double pixels = font.pixelSize() > 0 ? double(font.pixelSize()) * dpi / screenDpi
                                               : font.pointSizeF() * dpi / 72.0;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    if (!family.isEmpty())
        font.setFamily(family);
    return font;
}

int ceilPixels(double value) {
    return static_cast<int>(std::ceil(value));
}

QString joined(const QStringList& lines) {
    return lines.join(QLatin1Char('\n'));
}

// Returns the table to the row it was on. Done explicitly on the normal way out, so that a
// failure there is reported; done quietly when another error is already on its way.
class RowReturn {
public:
    explicit RowReturn(TTable* table) : m_table(table), m_bookmark(table->CurrentBookmark()) {}
    ~RowReturn() {
        try {
            restore();
        } catch (...) {
        }
    }
    RowReturn(const RowReturn&) = delete;
    RowReturn& operator=(const RowReturn&) = delete;

    void restore() {
        if (m_done)
            return;
        m_done = true;
        if (m_table && m_table->Active() && !m_bookmark.isEmpty())
            m_table->MoveToBookmark(m_bookmark);
    }

private:
    QPointer<TTable> m_table;
    QByteArray m_bookmark;
    bool m_done = false;
};

// Resumes the table's controls; explicitly on the normal way out, so that a failure of the
// views reloading is reported, and quietly when another error is on its way.
class ControlsResume {
public:
    explicit ControlsResume(TTable* table) : m_table(table) { m_table->SuspendControls(); }
    ~ControlsResume() {
        try {
            resume();
        } catch (...) {
        }
    }
    ControlsResume(const ControlsResume&) = delete;
    ControlsResume& operator=(const ControlsResume&) = delete;

    void resume() {
        if (m_done)
            return;
        m_done = true;
        if (m_table)
            m_table->ResumeControls();
    }

private:
    QPointer<TTable> m_table;
    bool m_done = false;
};

class WaitCursor {
public:
    explicit WaitCursor(PrintProgress& progress) : m_progress(progress) {
        m_progress.waitCursor(true);
    }
    ~WaitCursor() { m_progress.waitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    PrintProgress& m_progress;
};

}  // namespace

GridPrintSettings GridPrintSettings::standard() {
    GridPrintSettings settings;
    QFont header(QStringLiteral("Times New Roman"));
    header.setPixelSize(16);
    settings.PageHeader.Font = header;
    QFont footer(QStringLiteral("Times New Roman"));
    footer.setPixelSize(13);
    settings.PageFooter.Font = footer;
    settings.PageFooter.RightText = QStringList{QStringLiteral("Page &[Page] of &[Pages]")};
    return settings;
}

GridPageRenderer::GridPageRenderer(const GridPrintSettings& settings, const GridPrintSource& source,
                                   const PageMetrics& metrics)
    : m_settings(settings),
      m_source(source),
      m_metrics(metrics),
      m_clock([] { return QDateTime::currentDateTime(); }) {}

bool GridPageRenderer::tableGone() const {
    return !m_source.table || !m_source.table->Active();
}

void GridPageRenderer::prepareFonts() {
    const int dpi = m_metrics.dpiY;
    auto fonts = std::make_shared<std::vector<QFont>>();
    fonts->push_back(printerFont(m_settings.PageHeader.Font, dpi, 96));
    fonts->push_back(printerFont(m_settings.PageFooter.Font, dpi, 96));
    fonts->push_back(printerFont(m_source.font, dpi, m_source.screenDpi, m_settings.PrintFontName));
    fonts->push_back(
        printerFont(m_source.titleFont, dpi, m_source.screenDpi, m_settings.PrintFontName));
    m_fontMetrics.clear();
    for (const QFont& font : *fonts)
        m_fontMetrics.emplace_back(font);
    std::array<double, 128> unknown;
    unknown.fill(-1);
    m_advances.assign(fonts->size(), unknown);
    m_fonts = std::move(fonts);
}

int GridPageRenderer::textHeight(const QString& text, Font font, int width, bool wrap) const {
    const QFontMetricsF& metrics = m_fontMetrics.at(font);
    const int flags = wrap ? int(Qt::TextWordWrap) : 0;
    return ceilPixels(
        metrics.boundingRect(QRectF(0, 0, std::max(1, width), 1e7), flags, text).height());
}

int GridPageRenderer::blockHeight(const PageTexts& texts, int width) const {
    if (texts.empty())
        return 0;
    const Font font = &texts == &m_settings.PageHeader ? HeaderFont : FooterFont;
    int tallest = 0;
    for (const QStringList* lines : {&texts.LeftText, &texts.CenterText, &texts.RightText})
        if (!lines->isEmpty())
            tallest = std::max(tallest, textHeight(ExpandPageMacros(joined(*lines), m_values), font,
                                                   width, false));
    return tallest + m_metrics.dpiY / 20;
}

double GridPageRenderer::textWidth(const QString& text, Font font) const {
    std::array<double, 128>& advances = m_advances[font];
    double width = 0;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        // Anything beyond printable ASCII may combine or kern differently: shape it.
        if (code < 32 || code >= 127)
            return m_fontMetrics.at(font).horizontalAdvance(text);
        if (advances[code] < 0)
            advances[code] = m_fontMetrics.at(font).horizontalAdvance(c);
        width += advances[code];
    }
    return width;
}

bool GridPageRenderer::fitsOneLine(const QString& text, Font font, int width) const {
    return textWidth(text, font) <= width - m_padding.left() - m_padding.right();
}

int GridPageRenderer::cellHeight(const QString& text, Font font, int width, int minimum) const {
    if (fitsOneLine(text, font, width))
        return minimum;
    const int inner = width - m_padding.left() - m_padding.right();
    return std::max(minimum,
                    textHeight(text, font, inner, true) + m_padding.top() + m_padding.bottom());
}

GridPageRenderer::BufferedRow GridPageRenderer::readRow() const {
    TTable& table = *m_source.table;
    const Row& values = table.CurrentValues();
    BufferedRow row;
    row.texts.reserve(m_source.columns.size());
    row.oneLine.reserve(m_source.columns.size());
    row.height = m_rowHeight;
    for (int i = 0; i < m_source.columns.size(); ++i) {
        const int field = m_source.columns.at(i).field;
        const QString text =
            field < values.size() ? CellText(*table.FieldAt(field), values.at(field)) : QString();
        const bool oneLine = fitsOneLine(text, CellFont, m_widths.at(i));
        if (!oneLine && (m_settings.Options & pghRowAutoStretch))
            row.height =
                std::max(row.height, cellHeight(text, CellFont, m_widths.at(i), m_rowHeight));
        row.oneLine.append(oneLine);
        row.texts.append(text);
    }
    return row;
}

void GridPageRenderer::measureOptimalWidths(PrintProgress& progress) {
    const int margins = m_padding.left() + m_padding.right();
    for (int i = 0; i < m_source.columns.size(); ++i)
        m_widths[i] =
            std::max(10, ceilPixels(textWidth(m_source.columns[i].title, TitleFont)) + margins);
    WaitCursor wait(progress);
    TTable& table = *m_source.table;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
        const Row& values = table.CurrentValues();
        for (int i = 0; i < m_source.columns.size(); ++i) {
            const int field = m_source.columns.at(i).field;
            if (field >= values.size())
                continue;
            const QString text = CellText(*table.FieldAt(field), values.at(field));
            m_widths[i] = std::max(m_widths[i], ceilPixels(textWidth(text, CellFont)) + margins);
        }
    }
}

void GridPageRenderer::fitWidths() {
    const int gridLine = m_metrics.dpiX / 100;
    const int options = m_settings.Options;
    if (!(options & pghFitGridToPageWidth)) {
        m_groups = SplitColumnGroups(m_widths, m_rect.width() - gridLine);
        return;
    }
    QVector<int> all(m_widths.size());
    std::iota(all.begin(), all.end(), 0);
    m_groups = {all};
    if (options & pghFitingByColWidths) {
        m_widths = FitColumnsByWidths(m_widths, m_rect.width() - gridLine);
        return;
    }
    const qint64 total = std::accumulate(m_widths.begin(), m_widths.end(), qint64(0));
    if (total > m_rect.width() - gridLine) {
        // The whole page is drawn smaller: the same drawing on a larger page.
        m_scale = double(m_rect.width() - gridLine) / double(total);
        m_rect = QRect(static_cast<int>(std::floor(m_rect.x() / m_scale)),
                       static_cast<int>(std::floor(m_rect.y() / m_scale)),
                       static_cast<int>(std::floor(m_rect.width() / m_scale)),
                       static_cast<int>(std::floor(m_rect.height() / m_scale)));
        m_headerHeight = blockHeight(m_settings.PageHeader, m_rect.width());
        m_footerHeight = blockHeight(m_settings.PageFooter, m_rect.width());
    }
}

void GridPageRenderer::measureRows() {
    const QFontMetricsF& cells = m_fontMetrics.at(CellFont);
    const QFontMetricsF& titles = m_fontMetrics.at(TitleFont);
    const int vertical = m_padding.top() + m_padding.bottom();
    m_rowHeight = ceilPixels(cells.boundingRect(QStringLiteral("Wg")).height()) + vertical;
    const int titleRow = ceilPixels(titles.boundingRect(QStringLiteral("Wg")).height()) + vertical;
    m_titleHeight = titleRow;
    if (!(m_settings.Options & pghRowAutoStretch))
        return;
    for (int i = 0; i < m_source.columns.size(); ++i)
        m_titleHeight = std::max(
            m_titleHeight, cellHeight(m_source.columns[i].title, TitleFont, m_widths[i], titleRow));
}

int GridPageRenderer::render(PageSink& sink, PrintProgress& progress) {
    m_stopped = false;
    if (tableGone())
        return 0;
    TTable* table = m_source.table;
    ControlsResume controls(table);
    RowReturn rowReturn(table);

    m_values = PageMacroValues::at(m_clock());
    prepareFonts();
    const double toPrinter = double(m_metrics.dpiX) / m_source.screenDpi;
    const int padX = static_cast<int>(std::lround(2 * toPrinter));
    const int padY = static_cast<int>(std::lround(2.0 * m_metrics.dpiY / m_source.screenDpi));
    m_padding = QMargins(padX, padY, padX, padY);
    m_scale = 1.0;
    m_rect = MarginRect(m_metrics, m_settings.PageParams);
    m_headerHeight = blockHeight(m_settings.PageHeader, m_rect.width());
    m_footerHeight = blockHeight(m_settings.PageFooter, m_rect.width());
    m_widths.clear();
    for (const PrintColumn& column : m_source.columns)
        m_widths.append(static_cast<int>(std::lround((column.screenWidth + 1) * toPrinter)));
    if (m_settings.Options & pghOptimalColWidths)
        measureOptimalWidths(progress);
    fitWidths();
    measureRows();

    const PageTexts* texts[] = {&m_settings.PageHeader, &m_settings.PageFooter};
    bool needsCount = false;
    for (const PageTexts* block : texts)
        for (const QStringList* lines : {&block->LeftText, &block->CenterText, &block->RightText})
            needsCount = needsCount || NeedsPageCount(joined(*lines));
    if (needsCount) {
        int total = 0;
        {
            WaitCursor wait(progress);
            total = paginate(nullptr, progress);
        }
        m_values = PageMacroValues::at(m_clock());
        m_values.pages = total;
    }
    const int pages = paginate(&sink, progress);
    rowReturn.restore();
    controls.resume();
    return pages;
}

int GridPageRenderer::paginate(PageSink* sink, PrintProgress& progress) {
    TTable& table = *m_source.table;
    const int top = m_rect.top() + m_headerHeight + m_titleHeight;
    const int bottom = m_rect.bottom() + 1 - m_footerHeight;
    std::vector<BufferedRow> block;
    int y = top;
    int page = 0;
    auto flush = [&] {
        for (const QVector<int>& group : m_groups) {
            if (sink && progress.stopRequested()) {
                m_stopped = true;
                return false;
            }
            ++page;
            if (sink)
                sink->addPage(drawPage(page, group, block));
        }
        block.clear();
        y = top;
        return true;
    };
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
        BufferedRow row = readRow();
        if (!block.empty() && y + row.height > bottom && !flush())
            return page;
        y += row.height;
        block.push_back(std::move(row));
        if (sink) {
            progress.rowPrinted();
            if (tableGone()) {
                m_stopped = true;
                return page;
            }
        }
    }
    if (!block.empty() || page == 0)
        flush();
    return page;
}

void GridPageRenderer::addTexts(PagePicture& picture, const PageTexts& texts, const QRect& rect,
                                int vertical, int page) const {
    PageMacroValues values = m_values;
    values.page = page;
    const quint8 font = &texts == &m_settings.PageHeader ? HeaderFont : FooterFont;
    const std::pair<const QStringList*, int> parts[] = {{&texts.LeftText, Qt::AlignLeft},
                                                        {&texts.CenterText, Qt::AlignHCenter},
                                                        {&texts.RightText, Qt::AlignRight}};
    for (const auto& [lines, alignment] : parts) {
        if (lines->isEmpty())
            continue;
        PagePicture::Cell cell;
        cell.rect = rect;
        cell.text = ExpandPageMacros(joined(*lines), values);
        cell.flags = alignment | vertical;
        cell.font = font;
        picture.addCell(std::move(cell));
    }
}

PagePicture GridPageRenderer::drawPage(int page, const QVector<int>& group,
                                       const std::vector<BufferedRow>& rows) const {
    PagePicture picture(m_metrics.dpiX, m_metrics.paper(), m_metrics.border, m_scale, m_fonts);
    addTexts(picture, m_settings.PageHeader,
             QRect(m_rect.left(), m_rect.top(), m_rect.width(), m_headerHeight), Qt::AlignTop,
             page);
    addTexts(
        picture, m_settings.PageFooter,
        QRect(m_rect.left(), m_rect.bottom() + 1 - m_footerHeight, m_rect.width(), m_footerHeight),
        Qt::AlignBottom, page);

    const bool colored = m_settings.Options & pghColored;
    const bool wrap = m_settings.Options & pghRowAutoStretch;
    const int textFlags =
        wrap ? int(Qt::AlignTop | Qt::TextWordWrap) : int(Qt::AlignVCenter | Qt::TextSingleLine);
    auto addCell = [&](const QRect& rect, const QString& text, Font font, int alignment,
                       const QColor& background, bool oneLine) {
        PagePicture::Cell cell;
        cell.rect = rect;
        cell.oneLine = oneLine;
        cell.text = text;
        cell.flags = alignment | textFlags;
        cell.font = font;
        cell.frame = true;
        cell.padding = m_padding;
        if (colored && background != Qt::white)
            cell.background = background;
        picture.addCell(std::move(cell));
    };

    int y = m_rect.top() + m_headerHeight;
    int x = m_rect.left();
    for (int column : group) {
        addCell(QRect(x, y, m_widths[column], m_titleHeight), m_source.columns[column].title,
                TitleFont, Qt::AlignHCenter, m_source.fixedColor, false);
        x += m_widths[column];
    }
    y += m_titleHeight;
    for (const BufferedRow& row : rows) {
        x = m_rect.left();
        for (int column : group) {
            addCell(QRect(x, y, m_widths[column], row.height), row.texts[column], CellFont,
                    Qt::AlignLeft, m_source.columns[column].color, row.oneLine[column]);
            x += m_widths[column];
        }
        y += row.height;
    }
    return picture;
}
