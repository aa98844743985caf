#pragma once
// What the printed report shows, and where on which page, computed apart
// from painting so that it can be checked without a printer.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace dm {

struct PrintedReport {
    int reportType = 0;
    std::string title;
    std::string periodLine;
    std::array<std::string, 3> headings;
    std::vector<std::array<std::string, 3>> rows;
};

// The printed report of the intermediate file, or nothing when there is
// nothing to print (TimePeriodType missing, ReportType not 1 to 4).
std::optional<PrintedReport> ReadPrintedReport(const std::string& dmtempFile);

// Device units of the printer, as the page layout uses them.
struct PageMetrics {
    int width = 0;  // W: printable width
    int height = 0; // H: printable height
    int resolution = 0; // R: printable width in pixels
    int TitleHeight() const { return resolution / 23; }
    int HeadingHeight() const { return resolution / 58; }
    int BodyHeight() const { return resolution / 68; }
    // Character widths that go with the heights.
    int TitleWidth() const { return static_cast<int>(TitleHeight() * 0.4); }
    int HeadingWidth() const { return static_cast<int>(HeadingHeight() * 0.625); }
    int BodyWidth() const { return static_cast<int>(BodyHeight() * 0.6666666666666666); }
    // Left edges of the three columns.
    std::array<int, 3> Columns() const { return {0, width / 3, 2 * (width / 3)}; }
};

// One page: the heading block's positions and the rows placed on it.
struct PlannedPage {
    int number = 1;       // shown as "Page %d"
    int titleY = 0;
    int periodY = 0;
    int pageNumberY = 0;
    int headingsY = 0;
    int ruleY = 0;
    struct Row {
        std::size_t index; // into PrintedReport::rows
        int y;
    };
    std::vector<Row> rows;
};

// Rows follow each other at the heading height; when a row brings y past
// H - 50 the next row starts a new page with the full heading block. No
// rows, no pages.
std::vector<PlannedPage> PlanPages(const PageMetrics& metrics, std::size_t rowCount);

} // namespace dm
