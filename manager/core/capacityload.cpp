#include "manager/core/capacityload.h"

#include "common/inistore.h"
#include "common/logfilereader.h"
#include "common/text.h"
#include "common/timeformat.h"
#include "database/profilevalues.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <unordered_map>

namespace dm {

namespace {

struct ServerBuild {
    std::string name;
    std::set<std::string> ports; // upper case
    std::vector<CapacitySession> sessions;
};

} // namespace

bool CapacityLoader::Load(const std::string& databaseDirectory, const CapacityWindow& window,
                          const std::string& server, CapacityHistory& history, const Progress& progress) const
{
    history = CapacityHistory{};
    history.window = window;
    const std::string wanted = server == "*" ? std::string() : UpperAscii(server);
    std::unordered_map<std::string, ServerBuild> builds;
    // The last server seen: a day file lists one port's events together.
    std::string lastName;
    ServerBuild* last = nullptr;
    std::string lastPort;
    bool lastPortKnown = false;

    const int total = window.Days() + 1;
    std::string text;
    for (int day = 0; day < total; ++day) {
        if (progress && !progress(day, total))
            return false;
        const bool extraDay = day == window.Days();
        const std::string name = DayLogPath(databaseDirectory, AddLocalDays(window.Start(), day));
        const std::filesystem::path path = m_resolver(name);
        if (path.empty())
            continue;
        if (!ReadWholeFile(path, text)) {
            std::error_code ec;
            if (std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found && !ec)
                history.unreadable.push_back(name);
            continue;
        }
        ++history.filesRead;
        VisitLogText(text, LogFileRules::Day, [&](const LogRecord& record) {
            if (record.kind != kLogSessionEnd && extraDay)
                return;
            if (last == nullptr || record.server != lastName) {
                const std::string key = UpperAscii(record.server);
                if (!wanted.empty() && key != wanted) {
                    last = nullptr;
                    return;
                }
                ServerBuild& build = builds[key];
                if (build.name.empty())
                    build.name = record.server;
                last = &build;
                lastName = record.server;
                lastPortKnown = false;
            }
            if (!lastPortKnown || record.port != lastPort) {
                lastPort = record.port;
                lastPortKnown = true;
                if (!extraDay)
                    last->ports.insert(UpperAscii(record.port));
            }
            if (record.kind != kLogSessionEnd || record.duration <= 0)
                return;
            const std::uint32_t start =
                record.time > static_cast<std::uint32_t>(record.duration) ? record.time - record.duration : 0;
            if (record.time <= window.Start() || start >= window.End())
                return;
            last->sessions.push_back({start, record.time});
        });
    }
    if (progress)
        progress(total, total);

    for (auto& [key, build] : builds) {
        CapacityServer out;
        out.name = std::move(build.name);
        out.ports = static_cast<int>(build.ports.size());
        out.sessions = std::move(build.sessions);
        history.servers.push_back(std::move(out));
    }
    std::sort(history.servers.begin(), history.servers.end(),
              [](const CapacityServer& a, const CapacityServer& b) { return UpperAscii(a.name) < UpperAscii(b.name); });
    return true;
}

void SetInstalledPorts(CapacityHistory& history, const std::map<std::string, int>& installed)
{
    for (const auto& [name, ports] : installed) {
        const std::string key = UpperAscii(name);
        auto it = std::find_if(history.servers.begin(), history.servers.end(),
                               [&](const CapacityServer& s) { return UpperAscii(s.name) == key; });
        if (it == history.servers.end()) {
            history.servers.push_back({name, ports, {}});
            continue;
        }
        // No ports read (an unreachable server): the records' count stands.
        if (ports > 0)
            it->ports = ports;
    }
    std::sort(history.servers.begin(), history.servers.end(),
              [](const CapacityServer& a, const CapacityServer& b) { return UpperAscii(a.name) < UpperAscii(b.name); });
}

} // namespace dm
