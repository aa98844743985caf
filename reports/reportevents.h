#pragma once
// The log events a report run walks, held compactly: a year of activity is a
// million events, so each is a few numbers, with the user and port names
// stored once. Loaded from the same files, by the same rules, as the activity
// log's loaders (common/activitylog.h): the day files of a range or every day
// file, and optionally the legacy single log; sorted by time, equal times in
// load order.

#include "common/logfilereader.h"
#include "common/logrecord.h"
#include "common/nametable.h"
#include "common/userinteraction.h"
#include "reports/reportperiod.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class ReportEvents {
public:
    struct Event {
        std::uint32_t time;
        std::int32_t duration; // session end only
        std::int32_t kind;     // kLogSessionEnd, kLogConnect, kLogDenied
        std::uint32_t user;    // index of UserName
        std::uint32_t port;    // index of PortName
    };

    void Append(const LogEvent& event);
    // Room for this many more events.
    void Reserve(std::size_t more) { m_events.reserve(m_events.size() + more); }
    // Ends a run of appended events (one file's) and sorts it by time on its
    // own; Sort then orders the runs, only as wholes when they do not
    // overlap in time.
    void EndRun();
    // Appends the events of a table loaded apart (their names looked up in
    // this one's), ending the runs of both.
    void Absorb(ReportEvents&& later);
    // Sorts by time; equal times keep the order of appending.
    void Sort();

    std::span<const Event> Events() const { return m_events; }
    std::size_t Size() const { return m_events.size(); }
    std::string_view UserName(std::uint32_t index) const { return m_users.Name(index); }
    // "server\port".
    std::string_view PortName(std::uint32_t index) const { return m_ports.Name(index); }

private:
    std::uint32_t PortOf(std::string_view section, std::string_view server, std::string_view port);

    std::vector<Event> m_events;
    NameTable m_users;
    NameTable m_ports;
    std::string m_portScratch;
    // The port of the previous event and its section's spelling: the events
    // of a section follow each other.
    std::uint32_t m_lastPort = UINT32_MAX;
    std::string m_lastSection;
    std::vector<std::size_t> m_runEnds;
    std::vector<Event> m_sortBuffer;
};

struct ReportEventSource {
    std::string databaseDirectory;
    bool allDayFiles = false;   // every "*.log" of LogData, else the days of the period
    bool includeLegacyLog = false;
};

// Loads and sorts the events. Progress receives the loaders' texts
// ("Processing logs from %s, please wait...").
ReportEvents LoadReportEvents(const ReportEventSource& source, const ReportPeriod& period,
                              const ProgressSink& progress);

} // namespace dm
