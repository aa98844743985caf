#include "netemu/callermodel.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace dm::netemu {
namespace {

// Calls per hour of a weekday relative to the busiest hours: a quiet night,
// the office morning and afternoon, a lunch dip, home users in the evening.
constexpr double kHourWeight[24] = {0.05, 0.03, 0.02, 0.02, 0.02, 0.04, 0.12, 0.35, 0.75, 1.0, 1.0, 0.95,
                                    0.7,  0.85, 1.0,  0.95, 0.85, 0.6,  0.45, 0.5,  0.55, 0.45, 0.3, 0.12};
constexpr double kWeekendFactor = 0.25;

std::uint32_t Clamp(double value, std::uint32_t low, std::uint32_t high)
{
    if (!(value >= low))
        return low;
    if (value >= high)
        return high;
    return static_cast<std::uint32_t>(value);
}

} // namespace

double CallerModel::RateWeight(std::uint32_t t)
{
    std::time_t time = t;
    std::tm local{};
    localtime_r(&time, &local);
    const double weight = kHourWeight[local.tm_hour];
    return (local.tm_wday == 0 || local.tm_wday == 6) ? weight * kWeekendFactor : weight;
}

std::uint32_t CallerModel::NextArrival(Random& rng, std::uint32_t from, std::size_t ports) const
{
    // Thinning: candidates at the peak rate, each kept with the weight of its hour.
    const double peakPerSecond = std::max(1.0, double(ports)) * callsPerPortPerPeakHour / 3600.0;
    double t = from;
    for (;;) {
        t += std::max(1.0, rng.Exponential(1.0 / peakPerSecond));
        if (t > 4294967295.0)
            return 0xffffffffu;
        if (rng.Uniform() < RateWeight(static_cast<std::uint32_t>(t)))
            return static_cast<std::uint32_t>(t);
    }
}

std::uint32_t CallerModel::SessionLength(Random& rng) const
{
    return Clamp(rng.LogNormal(sessionMedianSeconds, sessionSigma), minSession, maxSession);
}

TrafficProfile CallerModel::DrawTraffic(Random& rng, double factor) const
{
    TrafficProfile traffic;
    // A 28.8 to 56k line moves at most some 5 KB/s; most users read far less.
    traffic.rxRate = std::min(5200.0, rng.LogNormal(900.0, 0.8) * factor);
    traffic.txRate = traffic.rxRate * (0.08 + 0.2 * rng.Uniform());
    traffic.compression = 0.45 + 0.45 * rng.Uniform();
    traffic.errorsPerMb = rng.Chance(0.1) ? 2.0 + 10.0 * rng.Uniform() : 0.2 * rng.Uniform();
    traffic.phase = 100.0 * rng.Uniform();
    return traffic;
}

PortCounters CountersAfter(const TrafficProfile& traffic, double activeSeconds)
{
    PortCounters c{};
    if (activeSeconds <= 0)
        return c;
    // Bursts: the cumulative amount swings around the mean rate but never
    // falls (the swing's slope stays below the mean rate).
    const double swing = 10.0 * (1.0 - std::cos((activeSeconds + traffic.phase) / 30.0))
                         - 10.0 * (1.0 - std::cos(traffic.phase / 30.0));
    const double moved = std::max(0.0, activeSeconds + swing);
    const double rxRaw = traffic.rxRate * moved;
    const double txRaw = traffic.txRate * moved;
    const double rxCompressed = rxRaw * traffic.compression;
    const double txCompressed = txRaw * traffic.compression;
    // PPP frames of about 1,500 bytes with some 8 bytes of framing each, plus keep-alives.
    const double rxFrames = std::ceil(rxCompressed / 1500.0) + activeSeconds / 10.0;
    const double txFrames = std::ceil(txCompressed / 1500.0) + activeSeconds / 10.0;
    auto u32 = [](double v) { return static_cast<std::uint32_t>(std::fmod(std::floor(v), 4294967296.0)); };
    c[StatBytesRcvedUncompressed] = u32(rxRaw);
    c[StatBytesXmitedUncompressed] = u32(txRaw);
    c[StatBytesRcvedCompressed] = u32(rxCompressed);
    c[StatBytesXmitedCompressed] = u32(txCompressed);
    c[StatBytesRcved] = u32(rxCompressed + 8.0 * rxFrames);
    c[StatBytesXmited] = u32(txCompressed + 8.0 * txFrames);
    c[StatFramesRcved] = u32(rxFrames);
    c[StatFramesXmited] = u32(txFrames);
    const double megabytes = (rxCompressed + txCompressed) / 1048576.0;
    const double errors = megabytes * traffic.errorsPerMb;
    c[StatCrcErr] = u32(errors * 0.6);
    c[StatTimeoutErr] = u32(errors * 0.2);
    c[StatAlignmentErr] = u32(errors * 0.05);
    c[StatHardwareOverrunErr] = u32(errors * 0.03);
    c[StatFramingErr] = u32(errors * 0.1);
    c[StatBufferOverrunErr] = u32(errors * 0.02);
    return c;
}

} // namespace dm::netemu
