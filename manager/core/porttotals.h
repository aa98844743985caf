#pragma once
// The ports the server tree lists for each server and the totals the
// view-switch bar shows. One rule for both, so that the bar never counts a
// port the tree does not show (nor the other way round).

#include "manager/core/serverentry.h"

#include <vector>

namespace dm {

struct PortTotals {
    int servers = 0;
    int ports = 0;
    int busyPorts = 0;
    bool operator==(const PortTotals&) const = default;
};

// The tree's image of a port: 4 in session, 5 unreadable, 3 otherwise.
int PortImage(const PortSlot& slot);
// How many of a server's slots the tree lists (none when portCount is below 1).
int ListedPortCount(const ServerEntry& server);
PortTotals CountListedPorts(const std::vector<ServerEntry>& servers);

} // namespace dm
