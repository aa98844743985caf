#include "common/timeformat.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <limits>
#include <string_view>

namespace dm {

namespace {

// The user's LC_TIME locale, created once.
locale_t UserTimeLocale()
{
    static locale_t locale = [] {
        locale_t l = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        if (!l)
            l = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
        return l;
    }();
    return locale;
}

std::tm DateFields(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return fields;
}

// mktime with daylight saving time decided by the date; -1 also for errors.
std::time_t LocalSeconds(std::tm fields)
{
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

constexpr std::time_t kLastTime = std::numeric_limits<std::uint32_t>::max();

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

std::uint32_t NowTime()
{
    return static_cast<std::uint32_t>(std::time(nullptr));
}

std::tm LocalFields(std::uint32_t time)
{
    std::time_t t = static_cast<std::time_t>(time);
    std::tm fields{};
    ::localtime_r(&t, &fields);
    return fields;
}

std::uint32_t FromLocalFields(std::tm fields)
{
    const std::time_t t = LocalSeconds(fields);
    if (t < 0)
        return 0;
    return static_cast<std::uint32_t>(t > kLastTime ? kLastTime : t);
}

std::uint32_t LocalTimeOf(int year, int month, int day, int hour, int minute, int second)
{
    return FromLocalFields(DateFields(year, month, day, hour, minute, second));
}

std::optional<std::uint32_t> ExactLocalTime(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1969 || year > 2106 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    // 1969 stays in the check: late on 31 December 1969 west of Greenwich it
    // is already 1970 in UTC.
    const std::time_t t = LocalSeconds(DateFields(year, month, day, hour, minute, second));
    if (t < 0 || t > kLastTime)
        return std::nullopt;
    return static_cast<std::uint32_t>(t);
}

std::uint32_t StartOfLocalDay(std::uint32_t time)
{
    std::tm fields = LocalFields(time);
    fields.tm_hour = fields.tm_min = fields.tm_sec = 0;
    return FromLocalFields(fields);
}

std::uint32_t EndOfLocalDay(std::uint32_t time)
{
    std::tm fields = LocalFields(time);
    fields.tm_hour = 23;
    fields.tm_min = fields.tm_sec = 59;
    return FromLocalFields(fields);
}

std::uint32_t AddLocalDays(std::uint32_t time, int days)
{
    std::tm fields = LocalFields(time);
    fields.tm_mday += days;
    fields.tm_hour = 12;
    fields.tm_min = fields.tm_sec = 0;
    return FromLocalFields(fields);
}

std::string FormatLocalTime(const char* picture, std::uint32_t time)
{
    std::tm fields = LocalFields(time);
    char buffer[256];
    std::size_t n = ::strftime_l(buffer, sizeof buffer, picture, &fields, UserTimeLocale());
    return std::string(buffer, n);
}

namespace {

// Whether the locale's time of day ("%X") is the 24-hour "hh:mm:ss", which
// is then formed by hand.
bool TimeOfDayIsPlain()
{
    static const bool plain = [] {
        const std::string_view picture = ::nl_langinfo_l(T_FMT, UserTimeLocale());
        return picture == "%H:%M:%S" || picture == "%T";
    }();
    return plain;
}

void AppendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

void AppendLocalDateTime(std::string& out, std::uint32_t time)
{
    // The last day formed, for the time zone it was formed in, with its
    // local fields at midnight.
    struct DayText {
        std::uint32_t start = 1;
        std::uint32_t end = 0;
        bool zoneSet = false;
        bool steady = false; // no clock change: a time's fields follow from the start's
        std::string zone;
        std::string date;
        std::tm midnight{};
    };
    thread_local DayText day;
    const char* zone = std::getenv("TZ");
    const bool sameZone = (zone != nullptr) == day.zoneSet && (zone == nullptr || day.zone == zone);
    if (!sameZone || time < day.start || time > day.end) {
        day.start = StartOfLocalDay(time);
        day.end = EndOfLocalDay(time);
        day.zoneSet = zone != nullptr;
        day.zone = zone != nullptr ? zone : "";
        day.date = FormatShortDate(time);
        day.midnight = LocalFields(day.start);
        // A day of exactly 86,400 seconds that begins at 00:00:00 has no
        // clock change (nor a leap second) inside it.
        day.steady = day.end - day.start == 86399 && day.midnight.tm_hour == 0 && day.midnight.tm_min == 0 &&
                     day.midnight.tm_sec == 0 && time >= day.start;
    }
    out += day.date;
    out += ' ';
    if (!day.steady) {
        out += FormatTimeOfDay(time);
        return;
    }
    const int second = static_cast<int>(time - day.start);
    if (TimeOfDayIsPlain()) {
        AppendTwoDigits(out, second / 3600);
        out += ':';
        AppendTwoDigits(out, second / 60 % 60);
        out += ':';
        AppendTwoDigits(out, second % 60);
        return;
    }
    std::tm fields = day.midnight;
    fields.tm_hour = second / 3600;
    fields.tm_min = second / 60 % 60;
    fields.tm_sec = second % 60;
    char buffer[256];
    const std::size_t n = ::strftime_l(buffer, sizeof buffer, "%X", &fields, UserTimeLocale());
    out.append(buffer, n);
}

std::string FormatLocalDateTime(std::uint32_t time)
{
    std::string text;
    AppendLocalDateTime(text, time);
    return text;
}

std::string FormatShortDate(std::uint32_t time)
{
    return FormatLocalTime("%x", time);
}

std::string FormatTimeOfDay(std::uint32_t time)
{
    return FormatLocalTime("%X", time);
}

std::string FormatTime24(std::uint32_t time)
{
    return FormatLocalTime("%H:%M", time);
}

std::string FormatDayLogDate(std::uint32_t time)
{
    return FormatLocalTime("%Y-%b-%d", time);
}

} // namespace dm
