// dmctl net: create and change an emulated network. The subcommands of this
// file build computers, shares, reachability and services; others register
// themselves from their own files (dmctl/netcommands.h).

#include "common/numbers.h"
#include "dmctl/command.h"
#include "dmctl/netcommands.h"
#include "platform/system/computersetup.h"
#include "platform/system/netbuiltin.h"
#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"
#include "platform/system/services.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace dmctl {

static std::vector<NetCommandInfo>& NetTable()
{
    static std::vector<NetCommandInfo> table;
    return table;
}

NetCommand::NetCommand(std::string name, std::string usage, std::string summary, NetMain main)
{
    NetTable().push_back({std::move(name), std::move(usage), std::move(summary), std::move(main)});
}

const std::vector<NetCommandInfo>& NetCommands()
{
    auto& table = NetTable();
    std::sort(table.begin(), table.end(),
              [](const NetCommandInfo& a, const NetCommandInfo& b) { return a.name < b.name; });
    return table;
}

static void PrintCommandHelp(const NetCommandInfo& c)
{
    std::printf("Usage: dmctl net %s %s\n\n%s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
}

bool ReadNetWords(const std::string& command, const std::vector<std::string>& raw,
                  const Syntax& syntax, Words& words, int& status)
{
    words = ParseWords(raw, syntax);
    const NetCommandInfo* info = nullptr;
    for (const auto& c : NetCommands()) {
        if (c.name == command)
            info = &c;
    }
    if (words.help) {
        if (info != nullptr)
            PrintCommandHelp(*info);
        status = 0;
        return false;
    }
    if (!words.error.empty()) {
        std::fprintf(stderr, "dmctl net %s: %s\n", command.c_str(), words.error.c_str());
        if (info != nullptr)
            std::fprintf(stderr, "Usage: dmctl net %s %s\n", info->name.c_str(), info->usage.c_str());
        status = 1;
        return false;
    }
    return true;
}

int FailWithWinError(const std::string& group, const std::string& what, unsigned long error)
{
    std::fprintf(stderr, "dmctl %s: %s: error %lu (%s)\n", group.c_str(), what.c_str(), error,
                 dm::WinErrorName(error).c_str());
    return 2;
}

} // namespace dmctl

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::netgroup {

int Fail(const std::string& text)
{
    std::fprintf(stderr, "dmctl net: %s\n", text.c_str());
    return 1;
}

// The computer's folder, or an error message and nullopt.
std::optional<fs::path> Existing(const std::string& computer)
{
    auto dir = dm::Network::ComputerDir(computer == "." ? "" : computer);
    if (!dir)
        dmctl::FailWithWinError("net", "no computer '" + computer + "'", dm::winerr::BadNetPath);
    return dir;
}

int RunInit(const std::vector<std::string>& raw)
{
    dmctl::Words words;
    int status = 0;
    if (!dmctl::ReadNetWords("init", raw, {0, 1, {}, {}, {}}, words, status))
        return status;
    const auto& args = words.positional;
    if (args.size() == 1) {
        std::error_code ec;
        fs::path dir = fs::absolute(args[0], ec);
        fs::create_directories(dir, ec);
        if (!fs::is_directory(dir, ec))
            return Fail("cannot create '" + args[0] + "'");
        ::setenv("DIALMIND_NETWORK", dir.c_str(), 1);
    }
    const fs::path root = dm::Network::Root();
    const std::string local = dm::Network::LocalComputerName();
    if (dm::PrepareComputer(local).empty())
        return Fail("the local computer name '" + local + "' cannot be used (set DIALMIND_COMPUTERNAME)");
    std::printf("network %s, local computer %s\n", root.c_str(), local.c_str());
    if (args.size() == 1)
        std::printf("use it with: export DIALMIND_NETWORK=%s\n", root.c_str());
    return 0;
}

int RunAddComputer(const std::vector<std::string>& raw)
{
    dmctl::Words words;
    int status = 0;
    if (!dmctl::ReadNetWords("add-computer", raw, {1, 1, {}, {}, {}}, words, status))
        return status;
    const auto& args = words.positional;
    const fs::path dir = dm::PrepareComputer(args[0]);
    if (dir.empty())
        return dmctl::FailWithWinError("net", "'" + args[0] + "' cannot be a computer name", dm::winerr::InvalidName);
    std::printf("%s\n", dir.c_str());
    return 0;
}

int RunShare(const std::vector<std::string>& raw)
{
    dmctl::Words words;
    int status = 0;
    if (!dmctl::ReadNetWords("share", raw, {3, 3, {}, {}, {}}, words, status))
        return status;
    const auto& args = words.positional;
    if (unsigned long error = dm::SetShare(args[0] == "." ? "" : args[0], args[1], args[2]))
        return dmctl::FailWithWinError("net", "cannot share '" + args[1] + "'", error);
    return 0;
}

int RunOffline(const std::vector<std::string>& raw)
{
    dmctl::Words words;
    int status = 0;
    if (!dmctl::ReadNetWords("offline", raw, {2, 2, {}, {}, {}}, words, status))
        return status;
    const auto& args = words.positional;
    if (args[1] != "on" && args[1] != "off")
        return Fail("offline takes COMPUTER on|off");
    if (!Existing(args[0]))
        return 2;
    if (!dm::Network::SetReachable(args[0] == "." ? "" : args[0], args[1] == "off"))
        return Fail("cannot write machine.ini of " + args[0]);
    return 0;
}

const std::pair<const char*, unsigned long> kStateNames[] = {
    {"stopped", dm::service::Stopped},          {"start-pending", dm::service::StartPending},
    {"stop-pending", dm::service::StopPending}, {"running", dm::service::Running},
    {"continue-pending", dm::service::ContinuePending}, {"pause-pending", dm::service::PausePending},
    {"paused", dm::service::Paused},
};

int RunService(const std::vector<std::string>& raw)
{
    dmctl::Words words;
    int status = 0;
    if (!dmctl::ReadNetWords("service", raw, {3, 3, {}, {}, {}}, words, status))
        return status;
    const auto& args = words.positional;
    if (!Existing(args[0]))
        return 2;
    const std::string computer = args[0] == "." ? "" : args[0];
    if (args[2] == "none")
        return dm::RemoveService(computer, args[1]) ? 0 : Fail("cannot write services.ini");
    unsigned long state = 0;
    for (const auto& [name, number] : kStateNames) {
        if (args[2] == name)
            state = number;
    }
    if (state == 0) {
        state = dm::ParseUInt32(args[2]).value_or(0);
        if (state < 1 || state > 7)
            return Fail("unknown state '" + args[2] + "'");
    }
    return dm::SetServiceState(computer, args[1], state) ? 0 : Fail("cannot write services.ini");
}

// The lines of a message log; nothing when it is no regular file (a FIFO
// would wait for a writer for good).
std::size_t CountLines(const fs::path& file)
{
    std::string text;
    if (dm::ReadRegularFile(file, text) != 0)
        return 0;
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

int RunShow(const std::vector<std::string>& raw)
{
    dmctl::Words words;
    int status = 0;
    if (!dmctl::ReadNetWords("show", raw, {0, 0, {}, {}, {}}, words, status))
        return status;
    const fs::path root = dm::Network::Root();
    const std::string local = dm::Network::LocalComputerName();
    std::printf("Network %s\n", root.c_str());
    std::error_code ec;
    if (fs::exists(root / "messages.log", ec))
        std::printf("  undeliverable messages: %zu lines\n", CountLines(root / "messages.log"));
    for (const auto& name : dm::Network::Computers()) {
        const fs::path dir = *dm::Network::ComputerDir(name);
        std::printf("\n%s%s%s\n", name.c_str(), name == local ? " (this computer)" : "",
                    dm::Network::IsReachable(name) ? "" : " [offline]");
        dm::RegKey hive;
        if (dm::RegOpenHive(name, hive) == 0)
            std::printf("  registry: %zu top-level keys\n", hive.SubKeyNames().size());
        const std::string shares = (dir / "shares.ini").string();
        for (const auto& share : dm::GetPrivateProfileKeyNames("Shares", shares))
            std::printf("  share %s = %s\n", share.c_str(),
                        dm::GetPrivateProfileString("Shares", share, "", shares).c_str());
        for (const auto& [service, state] : dm::GetPrivateProfileSection("Services", (dir / "services.ini").string()))
            std::printf("  service %s: state %s\n", service.c_str(), state.c_str());
        if (fs::exists(dir / "ras.ini", ec))
            std::printf("  RAS: %zu ports\n", dm::GetPrivateProfileSectionNames((dir / "ras.ini").string()).size());
        if (fs::exists(dir / "accounts.ini", ec))
            std::printf("  accounts: %zu entries\n",
                        dm::GetPrivateProfileSectionNames((dir / "accounts.ini").string()).size());
        if (fs::exists(dir / "messages.log", ec))
            std::printf("  messages: %zu lines\n", CountLines(dir / "messages.log"));
    }
    return 0;
}

dmctl::NetCommand init("init", "[DIR]", "create a network (at DIR, else the default root) with the local computer", RunInit);
dmctl::NetCommand addComputer("add-computer", "NAME", "add a computer (or complete one) with a fresh registry and win.ini", RunAddComputer);
dmctl::NetCommand share("share", "COMPUTER SHARE PATH", "share a directory (\"C:\\Dialmind\") of a computer", RunShare);
dmctl::NetCommand offline("offline", "COMPUTER on|off", "make a computer unreachable (on) or reachable again (off)", RunOffline);
dmctl::NetCommand service("service", "COMPUTER NAME STATE", "set a service's state: 1-7, stopped, running, paused..., or none", RunService);
dmctl::NetCommand show("show", "", "print what the network holds", RunShow);

void PrintNetHelp(FILE* out)
{
    std::fprintf(out,
                 "Usage: dmctl net COMMAND ARGS...\n\n"
                 "Creates and changes the emulated Windows network ($DIALMIND_NETWORK, else\n"
                 "$XDG_DATA_HOME/dialminder/network). COMPUTER is \"\\\\NAME\", \"NAME\" or \".\" for\n"
                 "the local computer. The files are described in docs/network.md.\n\nCommands:\n");
    for (const auto& c : dmctl::NetCommands())
        std::fprintf(out, "  %s %s\n      %s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
}

int RunNet(const std::vector<std::string>& args)
{
    if (args.empty() || ((args[0] == "--help" || args[0] == "-h" || args[0] == "help") && args.size() == 1)) {
        PrintNetHelp(args.empty() ? stderr : stdout);
        return args.empty() ? 1 : 0;
    }
    for (const auto& c : dmctl::NetCommands()) {
        if (c.name != args[0])
            continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (!rest.empty() && dmctl::IsHelpWord(rest[0])) {
            dmctl::PrintCommandHelp(c);
            return 0;
        }
        return c.main(rest);
    }
    std::fprintf(stderr, "dmctl net: unknown command '%s'\n\n", args[0].c_str());
    PrintNetHelp(stderr);
    return 1;
}

dmctl::DmctlGroup net("net", "the emulated network: computers, shares, reachability, services", RunNet);

} // namespace dmctl::netgroup
