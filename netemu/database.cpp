#include "netemu/database.h"

#include "netemu/logformat.h"
#include "platform/pathresolver.h"
#include "platform/profile.h"

#include <system_error>

namespace dm::netemu {

Database::Database(std::string dir, bool legacyLog) : m_dir(std::move(dir)), m_log(m_dir, legacyLog) {}

std::string Database::HardwareFile() const { return DatabaseFile(m_dir, "Dialmind.hw"); }
std::string Database::UserFile() const { return DatabaseFile(m_dir, "Dialmind.usr"); }

Database::Stamp Database::StampOf(const std::string& file) const
{
    Stamp stamp;
    const std::filesystem::path path = ResolvePathOrEmpty(file);
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return stamp;
    stamp.time = std::filesystem::last_write_time(path, error);
    stamp.size = std::filesystem::file_size(path, error);
    stamp.exists = !error;
    return stamp;
}

void Database::Load()
{
    m_hwStamp = StampOf(HardwareFile());
    m_hw = LoadHardwarePolicies(HardwareFile());
    m_usrStamp = StampOf(UserFile());
    m_usr = LoadUserPolicies(UserFile());
}

Database::Changes Database::ReloadChanged()
{
    Changes changes;
    if (StampOf(HardwareFile()) != m_hwStamp) {
        m_hwStamp = StampOf(HardwareFile());
        m_hw = LoadHardwarePolicies(HardwareFile());
        changes.hardware = true;
    }
    FlushUsage();
    if (StampOf(UserFile()) != m_usrStamp) {
        m_usrStamp = StampOf(UserFile());
        m_usr = LoadUserPolicies(UserFile());
        changes.users = true;
    }
    return changes;
}

void Database::MarkUsage(const AccountRecord& record, bool withLimits)
{
    const std::string key = UpperKey(record.key);
    if (m_dirty.insert(key).second)
        m_dirtyOrder.push_back(key);
    if (withLimits)
        m_withLimits.insert(key);
}

bool Database::FlushUsage()
{
    if (m_dirtyOrder.empty())
        return true;
    ProfileBatch batch(UserFile());
    for (const std::string& key : m_dirtyOrder) {
        const AccountRecord* record = m_usr.FindAccount(key);
        if (!record)
            continue; // removed by a re-read (the manager deleted the account)
        const std::string& section = record->key;
        auto put = [&](const char* name, long long value) { batch.Write(section, name, std::to_string(value)); };
        if (m_withLimits.count(key)) {
            put("NoDuplicate", record->limits.noDuplicate ? 1 : 0);
            put("MaxSessionTime", record->limits.maxSessionTime);
            put("MaxTotalTime", record->limits.maxTotalTime);
            put("ExpiryTime", record->expiryDays);
            put("PeriodMax", record->limits.periodMax);
            put("PeriodType", record->limits.periodType);
            put("StaticIP", static_cast<std::int32_t>(record->staticIp));
        }
        put("TotalTime", record->totalTime);
        put("TotalConnects", record->totalConnects);
        put("TotalDenieds", record->totalDenieds);
        put("FirstConnection", record->firstConnection);
        put("LastConnection", record->lastConnection);
        put("Lasted", record->lasted);
        put("PeriodStamp", record->periodStamp);
        put("PeriodUsage", record->periodUsage);
    }
    const bool ok = batch.Commit();
    m_dirtyOrder.clear();
    m_dirty.clear();
    m_withLimits.clear();
    // The stamp stays as it was: a live run re-reads the file after its own
    // write, which also picks up what a manager saved at the same moment.
    return ok;
}

bool Database::FlushAll()
{
    const bool usage = FlushUsage();
    return m_log.Flush() && usage;
}

} // namespace dm::netemu
