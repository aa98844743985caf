#include "manager/ui/frame/portcounters.h"

#include <cstdio>

namespace dm {

std::string PortCounters::Text() const
{
    char text[120];
    std::snprintf(text, sizeof text, " Servers: %d        Ports: %d        Busy Ports: %d", servers.load(),
                  ports.load(), busyPorts.load());
    return text;
}

} // namespace dm
