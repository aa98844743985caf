#include "manager/core/remoteconfig.h"

#include "common/numbers.h"
#include "manager/core/mastershare.h"
#include "manager/core/messagecaption.h"
#include "platform/files/network.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace dm {

namespace {

// The idle timeout operations name the key with "RAS"; registry names
// compare without regard to case, so it is the same key.
constexpr const char* kIdleComponentKey = "Software\\Microsoft\\RAS\\AdminDLL";

std::string Format(const char* format, unsigned long error)
{
    char text[400];
    std::snprintf(text, sizeof text, format, static_cast<int>(error));
    return text;
}

std::string Format(const char* format, const std::string& computer, unsigned long error)
{
    char text[400];
    std::snprintf(text, sizeof text, format, computer.c_str(), static_cast<int>(error));
    return text;
}

// Master is a number; a text value counts by its leading digits.
bool ReadFlag(const RegValue& value)
{
    std::uint32_t number = 0;
    if (value.AsDword(number))
        return number != 0;
    std::string text;
    if (value.AsString(text))
        return AtoiValue(text) != 0;
    return std::any_of(value.data.begin(), value.data.end(), [](char c) { return c != 0; });
}

} // namespace

bool RemoteConfig::DiscoverDatabaseDirectory(ServerEntry& server, std::string& databaseDirectory) const
{
    server.portCount = 0;
    server.busyCount = 0;
    server.state = ServerState::Reachable;
    const MasterShareResult result = ReadMasterShare(server.name, databaseDirectory);
    if (result == MasterShareResult::Unreachable) {
        server.state = ServerState::RegistryUnavailable;
        return false;
    }
    if (result == MasterShareResult::NoComponent) {
        server.state = ServerState::NoComponent;
        return false;
    }
    return result != MasterShareResult::ShareMissing;
}

bool RemoteConfig::ReadComponentSettings(std::string_view server, ComponentSettings& settings)
{
    const std::string computer = "\\\\" + std::string(server);
    RegKey hive, key;
    if (const unsigned long error = RegConnectRegistry(computer, hive); error != winerr::Success) {
        m_ui.ShowMessage(Format("Error %d: Could not connect to the server. Verify that\nthe server is "
                                "running and that you\nare allowed to read the registry on the server.",
                                error),
                         kMessageCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    if (const unsigned long error = hive.OpenKey(ComponentKey, key); error != winerr::Success) {
        m_ui.ShowMessage(Format("Error %d: Could not connect to the RAS Server. Verify that\nthe server "
                                "is running, RAS is installed and that you\nare allowed to read the "
                                "registry on the server.",
                                error),
                         kMessageCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    RegValue master;
    std::string share, version;
    if (key.QueryValue("Master", master, 100) != winerr::Success ||
        key.QueryString("MasterShare", share, 600) != winerr::Success ||
        key.QueryString("Version", version, 600) != winerr::Success)
        return false;
    settings.master = ReadFlag(master);
    settings.share = std::move(share);
    settings.version = std::move(version);
    m_server = server;
    return true;
}

bool RemoteConfig::WriteComponentSettings(bool master, std::string_view share)
{
    if (m_server.empty())
        return true;
    const std::string computer = "\\\\" + m_server;
    RegKey hive, key;
    if (const unsigned long error = RegConnectRegistry(computer, hive); error != winerr::Success) {
        m_ui.ShowMessage(Format("Could not connect to %s (Error %d). Verify that\nthe server is running "
                                "and that you\nare allowed to write to the registry on the server.",
                                computer, error),
                         kMessageCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    if (const unsigned long error = hive.OpenKey(ComponentKey, key); error != winerr::Success) {
        m_ui.ShowMessage(Format("Could not connect to RAS on %s (Error %d). Verify that\nthe server is "
                                "running and that you\nare allowed to write to the registry on the server.",
                                computer, error),
                         kMessageCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    if (key.SetDword("MasterServer", master ? 1 : 0) != winerr::Success)
        return false;
    return key.SetString("MasterShare", share) == winerr::Success;
}

bool RemoteConfig::ReadIdleTimeout(std::string_view server, IdleTimeout& timeout)
{
    RegKey hive, parameters, component;
    if (const unsigned long error = RegConnectRegistry(server, hive); error != winerr::Success) {
        m_ui.ShowMessage(Format("Unable to connect to target computer. Windows NT returned error %d", error),
                         kMessageCaption);
        return false;
    }
    if (const unsigned long error = hive.OpenKey(RasParametersKey, parameters); error != winerr::Success) {
        m_ui.ShowMessage(
            Format("Unable to open RAS registry key on target computer. Windows NT returned error %d", error),
            kMessageCaption);
        return false;
    }
    std::uint32_t autoDisconnect = 0;
    if (const unsigned long error = parameters.QueryDword("AutoDisconnect", autoDisconnect);
        error != winerr::Success) {
        m_ui.ShowMessage(Format("Unable to retrieve RAS registry values from target computer. Windows NT "
                                "returned error %d",
                                error),
                         kMessageCaption);
        return false;
    }
    if (const unsigned long error = hive.OpenKey(kIdleComponentKey, component); error != winerr::Success) {
        m_ui.ShowMessage(
            Format("Unable to open AdminDLL registry key on target computer. Windows NT returned error %d",
                   error),
            kMessageCaption);
        return false;
    }
    std::uint32_t idleTimer = 0;
    if (component.QueryDword("IdleTimer", idleTimer) != winerr::Success)
        idleTimer = 0;

    std::uint32_t minutes = 0;
    if (autoDisconnect != 0 && idleTimer != 0)
        minutes = std::min(autoDisconnect, idleTimer);
    else
        minutes = autoDisconnect != 0 ? autoDisconnect : idleTimer;
    timeout.minutes = static_cast<int>(minutes);
    timeout.on = minutes != 0;
    return true;
}

void RemoteConfig::WriteIdleTimeout(std::string_view server, bool on, int minutes)
{
    const std::uint32_t value = on ? static_cast<std::uint32_t>(minutes) : 0;
    RegKey hive, parameters, component;
    if (RegConnectRegistry(server, hive) != winerr::Success)
        return;
    if (hive.OpenKey(RasParametersKey, parameters) == winerr::Success)
        parameters.SetDword("AutoDisconnect", value);
    if (hive.OpenKey(kIdleComponentKey, component) == winerr::Success) {
        component.SetDword("IdleTimer", value);
        RegValue limit;
        if (component.QueryValue("IdleBytesLimit", limit) != winerr::Success)
            component.SetDword("IdleBytesLimit", 2000);
    }
}

} // namespace dm
