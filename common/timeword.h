#pragma once
// The word TIME of the command line, one rule for every command that takes
// it: seconds since 1970 (what the files and the --csv outputs hold), or a
// local date "YYYY-MM-DD" with an optional time of day " HH:MM" or
// " HH:MM:SS" (what a person types).

#include <cstdint>
#include <optional>
#include <string_view>

namespace dm {

// What a date without a time of day stands for: its first second, or, where
// the time ends a window, its last.
enum class DateAlone { StartOfDay, EndOfDay };

// Nothing for anything else: blanks around the word, signs, a date that is
// not on the calendar (2023-02-29, 2024-13-01), a time of day past 23:59:59,
// a time before 1970 or after 2106. Month, day, hour, minute and second may
// be written with one digit or two, the year with four.
std::optional<std::uint32_t> ParseTimeWord(std::string_view text, DateAlone dateAlone = DateAlone::StartOfDay);

} // namespace dm
