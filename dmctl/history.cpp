// dmctl history: what the history pane's Save As writes, for a selection
// given on the command line, built by the same code as the pane.

#include <algorithm>
#include <cstdio>
#include <optional>

#include "common/activitylog.h"
#include "common/numbers.h"
#include "common/userinteraction.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "manager/core/historycolumns.h"
#include "manager/core/historytable.h"
#include "manager/core/managersettings.h"
#include "platform/files/pathresolver.h"

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::historygroup {

const char kHistoryHelp[] =
    "Usage: dmctl history DBDIR ([--scope N] --date TIME | --from TIME --to TIME)\n"
    "                    [--server S] [--port P] [--user U] [--domain D] [--group DOMAIN\\G]\n"
    "                    [--columns MASK] [--seconds | --hhmmss] [--sort COLUMN] [--reverse]\n\n"
    "Prints exactly what the history pane's Save As writes for that selection: the\n"
    "header line, then one line per record, every field followed by a comma.\n"
    "DBDIR is the database directory (a system path such as \"\\\\MASTER\\DM_NT_DB\" or a\n"
    "path of this machine). TIME is seconds since 1970 or \"YYYY-MM-DD[ HH:MM[:SS]]\"\n"
    "in local time (see dmctl --help).\n\n"
    "  --scope N --date TIME   the scope: 1 the day of TIME, 2 seven days, 3 thirty\n"
    "                          days from it, 4 every day file; without --scope the\n"
    "                          manager's stored scope\n"
    "  --from TIME --to TIME   every day from the day of the first to that of the second\n"
    "  --server, --port, --user, --domain\n"
    "                          only records of that server, port, user name (without\n"
    "                          domain) or domain; case does not matter\n"
    "  --group DOMAIN\\G        only user names that are members of the global group G\n"
    "                          of DOMAIN (read from the domain's primary controller),\n"
    "                          whatever the record's domain\n"
    "  --columns MASK          the column mask (decimal or 0x hex): 0x1 time (always),\n"
    "                          0x2 server, 0x4 port, 0x8 action, 0x10 information,\n"
    "                          0x20 user, 0x40 ip, 0x80 netbios, 0x100 ipx, 0x200 lasted;\n"
    "                          default: the manager's stored mask\n"
    "  --seconds, --hhmmss     session lengths in seconds, or as hh:mm:ss; without\n"
    "                          either as the manager's stored history option\n"
    "  --sort COLUMN           sort as a click on that column's header sorts: time,\n"
    "                          server, port, action, information, user, ip, netbios,\n"
    "                          ipx or lasted (default: time, latest first)\n"
    "  --reverse               as a second click on the header\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl history: %s\n\n%s", error.c_str(), kHistoryHelp);
    return 2;
}

struct Options {
    std::string dbdir;
    std::string scope, date, from, to;
    dm::Selection selection;
    std::string columns;
    bool seconds = false;
    bool hhmmss = false;
    std::string sort;
    bool reverse = false;
};

// Empty on success, else the usage error.
std::string Parse(const dmctl::Words& words, Options& o)
{
    if (!words.error.empty())
        return words.error == "missing arguments" ? "DBDIR is missing" : words.error;
    std::string domain, group;
    const std::pair<const char*, std::string*> values[] = {
        {"--scope", &o.scope},          {"--date", &o.date},
        {"--from", &o.from},            {"--to", &o.to},
        {"--server", &o.selection.server}, {"--port", &o.selection.port},
        {"--user", &o.selection.user},  {"--domain", &domain},
        {"--group", &group},            {"--columns", &o.columns},
        {"--sort", &o.sort}};
    for (const auto& [option, target] : values) {
        if (!words.Has(option))
            continue;
        *target = words.Get(option);
        if (target->empty())
            return std::string(option) + " needs a value";
    }
    o.seconds = words.Has("--seconds");
    o.hhmmss = words.Has("--hhmmss");
    if (o.seconds && o.hhmmss)
        return "--seconds and --hhmmss exclude each other";
    o.reverse = words.Has("--reverse");
    o.dbdir = words.positional[0];
    if (o.dbdir.empty())
        return "DBDIR is missing";
    const bool byScope = !o.scope.empty() || !o.date.empty();
    const bool byRange = !o.from.empty() || !o.to.empty();
    if (byScope == byRange)
        return "choose one of --scope/--date and --from/--to";
    if (byScope && o.date.empty())
        return "--scope needs --date";
    if (byRange && (o.from.empty() || o.to.empty()))
        return "--from and --to go together";
    if (!group.empty()) {
        const std::size_t slash = group.find('\\');
        if (slash == std::string::npos || slash == 0 || slash + 1 == group.size())
            return "--group takes DOMAIN\\GROUP";
        const std::string groupDomain = group.substr(0, slash);
        if (!domain.empty() && domain != groupDomain)
            return "--domain and the domain of --group differ";
        domain = groupDomain;
        o.selection.group = group.substr(slash + 1);
    }
    if (!domain.empty())
        o.selection.domain = domain;
    return {};
}

int RunHistory(const std::vector<std::string>& args)
{
    const dmctl::Syntax syntax{1,
                               1,
                               {"--scope", "--date", "--from", "--to", "--server", "--port", "--user",
                                "--domain", "--group", "--columns", "--sort"},
                               {"--seconds", "--hhmmss", "--reverse"},
                               {}};
    const dmctl::Words words = dmctl::ParseWords(args, syntax);
    if (words.help) {
        std::printf("%s", kHistoryHelp);
        return 0;
    }
    Options o;
    if (const std::string error = Parse(words, o); !error.empty())
        return Usage(error);

    // What is not given follows the manager's stored history options.
    dm::ManagerSettings settings;
    settings.Load();
    int mask = settings.historyViewColumns;
    const bool seconds = o.seconds || (!o.hhmmss && settings.historyViewSeconds);
    if (o.scope.empty() && !o.date.empty())
        o.scope = std::to_string(dm::ActivityLog::NormalizeBrowseScope(settings.browseScope));
    if (!o.columns.empty()) {
        const std::optional<std::uint32_t> value = dm::ParseUInt32DecimalOrHex(o.columns);
        if (!value || *value > static_cast<std::uint32_t>(dm::kHistoryAllColumns))
            return Usage("--columns takes a mask of at most 0x3FF");
        mask = static_cast<int>(*value);
    }
    dm::HistoryTable table;
    table.SetColumns(mask, seconds);

    int sortColumn = 0;
    if (!o.sort.empty()) {
        const auto kind = dm::HistoryColumnByName(o.sort);
        if (!kind)
            return Usage("--sort: unknown column '" + o.sort + "'");
        const auto& columns = table.Columns();
        const auto it = std::find(columns.begin(), columns.end(), *kind);
        if (it == columns.end())
            return Usage("--sort: the column '" + o.sort + "' is not shown (see --columns)");
        sortColumn = static_cast<int>(it - columns.begin());
    }

    dm::ActivityLog log(dm::ResolvePathOrEmpty);
    if (!dmctl::CheckDatabaseDirectory(o.dbdir, "history"))
        return 1;
    log.SetDatabaseDirectory(o.dbdir);
    if (!o.scope.empty()) {
        const std::optional<std::int32_t> scope = dm::ParseInt32(o.scope);
        std::uint32_t date = 0;
        if (!scope)
            return Usage("--scope takes a number");
        if (const std::string error = dmctl::ReadTime("--date", o.date, date); !error.empty())
            return Usage(error);
        if (!log.LoadScope(*scope, date)) {
            std::fprintf(stderr, "dmctl history: no day files in '%s\\LogData'\n", o.dbdir.c_str());
            return 1;
        }
    } else {
        std::uint32_t from = 0, to = 0;
        if (const std::string error = dmctl::ReadTimeWindow(o.from, o.to, from, to); !error.empty())
            return Usage(error);
        log.LoadRange(from, to);
    }

    dm::ConsoleMessages ui("dmctl history");
    const dm::HistoryFilter filter = dm::HistoryFilter::FromSelection(o.selection, ui);
    table.Fill(log.Records(), filter);
    // A header click sorts with d = +1, a second click with -1; without a
    // click the list is sorted by time as a fill sorts it, with d = +1.
    table.Sort(sortColumn, o.reverse ? -1 : 1);
    const std::string text = table.SavedText();
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "dmctl history: cannot write the output\n");
        return 1;
    }
    return ui.Said() ? 1 : 0;
}

dmctl::DmctlGroup historyGroup("history", "the history pane's records as its Save As writes them", RunHistory);

} // namespace dmctl::historygroup
