#include "reports/reportperiod.h"

namespace dm {

namespace {

std::uint32_t ToCalendarTime(std::time_t t)
{
    // Calendar times are unsigned 32 bits; times outside that range clamp.
    if (t <= 0)
        return 0;
    if (t >= static_cast<std::time_t>(UINT32_MAX))
        return UINT32_MAX;
    return static_cast<std::uint32_t>(t);
}

// The local time of day `hour:minute:second` on the day `dayOffset` days
// after the date of `base`, daylight saving left to the system.
std::uint32_t LocalTimeOnDay(std::tm base, int dayOffset, int hour, int minute, int second)
{
    base.tm_mday += dayOffset;
    base.tm_hour = hour;
    base.tm_min = minute;
    base.tm_sec = second;
    base.tm_isdst = -1;
    return ToCalendarTime(std::mktime(&base));
}

} // namespace

ReportPeriod ComputeReportPeriod(int periodType, std::time_t now, ReportPeriod custom)
{
    std::tm today{};
    localtime_r(&now, &today);
    switch (periodType) {
    case PeriodToday:
        return {LocalTimeOnDay(today, 0, 0, 1, 0), LocalTimeOnDay(today, 0, 23, 59, 59)};
    case PeriodThisWeek: {
        const int daysSinceMonday = today.tm_wday == 0 ? 6 : today.tm_wday - 1;
        return {LocalTimeOnDay(today, -daysSinceMonday, 0, 1, 0),
                LocalTimeOnDay(today, 0, 23, 59, 59)};
    }
    case PeriodThisMonth:
        return {LocalTimeOnDay(today, 1 - today.tm_mday, 0, 1, 0),
                LocalTimeOnDay(today, 0, 23, 59, 59)};
    case PeriodAllRecords:
        return {0, UINT32_MAX};
    default:
        return custom;
    }
}

} // namespace dm
