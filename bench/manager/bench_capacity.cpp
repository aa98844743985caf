// The capacity table and dmctl capacity.
//
// Targets: dmctl capacity over a year of 1,000,000 sessions (three servers
// of 16 ports) takes no longer than dmctl log list over the same year; the
// figures alone, from the sessions in memory, take at most a quarter of the
// listing's time.

#include <benchmark/benchmark.h>

#include "bench/dmctltiming.h"
#include "bench/targets.h"
#include "common/logrecord.h"
#include "common/timeformat.h"
#include "manager/core/capacitymodel.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using dm::bench::RunDmctl;
using dm::bench::Slashes;

constexpr std::uint32_t kStart = 1700000000; // a day in November 2023
constexpr int kDays = 365;
constexpr int kSessions = 1000000;
constexpr int kServers = 3;
constexpr int kPorts = 16;

// Session i of a day: its port, its end and its length, spread over the day.
struct Made {
    int server, port;
    std::uint32_t end, length;
};

Made MakeSession(std::uint32_t dayStart, int i, int perDay)
{
    const int slot = i % (kServers * kPorts);
    const std::uint32_t length = 60 + static_cast<std::uint32_t>((i * 7919) % 3600);
    const std::uint32_t end = dayStart + length + static_cast<std::uint32_t>((long long)i * 80000 / perDay);
    return {slot / kPorts, slot % kPorts, end, length};
}

void WriteYear(const std::filesystem::path& db)
{
    std::filesystem::create_directories(db / "LogData");
    const int perDay = kSessions / kDays + 1;
    for (int d = 0; d < kDays; ++d) {
        const std::uint32_t dayStart = dm::StartOfLocalDay(dm::AddLocalDays(kStart, d));
        std::vector<std::string> sections(kServers * kPorts);
        for (int i = 0; i < perDay && d * perDay + i < kSessions; ++i) {
            const Made s = MakeSession(dayStart, i, perDay);
            sections[std::size_t(s.server * kPorts + s.port)] +=
                std::to_string(s.end) + "=" +
                dm::FormatSessionEndValue(std::int32_t(s.length), "DOMAIN\\user" + std::to_string(i % 500),
                                          0xC0A80001u, i % 10 == 0 ? 2 : 0, "", "PC1") +
                "\r\n";
        }
        FILE* out = std::fopen(Slashes(dm::DayLogPath(db.string(), dayStart)).c_str(), "wb");
        for (int k = 0; k < kServers * kPorts; ++k)
            std::fprintf(out, "[RAS%d\\COM%d]\r\n%s", k / kPorts + 1, k % kPorts + 1, sections[std::size_t(k)].c_str());
        std::fclose(out);
    }
}

void BM_CapacityFiguresOfAYearInMemory(benchmark::State& state)
{
    std::vector<dm::CapacityServer> servers(kServers);
    for (int s = 0; s < kServers; ++s) {
        servers[std::size_t(s)].name = "RAS" + std::to_string(s + 1);
        servers[std::size_t(s)].ports = kPorts;
    }
    const int perDay = kSessions / kDays + 1;
    for (int d = 0; d < kDays; ++d) {
        const std::uint32_t dayStart = dm::StartOfLocalDay(dm::AddLocalDays(kStart, d));
        for (int i = 0; i < perDay && d * perDay + i < kSessions; ++i) {
            const Made m = MakeSession(dayStart, i, perDay);
            servers[std::size_t(m.server)].sessions.push_back({m.end - m.length, m.end});
        }
    }
    const dm::CapacityWindow window(kStart, dm::AddLocalDays(kStart, kDays - 1));
    dm::CapacityOptions options;
    for (auto _ : state) {
        options.sessionLimit = options.sessionLimit == 0 ? 1800 : 0; // as the what-if field changes
        benchmark::DoNotOptimize(dm::ComputeCapacity(servers, window, options));
    }
    state.counters["sessions"] = kSessions;
}
BENCHMARK(BM_CapacityFiguresOfAYearInMemory)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DmctlCapacityAgainstLogList(benchmark::State& state)
{
    char pattern[] = "/tmp/dmbench-capacity-XXXXXX";
    if (!::mkdtemp(pattern)) {
        state.SkipWithError("no scratch directory");
        return;
    }
    const std::filesystem::path scratch = pattern;
    setenv("DIALMIND_NETWORK", (scratch / "network").c_str(), 1);
    const std::filesystem::path db = scratch / "db";
    WriteYear(db);
    const std::string from = dm::FormatLocalTime("%Y-%m-%d", kStart);
    const std::string to = dm::FormatLocalTime("%Y-%m-%d", dm::AddLocalDays(kStart, kDays - 1));
    const std::string fromTime = std::to_string(dm::StartOfLocalDay(kStart));
    const std::string toTime = std::to_string(dm::EndOfLocalDay(dm::AddLocalDays(kStart, kDays - 1)));
    dm::bench::CompareDmctlRuns(state, {"log", "list", db.string(), "--from", fromTime, "--to", toTime},
                                {"capacity", db.string(), "--from", from, "--to", to, "--csv"}, "log_list_s",
                                "capacity_s");
    std::filesystem::remove_all(scratch);
}
BENCHMARK(BM_DmctlCapacityAgainstLogList)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    using T = dm::bench::Targets;
    dm::bench::KeepingReporter r;
    dm::bench::RunKeeping(argc, argv, r);
    T targets;
    const auto list = T::Counter(r, "BM_DmctlCapacityAgainstLogList", "log_list_s");
    const auto capacity = T::Counter(r, "BM_DmctlCapacityAgainstLogList", "capacity_s");
    const auto figures = T::Seconds(r, "BM_CapacityFiguresOfAYearInMemory", true);
    if (list && capacity)
        std::printf("dmctl capacity %.3f s, dmctl log list %.3f s (same run)\n", *capacity, *list);
    targets.AtMost("dmctl capacity against dmctl log list, a year of 1,000,000 sessions",
                   T::Counter(r, "BM_DmctlCapacityAgainstLogList", "ratio"), 1, "times");
    // "A small part": at most a quarter of the time the year's listing takes.
    targets.AtMost("capacity figures in memory against dmctl log list",
                   figures && list ? std::optional<double>(*figures / *list) : std::nullopt, 0.25, "times");
    return targets.Verdict();
}
