#include "reports/printedreport.h"

#include "common/numbers.h"
#include "platform/files/profile.h"
#include "common/iniparser.h"
#include "reports/reportformat.h"
#include "reports/reportperiod.h"
#include "reports/reportreading.h"

namespace dm {

namespace {

struct Layout {
    const char* title;
    std::array<const char*, 3> headings;
};

std::optional<Layout> LayoutOf(int reportType)
{
    switch (reportType) {
    case ReportUsagePerUser:
        return Layout{"Dialminder Report: Usage time per User.",
                      {"User Account", "Usage (HH\"MM'SS)", "Sessions"}};
    case ReportUsagePerPort:
        return Layout{"Dialminder Report: Usage time per port.",
                      {"RAS Port", "Usage (hour\"min'sec)", "Sessions"}};
    case ReportDeniedConnections:
        return Layout{"Dialminder Report: Denied Connections.", {"Time", "User Account", "Port"}};
    case ReportBusyPortsPerHour:
        return Layout{"Dialminder Report: Busy Ports per Hour.", {"Server", "Time", "Busy Ports"}};
    default:
        return std::nullopt;
    }
}

std::string DurationText(std::string_view stored)
{
    // Totals are whole seconds; anything else counts as far as it is a number.
    std::uint64_t seconds = 0;
    for (char c : stored) {
        if (c < '0' || c > '9')
            break;
        seconds = seconds * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return FormatDuration(seconds);
}

void ReadUsageRows(PrintedReport& report, const std::string& dmtemp, const char* totals,
                   const char* counts)
{
    const SectionKeys sessions(counts, dmtemp);
    const SectionKeys rows(totals, dmtemp);
    for (const auto& [key, total] : rows.Entries()) {
        const std::string* count = sessions.Find(key);
        report.rows.push_back({key, DurationText(total), count != nullptr ? *count : "0"});
    }
}

void ReadDeniedRows(PrintedReport& report, const std::string& dmtemp)
{
    const SectionKeys records("Denied Connections", dmtemp);
    for (const auto& [key, value] : records.Entries()) {
        DeniedEntry entry = SplitDeniedValue(value);
        report.rows.push_back({FormatReportTime(entry.time), std::move(entry.user),
                               std::move(entry.port)});
    }
}

void ReadBusyRows(PrintedReport& report, const std::string& dmtemp)
{
    const std::vector<std::string> sections = UniqueSectionNames(dmtemp);
    for (std::size_t i = 1; i < sections.size(); ++i) {
        const SectionKeys entries(sections[i], dmtemp);
        for (const auto& [key, value] : entries.Entries()) {
            if (value.empty() || value == "*")
                continue;
            report.rows.push_back({sections[i], FormatReportTime(AtoiWrapped32(key)), value});
        }
    }
}

} // namespace

std::optional<PrintedReport> ReadPrintedReport(const std::string& dmtempFile)
{
    const int reportType = GetPrivateProfileInt("Format", "ReportType", 0, dmtempFile);
    const std::optional<Layout> layout = LayoutOf(reportType);
    const int periodType = GetPrivateProfileInt("Format", "TimePeriodType", 0, dmtempFile);
    if (!layout || periodType == 0)
        return std::nullopt;

    PrintedReport report;
    report.reportType = reportType;
    report.title = layout->title;
    report.headings = {layout->headings[0], layout->headings[1], layout->headings[2]};
    if (periodType == PeriodAllRecords) {
        report.periodLine = "Based on all available records. No period specified.";
    } else {
        report.periodLine = "Data from " + GetPrivateProfileString("Format", "From", "n/a", dmtempFile) +
                            " until " + GetPrivateProfileString("Format", "To", "n/a", dmtempFile) + ".";
    }
    switch (reportType) {
    case ReportUsagePerUser:
        ReadUsageRows(report, dmtempFile, "Users", "Users2");
        break;
    case ReportUsagePerPort:
        ReadUsageRows(report, dmtempFile, "Ports", "Ports2");
        break;
    case ReportDeniedConnections:
        ReadDeniedRows(report, dmtempFile);
        break;
    case ReportBusyPortsPerHour:
        ReadBusyRows(report, dmtempFile);
        break;
    }
    return report;
}

std::vector<PlannedPage> PlanPages(const PageMetrics& metrics, std::size_t rowCount)
{
    std::vector<PlannedPage> pages;
    const int heading = metrics.HeadingHeight();
    bool startPage = true;
    int y = 0;
    for (std::size_t i = 0; i < rowCount; ++i) {
        if (startPage) {
            PlannedPage page;
            page.number = static_cast<int>(pages.size()) + 1;
            page.titleY = 0;
            y = metrics.TitleHeight();
            page.periodY = y;
            y += heading;
            page.pageNumberY = y;
            y += 2 * heading;
            page.headingsY = y;
            y += heading;
            page.ruleY = y;
            y += 30;
            pages.push_back(std::move(page));
            startPage = false;
        }
        pages.back().rows.push_back({i, y});
        y += heading;
        if (metrics.height - 50 < y)
            startPage = true;
    }
    return pages;
}

} // namespace dm
