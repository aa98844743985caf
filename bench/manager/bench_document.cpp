// The manager's start-up and refresh on a company-sized network: 10 servers
// with 256 ports each, 5,000 accounts and 30 days of history.

#include "common/activitylog.h"
#include "common/logrecord.h"
#include "common/timeformat.h"
#include "manager/core/dmdoc.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "platform/registry/registry.h"

#include "bench/scratchnetwork.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kServers = 10;
constexpr int kPorts = 256;
constexpr int kAccounts = 5000;
constexpr int kDays = 30;
constexpr int kSessionsPerServerAndDay = 100;
constexpr const char* kDatabase = "C:\\Dialmind";

std::string ServerName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "RAS%02d", i);
    return name;
}

std::string PortName(int i) { return "COM" + std::to_string(i + 1); }

using dm::bench::Check;

void BuildNetwork()
{
    dm::Network::Root();
    dm::RegKey local, list;
    Check(dm::RegOpenLocalMachine(local) == 0, "open the local registry");
    dm::RegKey system;
    Check(local.CreateKey("Software\\Osterhall Software\\Dialminder\\System", system) == 0,
          "create the settings key");
    system.SetDword("BrowseScope", 4); // all day files: the whole month is read

    // One server's ports are built through the port store, the others copy them.
    fs::path firstRas;
    for (int s = 0; s < kServers; ++s) {
        const std::string name = ServerName(s);
        const fs::path dir = dm::Network::AddComputer(name);
        dm::RegKey hive, key, entry;
        Check(dm::RegOpenHive(name, hive) == 0, "open a server hive");
        Check(hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", key) == 0, "create AdminDLL");
        if (s == 0) {
            key.SetDword("Master", 1);
            key.SetString("MasterShare", kDatabase);
            dm::RasPortStore store(name);
            for (int p = 0; p < kPorts; ++p) {
                dm::RasPortRecord port;
                port.name = PortName(p);
                port.deviceType = "modem";
                port.lineCondition = p % 3 == 0 ? 6 : 4;
                if (p % 3 == 0) {
                    port.user = "user" + std::to_string(p);
                    port.logonDomain = "CORP";
                    port.sessionStart = dm::NowTime() - 600;
                }
                Check(store.SavePort(port) == 0, "save a port");
            }
            firstRas = store.IniPath();
        } else {
            fs::copy_file(firstRas, dir / firstRas.filename(), fs::copy_options::overwrite_existing);
        }
        Check(local.CreateKey("Software\\Osterhall Software\\Dialminder\\Servers\\" + name, entry) == 0,
              "list a server");
    }

    const fs::path db = dm::ResolvePath(kDatabase).path;
    fs::create_directories(db / "LogData");
    dm::ProfileBatch hardware(std::string(kDatabase) + "\\Dialmind.hw");
    for (int s = 0; s < kServers; ++s)
        for (int p = 0; p < kPorts; ++p)
            hardware.Write(ServerName(s) + "\\" + PortName(p), "MaxSessionTime", "3600");
    hardware.Write("General", "Notify1", "60");
    Check(hardware.Commit(), "write Dialmind.hw");

    dm::ProfileBatch users(std::string(kDatabase) + "\\Dialmind.usr");
    for (int a = 0; a < kAccounts; ++a) {
        const std::string section = "CORP\\user" + std::to_string(a);
        users.Write(section, "TotalTime", std::to_string(a * 60));
        users.Write(section, "TotalConnects", std::to_string(a % 50));
        users.Write(section, "FirstConnection", std::to_string(dm::NowTime() - 86400 * 40));
        users.Write(section, "MaxTotalTime", "360000");
        users.Write(section, "PeriodType", "2");
    }
    for (int g = 0; g < 20; ++g)
        users.Write("+CORP\\Group" + std::to_string(g), "MaxSessionTime", "7200");
    Check(users.Commit(), "write Dialmind.usr");

    const std::uint32_t today = dm::StartOfLocalDay(dm::NowTime());
    for (int d = 0; d < kDays; ++d) {
        const std::uint32_t day = dm::AddLocalDays(today, -d);
        dm::ProfileBatch log(dm::DayLogPath(kDatabase, day));
        for (int s = 0; s < kServers; ++s)
            for (int n = 0; n < kSessionsPerServerAndDay; ++n) {
                const std::uint32_t start = day + 300 + static_cast<std::uint32_t>(n) * 800;
                const std::string user = "CORP\\user" + std::to_string((n * 37 + s) % kAccounts);
                const std::string section = dm::LogSectionName(ServerName(s), PortName(n % kPorts));
                log.Write(section, dm::FormatLogKey(start), dm::FormatConnectValue(user));
                log.Write(section, dm::FormatLogKey(start + 600),
                          dm::FormatHangupValue(600, user, 0x0A000001u + static_cast<std::uint32_t>(n), 0, "", ""));
            }
        Check(log.Commit(), "write a day file");
    }
}

void BM_NewDocumentAndRefresh(benchmark::State& state)
{
    dm::SilentInteraction ui;
    std::size_t records = 0, accounts = 0;
    for (auto _ : state) {
        dm::CDMDoc doc(ui);
        doc.OnNewDocument();
        doc.RefreshDocument();
        records = doc.Log().Count();
        accounts = doc.UserTable().size();
    }
    Check(accounts == kAccounts, "load every account");
    state.counters["records"] = static_cast<double>(records);
    state.counters["accounts"] = static_cast<double>(accounts);
}
BENCHMARK(BM_NewDocumentAndRefresh)->Unit(benchmark::kMillisecond)->Iterations(3);

// What expanding every server in the tree costs: all port tables with users.
void BM_RefreshAllServerPorts(benchmark::State& state)
{
    dm::SilentInteraction ui;
    dm::CDMDoc doc(ui);
    doc.OnNewDocument();
    int ports = 0;
    for (auto _ : state) {
        ports = 0;
        for (int s = 0; s < static_cast<int>(doc.Servers().size()); ++s) {
            doc.RefreshServerPorts(s);
            ports += doc.Servers()[static_cast<std::size_t>(s)].portCount;
        }
    }
    Check(ports == kServers * kPorts, "enumerate every port");
    state.counters["ports"] = ports;
}
BENCHMARK(BM_RefreshAllServerPorts)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // These figures have no target of their own; each must be there.
    return dm::bench::RunOnScratchNetwork(argc, argv, BuildNetwork, [](const dm::bench::KeepingReporter& r) {
        dm::bench::Targets targets;
        for (const char* name : {"BM_NewDocumentAndRefresh", "BM_RefreshAllServerPorts"})
            targets.Holds(std::string(name) + " measured", r.Find(name) != nullptr);
        return targets.Verdict();
    });
}
