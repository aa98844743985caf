// dmsim: the emulated RAS service of every computer of the emulated network,
// with the server component's behaviour where it is installed.

#include "common/numbers.h"
#include "netemu/generator.h"
#include "netemu/liveservice.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop.store(true); }

const char* const kUsage =
    "Usage: dmsim run [--network DIR] [--speed X] [--seed N]\n"
    "       dmsim generate [--network DIR] --days N [--end YYYY-MM-DD] [--seed N] [--legacy]\n"
    "\n"
    "The RAS service of every computer of the emulated network that has ras.ini:\n"
    "simulated callers from the domain accounts dial in, and where the server\n"
    "component is installed (AdminDLL names a DLLPath that exists) they are\n"
    "admitted or denied by Dialmind.hw and Dialmind.usr, logged, counted and\n"
    "disconnected at their limits.\n"
    "\n"
    "Ports that are not operational or report a hardware failure take no calls\n"
    "until their conditions are changed (dmctl net add-port ... --condition).\n"
    "Sessions idle for the RAS service's AutoDisconnect minutes are ended.\n"
    "\n"
    "  run         run live until SIGINT or SIGTERM, from the later of the clock\n"
    "              and the last logged event\n"
    "  generate    write N days of history at once, deterministically; refused\n"
    "              when a day of the period already holds records\n"
    "\n"
    "  --network DIR   the network root (default $DIALMIND_NETWORK)\n"
    "  --speed X       run: simulated seconds per real second (default 1)\n"
    "  --seed N        the random seed (default 1)\n"
    "  --days N        generate: the number of days\n"
    "  --end DATE      generate: the last day, YYYY-MM-DD (default yesterday)\n"
    "  --legacy        generate: write the single Dialmind.log instead of day files\n"
    "  --help          show this text\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "dmsim: %s\n", message.c_str());
    std::fprintf(stderr, "Try 'dmsim --help'.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace dm::netemu;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    if (args.empty())
        return Fail("missing command (run or generate)");
    const std::string command = args[0];
    if (command != "run" && command != "generate")
        return Fail("unknown command '" + command + "'");

    LiveOptions live;
    GenerateOptions generate;
    bool haveDays = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        const char* value = hasValue ? args[i + 1].c_str() : nullptr;
        if (option == "--legacy" && command == "generate") {
            generate.legacy = true;
            continue;
        }
        if (option != "--network" && option != "--seed" && !(command == "run" && option == "--speed")
            && !(command == "generate" && (option == "--days" || option == "--end")))
            return Fail("unknown option '" + option + "' for " + command);
        if (!hasValue)
            return Fail("option " + option + " needs a value");
        ++i;
        if (option == "--network") {
            setenv("DIALMIND_NETWORK", value, 1);
        } else if (option == "--seed") {
            const std::optional<std::uint64_t> seed = dm::ParseUInt64(value);
            if (!seed)
                return Fail(std::string("--seed needs a whole number, not '") + value + "'");
            live.seed = generate.seed = *seed;
        } else if (option == "--speed") {
            char* end = nullptr;
            const double speed = std::strtod(value, &end);
            if (*end != '\0' || !(speed > 0) || speed > 100000)
                return Fail(std::string("--speed needs a number above 0 and up to 100000, not '") + value + "'");
            live.speed = speed;
        } else if (option == "--days") {
            const std::optional<std::int32_t> days = dm::ParseInt32(value);
            if (!days || *days < 1 || *days > 36500)
                return Fail(std::string("--days needs a number from 1 to 36500, not '") + value + "'");
            generate.days = *days;
            haveDays = true;
        } else if (option == "--end") {
            if (!ParseDate(value, generate.endYear, generate.endMonth, generate.endDay))
                return Fail(std::string("--end needs a date YYYY-MM-DD, not '") + value + "'");
        }
    }

    if (command == "run") {
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        return RunLive(live, g_stop);
    }
    if (!haveDays)
        return Fail("generate needs --days N");
    GenerateReport report;
    std::string error;
    const bool ok = GenerateHistory(ScanNetwork(), generate, report, error);
    if (!ok && report.records == 0) {
        std::fprintf(stderr, "dmsim: %s\n", error.c_str());
        return 1;
    }
    char from[32], to[32];
    std::time_t f = report.from, t = report.to - 1;
    std::tm local{};
    localtime_r(&f, &local);
    std::strftime(from, sizeof from, "%Y-%m-%d", &local);
    localtime_r(&t, &local);
    std::strftime(to, sizeof to, "%Y-%m-%d", &local);
    std::printf("dmsim: %llu entries from %s to %s for %zu server(s) with the server component\n",
                static_cast<unsigned long long>(report.records), from, to, report.servers);
    if (!ok) {
        std::fprintf(stderr, "dmsim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
