#include "manager/core/porttotals.h"

#include <algorithm>

namespace dm {

int PortImage(const PortSlot& slot)
{
    if (slot.sessionStart != 0)
        return 4;
    return static_cast<int>(slot.state) > 1 ? 5 : 3;
}

int ListedPortCount(const ServerEntry& server)
{
    return std::clamp(server.portCount, 0, static_cast<int>(server.slots.size()));
}

PortTotals CountListedPorts(const std::vector<ServerEntry>& servers)
{
    PortTotals totals;
    for (const ServerEntry& server : servers) {
        ++totals.servers;
        const int listed = ListedPortCount(server);
        totals.ports += listed;
        for (int i = 0; i < listed; ++i)
            if (PortImage(server.slots[static_cast<size_t>(i)]) == 4)
                ++totals.busyPorts;
    }
    return totals;
}

} // namespace dm
