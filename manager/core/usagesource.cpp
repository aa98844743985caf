#include "manager/core/usagesource.h"

#include "common/activitylog.h"
#include "common/timeformat.h"

#include <limits>

namespace dm {

namespace {
constexpr std::uint32_t kDaySeconds = 86400;
}

TimeSpan UsageDays(TimeSpan window)
{
    const std::uint32_t last = window.end > std::numeric_limits<std::uint32_t>::max() - kDaySeconds
                                   ? window.end
                                   : window.end + kDaySeconds;
    return {window.start, last};
}

void LoadUsageRecords(ActivityLog& log, TimeSpan window)
{
    const TimeSpan days = UsageDays(window);
    log.LoadRange(days.start, days.end);
}

std::uint32_t InProgressUntil(TimeSpan window, std::uint32_t now)
{
    return now <= EndOfLocalDay(UsageDays(window).end) ? now : 0;
}

} // namespace dm
