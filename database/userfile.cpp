#include "database/userfile.h"

#include "common/inifile.h"
#include "common/inistore.h"
#include "common/numbers.h"
#include "common/text.h"
#include "database/policyform.h"
#include "database/profilevalues.h"
#include "platform/files/profile.h"

namespace dm {

std::string UserFileIn(std::string_view databaseDirectory)
{
    return std::string(databaseDirectory) + "\\Dialmind.usr";
}

namespace {

template <typename Keys>
UserRecord ReadUserRecordFrom(std::string_view section, const Keys& keys)
{
    UserRecord r;
    r.accountKey = std::string(section);
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

} // namespace

UserRecord ReadUserRecord(const std::string& section, const std::vector<std::pair<std::string, std::string>>& keys)
{
    return ReadUserRecordFrom(section, keys);
}

UserRecord ReadUserRecord(std::string_view section,
                          const std::vector<std::pair<std::string_view, std::string_view>>& keys)
{
    return ReadUserRecordFrom(section, keys);
}

namespace {

template <typename Keys>
Limits ReadGroupLimitsFrom(const Keys& keys)
{
    Limits limits;
    limits.noDuplicate = AtoiInt32(FindValue(keys, "NoDuplicate")) != 0;
    limits.maxSessionTime = AtoiInt32(FindValue(keys, "MaxSessionTime"));
    limits.maxTotalTime = AtoiInt32(FindValue(keys, "MaxTotalTime"));
    limits.periodMax = AtoiInt32(FindValue(keys, "PeriodMax"));
    limits.periodType = AtoiInt32(FindValue(keys, "PeriodType"));
    return limits;
}

} // namespace

Limits ReadGroupLimits(const std::vector<std::pair<std::string, std::string>>& keys)
{
    return ReadGroupLimitsFrom(keys);
}

Limits ReadGroupLimits(const std::vector<std::pair<std::string_view, std::string_view>>& keys)
{
    return ReadGroupLimitsFrom(keys);
}

UserRecord WriteUserRecordChanges(ProfileBatch& batch, const UserRecord& r, const UserRecord* base)
{
    WritePolicyChanges(batch, PolicyEditor::User, r.accountKey, base ? PolicyValuesOf(*base) : PolicyValues(),
                       PolicyValuesOf(r));
    // The counters belong to the server component: what the file holds
    // afterwards is its value, except where the manager wrote a reset.
    UserRecord after = r;
    const auto counter = [&](auto UserRecord::*field) {
        const bool reset = base != nullptr && r.*field == 0 && base->*field != 0;
        if (!reset)
            after.*field = base ? base->*field : 0;
    };
    counter(&UserRecord::totalTime);
    counter(&UserRecord::totalConnects);
    counter(&UserRecord::firstConnection);
    counter(&UserRecord::lastConnection);
    counter(&UserRecord::periodUsage);
    after.periodStamp = base ? base->periodStamp : 0;
    after.totalDenieds = base ? base->totalDenieds : 0;
    after.lasted = base ? base->lasted : 0;
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
    const std::shared_ptr<const IniFile> ini = LoadPrivateProfile(file);
    if (!ini)
        return usr;
    ini->ForEachSection([&usr](std::string_view section, const std::vector<IniFile::EntryView>& keys) {
        if (IsGroupSection(section))
            usr.groups.emplace(UpperAscii(section.substr(1)), ReadGroupLimits(keys));
        else
            usr.AddAccount(ReadUserRecord(section, keys));
    });
    return usr;
}

UserDatabase LoadUserDatabaseFor(std::string_view file, std::string_view account,
                                 const std::vector<std::string>& groups)
{
    // Each section under the name the file gives it, as a whole load keys it.
    UserDatabase usr;
    if (!IsGroupSection(account)) {
        if (const auto section = ReadPrivateProfileSection(account, file); section && !IsGroupSection(section->name))
            usr.AddAccount(ReadUserRecord(section->name, section->entries));
    }
    for (const std::string& group : groups) {
        if (const auto section = ReadPrivateProfileSection("+" + group, file))
            usr.groups.emplace(UpperAscii(std::string_view(section->name).substr(1)), ReadGroupLimits(section->entries));
    }
    return usr;
}

} // namespace dm
