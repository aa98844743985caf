#pragma once
// One central database directory as the server components that share it
// see it: Dialmind.hw and Dialmind.usr read through the shared database
// model, the usage counters kept in memory and written back in batches, and
// the log writer.

#include "netemu/activitywriter.h"
#include "database/policyengine.h"
#include "database/userfile.h"

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace dm::netemu {

class Database {
public:
    Database(std::string dir, bool legacyLog = false);

    const std::string& Dir() const { return m_dir; }
    std::string HardwareFile() const;
    std::string UserFile() const;

    const HardwareDatabase& Hardware() const { return m_hw; }
    HardwareDatabase& Hardware() { return m_hw; }
    UserDatabase& Users() { return m_usr; }
    PolicyEngine Engine() { return PolicyEngine(m_hw, m_usr); }
    ActivityWriter& Log() { return m_log; }

    // Reads both policy files.
    void Load();
    struct Changes {
        bool hardware = false;
        bool users = false;
    };
    // Re-reads the files whose size or modification time changed since the
    // last read or write. Usage not yet written is written first, so that a
    // re-read never loses it; while it cannot be written, Dialmind.usr is
    // not re-read.
    Changes ReloadChanged();

    // Marks an account whose counters changed; withLimits also writes its
    // limits (an account that just received the default profile).
    void MarkUsage(const UserRecord& record, bool withLimits = false);
    // Writes the marked accounts' counters with one batch. False when the
    // file could not be written; the marks stay for the next flush.
    bool FlushUsage();
    // Writes usage and every buffered log record.
    bool FlushAll();
    // The files (system paths) the last flushes could not write.
    std::vector<std::string> FailedFiles() const;

private:
    struct Stamp {
        std::filesystem::file_time_type time{};
        std::uintmax_t size = 0;
        bool exists = false;
        bool operator==(const Stamp&) const = default;
    };
    Stamp StampOf(const std::string& file) const;

    std::string m_dir;
    HardwareDatabase m_hw;
    UserDatabase m_usr;
    ActivityWriter m_log;
    Stamp m_hwStamp, m_usrStamp;
    std::vector<std::string> m_dirtyOrder; // upper-case keys, first marked first
    std::set<std::string> m_dirty;
    std::set<std::string> m_withLimits;
    bool m_usageFailed = false;
};

} // namespace dm::netemu
