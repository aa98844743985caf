#pragma once
// dmsim run: the RAS service of every emulated computer, live. Simulated
// time runs `speed` times faster than real time from the moment of the
// start; each tick the service takes the disconnect and clear requests that
// the RAS library left, re-reads what changed (the server component's
// registry values, Dialmind.hw, Dialmind.usr), advances the simulation,
// writes the records, and shows the ports' live state in ras.ini.

#include "netemu/networkscan.h"
#include "netemu/simulation.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace dm::netemu {

struct LiveOptions {
    double speed = 1.0;
    std::uint64_t seed = 1;
    CallerModel model;
};

class LiveService {
public:
    LiveService(std::vector<ScannedServer> servers, const LiveOptions& options, std::uint32_t start);

    // One step to simulated time `now`.
    void Tick(std::uint32_t now);
    // Ends every session (the service stops), writes everything, and leaves
    // every port waiting for a call. False when a database could not take
    // every record (said on stderr).
    bool Stop(std::uint32_t now);
    // The database files the last Tick or Stop could not write (their
    // records are kept and written again by the next one).
    std::vector<std::string> FailedFiles() const;

    Simulation& Sim() { return *m_simulation; }
    std::size_t Servers() const { return m_scanned.size(); }

private:
    struct PortView {
        std::uint64_t shownSession = 0; // the session ras.ini shows, 0 none
        LineCondition shownCondition = LineCondition::Listening;
        PortCounters clearedAt{};       // counters when the statistics were last cleared
        std::uint64_t clearedSession = 0;
    };
    Database* DatabaseFor(const ComponentConfig& config);
    void RefreshConfiguration();
    // The RAS service's own settings: its idle disconnect and which ports
    // an administrator took out of service or put back.
    void RefreshServiceState();
    void AdoptRunningSessions();
    void TakeRequests(std::size_t server);
    void ShowPorts(std::size_t server, std::uint32_t now, bool all);
    void Deliver(const std::string& computer, const std::string& text, std::uint32_t time);
    void NoteWrite(const std::string& dir, const Database& db, bool written);
    // The simulated port of a server named (any case) in ras.ini or a request.
    std::optional<std::size_t> PortIndex(std::size_t server, std::string_view name) const;

    std::vector<ScannedServer> m_scanned;
    std::map<std::string, std::unique_ptr<Database>> m_databases;
    std::unique_ptr<Simulation> m_simulation;
    std::vector<std::vector<PortView>> m_views;
    std::vector<std::unordered_map<std::string, std::size_t>> m_portIndex; // upper-case name: port
    std::vector<std::uint64_t> m_requestOffsets;
    std::uint32_t m_lastConfigRead = 0;
    std::string m_sender; // the server whose component sends the current message
    // The files of each database whose last write failed.
    std::map<std::string, std::vector<std::string>> m_unwritten;
};

// When a live run begins: the later of the clock and the last record logged
// in the servers' databases, so that a run after a faster one never writes
// records before those already written.
std::uint32_t LiveStart(const std::vector<ScannedServer>& servers, std::uint32_t clock);

// Runs until `stop` becomes true; returns the process exit status.
int RunLive(const LiveOptions& options, const std::atomic<bool>& stop);

} // namespace dm::netemu
