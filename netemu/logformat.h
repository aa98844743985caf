#pragma once
// The activity log's value forms and day file names as dmsim writes them.

#include "netemu/activitywriter.h"

#include <cstdint>
#include <string>

namespace dm::netemu {

std::string EncodeLogValue(const LogEvent& event);
// A file in a directory given as a system path ("\\MASTER\DM_NT_DB") or as
// a path of this machine ("/srv/db"), joined with that path's separator.
std::string JoinPath(const std::string& dir, const std::string& name);
// "<dbDir>\LogData\yyyy-MMM-dd.log" for the local date of `time`.
std::string DayFileName(const std::string& dbDir, std::uint32_t time);

} // namespace dm::netemu
