// dmctl usage: the usage graph's figures, as its Save As writes them.

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "manager/core/dmdoc.h"
#include "manager/core/usagerows.h"
#include "manager/core/usagesource.h"
#include "manager/core/usagestatistics.h"
#include "platform/files/pathresolver.h"

#include <cstdio>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::usagegroup {

const char kUsageHelp[] =
    "Usage: dmctl usage DBDIR --from TIME --to TIME [--server S [--port P]] [--logged]\n\n"
    "How much of the window from TIME to TIME each port was free and busy, computed\n"
    "from the session ends in the activity log of the database directory DBDIR (a\n"
    "system path such as \"\\\\MASTER\\DM_NT_DB\" or a path of this machine), exactly\n"
    "as the manager's usage graph shows them and saves them:\n"
    "  Item,Free(%),Busy(%)\n"
    "  server\\port,free,busy\n\n"
    "  --from, --to TIME  seconds since 1970, or a local date and time\n"
    "                     \"YYYY-MM-DD[ HH:MM[:SS]]\" (a date alone is its start for\n"
    "                     --from and its end for --to; see dmctl --help)\n"
    "  --server S         only the ports of server S\n"
    "  --port P           only port P of server S (listed even without sessions)\n"
    "  --logged           list the ports that the day files of the window name\n"
    "                     instead of the ports of the monitored servers (read from\n"
    "                     the registry and the RAS library, in the manager's order)\n\n"
    "A session that no end follows in the days read is busy up to now when those\n"
    "days reach today, as the graph counts a session still in progress.\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl usage: %s\n\n%s", error.c_str(), kUsageHelp);
    return 2;
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
    const dmctl::Syntax syntax{1, 1, {"--from", "--to", "--server", "--port"}, {"--network", "--logged"}, {}};
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
    // The pane lists the monitored servers' ports; "--network" names that
    // default and stays accepted.
    const bool logged = words.Has("--logged");
    if (logged && words.Has("--network"))
        return Usage("--logged and --network exclude each other");
    if (dbdir.empty())
        return Usage("DBDIR is missing");
    if (fromText.empty() || toText.empty())
        return Usage("--from and --to are needed");
    if (filter.port != "*" && filter.server == "*")
        return Usage("--port needs --server");
    std::uint32_t from = 0, to = 0;
    if (const std::string error = dmctl::ReadTimeWindow(fromText, toText, from, to); !error.empty())
        return Usage(error);
    if (to <= from)
        return Usage("--to must be later than --from");

    if (!dmctl::CheckDatabaseDirectory(dbdir, "usage"))
        return 1;
    dm::ActivityLog log(dm::ResolvePathOrEmpty);
    log.SetDatabaseDirectory(dbdir);
    const dm::TimeSpan window{from, to};
    dm::LoadUsageRecords(log, window);

    const dm::PortList ports = logged ? dm::PortsOfRecords(log.Records(), dm::StartOfLocalDay(from),
                                                           dm::EndOfLocalDay(to))
                                      : NetworkPorts();
    dm::UsageStatistics stats;
    stats.SetEntries(dm::UsageLabels(ports, filter));
    stats.Compute(log.Records(), window, {}, dm::InProgressUntil(window, dm::NowTime()));
    const std::string text = stats.CsvText();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

dmctl::DmctlGroup usageGroup("usage", "the usage graph: free and busy shares of the ports over a window",
                             RunUsage);

} // namespace dmctl::usagegroup
