#include "manager/core/usagerows.h"

#include "common/iniparser.h"
#include "common/text.h"

#include <algorithm>
#include <map>

namespace dm {

UsageFilter UsageFilter::FromSelection(const Selection& selection, int kind)
{
    UsageFilter filter;
    filter.server = selection.server;
    filter.port = selection.port;
    filter.accountNode = kind == KindAccount || selection.accountsRootSelected || selection.user != "*" ||
                         selection.domain != "*" || selection.group != "*";
    return filter;
}

PortList MonitoredPorts(const std::vector<ServerEntry>& servers)
{
    PortList ports;
    for (const ServerEntry& server : servers) {
        const int count = std::min<int>(server.portCount, static_cast<int>(server.slots.size()));
        for (int i = 0; i < count; ++i)
            ports.emplace_back(server.name, server.slots[static_cast<std::size_t>(i)].portName);
    }
    return ports;
}

PortList PortsOfRecords(const std::vector<LogRecord>& records, std::uint32_t from, std::uint32_t to)
{
    // Keyed by the folded label; the first spelling met is kept.
    std::map<std::string, std::pair<std::string, std::string>> seen;
    for (const LogRecord& record : records) {
        if (record.time < from || record.time > to)
            continue;
        std::string key = LowerAscii(record.server) + '\\' + LowerAscii(record.port);
        seen.try_emplace(std::move(key), record.server, record.port);
    }
    PortList ports;
    ports.reserve(seen.size());
    for (auto& [key, port] : seen)
        ports.push_back(std::move(port));
    return ports;
}

std::vector<std::string> UsageLabels(const PortList& ports, const UsageFilter& filter)
{
    std::vector<std::string> labels;
    if (filter.accountNode)
        return labels;
    if (filter.port != "*" && filter.server != "*") {
        labels.push_back(filter.server + '\\' + filter.port);
        return labels;
    }
    for (const auto& [server, port] : ports) {
        if (filter.server != "*" && !EqualNoCase(server, filter.server))
            continue;
        labels.push_back(server + '\\' + port);
    }
    return labels;
}

} // namespace dm
