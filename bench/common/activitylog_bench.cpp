// Loading the activity log: 30 day files with 100,000 records in all
// (target: at most 0.25 s), and the legacy single file with 1,000,000
// records (target: at most 2.5 s and 400 MB). Prints records per second and
// the peak memory of the process.
//
// The room a loaded record takes, on the 1,000,000-record legacy log and on
// a year of day files holding 1,000,000 records: the heap the loaded table
// holds (records, shared names, unused room) over its records, at most 100
// bytes each.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/activitylog.h"
#include "common/logrecord.h"
#include "common/timeformat.h"

#include "bench/targets.h"

namespace {

constexpr std::uint32_t kStart = 1700000000; // a day in November 2023
constexpr int kDays = 30;
constexpr int kPorts = 16;

std::filesystem::path Slashes(std::string_view systemPath)
{
    std::string path(systemPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

double PeakMegabytes()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The bytes the program's heap holds now (small blocks and large mapped ones).
double HeapBytes()
{
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// A scratch database directory, removed at exit.
class Database {
public:
    Database()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "dmbench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_dir = pattern;
        std::filesystem::create_directory(m_dir / "LogData");
    }
    ~Database() { std::filesystem::remove_all(m_dir); }
    const std::filesystem::path& dir() const { return m_dir; }

private:
    std::filesystem::path m_dir;
};

// Fails the benchmark unless the log holds expected records; counts them
// and the records loaded per second.
void CountRecords(benchmark::State& state, const dm::ActivityLog& log, std::size_t expected)
{
    if (log.Count() != expected)
        state.SkipWithError("wrong record count");
    state.counters["records"] = static_cast<double>(log.Count());
    state.counters["records_per_second"] =
        benchmark::Counter(static_cast<double>(log.Count()) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

// Writes `records` events spread over the ports of one file, as the server
// component writes them (sections by port, keys by time), streaming so that
// making the file costs no memory of note.
void WriteLogFile(const std::filesystem::path& path, std::uint32_t first, int records)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        std::abort();
    const int perPort = (records + kPorts - 1) / kPorts;
    int written = 0;
    for (int port = 0; port < kPorts && written < records; ++port) {
        std::fprintf(out, "[SERVER%d\\COM%d]\r\n", port % 3, port);
        for (int i = 0; i < perPort && written < records; ++i, ++written) {
            const std::uint32_t time = first + static_cast<std::uint32_t>(i) * 7 + port;
            const std::string user = "DOMAIN\\user" + std::to_string((i * 13 + port) % 500);
            std::string value;
            switch (i % 3) {
            case 0: value = dm::FormatConnectValue(user); break;
            case 1: value = dm::FormatDeniedValue(user, i % 7); break;
            default:
                value = dm::FormatSessionEndValue(600 + i % 3600, user, 0xC0A80000u + (i & 0xFF),
                                                  i % 10, "0000000A.00C0A8000001", "PC" + std::to_string(i % 97));
                break;
            }
            std::fprintf(out, "%u=%s\r\n", time, value.c_str());
        }
    }
    std::fclose(out);
}

void BM_LoadThirtyDayFiles(benchmark::State& state)
{
    Database db;
    const int total = 100000;
    for (int d = 0; d < kDays; ++d) {
        const std::uint32_t day = dm::AddLocalDays(kStart, d);
        WriteLogFile(Slashes(dm::DayLogPath(db.dir().string(), day)), dm::StartOfLocalDay(day),
                     total / kDays + (d < total % kDays ? 1 : 0));
    }
    dm::ActivityLog log(Slashes);
    log.SetDatabaseDirectory(db.dir().string());
    for (auto _ : state) {
        log.LoadScope(3, kStart);
        benchmark::DoNotOptimize(log.Records().data());
    }
    CountRecords(state, log, static_cast<std::size_t>(total));
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_LoadThirtyDayFiles)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadLegacyMillion(benchmark::State& state)
{
    Database db;
    const int total = 1000000;
    WriteLogFile(db.dir() / "Dialmind.log", kStart, total);
    dm::ActivityLog log(Slashes);
    log.SetDatabaseDirectory(db.dir().string());
    const double before = HeapBytes();
    log.LoadLegacy();
    state.counters["bytes_per_record"] = (HeapBytes() - before) / static_cast<double>(log.Count());
    for (auto _ : state) {
        log.LoadLegacy();
        benchmark::DoNotOptimize(log.Records().data());
    }
    CountRecords(state, log, static_cast<std::size_t>(total));
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_LoadLegacyMillion)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_LoadYearOfDayFiles(benchmark::State& state)
{
    Database db;
    const int total = 1000000;
    const int days = 365;
    for (int d = 0; d < days; ++d) {
        const std::uint32_t day = dm::AddLocalDays(kStart, d);
        WriteLogFile(Slashes(dm::DayLogPath(db.dir().string(), day)), dm::StartOfLocalDay(day),
                     total / days + (d < total % days ? 1 : 0));
    }
    dm::ActivityLog log(Slashes);
    log.SetDatabaseDirectory(db.dir().string());
    const double before = HeapBytes();
    log.LoadScope(4, kStart);
    state.counters["bytes_per_record"] = (HeapBytes() - before) / static_cast<double>(log.Count());
    for (auto _ : state) {
        log.LoadScope(4, kStart);
        benchmark::DoNotOptimize(log.Records().data());
    }
    CountRecords(state, log, static_cast<std::size_t>(total));
}
BENCHMARK(BM_LoadYearOfDayFiles)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

// CPU time: what loading costs, whatever else the machine runs meanwhile.
int main(int argc, char** argv)
{
    using T = dm::bench::Targets;
    dm::bench::KeepingReporter r;
    dm::bench::RunKeeping(argc, argv, r);
    T targets;
    targets.AtMost("30 day files, 100,000 records", T::Seconds(r, "BM_LoadThirtyDayFiles", true), 0.25, "s");
    targets.AtMost("legacy log, 1,000,000 records", T::Seconds(r, "BM_LoadLegacyMillion", true), 2.5, "s");
    targets.AtMost("legacy log, peak memory", T::Counter(r, "BM_LoadLegacyMillion", "peak_MB"), 400, "MB");
    targets.AtMost("legacy log, 1,000,000 records, heap per loaded record",
                   T::Counter(r, "BM_LoadLegacyMillion", "bytes_per_record"), 100, "bytes");
    targets.AtMost("a year of day files, 1,000,000 records, heap per loaded record",
                   T::Counter(r, "BM_LoadYearOfDayFiles", "bytes_per_record"), 100, "bytes");
    return targets.Verdict();
}
