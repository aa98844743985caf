#pragma once
// The time and duration texts of reports.

#include <cstdint>
#include <string>

namespace dm {

// Local date in the user's short date format, one blank, local time in
// 24-hour form without seconds ("12/05/97 14:03" in the C locale).
std::string FormatReportTime(std::uint32_t time);

// Whole seconds as hours, minutes and seconds: 3725 -> 1" 2' 5.
std::string FormatDuration(std::uint64_t seconds);

} // namespace dm
