// dmctl history: what the history pane's Save As writes, for a selection
// given on the command line, built by the same code as the pane.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "common/activitylog.h"
#include "common/userinteraction.h"
#include "dmctl/arguments.h"
#include "dmctl/databasedir.h"
#include "dmctl/command.h"
#include "manager/core/historycolumns.h"
#include "manager/core/historytable.h"
#include "manager/core/managersettings.h"
#include "platform/files/pathresolver.h"

namespace {

const char kHistoryHelp[] =
    "Usage: dmctl history DBDIR (--scope N --date TIME | --from TIME --to TIME)\n"
    "                    [--server S] [--port P] [--user U] [--domain D] [--group DOMAIN\\G]\n"
    "                    [--columns MASK] [--seconds] [--sort COLUMN] [--reverse]\n\n"
    "Prints exactly what the history pane's Save As writes for that selection: the\n"
    "header line, then one line per record, every field followed by a comma.\n"
    "DBDIR is the database directory (a system path such as \"\\\\MASTER\\DM_NT_DB\" or a\n"
    "path of this machine). TIME is seconds since 1970.\n\n"
    "  --scope N --date TIME   the scope: 1 the day of TIME, 2 seven days, 3 thirty\n"
    "                          days from it, 4 every day file\n"
    "  --from TIME --to TIME   every day from the day of the first to that of the second\n"
    "  --server, --port, --user, --domain\n"
    "                          only records of that server, port, user name (without\n"
    "                          domain) or domain; case does not matter\n"
    "  --group DOMAIN\\G        only members of the global group G of DOMAIN, read from\n"
    "                          the domain's primary controller (also sets --domain)\n"
    "  --columns MASK          the column mask (decimal or 0x hex): 0x1 time (always),\n"
    "                          0x2 server, 0x4 port, 0x8 action, 0x10 information,\n"
    "                          0x20 user, 0x40 ip, 0x80 netbios, 0x100 ipx, 0x200 lasted;\n"
    "                          default: the manager's stored mask\n"
    "  --seconds               session lengths in seconds instead of hh:mm:ss\n"
    "  --sort COLUMN           sort as a click on that column's header sorts: time,\n"
    "                          server, port, action, information, user, ip, netbios,\n"
    "                          ipx or lasted (default: time, latest first)\n"
    "  --reverse               as a second click on the header\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl history: %s\n\n%s", error.c_str(), kHistoryHelp);
    return 2;
}

bool ParseUnsigned32(const std::string& text, std::uint32_t& value, int base = 10)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(text.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || end == text.c_str() || n > 0xFFFFFFFFull)
        return false;
    value = static_cast<std::uint32_t>(n);
    return true;
}

struct Options {
    std::string dbdir;
    std::string scope, date, from, to;
    dm::Selection selection;
    std::string columns;
    bool seconds = false;
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
    o.reverse = words.Has("--reverse");
    o.dbdir = words.positional[0];
    if (o.dbdir.empty())
        return "DBDIR is missing";
    const bool byScope = !o.scope.empty() || !o.date.empty();
    const bool byRange = !o.from.empty() || !o.to.empty();
    if (byScope == byRange)
        return "choose one of --scope/--date and --from/--to";
    if (byScope && (o.scope.empty() || o.date.empty()))
        return "--scope and --date go together";
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
                               {"--seconds", "--reverse"},
                               {}};
    const dmctl::Words words = dmctl::ParseWords(args, syntax);
    if (words.help) {
        std::printf("%s", kHistoryHelp);
        return 0;
    }
    Options o;
    if (const std::string error = Parse(words, o); !error.empty())
        return Usage(error);

    int mask = 0;
    if (o.columns.empty()) {
        dm::ManagerSettings settings;
        settings.Load();
        mask = settings.historyViewColumns;
    } else {
        std::uint32_t value = 0;
        const bool hex = o.columns.rfind("0x", 0) == 0 || o.columns.rfind("0X", 0) == 0;
        if (!ParseUnsigned32(hex ? o.columns.substr(2) : o.columns, value, hex ? 16 : 10) ||
            value > static_cast<std::uint32_t>(dm::kHistoryAllColumns))
            return Usage("--columns takes a mask of at most 0x3FF");
        mask = static_cast<int>(value);
    }
    dm::HistoryTable table;
    table.SetColumns(mask, o.seconds);

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
    if (!dmctl::CheckDatabaseDirectory("history", o.dbdir))
        return 1;
    log.SetDatabaseDirectory(o.dbdir);
    if (!o.scope.empty()) {
        char* end = nullptr;
        const long scope = std::strtol(o.scope.c_str(), &end, 10);
        std::uint32_t date = 0;
        if (*end != '\0' || end == o.scope.c_str())
            return Usage("--scope takes a number");
        if (!ParseUnsigned32(o.date, date))
            return Usage("--date takes seconds since 1970");
        if (!log.LoadScope(static_cast<int>(scope), date)) {
            std::fprintf(stderr, "dmctl history: no day files in '%s\\LogData'\n", o.dbdir.c_str());
            return 1;
        }
    } else {
        std::uint32_t from = 0, to = 0;
        if (!ParseUnsigned32(o.from, from) || !ParseUnsigned32(o.to, to))
            return Usage("--from and --to take seconds since 1970");
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

} // namespace
