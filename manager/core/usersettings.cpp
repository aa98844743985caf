#include "manager/core/usersettings.h"

#include "manager/core/profilevalues.h"
#include "platform/pathresolver.h"
#include "platform/profile.h"

#include <cstdio>
#include <sys/stat.h>

namespace dm {

namespace {

UserRecord ReadAccount(const std::string& section, const std::string& file)
{
    const auto keys = GetPrivateProfileSection(section, file);
    UserRecord r;
    r.accountKey = section;
    r.totalTime = ParseInt32(FindValue(keys, "TotalTime"));
    r.totalConnects = ParseInt32(FindValue(keys, "TotalConnects"));
    r.totalDenieds = ParseInt32(FindValue(keys, "TotalDenieds"));
    r.lastConnection = ParseBits32(FindValue(keys, "LastConnection"));
    r.firstConnection = ParseBits32(FindValue(keys, "FirstConnection"));
    r.lasted = ParseInt32(FindValue(keys, "Lasted"));
    r.maxSessionTime = ParseInt32(FindValue(keys, "MaxSessionTime"));
    r.maxTotalTime = ParseInt32(FindValue(keys, "MaxTotalTime"));
    r.expiryTime = ParseInt32(FindValue(keys, "ExpiryTime"));
    r.staticIP = ParseBits32(FindValue(keys, "StaticIP"));
    r.periodStamp = ParseBits32(FindValue(keys, "PeriodStamp"));
    r.periodUsage = ParseInt32(FindValue(keys, "PeriodUsage"));
    r.periodMax = ParseInt32(FindValue(keys, "PeriodMax"));
    r.periodType = ParseInt32(FindValue(keys, "PeriodType"));
    r.noDuplicate = ParseInt32(FindValue(keys, "NoDuplicate")) != 0;
    return r;
}

std::string ProgressText(std::uint64_t done, std::uint64_t total, std::size_t records,
                         const std::string& section)
{
    const int percent = total == 0 ? 0 : static_cast<int>(100 * done / total);
    char head[96];
    std::snprintf(head, sizeof head, "Loading User Data (%d%%, %d records). Processing ", percent,
                  static_cast<int>(records));
    return head + section + ".";
}

// Writes the values of one record that differ from base (all when there is
// no base) and returns the values the file holds for the account afterwards.
UserRecord WriteChanges(ProfileBatch& batch, const UserRecord& r, const UserRecord* base)
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

} // namespace

std::string UserSettings::FileNameIn(std::string_view databaseDirectory)
{
    return std::string(databaseDirectory) + "\\Dialmind.usr";
}

void UserSettings::SetFile(std::string file)
{
    if (file != m_file)
        m_seenStamp.reset();
    m_file = std::move(file);
}

UserSettings::FileStamp UserSettings::CurrentStamp() const
{
    FileStamp stamp;
    if (m_file.empty())
        return stamp;
    const ResolvedPath resolved = ResolvePath(m_file);
    struct stat info {};
    if (!resolved.ok() || ::stat(resolved.path.c_str(), &info) != 0)
        return stamp;
    // Nanoseconds and size: two saves within one second still count as a change.
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.size = static_cast<std::uintmax_t>(info.st_size);
    return stamp;
}

bool UserSettings::Load(const ProgressSink& progress)
{
    const FileStamp stamp = CurrentStamp();
    if (m_seenStamp && *m_seenStamp == stamp)
        return false;
    m_seenStamp = stamp;

    m_records.clear();
    m_base.clear();
    const std::vector<std::string> sections =
        m_file.empty() ? std::vector<std::string>() : GetPrivateProfileSectionNames(m_file);
    std::uint64_t listLength = 0;
    for (const std::string& name : sections)
        listLength += name.size() + 1;

    std::uint64_t done = 0;
    for (const std::string& name : sections) {
        if (name.empty() || name[0] != '+') {
            done += name.size() + 1;
            UserRecord record = ReadAccount(name, m_file);
            m_base.try_emplace(LowerAscii(name), record);
            m_records.push_back(std::move(record));
        }
        if (progress)
            progress(ProgressText(done, listLength, m_records.size(), name));
    }
    if (progress)
        progress("Ready");
    return true;
}

bool UserSettings::Save()
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    std::vector<std::pair<std::string, UserRecord>> after;
    after.reserve(m_records.size());
    for (const UserRecord& record : m_records) {
        if (record.accountKey.empty())
            continue;
        std::string key = LowerAscii(record.accountKey);
        const auto it = m_base.find(key);
        after.emplace_back(std::move(key),
                           WriteChanges(batch, record, it == m_base.end() ? nullptr : &it->second));
    }
    if (batch.Size() == 0)
        return true;
    if (!batch.Commit())
        return false;
    for (auto& [key, record] : after)
        m_base.insert_or_assign(std::move(key), std::move(record));
    return true;
}

bool UserSettings::CommitEditedUser()
{
    if (m_editIndex < 0 || static_cast<std::size_t>(m_editIndex) > m_records.size())
        return false;
    if (static_cast<std::size_t>(m_editIndex) == m_records.size())
        m_records.push_back(m_edit);
    else
        m_records[static_cast<std::size_t>(m_editIndex)] = m_edit;
    return Save();
}

int UserSettings::UserLimitState(std::size_t index, std::time_t now) const
{
    return index < m_records.size() ? dm::UserLimitState(m_records[index], now) : 0;
}

bool UserSettings::DeleteAccountSection(std::string_view accountKey)
{
    if (m_file.empty())
        return false;
    m_base.erase(LowerAscii(accountKey));
    return DeletePrivateProfileSection(accountKey, m_file);
}

int UserSettings::FindAccount(std::string_view accountKey) const
{
    for (std::size_t i = 0; i < m_records.size(); ++i)
        if (EqualNoCase(m_records[i].accountKey, accountKey))
            return static_cast<int>(i);
    return -1;
}

int UserLimitState(const UserRecord& record, std::time_t now)
{
    if (record.expiryTime != 0 && record.firstConnection != 0) {
        const std::int64_t expires =
            static_cast<std::int64_t>(record.firstConnection) +
            static_cast<std::int64_t>(record.expiryTime) * 86400;
        if (static_cast<std::int64_t>(now) > expires)
            return 1;
    }
    if (record.maxTotalTime != 0 &&
        static_cast<std::uint32_t>(record.totalTime) > static_cast<std::uint32_t>(record.maxTotalTime))
        return 2;
    return 0;
}

} // namespace dm
