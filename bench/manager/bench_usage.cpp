// The usage graph's statistics for 1,000 ports and 1,000,000 session
// records, and the bars of a screenful of rows drawn from the bitmaps.

#include "manager/core/usagestatistics.h"

#include "bench/targets.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

namespace {

constexpr int kServers = 10;
constexpr int kPortsPerServer = 100;
constexpr int kRecords = 1'000'000;
constexpr std::uint32_t kStart = 1'700'000'000;
constexpr std::uint32_t kSpan = 30 * 86400;

std::string ServerName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "RAS%02d", i);
    return name;
}

std::vector<std::string> Labels()
{
    std::vector<std::string> labels;
    for (int s = 0; s < kServers; ++s)
        for (int p = 0; p < kPortsPerServer; ++p)
            labels.push_back(ServerName(s) + "\\COM" + std::to_string(p + 1));
    return labels;
}

// Session ends over the thirty days, sorted by time as the loader leaves
// them; a tenth are connects and denials, which the statistics skip. The
// log spells names in upper case while the rows may not.
const std::vector<dm::LogRecord>& Records()
{
    static const std::vector<dm::LogRecord> records = [] {
        std::mt19937 random(15);
        std::vector<dm::LogRecord> table(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            dm::LogRecord& r = table[static_cast<std::size_t>(i)];
            const int port = static_cast<int>(random() % (kServers * kPortsPerServer));
            r.server = ServerName(port / kPortsPerServer);
            r.port = "COM" + std::to_string(port % kPortsPerServer + 1);
            r.time = kStart + static_cast<std::uint32_t>(static_cast<std::uint64_t>(i) * kSpan / kRecords);
            r.duration = static_cast<std::int32_t>(60 + random() % 2400);
            r.kind = i % 10 == 0 ? dm::kLogConnect : dm::kLogSessionEnd;
        }
        return table;
    }();
    return records;
}

void BM_UsageStatistics_1000Ports_1MRecords(benchmark::State& state)
{
    const std::vector<dm::LogRecord>& records = Records();
    dm::UsageStatistics stats;
    stats.SetEntries(Labels());
    const dm::TimeSpan window{kStart, kStart + static_cast<std::uint32_t>(state.range(0)) * 86400};
    for (auto _ : state) {
        stats.Compute(records, window);
        benchmark::DoNotOptimize(stats.Entries().data());
    }
    state.counters["busy%_row0"] = stats.BusyPercent(0);
}
BENCHMARK(BM_UsageStatistics_1000Ports_1MRecords)->Arg(30)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UsageBars_ScreenOf40Rows(benchmark::State& state)
{
    dm::UsageStatistics stats;
    stats.SetEntries(Labels());
    stats.Compute(Records(), dm::TimeSpan{kStart, kStart + 86400});
    std::vector<dm::BarColumn> columns;
    for (auto _ : state) {
        for (std::size_t row = 0; row < 40; ++row) {
            stats.Bar(row, static_cast<int>(state.range(0)), columns);
            benchmark::DoNotOptimize(columns.data());
        }
    }
}
BENCHMARK(BM_UsageBars_ScreenOf40Rows)->Arg(300)->Arg(1200)->Unit(benchmark::kMicrosecond);

} // namespace

// These figures have no target of their own; each must be there.
int main(int argc, char** argv)
{
    dm::bench::KeepingReporter r;
    dm::bench::RunKeeping(argc, argv, r);
    dm::bench::Targets targets;
    for (const char* name : {"BM_UsageStatistics_1000Ports_1MRecords/30", "BM_UsageStatistics_1000Ports_1MRecords/1", "BM_UsageBars_ScreenOf40Rows/300", "BM_UsageBars_ScreenOf40Rows/1200"})
        targets.Holds(std::string(name) + " measured", r.Find(name) != nullptr);
    return targets.Verdict();
}
