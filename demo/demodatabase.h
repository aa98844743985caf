#pragma once
// The central database of the demo network: Dialmind.hw with port, default,
// notice and greeting settings, Dialmind.usr with account and group limits
// and usage counters. Both are written as records through the database's
// savers, so the demo follows the files' model wherever it goes.

#include "demo/demorandom.h"
#include "demo/demostaff.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dm {

struct DemoPort {
    std::string server;
    std::string name;
    bool isdn = false;
    bool managed = false; // on a server with the server component
};

// What the demo's policies say of an account, by its place in the staff
// list (counted from 1): over its total time allowance, or expired. The
// server component turns such accounts away.
bool DemoOverAllowance(int index);
bool DemoExpired(int index);
// Ports that only some accounts may use.
bool DemoPortRestricted(const std::string& server, const std::string& port, bool isdn);
// The longest that a session found running at the start has run: below
// every session limit of the demo (the shortest is 30 minutes), with time to
// spare before the first notice.
constexpr std::uint32_t kDemoSessionMaxAge = 1499;

// Writes both files into the directory (a system path, "\\HQRAS01\DM_NT_DB").
// False when a file cannot be written.
bool WriteDemoDatabase(const std::string& directory, const std::vector<DemoPort>& ports,
                       const std::vector<DemoPerson>& people, std::int64_t now, DemoRandom& random);

// An address a.b.c.d packed as the database's records hold it.
std::uint32_t PackedAddress(int a, int b, int c, int d);

} // namespace dm
