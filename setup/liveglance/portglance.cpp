#include "setup/liveglance/portglance.h"

#include "platform/files/network.h"
#include "platform/registry/registry.h"
#include "platform/system/widetext.h"

namespace dm {

std::vector<std::string> MonitoredServers()
{
    std::vector<std::string> servers;
    RegKey hive, list;
    if (RegOpenLocalMachine(hive) == 0 &&
        hive.OpenKey("Software\\Osterhall Software\\Dialminder\\Servers", list) == 0)
        servers = list.SubKeyNames();
    if (servers.empty())
        servers.push_back(Network::LocalComputerName());
    return servers;
}

std::string GlanceText(const ServerGlance& glance, const RasAdminFunctions& ras)
{
    if (glance.error == 0)
        return std::to_string(glance.busy) + " of " + std::to_string(glance.ports);
    // The network's "path not found" and "name not found": the computer is offline or unknown.
    if (glance.error == 53 || glance.error == 51 || glance.error == 67)
        return "(not reachable)";
    if (ras.RasAdminGetErrorString) {
        WCHAR text[256] = {};
        if (ras.RasAdminGetErrorString(static_cast<UINT>(glance.error), text, 256) == 0 && text[0] != 0)
            return FromWide(text);
    }
    if (glance.error == 127)
        return "the RAS administration library cannot be used";
    return "error " + std::to_string(glance.error);
}

std::vector<ServerGlance> GlanceAtServers(const RasAdminFunctions& ras,
                                          const std::vector<std::string>& servers)
{
    std::vector<ServerGlance> glances;
    for (const std::string& name : servers) {
        ServerGlance glance;
        glance.server = Network::NormalizeComputerName(name);
        if (!ras.RasAdminPortEnum || !ras.RasAdminFreeBuffer) {
            glance.error = 127;
            glances.push_back(glance);
            continue;
        }
        const std::u16string wide = ToWide("\\\\" + glance.server);
        RAS_PORT_0* ports = nullptr;
        WORD count = 0;
        glance.error = ras.RasAdminPortEnum(wide.c_str(), &ports, &count);
        if (glance.error == 0 && ports) {
            glance.ports = count;
            for (WORD i = 0; i < count; ++i)
                if ((ports[i].Flags & USER_AUTHENTICATED) || ports[i].dwStartSessionTime != 0)
                    ++glance.busy;
        }
        if (ports)
            ras.RasAdminFreeBuffer(ports);
        glances.push_back(glance);
    }
    return glances;
}

} // namespace dm
