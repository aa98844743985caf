// What the manager does for its first screen on a large site: the document
// opened on a network whose RAS server has 10,000 ports, that server's ports
// listed with their users, and a domain of 20,000 accounts expanded in the
// tree. Targets on a 2-core machine: 10 s and 400 MB at most.

#include "common/userinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/core/networkaccounts.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/files/pathresolver.h"
#include "platform/registry/registry.h"

#include "bench/scratchnetwork.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

constexpr int kAccounts = 20000;
constexpr int kPorts = 10000;

using dm::bench::Check;

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    Check(static_cast<bool>(out), "write a file");
}

void BuildNetwork()
{
    dm::Network::Root();
    dm::RegKey local, entry;
    Check(dm::RegOpenLocalMachine(local) == 0, "open the local registry");
    Check(local.CreateKey("Software\\Osterhall Software\\Dialminder\\Servers\\RAS1", entry) == 0,
          "list the server");

    const fs::path dc = dm::Network::AddComputer("DC1");
    Check(dm::NetworkDirectory::AddDomain("CORP", "DC1", dm::NetworkDirectory::kWindowsProvider, ""),
          "add the domain");
    std::string accounts = "[Accounts]\r\nDomain=CORP\r\n";
    for (int a = 0; a < kAccounts; ++a)
        accounts += "\r\n[User:user" + std::to_string(a) + "]\r\nFullName=User " + std::to_string(a) +
                    "\r\nType=Normal\r\nRasPrivilege=9\r\n";
    WriteText(dc / "accounts.ini", accounts);

    const fs::path ras = dm::Network::AddComputer("RAS1");
    Check(dm::NetworkDirectory::AddServer("CORP", "RAS1"), "list the server in the domain");
    // The server component's settings: this server holds the database.
    dm::RegKey hive, component;
    Check(dm::RegOpenHive("RAS1", hive) == 0 &&
              hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", component) == 0 &&
              component.SetDword("Master", 1) == 0 &&
              component.SetString("MasterShare", "C:\\Dialmind") == 0,
          "install the server component");
    fs::create_directories(dm::ResolvePath("C:\\Dialmind").path / "LogData");
    std::string ports;
    for (int p = 0; p < kPorts; ++p) {
        ports += "[PORT" + std::to_string(p) + "]\r\nDeviceType=Modem\r\nDeviceName=Modem\r\n"
                 "MediaName=rasser\r\nLineCondition=" + std::string(p % 2 ? "4" : "6") + "\r\n";
        if (p % 2 == 0)
            ports += "User=user" + std::to_string(p) + "\r\nLogonDomain=CORP\r\nSessionStart=1000\r\n";
    }
    WriteText(ras / "ras.ini", ports);
}

void BM_FirstScreen_10kPorts_20kAccounts(benchmark::State& state)
{
    dm::ConsoleMessages ui("bench_large_network");
    std::size_t users = 0;
    int ports = 0;
    for (auto _ : state) {
        dm::CDMDoc doc(ui);
        doc.OnNewDocument();
        doc.RefreshDocument();
        if (doc.Servers().empty() || !doc.RefreshServerPorts(0)) {
            state.SkipWithError("the server's ports could not be listed");
            return;
        }
        ports = doc.Servers()[0].portCount;
        const auto controller = dm::NetworkAccounts::FindDomainController("CORP");
        if (!controller) {
            state.SkipWithError("no controller for the domain");
            return;
        }
        users = dm::NetworkAccounts::Users(*controller).size();
    }
    if (ports != kPorts || users != kAccounts)
        state.SkipWithError("not every port or account was listed");
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["ports"] = ports;
    state.counters["accounts"] = static_cast<double>(users);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_FirstScreen_10kPorts_20kAccounts)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return dm::bench::RunOnScratchNetwork(argc, argv, BuildNetwork, [](const dm::bench::KeepingReporter& r) {
        using T = dm::bench::Targets;
        T targets;
        const char* name = "BM_FirstScreen_10kPorts_20kAccounts";
        targets.AtMost("first screen, 10,000 ports and 20,000 accounts", T::Seconds(r, name), 10, "s");
        targets.AtMost("first screen, peak memory", T::Counter(r, name, "peak_MB"), 400, "MB");
        return targets.Verdict();
    });
}
