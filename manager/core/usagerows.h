#pragma once
// Which ports the usage graph lists, as "server\port" labels in row order.
// The graph view takes them from the monitored servers and the tree
// selection; `dmctl usage` from the day files of a window, filtered the
// same way.

#include "common/logrecord.h"
#include "manager/core/selection.h"
#include "manager/core/serverentry.h"

#include <string>
#include <utility>
#include <vector>

namespace dm {

// What restricts the rows, as a tree selection does; "*" means any.
struct UsageFilter {
    std::string server = "*";
    std::string port = "*";
    // An account node (user, group, domain, default profile, the accounts
    // root) is selected: no port belongs to it.
    bool accountNode = false;

    static UsageFilter FromSelection(const Selection& selection, int kind);
};

// (server, port) pairs in the order they are listed.
using PortList = std::vector<std::pair<std::string, std::string>>;

// The ports of the monitored servers, servers and ports in document order.
PortList MonitoredPorts(const std::vector<ServerEntry>& servers);
// The ports that end-of-session, connect or denial records name with a time
// from `from` to `to` (both included), each once (the first spelling), in
// label order without regard to case.
PortList PortsOfRecords(const std::vector<LogRecord>& records, std::uint32_t from, std::uint32_t to);

// The labels of the rows:
// - an account node gives no rows;
// - a port gives exactly that port's row, listed or not;
// - a server gives the rows of its ports;
// - otherwise every port is listed.
// Names compare without regard to case.
std::vector<std::string> UsageLabels(const PortList& ports, const UsageFilter& filter);

} // namespace dm
