#pragma once
// The demo network: a small freight company with two domains, three dial-in
// servers and a fourth that cannot be reached, about thirty people, some of
// them in session, and a central database on the master server. It shows
// every feature of the manager and is what `make demo` and the screenshots
// start from (docs/network-ras.md lists the files it writes).
//
// The same seed and reference time give the same network, file for file.

#include <cstdint>
#include <filesystem>
#include <string>

namespace dm {

struct DemoNetworkOptions {
    std::uint32_t seed = 1;
    // "Now" for session starts and usage counters, seconds since 1970;
    // 0 takes the current time.
    std::int64_t now = 0;
};

// What the demo network holds, for callers that go on from it.
struct DemoNetworkSummary {
    std::string localComputer;
    std::string master;            // the server holding the database
    std::string databaseDirectory; // "\\MASTER\DM_NT_DB"
    int users = 0;
    int ports = 0;
    int sessions = 0;
};

// Creates the network in root, which must not exist or be empty. Returns an
// empty text on success, else what went wrong. While it runs,
// DIALMIND_NETWORK names root (restored afterwards), so it must not run
// beside other code of this process that uses the network.
std::string CreateDemoNetwork(const std::filesystem::path& root, const DemoNetworkOptions& options,
                              DemoNetworkSummary* summary = nullptr);

} // namespace dm
