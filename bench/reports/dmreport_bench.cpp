// The usage-per-user report over a year of day files holding 10,000,
// 100,000 and 1,000,000 session-end records, end to end through
// `dmreport --console`, against `cat | mawk` (awk where there is no mawk)
// computing the same sums from the same files. Each is run three times and the fastest run counts (a shared
// machine's noise only ever adds time); both times are printed side by side.
//
// Targets: over 1,000,000 records dmreport takes at most 0.3 of awk's time
// and at most 100 MB; its time per record grows at most by half from
// 100,000 to 1,000,000 records (linear); the sums equal awk's.

#include "common/text.h"
#include "common/timeformat.h"

#include "bench/dmctltiming.h"
#include "bench/targets.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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

using dm::bench::Timed;
using dm::bench::Timing;

constexpr int Days = 365;
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

Database MakeDatabase(int Records)
{
    {
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
    }
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

// One size: the best of three runs of each program over the same files.
struct Comparison {
    int records = 0;
    Timing dmreport{1e9, 0};
    Timing awk{1e9, 0};
    bool failed = false;
    bool sameSums = false;
};

// mawk, the fastest awk, where it is installed.
const std::string& AwkName()
{
    static const std::string name = std::system("command -v mawk > /dev/null 2>&1") == 0 ? "mawk" : "awk";
    return name;
}

Comparison Compare(int records)
{
    Comparison c;
    c.records = records;
    Database db = MakeDatabase(records);
    std::ofstream(db.root / "usage.awk") << AwkProgram << "\n";
    const std::string cd = "cd '" + db.root.string() + "' && ";
    for (int run = 0; run < 3; ++run) {
        const Timing report = Timed(cd + "'" + DM_BIN_DIR + "/dmreport' --console '" + db.script.string() + "'");
        const Timing awk = Timed(cd + "cat LogData/*.log | " + AwkName() + " -f usage.awk > awk.csv");
        c.failed = c.failed || report.seconds < 0 || awk.seconds < 0;
        if (report.seconds >= 0 && report.seconds < c.dmreport.seconds)
            c.dmreport = report;
        if (awk.seconds >= 0 && awk.seconds < c.awk.seconds)
            c.awk = awk;
    }
    c.sameSums = ReadTotals(db.root / "bench.csv", 2) == db.expected &&
                 ReadTotals(db.root / "awk.csv", 0) == db.expected;
    std::error_code ec;
    fs::remove_all(db.root, ec);
    std::printf("%9d records: dmreport %.3f s (CPU %.3f s) %.1f MB, cat | %s %.3f s (CPU %.3f s) %.1f MB, "
                "ratio %.2f, sums %s\n",
                records, c.dmreport.seconds, c.dmreport.cpuSeconds, c.dmreport.peakMB, AwkName().c_str(),
                c.awk.seconds, c.awk.cpuSeconds, c.awk.peakMB, c.dmreport.seconds / c.awk.seconds,
                c.sameSums ? "equal" : "DIFFERENT");
    std::fflush(stdout);
    return c;
}

} // namespace

int main()
{
    const Comparison small = Compare(10000);
    const Comparison medium = Compare(100000);
    const Comparison large = Compare(1000000);
    dm::bench::Targets targets;
    targets.Holds("every run finished", !small.failed && !medium.failed && !large.failed);
    targets.Holds("dmreport's sums equal awk's at every size", small.sameSums && medium.sameSums && large.sameSums);
    targets.AtMost("dmreport against cat | " + AwkName() + ", 1,000,000 records",
                   large.dmreport.seconds / large.awk.seconds, 0.3,
                   "times");
    targets.AtMost("dmreport peak memory, 1,000,000 records", large.dmreport.peakMB, 100, "MB");
    targets.AtMost("dmreport time per record, 1,000,000 against 100,000",
                   (large.dmreport.seconds / large.records) / (medium.dmreport.seconds / medium.records), 1.5,
                   "times");
    return targets.Verdict();
}
