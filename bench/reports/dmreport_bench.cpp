// The usage-per-user report over a year of day files holding 1,000,000
// session-end records, end to end through `dmreport --console`, against an
// awk script that computes the same sums from the same files. Each is run
// once (the machine is shared); both times are printed with the verdict.
//
// Target: dmreport at most 2 s, and no slower than awk.

#include "common/text.h"
#include "common/timeformat.h"

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int Days = 365;
constexpr int Records = 1000000;
constexpr int Servers = 4;
constexpr int PortsPerServer = 16;
constexpr int Users = 500;

// Sums per user (lower-case key) as both programs must find them.
using Totals = std::map<std::string, std::pair<long long, long long>>;

struct Database {
    fs::path root;
    fs::path script;
    Totals expected;
};

std::string UserName(unsigned n)
{
    // Every tenth account is spelled in capitals on some days: the report
    // must add both spellings up under one key.
    char name[32];
    std::snprintf(name, sizeof name, "DOM\\user%03u", n % Users);
    std::string text = name;
    if (n % 10 == 0 && (n / Users) % 2 == 1)
        text = "DOM\\USER" + text.substr(8);
    return text;
}

Database& TheDatabase()
{
    static Database db = [] {
        Database made;
        char pattern[] = "/tmp/dmbench-XXXXXX";
        made.root = mkdtemp(pattern);
        const fs::path logs = made.root / "LogData";
        fs::create_directories(logs);
        const std::uint32_t first = dm::StartOfLocalDay(dm::NowTime());
        std::uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        const int perDay = Records / Days;
        int written = 0;
        for (int day = 0; day < Days; ++day) {
            const std::uint32_t start = dm::AddLocalDays(first, day - Days) - 12 * 3600;
            const int today = day == Days - 1 ? Records - written : perDay;
            const int sections = Servers * PortsPerServer;
            std::string text;
            text.reserve(static_cast<std::size_t>(today) * 80);
            for (int s = 0; s < sections; ++s) {
                const int count = today / sections + (s < today % sections ? 1 : 0);
                text += "[RAS" + std::to_string(s / PortsPerServer + 1) + "\\COM" +
                        std::to_string(s % PortsPerServer + 1) + "]\r\n";
                const std::uint32_t step = (86400 - 120) / static_cast<std::uint32_t>(count > 0 ? count : 1);
                for (int i = 0; i < count; ++i) {
                    const std::uint32_t time = start + 60 + static_cast<std::uint32_t>(i) * step + next() % 60;
                    const int duration = static_cast<int>(next() % 7200);
                    const std::string user = UserName(next());
                    text += std::to_string(time) + "=H" + std::to_string(duration) + "_" + user +
                            "?3232235777?" + std::to_string(next() % 4) +
                            ":0000000A.00C0A8000001:PC" + std::to_string(s) + "\r\n";
                    auto& sums = made.expected[dm::LowerAscii(user)];
                    sums.first += duration;
                    sums.second += 1;
                }
            }
            written += today;
            std::ofstream(logs / (dm::FormatDayLogDate(start) + ".log"), std::ios::binary) << text;
        }
        made.script = made.root / "dmscript.dat";
        std::ofstream(made.script, std::ios::binary)
            << "[Settings]\r\nFileName=" << (made.root / "bench.csv").string()
            << "\r\nReportType=1\r\nTimePeriodType=4\r\nPrintReport=0\r\nMasterShare="
            << made.root.string() << "\r\n";
        return made;
    }();
    return db;
}

// Runs a command line through /bin/sh with output to a file; returns seconds.
double Timed(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto stop = std::chrono::steady_clock::now();
    if (status != 0)
        std::fprintf(stderr, "failed (%d): %s\n", status, command.c_str());
    return std::chrono::duration<double>(stop - start).count();
}

// "user,total,sessions" lines (after `skip` heading lines) as lower-case sums.
Totals ReadTotals(const fs::path& file, int skip)
{
    Totals totals;
    std::ifstream in(file);
    std::string line;
    for (int i = 0; i < skip && std::getline(in, line); ++i) {
    }
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream fields(line);
        std::string user, total, count;
        std::getline(fields, user, ',');
        std::getline(fields, total, ',');
        std::getline(fields, count, ',');
        totals[dm::LowerAscii(user)] = {std::atoll(total.c_str()), std::atoll(count.c_str())};
    }
    return totals;
}

// The same sums with awk: session-end lines, the user between '_' and the
// first '?', matched without regard to case, first spelling kept.
const char* const AwkProgram =
    "BEGIN { FS = \"=\" } "
    "/^[0-9]+=H/ { v = $2; sub(/\\r$/, \"\", v); u = substr(v, index(v, \"_\") + 1); "
    "q = index(u, \"?\"); if (q) u = substr(u, 1, q - 1); d = substr(v, 2) + 0; "
    "k = tolower(u); if (!(k in s)) { n++; o[n] = k; name[k] = u } s[k] += d; c[k]++ } "
    "END { for (i = 1; i <= n; i++) printf \"%s,%d,%d\\n\", name[o[i]], s[o[i]], c[o[i]] }";

double g_dmreportSeconds = 0;
double g_awkSeconds = 0;

void BM_DmreportUsagePerUser(benchmark::State& state)
{
    Database& db = TheDatabase();
    for (auto _ : state) {
        g_dmreportSeconds = Timed("cd '" + db.root.string() + "' && '" + DM_BIN_DIR +
                                  "/dmreport' --console '" + db.script.string() + "' >/dev/null");
        state.SetIterationTime(g_dmreportSeconds);
    }
    const bool same = ReadTotals(db.root / "bench.csv", 2) == db.expected;
    state.counters["records_per_s"] = Records / g_dmreportSeconds;
    state.counters["sums_correct"] = same ? 1 : 0;
}

void BM_AwkUsagePerUser(benchmark::State& state)
{
    Database& db = TheDatabase();
    const fs::path program = db.root / "usage.awk";
    std::ofstream(program) << AwkProgram << "\n";
    for (auto _ : state) {
        g_awkSeconds = Timed("cd '" + db.root.string() + "' && awk -f usage.awk LogData/*.log > awk.csv");
        state.SetIterationTime(g_awkSeconds);
    }
    state.counters["records_per_s"] = Records / g_awkSeconds;
    state.counters["sums_correct"] = ReadTotals(db.root / "awk.csv", 0) == db.expected ? 1 : 0;
}

BENCHMARK(BM_DmreportUsagePerUser)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AwkUsagePerUser)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("dmreport --console, usage per user over %d session-end records in %d day files: "
                "%.3f s (target <= 2 s: %s)\n",
                Records, Days, g_dmreportSeconds, g_dmreportSeconds <= 2.0 ? "met" : "MISSED");
    std::printf("awk computing the same sums from the same files: %.3f s (dmreport %s)\n",
                g_awkSeconds, g_dmreportSeconds <= g_awkSeconds ? "no slower" : "SLOWER");
    std::error_code ec;
    fs::remove_all(TheDatabase().root, ec);
    return 0;
}
