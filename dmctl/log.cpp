// dmctl log: the activity log as the loaders see it.

#include <cstdio>

#include "common/activitylog.h"
#include "common/csvtext.h"
#include "common/numbers.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "platform/files/pathresolver.h"

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::loggroup {

const char kLogHelp[] =
    "Usage: dmctl log list DBDIR (--scope N --date TIME | --from TIME --to TIME | --legacy)\n\n"
    "Loads the activity log of the database directory DBDIR (a system path such as\n"
    "\"\\\\MASTER\\DM_NT_DB\" or a path of this machine) and prints the records in time\n"
    "order, one CSV line each:\n"
    "  time,server,port,kind,user,duration,ip,reason,ipx,netbios\n"
    "time and ip are unsigned decimal numbers; kind is 0 session end, 1 connect,\n"
    "2 denied; reason 255 means none. TIME is seconds since 1970 or\n"
    "\"YYYY-MM-DD[ HH:MM[:SS]]\" in local time (see dmctl --help).\n\n"
    "  --scope N --date TIME   the browse scope: 1 the day of TIME, 2 seven days,\n"
    "                          3 thirty days from it, 4 every day file\n"
    "  --from TIME --to TIME   every day from the day of the first to that of the second\n"
    "  --legacy                the single legacy file Dialmind.log\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl log: %s\n\n%s", error.c_str(), kLogHelp);
    return 2;
}

void PrintRecord(const dm::LogRecord& r)
{
    using dm::QuotedCsvField;
    const std::string line = std::to_string(r.time) + "," + QuotedCsvField(r.server) + "," + QuotedCsvField(r.port) +
                             "," + std::to_string(r.kind) + "," + QuotedCsvField(r.user) + "," +
                             std::to_string(r.duration) + "," + std::to_string(r.ip) + "," +
                             std::to_string(r.reason) + "," + QuotedCsvField(r.ipx) + "," +
                             QuotedCsvField(r.netbios) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

int RunList(const dmctl::Words& words)
{
    const std::string& dbdir = words.positional[0];
    const std::string scopeText = words.Get("--scope"), dateText = words.Get("--date");
    const std::string fromText = words.Get("--from"), toText = words.Get("--to");
    const bool legacy = words.Has("--legacy");
    if (dbdir.empty())
        return Usage("DBDIR is missing");
    const bool byScope = words.Has("--scope") || words.Has("--date");
    const bool byRange = words.Has("--from") || words.Has("--to");
    if (static_cast<int>(byScope) + static_cast<int>(byRange) + static_cast<int>(legacy) != 1)
        return Usage("choose one of --scope/--date, --from/--to, --legacy");

    dm::ActivityLog log(dm::ResolvePathOrEmpty);
    if (!dmctl::CheckDatabaseDirectory(dbdir, "log"))
        return 1;
    log.SetDatabaseDirectory(dbdir);

    if (byScope) {
        std::uint32_t date = 0;
        if (scopeText.empty() || dateText.empty())
            return Usage("--scope and --date go together");
        const std::optional<std::int32_t> scope = dm::ParseInt32(scopeText);
        if (!scope)
            return Usage("--scope takes a number");
        if (const std::string error = dmctl::ReadTime("--date", dateText, date); !error.empty())
            return Usage(error);
        if (!log.LoadScope(*scope, date)) {
            std::fprintf(stderr, "dmctl log: no day files in '%s\\LogData'\n", dbdir.c_str());
            return 1;
        }
    } else if (byRange) {
        std::uint32_t from = 0, to = 0;
        if (const std::string error = dmctl::ReadTimeWindow(fromText, toText, from, to); !error.empty())
            return Usage(error);
        log.LoadRange(from, to);
    } else {
        log.LoadLegacy();
    }
    for (const auto& record : log.Records())
        PrintRecord(record);
    return 0;
}

int RunLog(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage("a command is needed");
    if (dmctl::IsHelpWord(args[0])) {
        std::printf("%s", kLogHelp);
        return 0;
    }
    if (args[0] != "list")
        return Usage("unknown command '" + args[0] + "'");
    const dmctl::Syntax syntax{1, 1, {"--scope", "--date", "--from", "--to"}, {"--legacy"}, {}};
    const dmctl::Words words = dmctl::ParseWords(std::vector<std::string>(args.begin() + 1, args.end()), syntax);
    if (words.help) {
        std::printf("%s", kLogHelp);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "DBDIR is missing" : words.error);
    return RunList(words);
}

dmctl::DmctlGroup logGroup("log", "the activity log: list records as the loaders see them", RunLog);

} // namespace dmctl::loggroup
