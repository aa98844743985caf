#include "dmctl/policyedit.h"

#include "dmctl/arguments.h"
#include "dmctl/database.h"
#include "manager/core/policyedits.h"

#include <cstdio>

namespace dmctl {

const char kPolicyEditHelp[] =
    "       dmctl policy show DBDIR TARGET\n"
    "       dmctl policy set DBDIR TARGET NAME=VALUE...\n\n"
    "show prints NAME=VALUE lines of what the editor of TARGET shows, read from the\n"
    "files now. set applies the values the way the editor's Apply does: each value\n"
    "is checked as the editor checks it, and only the named keys that change are\n"
    "written, under the file's lock; what other writers wrote stays. A refused value\n"
    "prints the editor's message, writes nothing and exits 2. Counters (TotalTime,\n"
    "TotalConnects, FirstConnection, LastConnection, PeriodUsage, PeriodStamp,\n"
    "TotalDenieds, Lasted) are the server component's and are refused.\n\n"
    "TARGET is one of\n"
    "  --user DOMAIN\\name    an account's section of Dialmind.usr\n"
    "  --group SOURCE\\group  a group's section (+SOURCE\\group) of Dialmind.usr\n"
    "  --port SERVER\\PORT    a port's section of Dialmind.hw\n"
    "  --default            the default profile, --notifications the two notices,\n"
    "  --greetings          the greeting rules, all of Dialmind.hw\n\n"
    "NAME is the key in the file (MaxSessionTime, MaxTotalTime, ExpiryTime, PeriodMax,\n"
    "PeriodType, NoDuplicate, StaticIP, AllowedUser, AllowedGroup, AssignDefault,\n"
    "Notify1, Notify1Text, RuleMask, Rule0Text, ...). VALUE: seconds and days in\n"
    "decimal, PeriodType 0 none, 1 24 Hours, 2 Week, 3 Month; flags 0 or 1;\n"
    "StaticIP as a.b.c.d (0.0.0.0 for none); lists as names separated by \";\".\n";

namespace policyedit {

const char kUsage[] = "Usage: dmctl policy show DBDIR TARGET\n"
                      "       dmctl policy set DBDIR TARGET NAME=VALUE...\n"
                      "See dmctl policy --help.\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl policy: %s\n%s", error.c_str(), kUsage);
    return 2;
}

const Syntax kSyntax{1, Syntax::Unlimited, {"--user", "--group", "--port"},
                     {"--default", "--notifications", "--greetings"}, {}};

// The target the options name; an error text when there is not exactly one.
std::string TargetOf(const Words& words, dm::PolicyTarget& target)
{
    int named = 0;
    const auto take = [&](const char* option, dm::PolicyEditor editor) {
        if (!words.Has(option))
            return;
        ++named;
        target.editor = editor;
        target.name = words.Get(option);
    };
    take("--user", dm::PolicyEditor::User);
    take("--group", dm::PolicyEditor::Group);
    take("--port", dm::PolicyEditor::Port);
    take("--default", dm::PolicyEditor::Default);
    take("--notifications", dm::PolicyEditor::Notifications);
    take("--greetings", dm::PolicyEditor::Greetings);
    if (named != 1)
        return "name one TARGET: --user, --group, --port, --default, --notifications or --greetings";
    const bool named2 = target.editor == dm::PolicyEditor::User || target.editor == dm::PolicyEditor::Group ||
                        target.editor == dm::PolicyEditor::Port;
    if (named2) {
        const std::size_t slash = target.name.find('\\');
        if (slash == std::string::npos || slash == 0 || slash + 1 == target.name.size())
            return "the target's name is two parts joined by a backslash (DOMAIN\\name, SERVER\\PORT)";
    }
    return {};
}

} // namespace policyedit

using policyedit::kSyntax;
using policyedit::TargetOf;
using policyedit::Usage;

int ShowPolicyCommand(const std::vector<std::string>& args)
{
    const Words words = ParseWords(args, {1, 1, kSyntax.valued, kSyntax.flags, {}});
    if (words.help) {
        std::fputs(kPolicyEditHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "show needs DBDIR and a TARGET" : words.error);
    dm::PolicyTarget target;
    if (const std::string error = TargetOf(words, target); !error.empty())
        return Usage(error);
    if (!CheckDatabaseDirectory(words.positional[0], "policy"))
        return 1;
    for (const auto& [name, value] : dm::ShowPolicy(words.positional[0], target))
        std::printf("%s=%s\n", name.c_str(), value.c_str());
    return 0;
}

int SetPolicyCommand(const std::vector<std::string>& args)
{
    const Words words = ParseWords(args, kSyntax);
    if (words.help) {
        std::fputs(kPolicyEditHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "set needs DBDIR, a TARGET and NAME=VALUE" : words.error);
    dm::PolicyTarget target;
    if (const std::string error = TargetOf(words, target); !error.empty())
        return Usage(error);
    if (words.positional.size() < 2)
        return Usage("set needs at least one NAME=VALUE");
    if (!CheckDatabaseDirectory(words.positional[0], "policy"))
        return 1;
    dm::PolicyValues changes;
    for (std::size_t i = 1; i < words.positional.size(); ++i) {
        const std::string& pair = words.positional[i];
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos || equals == 0)
            return Usage("'" + pair + "' is not NAME=VALUE");
        changes.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
    }
    const dm::PolicySetResult result = dm::SetPolicy(words.positional[0], target, changes);
    if (result.outcome == dm::PolicySetResult::Written)
        return 0;
    std::fprintf(stderr, "dmctl policy: %s\n", result.message.c_str());
    return result.outcome == dm::PolicySetResult::Refused ? 2 : 1;
}

} // namespace dmctl
