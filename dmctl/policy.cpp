// dmctl policy: what the server component would decide for a caller, and why.

#include "common/ansitext.h"
#include "common/numbers.h"
#include "common/text.h"
#include "common/timeformat.h"
#include "database/policyexplain.h"
#include "manager/core/checkaccess.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "dmctl/policyedit.h"

#include <cstdio>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::policygroup {

const char kPolicyHelp[] =
    "Usage: dmctl policy explain DBDIR ACCOUNT SERVER PORT [--at TIME] [--groups G1,G2]\n"
    "                            [--local-groups L1,L2] [--network-groups]\n"
    "                            [--ports-held N] [--csv]\n\n"
    "Tells what the server component would decide for ACCOUNT (DOMAIN\\name) calling\n"
    "on SERVER's PORT, by the policies in DBDIR's Dialmind.hw and Dialmind.usr (DBDIR is\n"
    "a system path such as \"\\\\MASTER\\DM_NT_DB\" or a path of this machine): admitted\n"
    "or denied with the reason the history shows; each limit with the section that\n"
    "supplied it (the account's own, a \"+DOMAIN\\group\", or the default profile); time\n"
    "used and left; the expiry; when the session would be cut and why; the static IP,\n"
    "the greeting and the two notices it would receive. Nothing is written.\n\n"
    "  --at TIME           the moment: seconds since 1970 or \"YYYY-MM-DD[ HH:MM[:SS]]\"\n"
    "                      in local time (default: now; see dmctl --help)\n"
    "  --groups G1,G2      the caller's global groups (DOMAIN\\group)\n"
    "  --local-groups L1   the caller's local groups on the server (SERVER\\group)\n"
    "  --network-groups    read the caller's groups from the network accounts, as the\n"
    "                      RAS service and the manager's Check Access do\n"
    "  --ports-held N      ports the account already holds where the component runs (0)\n"
    "  --csv               item,value,source lines for scripts; times in seconds since 1970\n\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl policy: %s\n\n%s", error.c_str(), kPolicyHelp);
    return 2;
}

int Explain(const std::vector<std::string>& args)
{
    const dmctl::Syntax syntax{4, 4, {"--at", "--groups", "--local-groups", "--ports-held"}, {"--csv", "--network-groups"}, {}};
    const dmctl::Words words = dmctl::ParseWords(args, syntax);
    if (words.help) {
        std::fputs(kPolicyHelp, stdout);
        return 0;
    }
    if (words.error == "missing arguments")
        return Usage("explain needs DBDIR, ACCOUNT, SERVER and PORT");
    if (!words.error.empty())
        return Usage(words.error);
    const std::vector<std::string>& positional = words.positional;
    dm::CallerIdentity caller;
    std::uint32_t at = dm::NowTime();
    if (words.Has("--at")) {
        if (const std::string error = dmctl::ReadTime("--at", words.Get("--at"), at); !error.empty())
            return Usage(error);
    }
    caller.globalGroups = dm::SplitList(words.Get("--groups"));
    caller.localGroups = dm::SplitList(words.Get("--local-groups"));
    int portsHeld = 0;
    if (words.Has("--ports-held")) {
        const std::optional<std::int32_t> held = dm::ParseInt32(words.Get("--ports-held"));
        if (!held || *held < 0 || *held > 9999)
            return Usage("--ports-held needs a number from 0 to 9999");
        portsHeld = *held;
    }
    const bool csv = words.Has("--csv");
    const std::string& dir = positional[0];
    caller.account = positional[1];
    if (caller.account.find('\\') == std::string::npos)
        return Usage("ACCOUNT is DOMAIN\\name");
    const bool networkGroups = words.Has("--network-groups");
    if (networkGroups && (words.Has("--groups") || words.Has("--local-groups")))
        return Usage("--network-groups reads the groups: --groups and --local-groups do not go with it");
    if (!dmctl::CheckDatabaseDirectory(dir, "policy") ||
        !dmctl::CheckDatabaseFiles("policy explain", dir, true, true))
        return 1;
    if (networkGroups) {
        std::string problem;
        if (!dm::ReadCallerIdentity(caller.account, positional[2], caller, problem)) {
            std::fprintf(stderr, "dmctl policy: %s\n", problem.c_str());
            return 1;
        }
    }
    const dm::PolicyExplanation explanation =
        dm::ExplainCaller(dir, caller, positional[2], positional[3], at, portsHeld);
    // Names in the text are shown as every window shows them (QuotedCsvField
    // does the same for the CSV form).
    const std::string text =
        csv ? dm::FormatExplanationCsv(explanation) : dm::AnsiToUtf8(dm::FormatExplanation(explanation));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int RunPolicy(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage("missing command");
    if (dmctl::IsHelpWord(args[0])) {
        std::fputs(kPolicyHelp, stdout);
        std::fputs(dmctl::kPolicyEditHelp, stdout);
        return 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "explain")
        return Explain(rest);
    if (args[0] == "show")
        return dmctl::ShowPolicyCommand(rest);
    if (args[0] == "set")
        return dmctl::SetPolicyCommand(rest);
    return Usage("unknown command '" + args[0] + "'");
}

} // namespace dmctl::policygroup

static dmctl::DmctlGroup policy("policy", "what the server component would decide for a caller, and why; "
                                "the policy editors for scripts (show, set)",
                                dmctl::policygroup::RunPolicy);
