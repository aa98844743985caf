// dmctl greeting: the greeting a caller receives, merged from the rules of a
// database by the server component's own merge, as the manager's preview
// shows it.

#include "common/ansitext.h"
#include "common/numbers.h"
#include "database/hardwarefile.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "manager/core/greetingpreview.h"
#include "platform/files/pathresolver.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::greetinggroup {

const char* const kUsage =
    "Usage: dmctl greeting preview DBDIR [--user NAME] [--pms N] [--ums N] [--umt N] [--ucur N]\n\n"
    "Prints the greeting message merged from every active rule of DBDIR\\Dialmind.hw,\n"
    "exactly as the Greeting Messages dialog previews it (the message ends with a\n"
    "blank), or \"[NO RULES ACTIVE]\" when no rule is switched on.\n"
    "DBDIR is named the system's way (C:\\Dialmind, \\\\SERVER\\DM_NT_DB) or as a path\n"
    "of this machine. The variables take the preview's sample values unless given:\n"
    "  --user NAME   #UNAME, the user account name (John Doe)\n"
    "  --pms N       #PMS, the port's maximum session time in seconds (20)\n"
    "  --ums N       #UMS, the account's maximum session time in seconds (30)\n"
    "  --umt N       #UMT, the account's maximum total time in seconds (40)\n"
    "  --ucur N      #UCUR, the account's total time so far in seconds (50)\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl greeting: %s\n\n%s", error.c_str(), kUsage);
    return 2;
}

int RunGreeting(const std::vector<std::string>& args)
{
    if (!args.empty() && dmctl::IsHelpWord(args[0])) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.empty() || args[0] != "preview")
        return Usage(args.empty() ? "missing command" : "unknown command '" + args[0] + "'");
    const dmctl::Syntax syntax{1, 1, {"--user", "--pms", "--ums", "--umt", "--ucur"}, {}, {}};
    const dmctl::Words words = dmctl::ParseWords({args.begin() + 1, args.end()}, syntax);
    if (words.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "DBDIR is missing" : words.error);
    if (words.positional[0].empty())
        return Usage("DBDIR is empty");
    dm::GreetingValues values = dm::SampleGreetingValues();
    values.userName = words.Get("--user", values.userName);
    const std::pair<const char*, std::int32_t*> numbers[] = {{"--pms", &values.portMaxSession},
                                                            {"--ums", &values.userMaxSession},
                                                            {"--umt", &values.userMaxTotal},
                                                            {"--ucur", &values.userCurrentTotal}};
    for (const auto& [option, number] : numbers) {
        if (!words.Has(option))
            continue;
        const std::optional<std::int32_t> value = dm::ParseInt32(words.Get(option));
        if (!value)
            return Usage(std::string(option) + " takes a whole number of seconds, not '" + words.Get(option) +
                         "'");
        *number = *value;
    }
    if (!dmctl::CheckDatabaseDirectory(words.positional[0], "greeting") ||
        !dmctl::CheckDatabaseFiles("greeting", words.positional[0], true, false))
        return 1;
    const std::string file = dm::HardwareFileIn(words.positional[0]);
    const dm::ResolvedPath resolved = dm::ResolvePath(file);
    std::error_code ec;
    if (!resolved.ok() || !std::filesystem::is_regular_file(resolved.path, ec)) {
        std::fprintf(stderr, "dmctl greeting: there is no %s\n", file.c_str());
        return 1;
    }
    const dm::GreetingPreview preview = dm::PreviewGreeting(dm::LoadGreetingRules(file), values);
    std::printf("%s\n", dm::AnsiToUtf8(preview.text).c_str());
    return 0;
}

} // namespace dmctl::greetinggroup

static dmctl::DmctlGroup greetingGroup("greeting", "the merged greeting message of a database's rules",
                                       dmctl::greetinggroup::RunGreeting);
