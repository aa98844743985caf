#pragma once
// The central database of the demo network: Dialmind.hw with port, default,
// notice and greeting settings, Dialmind.usr with account and group limits
// and usage counters.

#include "platform/demorandom.h"
#include "platform/demostaff.h"

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

// Writes both files into the directory (a system path, "\\HQRAS01\DM_NT_DB").
// False when a file cannot be written.
bool WriteDemoDatabase(const std::string& directory, const std::vector<DemoPort>& ports,
                       const std::vector<DemoPerson>& people, std::int64_t now, DemoRandom& random);

// An address a.b.c.d packed as the database files store it (signed decimal).
std::string PackedAddress(int a, int b, int c, int d);

} // namespace dm
