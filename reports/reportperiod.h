#pragma once
// Report types, period types and the period of a report run.

#include <cstdint>
#include <ctime>

namespace dm {

// The value of ReportType in scripts, in dmtemp.dat and in the manager's list.
enum ReportType : int {
    ReportUsagePerUser = 1,
    ReportUsagePerPort = 2,
    ReportDeniedConnections = 3,
    ReportBusyPortsPerHour = 4,
};

// The value of TimePeriodType.
enum PeriodType : int {
    PeriodToday = 1,
    PeriodThisWeek = 2,
    PeriodThisMonth = 3,
    PeriodAllRecords = 4,
    PeriodCustom = 5,
};

// Bounds are calendar times (seconds since 1970, unsigned 32 bits). An entry
// belongs to the period when From < time < To, both comparisons strict.
struct ReportPeriod {
    std::uint32_t from = 0;
    std::uint32_t to = 0;

    bool Contains(std::uint32_t time) const { return from < time && time < to; }
    friend bool operator==(const ReportPeriod&, const ReportPeriod&) = default;
};

// The period of a period type at the local time `now`:
//   1 today 00:01:00 .. today 23:59:59
//   2 Monday of the current week 00:01:00 (by the calendar, so a week that
//     crosses a daylight-saving change still starts at 00:01) .. today 23:59:59
//   3 the 1st of the current month 00:01:00 .. today 23:59:59
//   4 0 .. 4294967295
//   5 and any other type: `custom` unchanged.
ReportPeriod ComputeReportPeriod(int periodType, std::time_t now, ReportPeriod custom = {});

} // namespace dm
