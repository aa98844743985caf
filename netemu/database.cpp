#include "netemu/database.h"

#include "common/text.h"
#include "database/profilevalues.h"
#include "netemu/logformat.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

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
    m_hw = LoadHardwareDatabase(HardwareFile());
    m_usrStamp = StampOf(UserFile());
    m_usr = LoadUserDatabase(UserFile());
}

Database::Changes Database::ReloadChanged()
{
    Changes changes;
    if (StampOf(HardwareFile()) != m_hwStamp) {
        m_hwStamp = StampOf(HardwareFile());
        m_hw = LoadHardwareDatabase(HardwareFile());
        changes.hardware = true;
    }
    // Counters that could not be written live only in memory: a re-read now
    // would drop them, so it waits for a flush that succeeds.
    if (FlushUsage() && StampOf(UserFile()) != m_usrStamp) {
        m_usrStamp = StampOf(UserFile());
        m_usr = LoadUserDatabase(UserFile());
        changes.users = true;
    }
    return changes;
}

void Database::MarkUsage(const UserRecord& record, bool withLimits)
{
    const std::string key = UpperAscii(record.accountKey);
    if (m_dirty.insert(key).second)
        m_dirtyOrder.push_back(key);
    if (withLimits)
        m_withLimits.insert(key);
}

bool Database::FlushUsage()
{
    m_usageFailed = false;
    if (m_dirtyOrder.empty())
        return true;
    ProfileBatch batch(UserFile());
    for (const std::string& key : m_dirtyOrder) {
        const UserRecord* record = m_usr.FindAccount(key);
        if (!record)
            continue; // removed by a re-read (the manager deleted the account)
        WriteUsageCounters(batch, *record, m_withLimits.count(key) != 0);
    }
    m_usageFailed = !batch.Commit();
    if (m_usageFailed)
        return false; // the marks stay: the next flush writes the counters again
    m_dirtyOrder.clear();
    m_dirty.clear();
    m_withLimits.clear();
    // The stamp stays as it was: a live run re-reads the file after its own
    // write, which also picks up what a manager saved at the same moment.
    return true;
}

bool Database::FlushAll()
{
    const bool usage = FlushUsage();
    return m_log.Flush() && usage;
}

std::vector<std::string> Database::FailedFiles() const
{
    std::vector<std::string> files = m_log.FailedFiles();
    if (m_usageFailed)
        files.insert(files.begin(), UserFile());
    return files;
}

} // namespace dm::netemu
