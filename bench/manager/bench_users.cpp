// dmctl users over a Dialmind.usr of 100,000 accounts against awk reading
// the same file (every section with its values, one line each). Each runs
// three times and the fastest run counts (a shared machine's noise only
// ever adds time); both times are printed side by side.
//
// Targets: dmctl users within awk's time, at most 300 bytes of peak memory
// per account.

#include "bench/dmctltiming.h"
#include "bench/targets.h"

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
#include <string>

namespace fs = std::filesystem;

namespace {

using dm::bench::Timed;
using dm::bench::Timing;

constexpr int kAccounts = 100000;

} // namespace

int main()
{
    char pattern[] = "/tmp/bench_users_XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const fs::path root = pattern;
    setenv("DIALMIND_NETWORK", (root / "network").c_str(), 1);
    const fs::path db = root / "db";
    fs::create_directories(db);
    {
        std::ofstream out(db / "Dialmind.usr", std::ios::binary);
        out << "[+DOM\\Sales]\r\nMaxTotalTime=36000\r\n";
        for (int i = 0; i < kAccounts; ++i)
            out << "[DOM\\user" << i << "]\r\nStaticIP=0\r\nMaxSessionTime=" << 3600 + i % 7 * 60
                << "\r\nTotalTime=" << i * 37 % 500000 << "\r\nTotalConnects=" << i % 97
                << "\r\nMaxTotalTime=0\r\nExpiryTime=0\r\nPeriodMax=0\r\nPeriodUsage=" << i % 1000
                << "\r\nPeriodStamp=1765000000\r\nPeriodType=0\r\nTotalDenieds=" << i % 3
                << "\r\nLastConnection=1765" << i % 1000000 << "\r\nFirstConnection=1700000000\r\n";
    }
    std::ofstream(root / "usr.awk") << "/^\\[/ { if (row != \"\") print row; row = substr($0, 2, index($0, \"]\") - 2); next }\n"
                                       "/=/ { v = substr($0, index($0, \"=\") + 1); sub(/\\r$/, \"\", v); row = row \",\" v }\n"
                                       "END { if (row != \"\") print row }\n";
    const std::string dmctl = "'" + std::string(DM_BIN_DIR) + "/dmctl' users '" + db.string() + "'";
    const std::string awk = "awk -f '" + (root / "usr.awk").string() + "' '" + (db / "Dialmind.usr").string() + "'";
    Timing best{1e9, 0}, bestAwk{1e9, 0};
    bool failed = false;
    for (int run = 0; run < 3; ++run) {
        const Timing d = Timed(dmctl);
        const Timing a = Timed(awk);
        failed = failed || d.seconds < 0 || a.seconds < 0;
        if (d.seconds >= 0 && d.seconds < best.seconds)
            best = d;
        if (a.seconds >= 0 && a.seconds < bestAwk.seconds)
            bestAwk = a;
    }
    std::printf("%d accounts: dmctl users %.3f s %.1f MB, awk %.3f s %.1f MB (best of 3 each)\n", kAccounts,
                best.seconds, best.peakMB, bestAwk.seconds, bestAwk.peakMB);
    dm::bench::Targets targets;
    targets.Holds("every run finished", !failed);
    targets.AtMost("dmctl users against awk, 100,000 accounts", best.seconds / bestAwk.seconds, 1, "times");
    targets.AtMost("dmctl users peak memory per account", best.peakMB * 1024 * 1024 / kAccounts, 300, "bytes");
    std::error_code ec;
    fs::remove_all(root, ec);
    return targets.Verdict();
}
