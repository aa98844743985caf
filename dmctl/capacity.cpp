// dmctl capacity: the load the servers carried per hour of the day, Erlang B
// and the ports needed, as the manager's Capacity view shows and saves them.

#include "common/ansitext.h"
#include "common/activitylog.h"
#include "common/numbers.h"
#include "common/text.h"
#include "common/timeformat.h"
#include "common/timeword.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "manager/core/capacityload.h"
#include "manager/core/capacitymodel.h"
#include "manager/core/dmdoc.h"
#include "manager/core/erlangb.h"
#include "platform/files/pathresolver.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::capacitygroup {

const char kCapacityHelp[] =
    "Usage: dmctl capacity DBDIR [--server S] [--from DATE] [--to DATE] [--gos P]\n"
    "                            [--max-session S] [--network] [--csv]\n"
    "       dmctl capacity erlang-b --load A --ports N\n"
    "       dmctl capacity ports --load A [--gos P]\n\n"
    "Per hour of the day, over the whole local days from --from to --to, the load\n"
    "each server carried (from the session ends in the activity log of the database\n"
    "directory DBDIR, a system path such as \"\\\\MASTER\\DM_NT_DB\" or a path of this\n"
    "machine), the most sessions at once, the seconds with every port busy, the\n"
    "offered load estimated by the Erlang B formula, the share of callers turned\n"
    "away and the ports the grade of service needs. With --csv, exactly what the\n"
    "manager's Capacity view saves:\n"
    "  Server,Hour,Carried (E),Peak,All busy (s),Offered (E),Blocking,Ports,Ports needed\n\n"
    "  --server S         only server S\n"
    "  --from, --to DATE  the first and the last day included, \"YYYY-MM-DD\" in\n"
    "                     local time (default: the 30 days before today; one of\n"
    "                     them alone: the 30 days that begin or end with it)\n"
    "  --gos P            the grade of service: the blocking to plan for, as a\n"
    "                     fraction (0.01) or a percentage (1%); default 1%\n"
    "  --max-session S    what if every session were cut at S seconds\n"
    "  --network          the ports installed on the monitored servers (from the\n"
    "                     registry and the RAS library, as the manager lists them)\n"
    "                     instead of the ports that the day files name\n"
    "  --csv              comma-separated, one line per server and hour\n\n"
    "erlang-b prints the blocking B of load A (Erlangs) offered to N ports;\n"
    "ports prints the least number of ports whose blocking is at most P.\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl capacity: %s\n\n%s", error.c_str(), kCapacityHelp);
    return 2;
}

// A local date "YYYY-MM-DD" that exists, as the TIME words write a date
// alone; the day is held by its noon.
bool ParseDate(const std::string& text, std::uint32_t& day)
{
    if (text.find_first_not_of("0123456789-") != std::string::npos || text.find('-') == std::string::npos)
        return false;
    const std::optional<std::uint32_t> start = dm::ParseTimeWord(text);
    if (!start || *start > 0xFFFFFFFFu - 12u * 3600u)
        return false;
    day = *start + 12u * 3600u;
    return true;
}

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

// "0.01" or "1%": a fraction above 0 and below 1.
bool ParseGradeOfService(std::string text, double& gos)
{
    bool percent = false;
    if (!text.empty() && text.back() == '%') {
        text.pop_back();
        percent = true;
    }
    if (!ParseNumber(text, gos))
        return false;
    if (percent)
        gos /= 100.0;
    return gos > 0.0 && gos < 1.0;
}

bool ParseCount(const std::string& text, long long maximum, long long& value)
{
    const std::optional<std::uint32_t> n = dm::ParseUInt32(text);
    if (!n || *n > maximum)
        return false;
    value = *n;
    return true;
}

int ErlangBCommand(const std::vector<std::string>& args)
{
    const dmctl::Words words = dmctl::ParseWords(args, {0, 0, {"--load", "--ports"}, {}, {}});
    if (words.help) {
        std::fputs(kCapacityHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error);
    double load = 0;
    long long ports = 0;
    if (!ParseNumber(words.Get("--load"), load) || load < 0)
        return Usage("erlang-b needs --load A, a load of 0 Erlangs or more");
    if (!ParseCount(words.Get("--ports"), 100000, ports))
        return Usage("erlang-b needs --ports N, a number of ports from 0 to 100000");
    std::printf("%.6f\n", dm::ErlangB(load, static_cast<int>(ports)));
    return 0;
}

int PortsCommand(const std::vector<std::string>& args)
{
    const dmctl::Words words = dmctl::ParseWords(args, {0, 0, {"--load", "--gos"}, {}, {}});
    if (words.help) {
        std::fputs(kCapacityHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error);
    double load = 0, gos = 0.01;
    if (!ParseNumber(words.Get("--load"), load) || load < 0 || load > 100000)
        return Usage("ports needs --load A, a load from 0 to 100000 Erlangs");
    if (words.Has("--gos") && !ParseGradeOfService(words.Get("--gos"), gos))
        return Usage("--gos needs a fraction between 0 and 1 (0.01) or a percentage (1%)");
    std::printf("%d\n", *dm::PortsNeeded(load, gos));
    return 0;
}

// The ports installed on each monitored server, read as the manager reads them.
std::map<std::string, int> InstalledPorts()
{
    dm::ConsoleMessages ui("dmctl capacity");
    dm::CDMDoc doc(ui);
    doc.OnNewDocument();
    std::map<std::string, int> installed;
    for (int i = 0; i < static_cast<int>(doc.Servers().size()); ++i) {
        doc.RefreshServerPorts(i);
        const dm::ServerEntry& entry = doc.Servers()[static_cast<std::size_t>(i)];
        installed[entry.name] = entry.portCount;
    }
    return installed;
}

int TableCommand(const std::vector<std::string>& args)
{
    const dmctl::Syntax syntax{1, 1, {"--server", "--from", "--to", "--gos", "--max-session"}, {"--csv", "--network"}, {}};
    const dmctl::Words words = dmctl::ParseWords(args, syntax);
    if (words.help) {
        std::fputs(kCapacityHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "DBDIR is missing" : words.error);
    const std::string dbdir = words.positional[0];
    if (dbdir.empty())
        return Usage("DBDIR is missing");

    const dm::CapacityWindow lastDays = dm::LastWholeDays(30, dm::NowTime());
    std::uint32_t from = lastDays.FirstDay(), to = lastDays.LastDay();
    if (words.Has("--from") && !ParseDate(words.Get("--from"), from))
        return Usage("--from: '" + words.Get("--from") + "' is no date YYYY-MM-DD");
    if (words.Has("--to") && !ParseDate(words.Get("--to"), to))
        return Usage("--to: '" + words.Get("--to") + "' is no date YYYY-MM-DD");
    // One end given: the window keeps its 30 days.
    if (words.Has("--from") && !words.Has("--to"))
        to = dm::AddLocalDays(from, 29);
    if (words.Has("--to") && !words.Has("--from"))
        from = dm::AddLocalDays(to, -29);
    if (to < from)
        return Usage("--to must not be before --from");
    if (dm::StartOfLocalDay(to) - dm::StartOfLocalDay(from) > 3660u * 86400u)
        return Usage("the window may hold at most ten years of days");
    dm::CapacityOptions options;
    if (words.Has("--gos") && !ParseGradeOfService(words.Get("--gos"), options.gradeOfService))
        return Usage("--gos needs a fraction between 0 and 1 (0.01) or a percentage (1%)");
    if (words.Has("--max-session")) {
        long long limit = 0;
        if (!ParseCount(words.Get("--max-session"), 0xFFFFFFFFll, limit) || limit == 0)
            return Usage("--max-session needs a number of seconds above 0");
        options.sessionLimit = static_cast<std::uint32_t>(limit);
    }
    const std::string server = words.Get("--server", "*");
    if (server.empty())
        return Usage("--server needs a value");

    if (!dmctl::CheckDatabaseDirectory(dbdir, "capacity"))
        return 1;
    const dm::CapacityWindow window(from, to);
    dm::CapacityLoader loader(dm::ResolvePathOrEmpty);
    dm::CapacityHistory history;
    loader.Load(dbdir, window, server, history);
    // Figures without the sessions of a day file that could not be read
    // would be too low: an error, not an answer.
    if (!history.unreadable.empty()) {
        for (const std::string& file : history.unreadable)
            std::fprintf(stderr, "dmctl capacity: %s cannot be read: it is not a regular file or may not be read\n",
                         file.c_str());
        return 1;
    }
    if (words.Has("--network")) {
        std::map<std::string, int> installed = InstalledPorts();
        if (server != "*")
            std::erase_if(installed, [&](const auto& entry) { return !dm::EqualNoCase(entry.first, server); });
        dm::SetInstalledPorts(history, installed);
    }
    const std::vector<dm::ServerCapacity> figures = dm::ComputeCapacity(history.servers, window, options);
    if (!words.Has("--csv") && figures.empty()) {
        std::printf("No sessions of %s from %s to %s in '%s'.\n",
                     server == "*" ? "any server" : server.c_str(),
                     dm::FormatLocalTime("%Y-%m-%d", window.FirstDay()).c_str(),
                     dm::FormatLocalTime("%Y-%m-%d", window.LastDay()).c_str(), dbdir.c_str());
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const std::string text =
        words.Has("--csv") ? dm::CapacityCsv(figures) : dm::AnsiToUtf8(dm::CapacityText(figures, window, options));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunCapacity(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage("DBDIR or a command is missing");
    if (dmctl::IsHelpWord(args[0])) {
        std::fputs(kCapacityHelp, stdout);
        return 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "erlang-b")
        return ErlangBCommand(rest);
    if (args[0] == "ports")
        return PortsCommand(rest);
    return TableCommand(args);
}

dmctl::DmctlGroup capacityGroup("capacity", "ports needed: carried load per hour, Erlang B, blocking",
                                RunCapacity);

} // namespace dmctl::capacitygroup
