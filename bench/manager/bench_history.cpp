// The history list's rows and dmctl history.
//
// Targets: scope "All" over 1,000,000 records builds the rows (filter, the
// texts of a screenful, sort by time) in at most 1 s and re-sorts by port in
// at most 0.5 s, with at most 16 bytes of rows per record beyond the loaded
// log; dmctl history over 100,000 records takes at most 1.5 times what
// dmctl log list takes for the same range.

#include <benchmark/benchmark.h>

#include "bench/dmctltiming.h"
#include "common/logrecord.h"
#include "common/timeformat.h"
#include "manager/core/historycolumns.h"
#include "manager/core/historytable.h"

#include "bench/targets.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using dm::bench::RunDmctl;
using dm::bench::Slashes;

constexpr std::uint32_t kStart = 1700000000; // a day in November 2023

std::vector<dm::LogRecord> MakeRecords(int count)
{
    std::vector<dm::LogRecord> records(static_cast<size_t>(count));
    // Unsigned arithmetic: i * 7919 passes the range of int within a million.
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(count); ++i) {
        dm::LogRecord& r = records[i];
        r.server = "SERVER" + std::to_string(i % 7);
        r.port = "COM" + std::to_string(1 + (i * 7919) % 64);
        r.user = "DOMAIN\\user" + std::to_string((i * 31) % 5000);
        r.time = kStart + i * 3;
        r.kind = static_cast<std::int32_t>(i % 3);
        r.reason = static_cast<std::int32_t>(i % 10);
        r.duration = i % 3 == 0 ? static_cast<std::int32_t>(60 + i % 7200) : 0;
        r.ip = i % 3 == 0 ? 0xC0A80000u + (i & 0xFFFF) : 0;
    }
    return records;
}

const std::vector<dm::LogRecord>& Million()
{
    static const std::vector<dm::LogRecord> records = MakeRecords(1000000);
    return records;
}

void BM_HistoryRowsScopeAllMillion(benchmark::State& state)
{
    const auto& records = Million();
    dm::HistoryTable table;
    table.SetColumns(dm::kHistoryAllColumns, false);
    std::size_t texts = 0;
    for (auto _ : state) {
        table.Fill(records, dm::HistoryFilter{});
        table.Sort(0, 1);
        // The first screenful is drawn at once; the rest when scrolled to.
        for (int row = 0; row < 60; ++row)
            texts += table.RowTexts(row).size();
        benchmark::DoNotOptimize(texts);
    }
    state.counters["rows"] = table.RowCount();
    state.counters["row_bytes_per_record"] =
        static_cast<double>(table.Rows().capacity() * sizeof(std::uint32_t)) / static_cast<double>(records.size());
    // While a sort runs it holds 8 bytes of keys per row besides the rows
    // (and 4 more of ranks for a text column).
    state.counters["sort_peak_bytes_per_record"] = 4 + 8 + 4;
}
BENCHMARK(BM_HistoryRowsScopeAllMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_HistoryResortByPortMillion(benchmark::State& state)
{
    const auto& records = Million();
    dm::HistoryTable table;
    table.SetColumns(dm::kHistoryAllColumns, false);
    table.Fill(records, dm::HistoryFilter{});
    int direction = 1;
    for (auto _ : state) {
        table.Sort(2, direction); // the port column
        direction = -direction;
        benchmark::DoNotOptimize(table.Rows().data());
    }
}
BENCHMARK(BM_HistoryResortByPortMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- dmctl history against dmctl log list -----------------------------------

void WriteDays(const std::filesystem::path& db, int total, int days)
{
    std::filesystem::create_directories(db / "LogData");
    int written = 0;
    for (int d = 0; d < days; ++d) {
        const std::uint32_t day = dm::AddLocalDays(kStart, d);
        FILE* out = std::fopen(Slashes(dm::DayLogPath(db.string(), day)).c_str(), "wb");
        const int count = total / days;
        for (int port = 0; port < 16; ++port) {
            std::fprintf(out, "[SERVER%d\\COM%d]\r\n", port % 3, port + 1);
            for (int i = port; i < count; i += 16, ++written) {
                const std::uint32_t time = dm::StartOfLocalDay(day) + static_cast<std::uint32_t>(i);
                const std::string user = "DOMAIN\\user" + std::to_string(i % 500);
                const std::string value = i % 2 ? dm::FormatConnectValue(user)
                                                : dm::FormatSessionEndValue(600 + i % 3600, user, 0xC0A80001u, i % 10,
                                                                            "0000000A.00C0A8000001", "PC1");
                std::fprintf(out, "%u=%s\r\n", time, value.c_str());
            }
        }
        std::fclose(out);
    }
}

void BM_DmctlHistoryAgainstLogList(benchmark::State& state)
{
    char pattern[] = "/tmp/dmbench-history-XXXXXX";
    if (!::mkdtemp(pattern)) {
        state.SkipWithError("no scratch directory");
        return;
    }
    const std::filesystem::path scratch = pattern;
    setenv("DIALMIND_NETWORK", (scratch / "network").c_str(), 1);
    const std::filesystem::path db = scratch / "db";
    WriteDays(db, 100000, 10);
    const std::string from = std::to_string(kStart);
    const std::string to = std::to_string(dm::AddLocalDays(kStart, 9));
    dm::bench::CompareDmctlRuns(state, {"log", "list", db.string(), "--from", from, "--to", to},
                                {"history", db.string(), "--from", from, "--to", to, "--columns", "0x3FF"},
                                "log_list_s", "history_s");
    std::filesystem::remove_all(scratch);
}
BENCHMARK(BM_DmctlHistoryAgainstLogList)->Unit(benchmark::kMillisecond)->Iterations(7);

} // namespace

int main(int argc, char** argv)
{
    using T = dm::bench::Targets;
    dm::bench::KeepingReporter r;
    dm::bench::RunKeeping(argc, argv, r);
    T targets;
    targets.AtMost("history rows, scope All over 1,000,000 records",
                   T::Seconds(r, "BM_HistoryRowsScopeAllMillion", true), 1, "s");
    targets.AtMost("history re-sorted by port", T::Seconds(r, "BM_HistoryResortByPortMillion", true), 0.5, "s");
    targets.AtMost("history rows per record", T::Counter(r, "BM_HistoryRowsScopeAllMillion", "row_bytes_per_record"),
                   16, "bytes");
    const auto list = T::Counter(r, "BM_DmctlHistoryAgainstLogList", "log_list_s");
    const auto history = T::Counter(r, "BM_DmctlHistoryAgainstLogList", "history_s");
    if (list && history)
        std::printf("dmctl history %.3f s, dmctl log list %.3f s (best of 7 runs each)\n", *history, *list);
    targets.AtMost("dmctl history against dmctl log list", T::Counter(r, "BM_DmctlHistoryAgainstLogList", "ratio"),
                   1.5, "times");
    return targets.Verdict();
}
