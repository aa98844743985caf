#pragma once
// Writes the server component's records of one database directory: the
// activity log (day files, or the single legacy Dialmind.log) and
// portstat.log. Records are buffered and written with one locked batch per
// file, so that a generator can write a year of history quickly and a live
// run writes each second's events in one replace per file.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace dm::netemu {

// One event as the activity log stores it.
struct LogEvent {
    enum Kind { SessionEnd = 0, Connect = 1, Denied = 2 } kind = Connect;
    std::string user;
    std::int32_t duration = 0;  // SessionEnd
    std::uint32_t ip = 0;       // SessionEnd
    int reason = 255;           // Denied, SessionEnd
    std::string ipx;            // SessionEnd
    std::string netbios;        // SessionEnd
};

class ActivityWriter {
public:
    // dbDir is the database directory as a system path. legacy: every record
    // goes to dbDir\Dialmind.log instead of the day files.
    ActivityWriter(std::string dbDir, bool legacy);

    void Add(const std::string& server, const std::string& port, std::uint32_t time, const LogEvent& event);
    void AddPortSample(const std::string& server, std::uint32_t time, int busyPorts);

    // Writes the buffered records of the day files that end at or before
    // `time` (all of them with the default); the legacy file and portstat.log
    // only with the default. False when a file could not be written; its
    // records stay buffered and the next flush writes them (a database on a
    // network file system may refuse a write for a while).
    bool Flush(std::uint32_t completeBefore = 0xffffffffu);
    // The files (system paths) the last Flush could not write.
    const std::vector<std::string>& FailedFiles() const { return m_failed; }
    std::size_t Pending() const { return m_pendingCount; }
    std::uint64_t Written() const { return m_written; }

private:
    struct Entry {
        std::string section, key, value;
    };
    struct FileBuffer {
        std::uint32_t dayEnd = 0xffffffffu;
        std::vector<Entry> entries;
    };
    FileBuffer& BufferFor(std::uint32_t time);
    bool WriteFile(const std::string& file, const std::vector<Entry>& entries);

    std::string m_dbDir;
    bool m_legacy;
    bool m_logDirReady = false;
    std::map<std::string, FileBuffer> m_files; // by system path
    std::vector<Entry> m_portSamples;
    // The current day's window, to form a day file's name once per day.
    std::uint32_t m_dayStart = 1, m_dayEnd = 0;
    std::string m_dayFile;
    std::size_t m_pendingCount = 0;
    std::uint64_t m_written = 0;
    std::vector<std::string> m_failed;
};

} // namespace dm::netemu
