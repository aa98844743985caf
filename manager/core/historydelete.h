#pragma once
// Deleting activity log records from their day files.

#include "common/activitylog.h"
#include "common/logrecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// Removes each record's key (its time, written unsigned) from the section
// "server\port" of the day file of its time. Each day file is edited once,
// in the order the records first name it. A day file that is missing or
// read-only, or cannot be written, stops the work: it is left as it was, no
// later file is touched, and its name (as the system names it) is returned.
// A key that is no longer there is simply absent.
std::optional<std::string> DeleteLogRecords(std::string_view databaseDirectory,
                                            const std::vector<LogRecord>& records,
                                            const PathResolver& resolve);

} // namespace dm
