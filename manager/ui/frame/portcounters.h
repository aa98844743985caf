#pragma once
// The counters the view-switch bar shows: servers, ports and busy ports.
// Only the tree writes them, counted from the nodes it shows, whenever those
// change (a rebuild, an expansion, the port-total thread's fresh tables).
// Single atomic stores: readers take each number without a lock.

#include <atomic>
#include <string>

namespace dm {

struct PortCounters {
    std::atomic<int> servers{0};
    std::atomic<int> ports{0};
    std::atomic<int> busyPorts{0};

    void Reset()
    {
        servers = 0;
        ports = 0;
        busyPorts = 0;
    }
    // " Servers: %d        Ports: %d        Busy Ports: %d"
    std::string Text() const;
};

} // namespace dm
