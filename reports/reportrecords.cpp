#include "reports/reportrun.h"

#include "common/activitylog.h"
#include "platform/pathresolver.h"

#include <algorithm>
#include <iterator>

namespace dm {

namespace {

// Beyond this many days a range is read as "every day file": the same
// records reach the period filter, without probing a file name per day of
// an open-ended custom period.
constexpr std::uint32_t MaxRangeDays = 400;

ActivityLog MakeLog(const ReportRequest& request, const ProgressSink& progress)
{
    ActivityLog log([](std::string_view path) { return ResolvePathOrEmpty(path); });
    log.SetDatabaseDirectory(request.databaseDirectory);
    log.SetProgressSink(progress);
    return log;
}

} // namespace

std::vector<LogRecord> LoadReportRecords(const ReportRequest& request, const ReportPeriod& period,
                                         const ProgressSink& progress)
{
    ActivityLog days = MakeLog(request, progress);
    const bool everyDay = request.periodType == PeriodAllRecords || period.to < period.from ||
                          (period.to - period.from) / 86400 > MaxRangeDays;
    if (everyDay)
        days.LoadScope(4, period.from);
    else
        days.LoadRange(period.from, period.to);
    std::vector<LogRecord> records = days.Records();
    if (!request.includeLegacyLog)
        return records;

    ActivityLog legacy = MakeLog(request, {});
    legacy.LoadLegacy();
    if (legacy.Records().empty())
        return records;
    // Both tables are sorted; a stable merge keeps day-file events first
    // among equal times.
    std::vector<LogRecord> merged;
    merged.reserve(records.size() + legacy.Count());
    std::merge(std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()),
               legacy.Records().begin(), legacy.Records().end(), std::back_inserter(merged),
               [](const LogRecord& a, const LogRecord& b) { return a.time < b.time; });
    return merged;
}

} // namespace dm
