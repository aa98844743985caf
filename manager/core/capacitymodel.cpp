#include "manager/core/capacitymodel.h"

#include "common/csvtext.h"
#include "common/timeformat.h"
#include "manager/core/erlangb.h"

#include <algorithm>
#include <cstdio>

namespace dm {

namespace {

// Walks the window piece by piece while the number of sessions at once
// steps at the sessions' starts and ends, and adds each stretch of
// constant count to the hour it lies in.
class LoadSweep {
public:
    LoadSweep(const CapacityWindow& window, int ports, ServerCapacity& result)
        : m_window(window), m_ports(ports), m_result(result), m_time(window.Start())
    {
    }

    // The count is `count` from the current time up to `until`.
    void Advance(std::uint64_t until, int count)
    {
        while (m_time < until && m_piece < m_window.Pieces()) {
            const std::uint64_t pieceEnd = m_window.PieceEnd(m_piece);
            const std::uint64_t stretchEnd = std::min(until, pieceEnd);
            const std::uint64_t seconds = stretchEnd - m_time;
            HourCapacity& hour = m_result.hours[static_cast<std::size_t>(m_window.HourOfPiece(m_piece))];
            m_busySeconds[static_cast<std::size_t>(m_window.HourOfPiece(m_piece))] +=
                static_cast<std::uint64_t>(count) * seconds;
            if (count > 0)
                hour.peak = std::max(hour.peak, count);
            if (m_ports > 0 && count >= m_ports)
                hour.allBusySeconds += seconds;
            m_time = stretchEnd;
            if (m_time == pieceEnd)
                ++m_piece;
        }
    }

    std::uint64_t BusySeconds(int hour) const { return m_busySeconds[static_cast<std::size_t>(hour)]; }

private:
    const CapacityWindow& m_window;
    int m_ports;
    ServerCapacity& m_result;
    std::uint64_t m_time;
    std::size_t m_piece = 0;
    std::array<std::uint64_t, kHoursPerDay> m_busySeconds{};
};

} // namespace

ServerCapacity ComputeServerCapacity(const CapacityServer& server, const CapacityWindow& window,
                                     const CapacityOptions& options)
{
    ServerCapacity result;
    result.server = server.name;
    result.ports = server.ports;

    // Starts and ends apart, each sorted: the count rises at a start and
    // falls at an end, and an end at the same second as a start comes
    // first, so back-to-back sessions never count as two at once.
    std::vector<std::uint32_t> starts, ends;
    starts.reserve(server.sessions.size());
    ends.reserve(server.sessions.size());
    const std::uint64_t windowEnd = window.End();
    for (const CapacitySession& session : server.sessions) {
        std::uint64_t end = session.end;
        if (options.sessionLimit != 0)
            end = std::min<std::uint64_t>(end, std::uint64_t(session.start) + options.sessionLimit);
        const std::uint64_t start = std::max(session.start, window.Start());
        end = std::min(end, windowEnd);
        if (end <= start)
            continue;
        starts.push_back(static_cast<std::uint32_t>(start));
        ends.push_back(static_cast<std::uint32_t>(end)); // never later than the logged end
    }
    std::sort(starts.begin(), starts.end());
    std::sort(ends.begin(), ends.end());

    LoadSweep sweep(window, server.ports, result);
    int count = 0;
    std::size_t s = 0, e = 0;
    while (s < starts.size() || e < ends.size()) {
        const std::uint64_t nextEnd = e < ends.size() ? std::uint64_t(ends[e]) : windowEnd;
        const std::uint64_t nextStart = s < starts.size() ? starts[s] : windowEnd;
        if (nextEnd <= nextStart) {
            sweep.Advance(nextEnd, count);
            --count;
            ++e;
        } else {
            sweep.Advance(nextStart, count);
            ++count;
            ++s;
        }
    }
    sweep.Advance(windowEnd, count);

    const double hourSeconds = 3600.0 * std::max(window.Days(), 1);
    double busiest = 0;
    for (int h = 0; h < kHoursPerDay; ++h) {
        HourCapacity& hour = result.hours[static_cast<std::size_t>(h)];
        hour.carried = static_cast<double>(sweep.BusySeconds(h)) / hourSeconds;
        hour.offered = OfferedLoad(hour.carried, server.ports);
        if (hour.offered) {
            hour.blocking = ErlangB(*hour.offered, server.ports);
            hour.portsNeeded = PortsNeeded(*hour.offered, options.gradeOfService);
        } else {
            hour.blocking = 1.0;
        }
        if (hour.carried > busiest) {
            busiest = hour.carried;
            result.busyHour = h;
        }
    }
    return result;
}

std::vector<ServerCapacity> ComputeCapacity(const std::vector<CapacityServer>& servers,
                                            const CapacityWindow& window, const CapacityOptions& options)
{
    std::vector<ServerCapacity> result;
    result.reserve(servers.size());
    for (const CapacityServer& server : servers)
        result.push_back(ComputeServerCapacity(server, window, options));
    return result;
}

std::string HourText(int hour)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d:00", hour);
    return text;
}

namespace {

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}


} // namespace

const std::vector<std::string>& CapacityColumns()
{
    static const std::vector<std::string> columns{"Server",      "Hour",     "Carried (E)", "Peak",        "All busy (s)",
                                                  "Offered (E)", "Blocking", "Ports",       "Ports needed"};
    return columns;
}

std::vector<std::string> CapacityFields(const ServerCapacity& server, int hour)
{
    const HourCapacity& h = server.hours[static_cast<std::size_t>(hour)];
    return {server.server,
            HourText(hour),
            Fixed(h.carried, 3),
            std::to_string(h.peak),
            std::to_string(h.allBusySeconds),
            h.offered ? Fixed(*h.offered, 3) : std::string(),
            Fixed(h.blocking, 4),
            std::to_string(server.ports),
            h.portsNeeded ? std::to_string(*h.portsNeeded) : std::string()};
}

std::string CapacityCsv(const std::vector<ServerCapacity>& servers)
{
    std::string csv;
    for (const std::string& column : CapacityColumns())
        csv += (csv.empty() ? "" : ",") + column;
    csv += '\n';
    for (const ServerCapacity& server : servers) {
        for (int h = 0; h < kHoursPerDay; ++h) {
            const std::vector<std::string> fields = CapacityFields(server, h);
            for (std::size_t i = 0; i < fields.size(); ++i)
                csv += (i == 0 ? QuotedCsvField(fields[i]) : "," + fields[i]);
            csv += '\n';
        }
    }
    return csv;
}

std::string CapacityText(const std::vector<ServerCapacity>& servers, const CapacityWindow& window,
                         const CapacityOptions& options)
{
    std::string text;
    char line[256];
    for (const ServerCapacity& server : servers) {
        if (!text.empty())
            text += '\n';
        std::snprintf(line, sizeof line, "%s: %d ports, %d day%s from %s to %s, grade of service %s %%",
                      server.server.c_str(), server.ports, window.Days(), window.Days() == 1 ? "" : "s",
                      FormatLocalTime("%Y-%m-%d", window.FirstDay()).c_str(),
                      FormatLocalTime("%Y-%m-%d", window.LastDay()).c_str(),
                      Fixed(options.gradeOfService * 100.0, 2).c_str());
        text += line;
        if (options.sessionLimit != 0)
            text += ", sessions cut at " + std::to_string(options.sessionLimit) + " s";
        text += '\n';
        text += server.busyHour < 0 ? std::string("No sessions in the window.\n")
                                    : "Busy hour " + HourText(server.busyHour) + "\n";
        std::snprintf(line, sizeof line, "%-5s %11s %5s %13s %11s %9s %7s\n", "Hour", "Carried (E)", "Peak",
                      "All busy (s)", "Offered (E)", "Blocking", "Needed");
        text += line;
        for (int h = 0; h < kHoursPerDay; ++h) {
            const HourCapacity& hour = server.hours[static_cast<std::size_t>(h)];
            std::snprintf(line, sizeof line, "%-5s %11s %5d %13llu %11s %9s %7s\n", HourText(h).c_str(),
                          Fixed(hour.carried, 3).c_str(), hour.peak,
                          static_cast<unsigned long long>(hour.allBusySeconds),
                          hour.offered ? Fixed(*hour.offered, 3).c_str() : "full",
                          Fixed(hour.blocking, 4).c_str(),
                          hour.portsNeeded ? std::to_string(*hour.portsNeeded).c_str() : "-");
            text += line;
        }
    }
    return text;
}

} // namespace dm
