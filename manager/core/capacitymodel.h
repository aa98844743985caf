#pragma once
// How many ports the servers need: per hour of the day, the load each
// server carried over a window of whole days, the most sessions at once,
// the time every port was busy, and by the Erlang B formula the load the
// callers offered, the share turned away and the ports a grade of service
// needs. `dmctl capacity` prints these figures and the manager's Capacity
// view shows them; both form them here, CSV included.
//
// Sessions come from the session-end records of the activity log (the
// record's time is the end, its length reaches back to the start) and are
// clipped to the window. A what-if session limit cuts every session at
// that many seconds from its start; a caller cut off is assumed not to
// call back.

#include "manager/core/capacitywindow.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dm {

struct CapacitySession {
    std::uint32_t start = 0;
    std::uint32_t end = 0; // the first second after the session
};

// The sessions of one server and the ports it has.
struct CapacityServer {
    std::string name;
    int ports = 0;
    std::vector<CapacitySession> sessions;
};

struct CapacityOptions {
    double gradeOfService = 0.01;  // the blocking to plan for, a fraction in (0, 1)
    std::uint32_t sessionLimit = 0; // seconds; 0 = none
};

struct HourCapacity {
    double carried = 0;              // Erlangs: busy port-seconds ÷ (3,600 × days)
    int peak = 0;                    // the most sessions at once
    std::uint64_t allBusySeconds = 0; // seconds with every port busy, over all days
    std::optional<double> offered;   // nullopt: the ports were full, no estimate
    double blocking = 0;             // B(offered, ports); 1 without an estimate
    std::optional<int> portsNeeded;  // nullopt: no estimate
};

struct ServerCapacity {
    std::string server;
    int ports = 0;
    std::array<HourCapacity, kHoursPerDay> hours{};
    int busyHour = -1; // the hour with the highest carried load; -1 with no load at all
};

// The figures of one server over the window.
ServerCapacity ComputeServerCapacity(const CapacityServer& server, const CapacityWindow& window,
                                     const CapacityOptions& options);

// The figures of every server, in the order given.
std::vector<ServerCapacity> ComputeCapacity(const std::vector<CapacityServer>& servers,
                                            const CapacityWindow& window, const CapacityOptions& options);

// The header "Server,Hour,Carried (E),Peak,All busy (s),Offered (E),Blocking,Ports,Ports needed"
// and one line per server and hour, each ended by "\n". The hour is the
// local hour's start ("14:00"), Carried and Offered have three decimals,
// Blocking is a fraction with four; an offered load that cannot be
// estimated leaves Offered and Ports needed empty.
std::string CapacityCsv(const std::vector<ServerCapacity>& servers);

// The column names and the nine texts of one line of that CSV, as the
// Capacity view's table shows them.
const std::vector<std::string>& CapacityColumns();
std::vector<std::string> CapacityFields(const ServerCapacity& server, int hour);

// The same figures for people: per server a title line with its ports and
// busy hour, then an aligned table.
std::string CapacityText(const std::vector<ServerCapacity>& servers, const CapacityWindow& window,
                         const CapacityOptions& options);

// "14:00" for hour 14.
std::string HourText(int hour);

} // namespace dm
