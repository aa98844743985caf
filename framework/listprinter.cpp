#include "framework/listprinter.h"

#include "framework/printerchoice.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <memory>

namespace dm {

namespace {

constexpr int kRowHeight = 200;
constexpr int kRowWidth = 80;
constexpr int kBannerHeight = 68;
constexpr int kBannerWidth = 44;
constexpr int kTitlePoints = 12;

// Device pixels per twip in each direction.
struct Scale {
    double x = 1.0;
    double y = 1.0;
};

Scale ScaleOf(QPrinter& printer)
{
    return {printer.logicalDpiX() / double(ListPageLayout::kTwipsPerInch),
            printer.logicalDpiY() / double(ListPageLayout::kTwipsPerInch)};
}

// An Arial font whose cell is `height` twips high and whose average
// character is `width` twips wide (0: its natural width).
QFont ListFont(QPrinter& printer, const Scale& scale, int height, int width, int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setWeight(static_cast<QFont::Weight>(weight));
    const int pixels = std::max(1, static_cast<int>(std::lround(height * scale.y)));
    font.setPixelSize(pixels);
    const QFontMetrics natural(font, &printer);
    if (natural.height() > 0 && natural.height() != pixels)
        font.setPixelSize(std::max(1, pixels * pixels / natural.height()));
    const int average = QFontMetrics(font, &printer).averageCharWidth();
    if (width > 0 && average > 0)
        font.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * width * scale.x / average)), 1, 4000));
    return font;
}

QFont TitleFont(QPrinter& printer, const Scale& scale)
{
    return ListFont(printer, scale, kTitlePoints * 20, 0, 700);
}

int LineTwips(const QFont& font, QPrinter& printer, double scaleY)
{
    return static_cast<int>(std::ceil(QFontMetrics(font, &printer).lineSpacing() / scaleY));
}

// Text whose top edge is at (x, y) twips.
void DrawTop(QPainter& painter, const Scale& scale, int x, int y, const QString& text)
{
    painter.drawText(QPointF(x * scale.x, y * scale.y + painter.fontMetrics().ascent()), text);
}

int PageWidthTwips(QPrinter& printer)
{
    return ListPageLayout::MillimetresToTwips(printer.pageLayout().paintRect(QPageLayout::Millimeter).width());
}

// The widest text of each column (header or cell) in the full-size row
// font, in twips.
std::vector<int> TextWidths(const ListPrintout& printout, QPrinter& printer, const Scale& scale)
{
    const QFontMetricsF metrics(ListFont(printer, scale, kRowHeight, kRowWidth, 400), &printer);
    const int columns = static_cast<int>(printout.headers.size());
    std::vector<double> widest(static_cast<size_t>(columns), 0.0);
    for (int c = 0; c < columns; ++c)
        widest[static_cast<size_t>(c)] = metrics.horizontalAdvance(printout.headers[c]);
    if (printout.cell) {
        for (int row = 0; row < printout.rowCount; ++row)
            for (int c = 0; c < columns; ++c)
                widest[static_cast<size_t>(c)] =
                    std::max(widest[static_cast<size_t>(c)], metrics.horizontalAdvance(printout.cell(row, c)));
    }
    std::vector<int> twips;
    twips.reserve(widest.size());
    for (double pixels : widest)
        twips.push_back(static_cast<int>(std::ceil(pixels / scale.x)));
    return twips;
}

struct Prepared {
    ListPageLayout layout;
    PaperColumns columns;
};

// Fits the columns to the page, turning a portrait page to landscape when
// they are wider than it.
Prepared Prepare(const ListPrintout& printout, QPrinter& printer)
{
    const std::vector<int> text = TextWidths(printout, printer, ScaleOf(printer));
    if (printer.pageLayout().orientation() == QPageLayout::Portrait &&
        PaperColumns::FullWidth(text) > PageWidthTwips(printer))
        printer.setPageOrientation(QPageLayout::Landscape);
    Prepared prepared;
    prepared.columns = PaperColumns::Fit(text, PageWidthTwips(printer));
    prepared.layout = ListPrinter::LayoutFor(printer, prepared.columns.scale);
    return prepared;
}

QFont RowFont(QPrinter& printer, const Scale& scale, double fontScale)
{
    return ListFont(printer, scale, std::max(1, static_cast<int>(std::lround(kRowHeight * fontScale))),
                    std::max(1, static_cast<int>(std::lround(kRowWidth * fontScale))), 400);
}

} // namespace

void ListPrintout::TakeCellsFrom(const QAbstractItemModel& model, std::vector<int> columns)
{
    rowCount = model.rowCount();
    cell = [&model, columns = std::move(columns)](int row, int column) {
        if (column < 0 || column >= static_cast<int>(columns.size()))
            return QString();
        return model.data(model.index(row, columns[static_cast<size_t>(column)]), Qt::DisplayRole).toString();
    };
}

ListPageLayout ListPrinter::LayoutFor(QPrinter& printer, double rowFontScale)
{
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    const Scale scale = ScaleOf(printer);
    ListPageLayout layout;
    layout.pageWidth = ListPageLayout::MillimetresToTwips(area.width());
    layout.pageHeight = ListPageLayout::MillimetresToTwips(area.height());
    layout.bannerLine = LineTwips(ListFont(printer, scale, kBannerHeight, kBannerWidth, 400), printer, scale.y);
    layout.boldLine = LineTwips(TitleFont(printer, scale), printer, scale.y);
    layout.rowLine = LineTwips(RowFont(printer, scale, rowFontScale), printer, scale.y);
    return layout;
}

int ListPrinter::Print(const ListPrintout& printout, QPrinter& printer)
{
    if (printout.rowCount <= 0 || !printout.cell)
        return 0;
    const Prepared prepared = Prepare(printout, printer);
    const ListPageLayout& layout = prepared.layout;
    const PaperColumns& fit = prepared.columns;
    const int pages = layout.PageCount(printout.rowCount);
    if (pages == 0 || !printout.cell)
        return 0;
    int first = 1;
    int last = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(pages, printer.toPage() > 0 ? printer.toPage() : pages);
    }
    if (first > last)
        return 0;

    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const Scale scale = ScaleOf(printer);
    const QFont banner = ListFont(printer, scale, kBannerHeight, kBannerWidth, 400);
    const QFont title = TitleFont(printer, scale);
    const QFont rows = RowFont(printer, scale, fit.scale);
    const std::vector<int>& x = fit.x;
    const int columns = static_cast<int>(std::min<size_t>(x.size(), static_cast<size_t>(printout.headers.size())));
    // The room of each column: its widest text and most of the gap after
    // it, so that the type's rounding at a smaller size cuts nothing, while
    // a cell that does not fit is shortened rather than run into the next.
    std::vector<double> room(static_cast<size_t>(columns));
    const int slack = static_cast<int>(PaperColumns::kGap * fit.scale * 3 / 4);
    for (int c = 0; c < columns; ++c) {
        const int right = c + 1 < columns ? x[static_cast<size_t>(c) + 1] - PaperColumns::kGap / 4 : layout.pageWidth;
        room[static_cast<size_t>(c)] =
            std::min(right - x[static_cast<size_t>(c)], fit.room[static_cast<size_t>(c)] + slack) * scale.x;
    }
    const QString printed = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    QPen rule(Qt::black);
    rule.setWidthF(std::max(1.0, 10 * scale.y));

    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        painter.setFont(banner);
        DrawTop(painter, scale, 0, 0,
                QStringLiteral("Dialminder 1.40  \u2014  printed %1  \u2014  page %2 of %3")
                    .arg(printed)
                    .arg(page)
                    .arg(pages));
        painter.setFont(title);
        DrawTop(painter, scale, 0, layout.TitleY(), printout.title);
        painter.setFont(rows);
        for (int c = 0; c < columns; ++c)
            DrawTop(painter, scale, x[static_cast<size_t>(c)], layout.HeadersY(), printout.headers[c]);
        painter.setPen(rule);
        painter.drawLine(QPointF(0, layout.RuleY() * scale.y), QPointF(layout.RuleEnd() * scale.x, layout.RuleY() * scale.y));
        painter.setPen(Qt::black);
        const QFontMetrics metrics = painter.fontMetrics();
        const int end = layout.EndRow(page, printout.rowCount);
        for (int row = layout.FirstRow(page); row < end; ++row) {
            const int y = layout.RowY(row - layout.FirstRow(page));
            for (int c = 0; c < columns; ++c) {
                const QString text = metrics.elidedText(printout.cell(row, c), Qt::ElideRight,
                                                        static_cast<int>(room[static_cast<size_t>(c)]));
                DrawTop(painter, scale, x[static_cast<size_t>(c)], y, text);
            }
        }
    }
    painter.end();
    return last - first + 1;
}

int ListPrinter::PrintWithDialog(const ListPrintout& printout, QWidget* parent)
{
    // The page count on the default printer is what the dialog offers.
    QPrinter probe(QPrinter::HighResolution);
    const int pages = printout.rowCount > 0 && printout.cell
                          ? Prepare(printout, probe).layout.PageCount(printout.rowCount)
                          : 0;
    const std::unique_ptr<QPrinter> printer = PrinterChoice::Choose(parent, printout.documentName, true, pages);
    if (!printer)
        return -1;
    return Print(printout, *printer);
}

QPrintPreviewDialog* ListPrinter::CreatePreview(const ListPrintout& printout, QWidget* parent)
{
    auto* dialog = new QPrintPreviewDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->printer()->setDocName(printout.documentName);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [printout](QPrinter* printer) { Print(printout, *printer); });
    return dialog;
}

void ListPrinter::Preview(const ListPrintout& printout, QWidget* parent)
{
    std::unique_ptr<QPrintPreviewDialog> dialog(CreatePreview(printout, parent));
    dialog->resize(900, 700);
    dialog->exec();
}

} // namespace dm
