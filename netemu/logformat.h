#pragma once
// The activity log's value forms and day file names as dmsim writes them.

#include "netemu/activitywriter.h"

#include <cstdint>
#include <string>

namespace dm::netemu {

std::string EncodeLogValue(const LogEvent& event);
// "<dbDir>\LogData\yyyy-MMM-dd.log" for the local date of `time`.
std::string DayFileName(const std::string& dbDir, std::uint32_t time);

} // namespace dm::netemu
