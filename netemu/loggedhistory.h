#pragma once
// What the activity log of a database directory already holds, so that
// generated history never lands on days that have records and a live run
// never writes records before the last one logged.

#include <cstdint>
#include <string>

namespace dm::netemu {

// The local midnight of the first day in [from, to) that holds an activity
// record, in its day file or in the single legacy Dialmind.log; 0 when none.
std::uint32_t FirstDayWithRecords(const std::string& dbDir, std::uint32_t from, std::uint32_t to);

// The time of the latest activity record in the day files and the legacy
// log; 0 when there is none.
std::uint32_t LastLoggedEvent(const std::string& dbDir);

// "yyyy-mm-dd" of a time's local date.
std::string LocalDateText(std::uint32_t time);

} // namespace dm::netemu
