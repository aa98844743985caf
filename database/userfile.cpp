#include "database/userfile.h"

#include "common/numbers.h"
#include "common/text.h"
#include "database/profilevalues.h"
#include "platform/files/profile.h"

namespace dm {

std::string UserFileIn(std::string_view databaseDirectory)
{
    return std::string(databaseDirectory) + "\\Dialmind.usr";
}

UserRecord ReadUserRecord(const std::string& section, const std::vector<std::pair<std::string, std::string>>& keys)
{
    UserRecord r;
    r.accountKey = section;
    r.totalTime = AtoiInt32(FindValue(keys, "TotalTime"));
    r.totalConnects = AtoiInt32(FindValue(keys, "TotalConnects"));
    r.totalDenieds = AtoiInt32(FindValue(keys, "TotalDenieds"));
    r.lastConnection = AtoiWrapped32(FindValue(keys, "LastConnection"));
    r.firstConnection = AtoiWrapped32(FindValue(keys, "FirstConnection"));
    r.lasted = AtoiInt32(FindValue(keys, "Lasted"));
    r.maxSessionTime = AtoiInt32(FindValue(keys, "MaxSessionTime"));
    r.maxTotalTime = AtoiInt32(FindValue(keys, "MaxTotalTime"));
    r.expiryTime = AtoiInt32(FindValue(keys, "ExpiryTime"));
    r.staticIP = AtoiWrapped32(FindValue(keys, "StaticIP"));
    r.periodStamp = AtoiWrapped32(FindValue(keys, "PeriodStamp"));
    r.periodUsage = AtoiInt32(FindValue(keys, "PeriodUsage"));
    r.periodMax = AtoiInt32(FindValue(keys, "PeriodMax"));
    r.periodType = AtoiInt32(FindValue(keys, "PeriodType"));
    r.noDuplicate = AtoiInt32(FindValue(keys, "NoDuplicate")) != 0;
    return r;
}

Limits ReadGroupLimits(const std::vector<std::pair<std::string, std::string>>& keys)
{
    Limits limits;
    limits.noDuplicate = AtoiInt32(FindValue(keys, "NoDuplicate")) != 0;
    limits.maxSessionTime = AtoiInt32(FindValue(keys, "MaxSessionTime"));
    limits.maxTotalTime = AtoiInt32(FindValue(keys, "MaxTotalTime"));
    limits.periodMax = AtoiInt32(FindValue(keys, "PeriodMax"));
    limits.periodType = AtoiInt32(FindValue(keys, "PeriodType"));
    return limits;
}

UserRecord WriteUserRecordChanges(ProfileBatch& batch, const UserRecord& r, const UserRecord* base)
{
    const std::string& s = r.accountKey;
    auto put = [&](const char* key, std::uint32_t value, std::uint32_t baseValue) {
        if (base == nullptr || value != baseValue)
            batch.Write(s, key, FormatInt32(value));
    };
    auto pick = [&](auto UserRecord::*field) { return base ? base->*field : r.*field; };
    put("StaticIP", r.staticIP, pick(&UserRecord::staticIP));
    put("MaxSessionTime", r.maxSessionTime, pick(&UserRecord::maxSessionTime));
    put("TotalTime", r.totalTime, pick(&UserRecord::totalTime));
    put("TotalConnects", r.totalConnects, pick(&UserRecord::totalConnects));
    put("MaxTotalTime", r.maxTotalTime, pick(&UserRecord::maxTotalTime));
    put("ExpiryTime", r.expiryTime, pick(&UserRecord::expiryTime));
    put("PeriodMax", r.periodMax, pick(&UserRecord::periodMax));
    put("PeriodUsage", r.periodUsage, pick(&UserRecord::periodUsage));
    put("PeriodStamp", r.periodStamp, pick(&UserRecord::periodStamp));
    put("PeriodType", r.periodType, pick(&UserRecord::periodType));
    if (base == nullptr || r.noDuplicate != base->noDuplicate)
        batch.Write(s, "NoDuplicate", FormatFlag(r.noDuplicate));

    UserRecord after = r;
    // The connection times belong to the server component: the manager only
    // ever writes the zero of a reset, never a time it read.
    const bool resetFirst = r.firstConnection == 0 && (base == nullptr || base->firstConnection != 0);
    const bool resetLast = r.lastConnection == 0 && (base == nullptr || base->lastConnection != 0);
    if (resetFirst)
        batch.Write(s, "FirstConnection", "0");
    if (resetLast)
        batch.Write(s, "LastConnection", "0");
    if (base != nullptr) {
        if (!resetFirst)
            after.firstConnection = base->firstConnection;
        if (!resetLast)
            after.lastConnection = base->lastConnection;
        after.lasted = base->lasted;
        after.totalDenieds = base->totalDenieds;
    }
    return after;
}

void WriteUsageCounters(ProfileBatch& batch, const UserRecord& r, bool withLimits)
{
    const std::string& s = r.accountKey;
    auto put = [&](const char* key, std::uint32_t value) { batch.Write(s, key, FormatInt32(value)); };
    if (withLimits) {
        batch.Write(s, "NoDuplicate", FormatFlag(r.noDuplicate));
        put("MaxSessionTime", r.maxSessionTime);
        put("MaxTotalTime", r.maxTotalTime);
        put("ExpiryTime", r.expiryTime);
        put("PeriodMax", r.periodMax);
        put("PeriodType", r.periodType);
        put("StaticIP", r.staticIP);
    }
    put("TotalTime", r.totalTime);
    put("TotalConnects", r.totalConnects);
    put("TotalDenieds", r.totalDenieds);
    put("FirstConnection", r.firstConnection);
    put("LastConnection", r.lastConnection);
    put("Lasted", r.lasted);
    put("PeriodStamp", r.periodStamp);
    put("PeriodUsage", r.periodUsage);
}

UserRecord* UserDatabase::FindAccount(std::string_view account)
{
    const auto it = accounts.find(UpperAscii(account));
    return it == accounts.end() ? nullptr : &it->second;
}

const UserRecord* UserDatabase::FindAccount(std::string_view account) const
{
    const auto it = accounts.find(UpperAscii(account));
    return it == accounts.end() ? nullptr : &it->second;
}

const Limits* UserDatabase::FindGroup(std::string_view group) const
{
    const auto it = groups.find(UpperAscii(group));
    return it == groups.end() ? nullptr : &it->second;
}

UserRecord& UserDatabase::AddAccount(UserRecord record)
{
    std::string key = UpperAscii(record.accountKey);
    return accounts.emplace(std::move(key), std::move(record)).first->second;
}

UserDatabase LoadUserDatabase(std::string_view file)
{
    UserDatabase usr;
    for (const std::string& section : GetPrivateProfileSectionNames(file)) {
        const auto keys = GetPrivateProfileSection(section, file);
        if (IsGroupSection(section))
            usr.groups.emplace(UpperAscii(section.substr(1)), ReadGroupLimits(keys));
        else
            usr.AddAccount(ReadUserRecord(section, keys));
    }
    return usr;
}

} // namespace dm
