#include "netemu/loggedhistory.h"

#include "common/logrecord.h"
#include "common/numbers.h"
#include "netemu/logformat.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace dm::netemu {
namespace {

// Calls visit(time) for every record key of a log file; stops when it returns false.
template <typename Visit>
void ForEachRecordTime(const std::string& file, Visit visit)
{
    for (const std::string& section : GetPrivateProfileSectionNames(file))
        for (const std::string& key : GetPrivateProfileKeyNames(section, file)) {
            const std::optional<std::uint32_t> time = ParseUInt32(key);
            if (!time)
                continue; // not a record key
            if (!visit(*time))
                return;
        }
}

std::uint32_t NextLocalMidnight(std::uint32_t time)
{
    std::time_t t = time;
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_mday += 1;
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::uint32_t>(std::mktime(&local));
}

} // namespace

std::uint32_t FirstDayWithRecords(const std::string& dbDir, std::uint32_t from, std::uint32_t to)
{
    std::uint32_t first = 0;
    // The legacy log holds every day in one file.
    ForEachRecordTime(LegacyLogPath(dbDir), [&](std::uint32_t time) {
        if (time >= from && time < to && (first == 0 || time < first))
            first = time;
        return true;
    });
    for (std::uint32_t day = from; day < to && (first == 0 || day <= first); day = NextLocalMidnight(day)) {
        bool any = false;
        ForEachRecordTime(DayFileName(dbDir, day), [&](std::uint32_t) {
            any = true;
            return false;
        });
        if (any) {
            first = first == 0 ? day : std::min(first, day);
            break;
        }
    }
    if (first == 0)
        return 0;
    // The midnight that begins the day of the first record.
    std::time_t t = first;
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::uint32_t>(std::max<std::time_t>(std::mktime(&local), from));
}

std::uint32_t LastLoggedEvent(const std::string& dbDir)
{
    std::uint32_t last = 0;
    auto later = [&](std::uint32_t time) {
        last = std::max(last, time);
        return true;
    };
    ForEachRecordTime(LegacyLogPath(dbDir), later);
    const std::filesystem::path logData = ResolvePathOrEmpty(DatabaseFile(dbDir, "LogData"));
    std::error_code error;
    if (logData.empty() || !std::filesystem::is_directory(logData, error))
        return last;
    // The increment's own error ends the listing; it never throws.
    std::error_code listing;
    for (std::filesystem::directory_iterator it(logData, listing), end;
         !listing && it != end; it.increment(listing)) {
        const auto& entry = *it;
        if (!entry.is_regular_file(error) || entry.path().extension() != ".log")
            continue;
        ForEachRecordTime(DatabaseFile(DatabaseFile(dbDir, "LogData"), entry.path().filename().string()), later);
    }
    return last;
}

std::string LocalDateText(std::uint32_t time)
{
    std::time_t t = time;
    std::tm local{};
    localtime_r(&t, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

} // namespace dm::netemu
