#include "reports/print/reportprinting.h"
#include "framework/displaytext.h"

#include "framework/printerchoice.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace dm {

namespace {

// An Arial font whose cell is `height` device units high and whose average
// character is `width` units wide; weight as given (400 normal, 600 semi-bold,
// 700 bold).
QFont ReportFont(QPaintDevice* device, int height, int width, int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setPixelSize(std::max(1, height));
    const QFontMetrics natural(font, device);
    if (natural.height() > 0 && natural.height() != height)
        font.setPixelSize(std::max(1, height * height / natural.height()));
    const int average = QFontMetrics(font, device).averageCharWidth();
    if (average > 0 && width > 0)
        font.setStretch(std::clamp(100 * width / average, 1, 4000));
    return font;
}

// Text whose top edge is at y, as the page layout places it.
void DrawTop(QPainter& painter, int x, int y, const std::string& text)
{
    painter.drawText(x, y + painter.fontMetrics().ascent(), DisplayText(text));
}

} // namespace

std::unique_ptr<QPrinter> OpenReportPrinter(const std::string& printerName)
{
    std::unique_ptr<QPrinter> printer;
    if (const QString pdf = PrinterChoice::PdfTarget(); !pdf.isEmpty()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
    } else {
        QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(printerName));
        if (printerName.empty() || info.isNull())
            info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return nullptr;
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    printer->setDocName(QStringLiteral("Dialminder Report"));
    return printer;
}

PageMetrics MetricsOf(QPrinter& printer)
{
    const QRectF millimetres = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    PageMetrics metrics;
    metrics.width = static_cast<int>(millimetres.width() * 0.03937007874015748 * printer.logicalDpiX());
    metrics.height = static_cast<int>(millimetres.height() * 0.03937007874015748 * printer.logicalDpiY());
    metrics.resolution = printer.width();
    return metrics;
}

int PrintReport(const PrintedReport& report, QPrinter& printer)
{
    const PageMetrics metrics = MetricsOf(printer);
    const std::vector<PlannedPage> pages = PlanPages(metrics, report.rows.size());
    if (pages.empty())
        return 0;
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QFont title = ReportFont(&printer, metrics.TitleHeight(), metrics.TitleWidth(), 700);
    const QFont heading = ReportFont(&printer, metrics.HeadingHeight(), metrics.HeadingWidth(), 600);
    const QFont body = ReportFont(&printer, metrics.BodyHeight(), metrics.BodyWidth(), 400);
    const std::array<int, 3> columns = metrics.Columns();
    QPen rule(Qt::black);
    rule.setWidth(std::max(1, metrics.resolution / 1000));

    for (const PlannedPage& page : pages) {
        if (page.number > 1)
            printer.newPage();
        painter.setFont(title);
        DrawTop(painter, 0, page.titleY, report.title);
        painter.setFont(heading);
        DrawTop(painter, 0, page.periodY, report.periodLine);
        DrawTop(painter, 0, page.pageNumberY, "Page " + std::to_string(page.number));
        for (std::size_t c = 0; c < 3; ++c)
            DrawTop(painter, columns[c], page.headingsY, report.headings[c]);
        painter.setPen(rule);
        painter.drawLine(0, page.ruleY, metrics.width, page.ruleY);
        painter.setFont(body);
        for (const PlannedPage::Row& row : page.rows) {
            for (std::size_t c = 0; c < 3; ++c)
                DrawTop(painter, columns[c], row.y, report.rows[row.index][c]);
        }
    }
    painter.end();
    return static_cast<int>(pages.size());
}

int PrintReportFile(const std::string& dmtempFile, const std::string& printerName)
{
    const std::optional<PrintedReport> report = ReadPrintedReport(dmtempFile);
    if (!report || report->rows.empty())
        return 0;
    const std::unique_ptr<QPrinter> printer = OpenReportPrinter(printerName);
    if (!printer)
        return -1;
    return PrintReport(*report, *printer);
}

} // namespace dm
