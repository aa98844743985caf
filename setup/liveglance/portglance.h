#pragma once
// What LiveGlance shows: for each monitored server (the manager's server
// list), how many of its RAS ports are busy, read through the RAS
// administration library.

#include "platform/ras/rasbind/rasadminfunctions.h"

#include <string>
#include <vector>

namespace dm {

struct ServerGlance {
    std::string server;    // computer name, without backslashes
    int ports = 0;
    int busy = 0;
    unsigned long error = 0; // the library's error for this server, 0 when read
};

// The manager's monitored servers (sub-keys of the server list key), or the
// local computer when the list is empty.
std::vector<std::string> MonitoredServers();

// Reads every server's ports; functions whose RasAdminPortEnum is missing
// report error 127 (procedure not found) for each server.
std::vector<ServerGlance> GlanceAtServers(const RasAdminFunctions& ras,
                                          const std::vector<std::string>& servers);

// What a server's row says: "2 of 3" busy ports, or in words why they could
// not be read: "(not reachable)" for a computer the network does not reach,
// as the manager's ports list says it, else the RAS library's own text for
// the error ("error N" only when the library has none).
std::string GlanceText(const ServerGlance& glance, const RasAdminFunctions& ras);

} // namespace dm
