#pragma once
// The configuration of the server component and of the RAS service that each
// monitored server keeps in its own registry, reached over the network.

#include "common/userinteraction.h"
#include "manager/core/serverentry.h"

#include <string>
#include <string_view>

namespace dm {

// The "Server Maintenance" values of one server.
struct ComponentSettings {
    bool master = false;
    std::string share;   // MasterShare, the database directory as the component sees it
    std::string version; // Version of the installed component
};

// The "Idle timeout" values of one server.
struct IdleTimeout {
    bool on = false;
    int minutes = 0; // 0 when off
};

class RemoteConfig {
public:
    static constexpr const char* ComponentKey = "Software\\Microsoft\\Ras\\AdminDLL";
    static constexpr const char* RasParametersKey =
        "System\\CurrentControlSet\\Services\\RemoteAccess\\Parameters";

    explicit RemoteConfig(UserInteraction& ui) : m_ui(ui) {}

    // Reads the server's master share into databaseDirectory when its
    // component key has a Master value (left as it is otherwise). Resets the
    // server's counts and state; an unreachable registry or a missing key
    // sets state 1 and fails, without a message.
    bool DiscoverDatabaseDirectory(ServerEntry& server, std::string& databaseDirectory) const;

    // Reads Master, MasterShare and Version and remembers the server for the
    // next write. Connection failures are reported; a missing value fails
    // silently.
    bool ReadComponentSettings(std::string_view server, ComponentSettings& settings);
    // Writes MasterServer and MasterShare to the server last read. Success
    // without a write when none was read.
    bool WriteComponentSettings(bool master, std::string_view share);
    const std::string& RememberedServer() const { return m_server; }

    // The smaller non-zero of AutoDisconnect and IdleTimer; failures are reported.
    bool ReadIdleTimeout(std::string_view server, IdleTimeout& timeout);
    // Writes AutoDisconnect and IdleTimer (minutes, 0 when off) and creates
    // IdleBytesLimit with 2000 when it is missing. Failures are not reported.
    void WriteIdleTimeout(std::string_view server, bool on, int minutes);

private:
    UserInteraction& m_ui;
    std::string m_server;
};

} // namespace dm
