#pragma once
// The records the usage graph and `dmctl usage` compute a window from, read
// for that window whatever the history pane has loaded: the day files of
// every local day the window touches and of the day after it, since a
// session still running at the window's end is logged when it ends.

#include "manager/core/usagewindow.h"

#include <cstdint>

namespace dm {

class ActivityLog;

// The first and the last day (any time of each) whose day files a window needs.
TimeSpan UsageDays(TimeSpan window);

// Replaces the log's table by the records of those days.
void LoadUsageRecords(ActivityLog& log, TimeSpan window);

// Until when a connect that no session end follows counts as busy: `now`
// when the days read reach it (the session is still in progress), else 0,
// since its end then lies beyond what was read or was never logged.
std::uint32_t InProgressUntil(TimeSpan window, std::uint32_t now);

} // namespace dm
