#pragma once
// How simulated callers behave: when they call (a working day's rhythm),
// how long they stay, whether they leave the line idle, and the traffic
// they move, which the fourteen port statistics counters show.

#include "database/policyengine.h"
#include "netemu/random.h"

#include <array>
#include <cstdint>
#include <string>

namespace dm::netemu {

// One account that may dial in, with what the server learns about its computer.
struct CallerProfile {
    CallerIdentity identity;
    double weight = 1.0;       // relative call frequency
    std::string computerName;  // NetBIOS name of the caller's computer
    std::string ipxAddress;    // network.node, or empty
    double trafficFactor = 1.0;
};

// Bytes per active second and the error rates of one session's line.
struct TrafficProfile {
    double rxRate = 0;       // bytes the user receives per second, before compression
    double txRate = 0;       // bytes the user sends per second
    double compression = 1;  // compressed size / uncompressed size
    double errorsPerMb = 0;  // line errors per megabyte moved
    double phase = 0;        // offset of the burst pattern
};

// The counters in the order of the RAS port statistics structure.
enum StatIndex {
    StatBytesXmited, StatBytesRcved, StatFramesXmited, StatFramesRcved, StatCrcErr, StatTimeoutErr,
    StatAlignmentErr, StatHardwareOverrunErr, StatFramingErr, StatBufferOverrunErr,
    StatBytesXmitedUncompressed, StatBytesRcvedUncompressed, StatBytesXmitedCompressed,
    StatBytesRcvedCompressed, StatCount
};
using PortCounters = std::array<std::uint32_t, StatCount>;

// The counters after `activeSeconds` of traffic; never decrease as the time grows.
PortCounters CountersAfter(const TrafficProfile& traffic, double activeSeconds);

struct CallerModel {
    double callsPerPortPerPeakHour = 1.8;
    double sessionMedianSeconds = 540;
    double sessionSigma = 1.0;
    double idleShare = 0.06;        // sessions the user leaves idle and forgets
    double secondLineShare = 0.03;  // calls by an account that is already connected
    std::uint32_t minSession = 15, maxSession = 8 * 3600;

    // Relative call rate at local time t, 1.0 at the busiest weekday hours.
    static double RateWeight(std::uint32_t t);

    // The next call after `from` for a server with `ports` ports.
    std::uint32_t NextArrival(Random& rng, std::uint32_t from, std::size_t ports) const;
    std::uint32_t SessionLength(Random& rng) const;
    std::uint32_t AuthenticationDelay(Random& rng) const { return 6 + std::uint32_t(rng.Below(18)); }
    std::uint32_t LineResetDelay(Random& rng) const { return 3 + std::uint32_t(rng.Below(6)); }
    TrafficProfile DrawTraffic(Random& rng, double factor) const;
};

} // namespace dm::netemu
