#include "manager/core/reportchoice.h"

#include "common/timeformat.h"

namespace dm {

void TimePeriodChoice::Select(int periodType, std::uint32_t now)
{
    m_type = periodType;
    if (m_type == PeriodCustom && m_from == 0) {
        m_from = StartOfLocalDay(now) + 60;
        m_to = EndOfLocalDay(now);
    }
}

namespace {

// The same time of day, days calendar days later: a bound at 00:01:00 or
// 23:59:59 stays there across a daylight-saving change.
std::uint32_t ShiftDays(std::uint32_t time, int days)
{
    std::tm fields = LocalFields(time);
    const std::tm day = LocalFields(AddLocalDays(time, days));
    fields.tm_year = day.tm_year;
    fields.tm_mon = day.tm_mon;
    fields.tm_mday = day.tm_mday;
    fields.tm_isdst = -1;
    return FromLocalFields(fields);
}

} // namespace

bool TimePeriodChoice::StepFrom(int days)
{
    const std::uint32_t from = ShiftDays(m_from, days);
    if (from > m_to)
        return false;
    m_from = from;
    return true;
}

bool TimePeriodChoice::StepTo(int days)
{
    const std::uint32_t to = ShiftDays(m_to, days);
    if (to < m_from)
        return false;
    m_to = to;
    return true;
}

std::string FormatReportDate(std::uint32_t time)
{
    return FormatLocalTime("%Y-%b-%d", time);
}

ReportRequest MakeReportRequest(const ReportSettings& settings, const std::string& databaseDirectory)
{
    ReportRequest request;
    request.reportType = settings.reportType;
    request.periodType = settings.periodType;
    request.custom = {settings.from, settings.to};
    request.databaseDirectory = databaseDirectory;
    request.print = settings.print;
    request.outputFile = settings.outputFileName;
    // The same sources as dmreport reads, so that a saved script and
    // Generate give the same report.
    request.includeLegacyLog = true;
    return request;
}

ReportScript MakeReportScript(const ReportSettings& settings, int reportType,
                              const std::string& databaseDirectory)
{
    ReportScript script;
    script.masterShare = databaseDirectory;
    script.reportType = reportType;
    script.periodType = settings.periodType;
    script.print = settings.print;
    script.fileName = settings.outputFileName;
    script.from = settings.from;
    script.to = settings.to;
    return script;
}

bool ProgressPacer::Pass(const std::string& text, Clock::time_point now)
{
    if (!text.starts_with("Checking record ")) {
        m_countShown = false;
        return true;
    }
    if (m_countShown && now - m_lastCount < m_interval)
        return false;
    m_countShown = true;
    m_lastCount = now;
    return true;
}

} // namespace dm
