#pragma once
// The activity log's value forms and file names as dmsim writes them, through
// the shared encoders of the log format.

#include "netemu/activitywriter.h"

#include <cstdint>
#include <string>

namespace dm::netemu {

std::string EncodeLogValue(const LogEvent& event);
// A database file: the directory (a system path, or a path of this machine),
// a backslash and the name.
std::string DatabaseFile(const std::string& dir, const std::string& name);
// "<dbDir>\LogData\yyyy-MMM-dd.log" for the local date of `time`.
std::string DayFileName(const std::string& dbDir, std::uint32_t time);

} // namespace dm::netemu
