// The emulated network at the sizes large sites reach: a domain of 100,000
// accounts, a server with 10,000 RAS ports, a registry key with 10,000
// sub-keys. Targets on a 2-core machine: one permission read 50 ms, all
// accounts in 10,000-byte batches 2 s, the port enumeration with every
// port's details 1 s, listing 10,000 sub-keys 0.3 s, importing 10,000 keys
// 2 s.

#include "platform/accounts/netapi.h"
#include "platform/files/network.h"
#include "platform/ras/rassapi/rassapi.h"
#include "platform/registry/registry.h"
#include "platform/system/widetext.h"

#include "bench/scratchnetwork.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

constexpr int kAccounts = 100000;
constexpr int kPorts = 10000;
constexpr int kSubKeys = 10000;
constexpr std::uint32_t kBatchBytes = 10000; // what the manager asks for

using dm::bench::Check;

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    Check(static_cast<bool>(out), "write a file");
}

fs::path AccountsFile() { return *dm::Network::ComputerDir("DC1") / "accounts.ini"; }

std::string AccountsText()
{
    std::string text = "[Accounts]\r\nDomain=CORP\r\n";
    for (int a = 0; a < kAccounts; ++a) {
        const std::string n = std::to_string(a);
        text += "\r\n[User:user" + n + "]\r\nFullName=User Number " + n + "\r\nComment=Staff\r\n"
                "Type=Normal\r\nDisabled=0\r\nRasPrivilege=" + std::to_string(a % 2 ? 9 : 1) +
                "\r\nCallbackNumber=\r\n";
    }
    return text;
}

void BuildNetwork()
{
    dm::Network::Root();
    dm::Network::AddComputer("DC1");
    WriteText(AccountsFile(), AccountsText());

    const fs::path ras = dm::Network::AddComputer("RAS1");
    std::string ports;
    for (int p = 0; p < kPorts; ++p) {
        ports += "[PORT" + std::to_string(p) + "]\r\nDeviceType=Modem\r\nDeviceName=Modem\r\n"
                 "MediaName=rasser\r\nMediaType=1\r\nLineCondition=" + std::string(p % 3 ? "4" : "6") +
                 "\r\nLineSpeed=115200\r\n";
        if (p % 3 == 0)
            ports += "User=user" + std::to_string(p) + "\r\nLogonDomain=CORP\r\nSessionStart=1000\r\n";
        ports += "BytesTransmitted=" + std::to_string(p * 17) + "\r\n";
    }
    WriteText(ras / "ras.ini", ports);
}

std::string ManyKeysImport(const std::string& below)
{
    std::string text = "REGEDIT4\r\n";
    for (int k = 0; k < kSubKeys; ++k)
        text += "\r\n[HKEY_LOCAL_MACHINE\\" + below + "\\Key" + std::to_string(k) + "]\r\n\"Value\"=\"" +
                std::to_string(k) + "\"\r\n";
    return text;
}

// One account's RAS permission, the accounts file unchanged since the last read.
void BM_PermissionRead_100kAccounts(benchmark::State& state)
{
    const std::u16string server = dm::ToWide("\\\\DC1");
    RAS_USER_0 first{};
    Check(RasAdminUserGetInfo(server.c_str(), u"user1", &first) == 0, "read a permission");
    int n = 0;
    for (auto _ : state) {
        const std::u16string user = dm::ToWide("user" + std::to_string((n++ * 7919) % kAccounts));
        RAS_USER_0 info{};
        Check(RasAdminUserGetInfo(server.c_str(), user.c_str(), &info) == 0, "read a permission");
        benchmark::DoNotOptimize(info);
    }
}
BENCHMARK(BM_PermissionRead_100kAccounts)->Unit(benchmark::kMicrosecond);

// The same read right after the file changed: it is read and indexed again.
void BM_PermissionReadAfterChange_100kAccounts(benchmark::State& state)
{
    const std::u16string server = dm::ToWide("\\\\DC1");
    const std::u16string user = dm::ToWide("user77777");
    for (auto _ : state) {
        state.PauseTiming();
        struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
        Check(::utimensat(AT_FDCWD, AccountsFile().c_str(), times, 0) == 0, "touch the accounts");
        state.ResumeTiming();
        RAS_USER_0 info{};
        Check(RasAdminUserGetInfo(server.c_str(), user.c_str(), &info) == 0, "read a permission");
        Check(info.bfPrivilege == 9, "read the right permission");
    }
}
BENCHMARK(BM_PermissionReadAfterChange_100kAccounts)->Unit(benchmark::kMillisecond)->Iterations(5);

// Every account in 10,000-byte batches, as the manager's tree lists a domain.
void BM_UserEnumInBatches_100kAccounts(benchmark::State& state)
{
    const std::u16string server = dm::ToWide("\\\\DC1");
    std::size_t listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
        Check(::utimensat(AT_FDCWD, AccountsFile().c_str(), times, 0) == 0, "touch the accounts");
        state.ResumeTiming();
        listed = 0;
        std::uint32_t resume = 0;
        dm::NET_API_STATUS status = 0;
        do {
            std::uint8_t* buffer = nullptr;
            std::uint32_t read = 0, total = 0;
            status = dm::NetUserEnum(server.c_str(), 0, dm::FILTER_NORMAL_ACCOUNT, &buffer, kBatchBytes,
                                     &read, &total, &resume);
            listed += read;
            dm::NetApiBufferFree(buffer);
        } while (status == 234);
        Check(status == 0, "enumerate the accounts");
    }
    Check(listed == kAccounts, "list every account");
    state.counters["accounts"] = static_cast<double>(listed);
}
BENCHMARK(BM_UserEnumInBatches_100kAccounts)->Unit(benchmark::kMillisecond)->Iterations(3);

// The display listing the users pane reads, in batches of 100 entries.
void BM_DisplayInformationInBatches_100kAccounts(benchmark::State& state)
{
    const std::u16string server = dm::ToWide("\\\\DC1");
    std::size_t listed = 0;
    for (auto _ : state) {
        listed = 0;
        std::uint32_t index = 0;
        dm::NET_API_STATUS status = 0;
        do {
            void* buffer = nullptr;
            std::uint32_t count = 0;
            status = dm::NetQueryDisplayInformation(server.c_str(), 1, index, 100, kBatchBytes, &count, &buffer);
            if (count > 0)
                index = static_cast<dm::NET_DISPLAY_USER*>(buffer)[count - 1].usri1_next_index;
            listed += count;
            dm::NetApiBufferFree(buffer);
        } while (status == 234);
        Check(status == 0, "list the accounts for display");
    }
    Check(listed == kAccounts, "list every account for display");
}
BENCHMARK(BM_DisplayInformationInBatches_100kAccounts)->Unit(benchmark::kMillisecond)->Iterations(3);

// RasAdminPortEnum, then RasAdminPortGetInfo for each port, as the ports view does.
void BM_PortEnumAndEveryGetInfo_10kPorts(benchmark::State& state)
{
    const std::u16string server = dm::ToWide("\\\\RAS1");
    WORD count = 0;
    for (auto _ : state) {
        RAS_PORT_0* ports = nullptr;
        Check(RasAdminPortEnum(server.c_str(), &ports, &count) == 0, "enumerate the ports");
        for (WORD i = 0; i < count; ++i) {
            RAS_PORT_1 info{};
            RAS_PORT_STATISTICS stats{};
            RAS_PARAMETERS* params = nullptr;
            Check(RasAdminPortGetInfo(server.c_str(), ports[i].wszPortName, &info, &stats, &params) == 0,
                  "read a port");
            RasAdminFreeBuffer(params);
        }
        RasAdminFreeBuffer(ports);
    }
    Check(count == kPorts, "enumerate every port");
    state.counters["ports"] = count;
}
BENCHMARK(BM_PortEnumAndEveryGetInfo_10kPorts)->Unit(benchmark::kMillisecond)->Iterations(3);

// "dmctl reg keys" over a key with 10,000 sub-keys: EnumKey by index to the end.
void BM_EnumKey_10kSubKeys(benchmark::State& state)
{
    dm::RegKey hive, key;
    Check(dm::RegOpenHive("RAS1", hive) == 0, "open the hive");
    Check(dm::RegImportText(hive, ManyKeysImport("Software\\Many")) == 0, "import the keys");
    Check(hive.OpenKey("Software\\Many", key) == 0, "open the key");
    unsigned long index = 0;
    for (auto _ : state) {
        std::string name;
        index = 0;
        while (key.EnumKey(index, name) == 0)
            ++index;
    }
    Check(index == kSubKeys, "list every sub-key");
    state.counters["keys"] = index;
}
BENCHMARK(BM_EnumKey_10kSubKeys)->Unit(benchmark::kMillisecond)->Iterations(3);

// Importing 10,000 keys with a value each into a computer's hive.
void BM_Import_10kKeys(benchmark::State& state)
{
    const std::string text = ManyKeysImport("Software\\Imported");
    dm::RegKey hive;
    Check(dm::RegOpenHive("DC1", hive) == 0, "open the hive");
    std::size_t imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        hive.DeleteTree("Software\\Imported");
        state.ResumeTiming();
        Check(dm::RegImportText(hive, text, &imported) == 0, "import");
    }
    state.counters["applied"] = static_cast<double>(imported);
}
BENCHMARK(BM_Import_10kKeys)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // CPU time: the figures of the emulation itself, whatever else the
    // machine runs meanwhile.
    return dm::bench::RunOnScratchNetwork(argc, argv, BuildNetwork, [](const dm::bench::KeepingReporter& r) {
        using T = dm::bench::Targets;
        T targets;
        auto ms = [&r](const char* name) { return T::Milliseconds(T::Seconds(r, name, true)); };
        targets.AtMost("one permission read among 100,000 accounts", ms("BM_PermissionRead_100kAccounts"), 50, "ms");
        targets.AtMost("one permission read right after a change", ms("BM_PermissionReadAfterChange_100kAccounts"),
                       50, "ms");
        targets.AtMost("100,000 accounts in 10,000-byte batches", T::Seconds(r, "BM_UserEnumInBatches_100kAccounts", true),
                       2, "s");
        targets.AtMost("100,000 display entries in batches",
                       T::Seconds(r, "BM_DisplayInformationInBatches_100kAccounts", true), 2, "s");
        targets.AtMost("10,000 ports with every port's details",
                       T::Seconds(r, "BM_PortEnumAndEveryGetInfo_10kPorts", true), 1, "s");
        targets.AtMost("10,000 sub-keys listed", T::Seconds(r, "BM_EnumKey_10kSubKeys", true), 0.3, "s");
        targets.AtMost("10,000 keys imported", T::Seconds(r, "BM_Import_10kKeys", true), 2, "s");
        return targets.Verdict();
    });
}
