#pragma once
// A small network of two RAS servers with their databases, generated into a
// temporary directory, and the generated history read back for checks.

#include "netemu/generator.h"
#include "database/policyengine.h"
#include "database/profilevalues.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace dm::netemu::test {

struct ReadRecord {
    std::uint32_t time = 0;
    std::string server, port, user;
    int kind = 0; // 0 session end, 1 connect, 2 denied
    std::int32_t duration = 0;
    int reason = 255;
    std::uint32_t ip = 0;
    std::string file; // the day file's name
};

struct Session {
    std::string server, port, user;
    std::uint32_t start = 0, end = 0;
    std::int32_t duration = 0;
    int reason = 255;
};

// Two servers: RAS1 (4 ports) with database "db1", where the default profile
// is assigned, and RAS2 (3 ports) with database "db2", where it is not and
// the idle timer is 10 minutes. Eight accounts with assorted limits.
std::vector<ScannedServer> BuildNetwork(const std::filesystem::path& root);
std::vector<CallerProfile> Callers();

GenerateOptions Options(std::uint64_t seed, bool legacy = false);

// Every record of the day files (or of the legacy log) of one database.
std::vector<ReadRecord> ReadHistory(const std::filesystem::path& db, bool legacy = false);
// Connects paired with their session ends, port by port.
std::vector<Session> PairSessions(const std::vector<ReadRecord>& records);

// What an account had used by `t`, from its sessions: those that ended
// before `t`, or also those ending at `t` when inclusive (events of one
// second have no order in the log). Period usage counts in the period of
// `t` for the given period type.
struct UsageAt {
    std::uint32_t firstConnection = 0;
    std::int64_t totalTime = 0;
    std::int64_t periodUsage = 0;
};
UsageAt AccountUsageAt(const std::vector<Session>& own, std::uint32_t t, bool inclusive, const Limits& limits);
// The sessions of the account running at `t` (same rule for `t` itself).
int PortsHeldAt(const std::vector<Session>& everywhere, const std::string& user, std::uint32_t t, bool inclusive);

// Every file below the directory with its contents, by relative path.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir);

} // namespace dm::netemu::test
