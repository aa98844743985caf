#include "netemu/activitywriter.h"

#include "netemu/logformat.h"
#include "common/logrecord.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

#include <ctime>
#include <filesystem>
#include <system_error>

namespace dm::netemu {

ActivityWriter::ActivityWriter(std::string dbDir, bool legacy) : m_dbDir(std::move(dbDir)), m_legacy(legacy) {}

ActivityWriter::FileBuffer& ActivityWriter::BufferFor(std::uint32_t time)
{
    if (m_legacy)
        return m_files[LegacyLogPath(m_dbDir)];
    if (time < m_dayStart || time > m_dayEnd) {
        std::time_t t = time;
        std::tm local{};
        localtime_r(&t, &local);
        local.tm_hour = local.tm_min = local.tm_sec = 0;
        local.tm_isdst = -1;
        m_dayStart = static_cast<std::uint32_t>(std::mktime(&local));
        local.tm_hour = 23;
        local.tm_min = 59;
        local.tm_sec = 59;
        local.tm_isdst = -1;
        m_dayEnd = static_cast<std::uint32_t>(std::mktime(&local));
        m_dayFile = DayFileName(m_dbDir, time);
    }
    FileBuffer& buffer = m_files[m_dayFile];
    buffer.dayEnd = m_dayEnd;
    return buffer;
}

void ActivityWriter::Add(const std::string& server, const std::string& port, std::uint32_t time,
                         const LogEvent& event)
{
    BufferFor(time).entries.push_back({server + "\\" + port, std::to_string(time), EncodeLogValue(event)});
    ++m_pendingCount;
}

void ActivityWriter::AddPortSample(const std::string& server, std::uint32_t time, int busyPorts)
{
    m_portSamples.push_back({server, std::to_string(time), std::to_string(busyPorts)});
    ++m_pendingCount;
}

bool ActivityWriter::WriteFile(const std::string& file, const std::vector<Entry>& entries)
{
    ProfileBatch batch(file);
    for (const Entry& entry : entries)
        batch.Write(entry.section, entry.key, entry.value);
    if (!batch.Commit())
        return false;
    m_written += entries.size();
    return true;
}

bool ActivityWriter::Flush(std::uint32_t completeBefore)
{
    bool ok = true;
    m_failed.clear();
    if (!m_legacy && !m_logDirReady && !m_files.empty()) {
        // The profile layer never creates directories; the day files need LogData.
        const std::filesystem::path dir = ResolvePathOrEmpty(DatabaseFile(m_dbDir, "LogData"));
        std::error_code error;
        if (!dir.empty())
            std::filesystem::create_directories(dir, error);
        m_logDirReady = !dir.empty() && !error;
    }
    const bool all = completeBefore == 0xffffffffu;
    for (auto it = m_files.begin(); it != m_files.end();) {
        if (!all && it->second.dayEnd >= completeBefore) {
            ++it;
            continue;
        }
        if (!it->second.entries.empty() && !WriteFile(it->first, it->second.entries)) {
            ok = false; // kept for the next flush: a full or read-only disk loses nothing
            m_failed.push_back(it->first);
            m_logDirReady = false; // made again next time, should it have gone
            ++it;
            continue;
        }
        m_pendingCount -= it->second.entries.size();
        it = m_files.erase(it);
    }
    if (all && !m_portSamples.empty()) {
        const std::string file = DatabaseFile(m_dbDir, "portstat.log");
        if (WriteFile(file, m_portSamples)) {
            m_pendingCount -= m_portSamples.size();
            m_portSamples.clear();
        } else {
            ok = false;
            m_failed.push_back(file);
        }
    }
    return ok;
}

} // namespace dm::netemu
