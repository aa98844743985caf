#include "manager/core/useredit.h"

#include "common/timeformat.h"
#include "manager/core/usersettings.h"

#include <algorithm>
#include <cstdlib>

namespace dm {

const char kOctetRangeMessage[] = "Each part of an IP address must be a number from 0 to 255.";

bool BeginUserEdit(UserSettings& users, const std::string& account)
{
    // Read fresh: the table may not be loaded yet (a sheet opened from a
    // port), or the server component may have created or counted the account
    // since the last load.
    std::optional<UserRecord> shown = users.ReadAccount(account);
    const int index = users.FindAccount(account);
    users.SetEditIndex(index >= 0 ? index : static_cast<int>(users.Records().size()));
    UserRecord record = shown ? *shown : UserRecord();
    record.accountKey = index >= 0 ? users.Records()[static_cast<std::size_t>(index)].accountKey : account;
    if (shown)
        shown->accountKey = record.accountKey;
    const bool isNew = !shown;
    users.BeginEdit(std::move(record), std::move(shown));
    return isNew;
}

namespace {

std::string Seconds(std::int32_t value)
{
    return std::to_string(value) + " secs";
}

std::string When(std::uint32_t time)
{
    return time == 0 ? "N/A" : FormatShortDate(time) + " " + FormatTimeOfDay(time);
}

} // namespace

std::vector<UserStatistic> UserStatistics(const UserRecord& record)
{
    return {
        {"Total usage", Seconds(record.totalTime)},
        {"Number of sessions made", std::to_string(record.totalConnects)},
        {"First session was", When(record.firstConnection)},
        {"Last session was", When(record.lastConnection)},
        {"Last session lasted", Seconds(record.lasted)},
        {"Period Usage", Seconds(record.periodUsage)},
    };
}

bool CanResetStatistics(const std::vector<int>& selectedRows)
{
    return !selectedRows.empty() &&
           std::find(selectedRows.begin(), selectedRows.end(), StatLastLasted) == selectedRows.end();
}

void ResetStatistic(UserRecord& record, int row)
{
    switch (row) {
    case StatTotalUsage: record.totalTime = 0; break;
    case StatSessions: record.totalConnects = 0; break;
    case StatFirstSession: record.firstConnection = 0; break;
    case StatLastSession: record.lastConnection = 0; break;
    case StatPeriodUsage: record.periodUsage = 0; break;
    default: break;
    }
}

std::optional<std::uint32_t> PackAddress(const std::array<std::string, 4>& octets)
{
    std::uint32_t address = 0;
    for (const std::string& octet : octets) {
        if (octet.empty() || octet.size() > 3 || octet.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const int part = std::atoi(octet.c_str());
        if (part > 255)
            return std::nullopt;
        address = (address << 8) | static_cast<std::uint32_t>(part);
    }
    return address;
}

std::array<std::string, 4> UnpackAddress(std::uint32_t address)
{
    return {std::to_string(address >> 24), std::to_string((address >> 16) & 0xFF),
            std::to_string((address >> 8) & 0xFF), std::to_string(address & 0xFF)};
}

CallbackChoice CallbackOf(std::uint8_t bits)
{
    if (bits & 1)
        return CallbackNone;
    if (bits & 4)
        return CallbackByCaller;
    if (bits & 2)
        return CallbackPreset;
    return CallbackUnset;
}

std::uint8_t PermissionBits(bool dialIn, CallbackChoice callback)
{
    std::uint8_t bits = dialIn ? 8 : 0;
    switch (callback) {
    case CallbackNone: bits |= 1; break;
    case CallbackByCaller: bits |= 4; break;
    case CallbackPreset: bits |= 2; break;
    default: break;
    }
    return bits;
}

} // namespace dm
