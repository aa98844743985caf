// dmctl policy: what the server component would decide for a caller, and why.

#include "common/timeformat.h"
#include "database/policyexplain.h"
#include "manager/core/checkaccess.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

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
    "  --at TIME           the moment: seconds since 1970 or \"YYYY-MM-DD HH:MM[:SS]\"\n"
    "                      in local time (default: now)\n"
    "  --groups G1,G2      the caller's global groups (DOMAIN\\group)\n"
    "  --local-groups L1   the caller's local groups on the server (SERVER\\group)\n"
    "  --network-groups    read the caller's groups from the network accounts, as the\n"
    "                      RAS service and the manager's Check Access do\n"
    "  --ports-held N      ports the account already holds where the component runs (0)\n"
    "  --csv               item,value,source lines for scripts; times in seconds since 1970\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl policy: %s\n\n%s", error.c_str(), kPolicyHelp);
    return 2;
}

bool ParseTime(const std::string& text, std::uint32_t& time)
{
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        errno = 0;
        const unsigned long long n = std::strtoull(text.c_str(), nullptr, 10);
        if (errno != 0 || n > 0xFFFFFFFFull)
            return false;
        time = static_cast<std::uint32_t>(n);
        return true;
    }
    std::tm fields{};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &fields.tm_year, &fields.tm_mon, &fields.tm_mday,
                    &fields.tm_hour, &fields.tm_min, &consumed) != 5)
        return false;
    if (text[std::size_t(consumed)] == ':') {
        int more = 0;
        if (std::sscanf(text.c_str() + consumed, ":%2d%n", &fields.tm_sec, &more) != 1)
            return false;
        consumed += more;
    }
    if (std::size_t(consumed) != text.size() || fields.tm_mon < 1 || fields.tm_mon > 12 || fields.tm_mday < 1 ||
        fields.tm_mday > 31 || fields.tm_hour > 23 || fields.tm_min > 59 || fields.tm_sec > 59)
        return false;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    const int day = fields.tm_mday;
    fields.tm_isdst = -1;
    const std::time_t t = std::mktime(&fields);
    if (t < 0 || t > 0xFFFFFFFFll || fields.tm_mday != day) // 31 February and the like roll over
        return false;
    time = static_cast<std::uint32_t>(t);
    return true;
}

std::vector<std::string> SplitNames(const std::string& list)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
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
    if (words.Has("--at") && !ParseTime(words.Get("--at"), at))
        return Usage("--at needs seconds since 1970 or \"YYYY-MM-DD HH:MM[:SS]\"");
    caller.globalGroups = SplitNames(words.Get("--groups"));
    caller.localGroups = SplitNames(words.Get("--local-groups"));
    int portsHeld = 0;
    if (words.Has("--ports-held")) {
        const std::string v = words.Get("--ports-held");
        if (v.empty() || v.size() > 4 || v.find_first_not_of("0123456789") != std::string::npos)
            return Usage("--ports-held needs a number from 0 to 9999");
        portsHeld = std::atoi(v.c_str());
    }
    const bool csv = words.Has("--csv");
    const std::string& dir = positional[0];
    caller.account = positional[1];
    if (caller.account.find('\\') == std::string::npos)
        return Usage("ACCOUNT is DOMAIN\\name");
    if (words.Has("--network-groups")) {
        if (words.Has("--groups") || words.Has("--local-groups"))
            return Usage("--network-groups reads the groups: --groups and --local-groups do not go with it");
        std::string problem;
        if (!dm::ReadCallerIdentity(caller.account, positional[2], caller, problem)) {
            std::fprintf(stderr, "dmctl policy: %s\n", problem.c_str());
            return 1;
        }
    }
    const dm::PolicyExplanation explanation =
        dm::ExplainCaller(dir, caller, positional[2], positional[3], at, portsHeld);
    const std::string text = csv ? dm::FormatExplanationCsv(explanation) : dm::FormatExplanation(explanation);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int RunPolicy(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage("missing command");
    if (dmctl::IsHelpWord(args[0])) {
        std::fputs(kPolicyHelp, stdout);
        return 0;
    }
    if (args[0] == "explain")
        return Explain(std::vector<std::string>(args.begin() + 1, args.end()));
    return Usage("unknown command '" + args[0] + "'");
}

} // namespace

static dmctl::DmctlGroup policy("policy", "what the server component would decide for a caller, and why",
                                RunPolicy);
