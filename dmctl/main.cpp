// dmctl: the scriptable face of Dialminder's layers.

#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "platform/files/network.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dmctl {

static std::vector<GroupInfo>& Registry()
{
    static std::vector<GroupInfo> groups;
    return groups;
}

DmctlGroup::DmctlGroup(std::string name, std::string summary, GroupMain main)
{
    Registry().push_back({std::move(name), std::move(summary), std::move(main)});
}

const std::vector<GroupInfo>& Groups()
{
    auto& groups = Registry();
    std::sort(groups.begin(), groups.end(),
              [](const GroupInfo& a, const GroupInfo& b) { return a.name < b.name; });
    return groups;
}

bool WantsHelp(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h"; });
}

} // namespace dmctl

// Every group's output ends here: what could not be written (a full disk,
// a closed pipe) is a failure, whatever the group itself returned.
static int FinishOutput(int status)
{
    const bool lost = std::ferror(stdout) != 0;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (!lost && flushed && closed)
        return status;
    if (status == 0) {
        const int error = flushError != 0 ? flushError : errno;
        std::fprintf(stderr, "dmctl: the output could not be written%s%s\n", error != 0 ? ": " : "",
                     error != 0 ? std::strerror(error) : "");
    }
    return status != 0 ? status : 1;
}

static void PrintUsage(FILE* out)
{
    std::fprintf(out, "Usage: dmctl GROUP COMMAND [ARGS...]\n\n"
                      "Administers Dialminder's files, registry, RAS ports and emulated network\n"
                      "from scripts. 'dmctl GROUP --help' explains a group.\n\nGroups:\n");
    for (const auto& g : dmctl::Groups())
        std::fprintf(out, "  %-6s %s\n", g.name.c_str(), g.summary.c_str());
    std::fprintf(out, "\n%s", dmctl::kTimeWordHelp);
}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(stderr);
        return 1;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(stdout);
        return FinishOutput(0);
    }
    for (const auto& g : dmctl::Groups()) {
        if (g.name != args[0])
            continue;
        // No path may be formed from a local computer name that cannot be one.
        std::string problem;
        if (!dmctl::WantsHelp(args) && dm::Network::CheckLocalComputerName(&problem) != 0) {
            std::fprintf(stderr, "dmctl: %s\n", problem.c_str());
            return 1;
        }
        return FinishOutput(g.main(std::vector<std::string>(args.begin() + 1, args.end())));
    }
    std::fprintf(stderr, "dmctl: unknown group '%s'\n", args[0].c_str());
    PrintUsage(stderr);
    return 1;
}
