#pragma once
// Calendar times and their texts, in one place. A calendar time is an
// unsigned 32-bit count of seconds since 1970-01-01 00:00 UTC, shown in
// local time (the TZ of the process).
//
// Texts follow the user's LC_TIME locale as the environment gives it
// (LC_ALL, LC_TIME, LANG), whether or not the program called setlocale, so
// that every program of the system forms the same day file names and the
// same dates. An unknown locale falls back to "C".

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace dm {

// The current calendar time.
std::uint32_t NowTime();

// Local calendar fields of a time.
std::tm LocalFields(std::uint32_t time);
// The calendar time of local fields (normalised as mktime does: day 32 is
// the first of the next month; daylight saving time decided by the date).
// Times before 1970 give 0, times after 2106 the largest time.
std::uint32_t FromLocalFields(std::tm fields);
// The calendar time of a local date (month 1 to 12) and time of day,
// normalised and limited as FromLocalFields.
std::uint32_t LocalTimeOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The same, but nothing when the date or the time of day does not exist on
// the calendar (30 February, hour 24) or the time lies outside 1970 to 2106.
// An hour that daylight saving time skips is taken as mktime takes it.
std::optional<std::uint32_t> ExactLocalTime(int year, int month, int day, int hour = 0, int minute = 0,
                                            int second = 0);

// 00:00:00 and 23:59:59 local time of the day that holds time.
std::uint32_t StartOfLocalDay(std::uint32_t time);
std::uint32_t EndOfLocalDay(std::uint32_t time);
// Noon of the local day days after (or before, when negative) the day that
// holds time. Stepping by calendar days, not by 86,400 seconds, never skips
// or repeats a day where daylight saving time begins or ends.
std::uint32_t AddLocalDays(std::uint32_t time, int days);

// strftime of the local time under the user's LC_TIME locale.
std::string FormatLocalTime(const char* picture, std::uint32_t time);
// The locale's date and time ("%x %X"), e.g. "12/05/97 14:03:07" in the C
// locale. The date is formed once per local day, so a list of a million
// times costs little more than their times of day.
std::string FormatLocalDateTime(std::uint32_t time);
// The same, appended to out: a list of a million rows forms no string per time.
void AppendLocalDateTime(std::string& out, std::uint32_t time);
// The locale's short date ("%x"), e.g. "12/05/97" in the C locale.
std::string FormatShortDate(std::uint32_t time);
// The locale's time of day ("%X"), e.g. "14:03:07" in the C locale.
std::string FormatTimeOfDay(std::uint32_t time);
// 24-hour time without seconds, "14:03".
std::string FormatTime24(std::uint32_t time);
// The date picture of day file names, "%Y-%b-%d": "1997-Dec-05" in English.
std::string FormatDayLogDate(std::uint32_t time);

} // namespace dm
