#include "reports/reportcsv.h"
#include "common/ansitext.h"

#include "common/iniparser.h"
#include "common/numbers.h"
#include "platform/files/profile.h"
#include "reports/reportformat.h"
#include "reports/reportperiod.h"
#include "reports/reportfile.h"
#include "reports/reportreading.h"

#include <cstdio>
#include <memory>

namespace dm {

namespace {

const char* CsvHeading(int reportType)
{
    switch (reportType) {
    case ReportUsagePerUser:
        return "Report of usage time per UserID";
    case ReportUsagePerPort:
        return "Report of usage time per port";
    case ReportDeniedConnections:
        return "Report of Denied Connections";
    case ReportBusyPortsPerHour:
        return "Report of Busy Ports per Hour";
    default:
        return nullptr;
    }
}

// Collects the report's text; the file is written once, whole, at the end.
class CsvWriter {
public:
    void Line(std::string_view text)
    {
        m_text.append(text);
        m_text.append("\r\n");
    }
    void Row(std::string_view a, std::string_view b, std::string_view c)
    {
        std::string line;
        line.reserve(a.size() + b.size() + c.size() + 2);
        line.append(a).append(",").append(b).append(",").append(c);
        Line(line);
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// The report's rows and lines, stopping where a missing format value says so.
void WriteReport(CsvWriter& out, const std::string& dmtempFile);

void WriteUsageRows(CsvWriter& out, const std::string& dmtemp, const char* totals,
                    const char* counts)
{
    const SectionKeys sessions(counts, dmtemp);
    const SectionKeys rows(totals, dmtemp);
    for (const auto& [key, total] : rows.Entries()) {
        const std::string* count = sessions.Find(key);
        out.Row(key, total, count != nullptr ? *count : "0");
    }
}

void WriteDeniedRows(CsvWriter& out, const std::string& dmtemp)
{
    const SectionKeys records("Denied Connections", dmtemp);
    for (int n = 0;; ++n) {
        const std::string* value = records.Find("REC" + std::to_string(n));
        if (value == nullptr)
            break;
        const DeniedEntry entry = SplitDeniedValue(*value);
        out.Row(FormatReportTime(entry.time), entry.port, entry.user);
    }
}

void WriteBusyRows(CsvWriter& out, const std::string& dmtemp)
{
    const std::vector<std::string> sections = UniqueSectionNames(dmtemp);
    // The first section is Format; every other one is a server's statistics.
    for (std::size_t i = 1; i < sections.size(); ++i) {
        out.Line(sections[i]);
        const SectionKeys entries(sections[i], dmtemp);
        for (const auto& [key, value] : entries.Entries()) {
            if (value.empty() || value == "*")
                continue;
            out.Line(FormatReportTime(AtoiWrapped32(key)) + "," + std::to_string(AtoiValue(value)));
        }
    }
}

} // namespace

bool WriteReportCsv(const std::string& dmtempFile, const std::filesystem::path& outputFile,
                    std::string* failure)
{
    CsvWriter out;
    WriteReport(out, dmtempFile);
    std::string reason;
    if (WriteReportFile(outputFile, AnsiToUtf8(out.Text()), reason))
        return true;
    if (failure != nullptr)
        *failure = reason;
    return false;
}

namespace {

void WriteReport(CsvWriter& out, const std::string& dmtempFile)
{
    const int reportType = GetPrivateProfileInt("Format", "ReportType", 0, dmtempFile);
    const char* heading = CsvHeading(reportType);
    if (heading == nullptr)
        return;
    out.Line(heading);

    const int periodType = GetPrivateProfileInt("Format", "TimePeriodType", 0, dmtempFile);
    if (periodType == 0)
        return;
    if (periodType == PeriodAllRecords) {
        out.Line("Using all records available - no time period specified.");
    } else {
        out.Line("Data from " + GetPrivateProfileString("Format", "From", "n/a", dmtempFile) + ".");
        out.Line("Data until " + GetPrivateProfileString("Format", "To", "n/a", dmtempFile) + ".");
    }

    switch (reportType) {
    case ReportUsagePerUser:
        WriteUsageRows(out, dmtempFile, "Users", "Users2");
        break;
    case ReportUsagePerPort:
        WriteUsageRows(out, dmtempFile, "Ports", "Ports2");
        break;
    case ReportDeniedConnections:
        WriteDeniedRows(out, dmtempFile);
        break;
    case ReportBusyPortsPerHour:
        WriteBusyRows(out, dmtempFile);
        break;
    }
}

} // namespace

} // namespace dm
