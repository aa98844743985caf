// dmctl usage: the usage graph's figures, as its Save As writes them.

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "dmctl/arguments.h"
#include "dmctl/databasedir.h"
#include "dmctl/command.h"
#include "manager/core/dmdoc.h"
#include "manager/core/usagerows.h"
#include "manager/core/usagestatistics.h"
#include "platform/files/pathresolver.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace {

const char kUsageHelp[] =
    "Usage: dmctl usage DBDIR --from TIME --to TIME [--server S [--port P]] [--network]\n\n"
    "How much of the window from TIME to TIME each port was free and busy, computed\n"
    "from the session ends in the activity log of the database directory DBDIR (a\n"
    "system path such as \"\\\\MASTER\\DM_NT_DB\" or a path of this machine), exactly\n"
    "as the manager's usage graph shows them and saves them:\n"
    "  Item,Free(%),Busy(%)\n"
    "  server\\port,free,busy\n\n"
    "  --from, --to TIME  seconds since 1970, or a local date and time\n"
    "                     \"YYYY-MM-DD\" or \"YYYY-MM-DD HH:MM[:SS]\" (a date alone is\n"
    "                     its start for --from and its end for --to)\n"
    "  --server S         only the ports of server S\n"
    "  --port P           only port P of server S (listed even without sessions)\n"
    "  --network          list the ports of the monitored servers (from the\n"
    "                     registry and the RAS library, as the manager lists them)\n"
    "                     instead of the ports that the day files of the window name\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl usage: %s\n\n%s", error.c_str(), kUsageHelp);
    return 2;
}

// Seconds since 1970, or a local "YYYY-MM-DD[ HH:MM[:SS]]".
bool ParseTime(const std::string& text, bool endOfDay, std::uint32_t& time)
{
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        errno = 0;
        const unsigned long long n = std::strtoull(text.c_str(), nullptr, 10);
        if (errno != 0 || n > std::numeric_limits<std::uint32_t>::max())
            return false;
        time = static_cast<std::uint32_t>(n);
        return true;
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int used = 0;
    const char* p = text.c_str();
    if (std::sscanf(p, "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3)
        return false;
    p += used;
    const bool dateOnly = *p == '\0';
    if (!dateOnly) {
        if (std::sscanf(p, " %2d:%2d%n", &hour, &minute, &used) != 2)
            return false;
        p += used;
        if (*p == ':') {
            if (std::sscanf(p, ":%2d%n", &second, &used) != 1)
                return false;
            p += used;
        }
        if (*p != '\0')
            return false;
    }
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return false;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    time = dm::FromLocalFields(local);
    if (dateOnly && endOfDay)
        time = dm::EndOfLocalDay(time);
    return true;
}

// The ports of the monitored servers, read as the manager reads them.
dm::PortList NetworkPorts()
{
    dm::ConsoleMessages ui("dmctl usage");
    dm::CDMDoc doc(ui);
    doc.OnNewDocument();
    for (int i = 0; i < static_cast<int>(doc.Servers().size()); ++i)
        doc.RefreshServerPorts(i);
    return dm::MonitoredPorts(doc.Servers());
}

int RunUsage(const std::vector<std::string>& args)
{
    const dmctl::Syntax syntax{1, 1, {"--from", "--to", "--server", "--port"}, {"--network"}, {}};
    const dmctl::Words words = dmctl::ParseWords(args, syntax);
    if (words.help) {
        std::printf("%s", kUsageHelp);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "DBDIR is missing" : words.error);
    for (const char* option : {"--from", "--to", "--server", "--port"}) {
        if (words.Has(option) && words.Get(option).empty())
            return Usage(std::string(option) + " needs a value");
    }
    const std::string dbdir = words.positional[0];
    const std::string fromText = words.Get("--from");
    const std::string toText = words.Get("--to");
    dm::UsageFilter filter;
    filter.server = words.Get("--server", filter.server);
    filter.port = words.Get("--port", filter.port);
    const bool network = words.Has("--network");
    if (dbdir.empty())
        return Usage("DBDIR is missing");
    if (fromText.empty() || toText.empty())
        return Usage("--from and --to are needed");
    if (filter.port != "*" && filter.server == "*")
        return Usage("--port needs --server");
    std::uint32_t from = 0, to = 0;
    if (!ParseTime(fromText, false, from))
        return Usage("--from: '" + fromText + "' is no time");
    if (!ParseTime(toText, true, to))
        return Usage("--to: '" + toText + "' is no time");
    if (to <= from)
        return Usage("--to must be later than --from");

    const dm::ResolvedPath resolved = dm::ResolvePath(dbdir);
    if (!resolved.ok()) {
        std::fprintf(stderr, "dmctl usage: cannot reach '%s' (error %lu)\n", dbdir.c_str(), resolved.error);
        return 1;
    }
    dm::ActivityLog log(dm::ResolvePathOrEmpty);
    if (!dmctl::CheckDatabaseDirectory("usage", dbdir))
        return 1;
    log.SetDatabaseDirectory(dbdir);
    // A session still running at the window's end is logged when it ends:
    // the day after the window is read as well.
    const std::uint32_t lastDay = to > std::numeric_limits<std::uint32_t>::max() - 86400u ? to : to + 86400u;
    log.LoadRange(from, lastDay);

    const dm::PortList ports = network ? NetworkPorts()
                                       : dm::PortsOfRecords(log.Records(), dm::StartOfLocalDay(from),
                                                            dm::EndOfLocalDay(to));
    dm::UsageStatistics stats;
    stats.SetEntries(dm::UsageLabels(ports, filter));
    stats.Compute(log.Records(), dm::TimeSpan{from, to});
    const std::string text = stats.CsvText();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

dmctl::DmctlGroup usageGroup("usage", "the usage graph: free and busy shares of the ports over a window",
                             RunUsage);

} // namespace
