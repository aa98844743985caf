#include "manager/core/rasaccess.h"

#include "manager/core/mastershare.h"
#include "manager/core/messagecaption.h"
#include "manager/core/portlivedata.h"
#include "platform/ras/rasbind/rasadminfunctions.h"
#include "platform/system/widetext.h"

#include <algorithm>
#include <cstdio>

namespace dm {

namespace {

std::u16string ServerName(std::string_view server)
{
    return ToWide("\\\\" + std::string(server));
}

// domain\name, or empty when the port reports neither.
std::string SessionUser(const RAS_PORT_0& port)
{
    const std::string domain = FromWide(port.wszLogonDomain);
    const std::string user = FromWide(port.wszUserName);
    if (domain.empty() && user.empty())
        return {};
    return domain + "\\" + user;
}

// A server that cannot be read keeps the ports last known, each shown as
// unreadable: nobody can tell whether their sessions still run.
void MarkPortsUnreadable(ServerEntry& server, int knownPorts)
{
    server.portCount = std::min(knownPorts, static_cast<int>(server.slots.size()));
    for (int i = 0; i < server.portCount; ++i) {
        PortSlot& slot = server.slots[static_cast<std::size_t>(i)];
        slot.user.clear();
        slot.sessionStart = 0;
        slot.state = SlotState::Unreadable;
    }
}

std::string ErrorText(const char* format, DWORD error)
{
    char text[160];
    std::snprintf(text, sizeof text, format, static_cast<int>(error));
    return text;
}

} // namespace

RasAccess::RasAccess(const RasAdminFunctions* functions, UserInteraction& ui)
    : m_functions(functions), m_ui(ui)
{
}

RasAccess::~RasAccess() = default;

bool RasAccess::RefreshServerPorts(ServerEntry& server, std::string& databaseDirectory, bool& changed)
{
    const int oldPorts = server.portCount;
    const int oldBusy = server.busyCount;
    server.portCount = 0;
    server.busyCount = 0;
    server.state = ServerState::Reachable;
    auto noteChange = [&] {
        if (server.portCount != oldPorts || server.busyCount != oldBusy)
            changed = true;
    };

    switch (ReadMasterShare(server.name, databaseDirectory)) {
    case MasterShareResult::Unreachable:
        server.state = ServerState::RegistryUnavailable;
        MarkPortsUnreadable(server, oldPorts);
        noteChange();
        return false;
    case MasterShareResult::NoComponent:
        server.state = ServerState::NoComponent;
        noteChange();
        return false;
    case MasterShareResult::ShareMissing:
        noteChange();
        return false;
    case MasterShareResult::NotMaster:
    case MasterShareResult::Found:
        break;
    }

    WaitCursor wait(m_ui);
    RAS_PORT_0* ports = nullptr;
    WORD count = 0;
    // Without a way to free the library's buffer the enumeration is not made.
    const bool bound = m_functions != nullptr && m_functions->RasAdminPortEnum != nullptr &&
                       m_functions->RasAdminFreeBuffer != nullptr;
    const DWORD error =
        bound ? m_functions->RasAdminPortEnum(ServerName(server.name).c_str(), &ports, &count) : 1;
    if (error != 0) {
        server.state = ServerState::EnumerationFailed;
        MarkPortsUnreadable(server, oldPorts);
    } else {
        server.slots.assign(count, PortSlot());
        int busy = 0;
        for (WORD i = 0; i < count; ++i) {
            PortSlot& slot = server.slots[i];
            slot.portName = FromWide(ports[i].wszPortName);
            slot.user = SessionUser(ports[i]);
            slot.sessionStart = ports[i].dwStartSessionTime;
            if (slot.sessionStart != 0)
                ++busy;
        }
        if (ports != nullptr)
            m_functions->RasAdminFreeBuffer(ports);
        server.portCount = count;
        if (count == 0) {
            server.state = ServerState::NoPorts;
        } else {
            RefreshPortUsers(server);
            server.busyCount = busy;
        }
    }
    noteChange();
    return true;
}

bool RasAccess::RefreshPortUsers(ServerEntry& server)
{
    const std::u16string wideServer = ServerName(server.name);
    const bool bound = m_functions != nullptr && m_functions->RasAdminPortGetInfo != nullptr &&
                       m_functions->RasAdminFreeBuffer != nullptr;
    const std::size_t count =
        std::min(server.slots.size(), static_cast<std::size_t>(std::max(server.portCount, 0)));
    for (std::size_t i = 0; i < count; ++i) {
        PortSlot& slot = server.slots[i];
        RAS_PORT_1 port{};
        RAS_PORT_STATISTICS statistics{};
        RAS_PARAMETERS* parameters = nullptr;
        const DWORD error =
            bound ? m_functions->RasAdminPortGetInfo(wideServer.c_str(), ToWide(slot.portName).c_str(),
                                                     &port, &statistics, &parameters)
                  : 1;
        if (error != 0) {
            slot.state = SlotState::Unreadable;
            continue;
        }
        if (parameters != nullptr)
            m_functions->RasAdminFreeBuffer(parameters);
        if (port.LineCondition == RAS_PORT_AUTHENTICATED) {
            slot.user = SessionUser(port.rasport0);
            slot.sessionStart = port.rasport0.dwStartSessionTime;
            slot.state = SlotState::Authenticated;
        } else {
            slot.user.clear();
            slot.sessionStart = 0;
            // A port that is not operational is a fault here as in the quick
            // refresh (GetPortCondition), so the two never disagree on its icon.
            slot.state = IsOperational(port.LineCondition) ? SlotState::NoUser : SlotState::Unreadable;
        }
    }
    return true;
}

bool RasAccess::GetPortLiveData(std::string_view server, std::string_view port, PortLiveData& data)
{
    data = PortLiveData();
    if (m_functions == nullptr || m_functions->RasAdminPortGetInfo == nullptr ||
        m_functions->RasAdminFreeBuffer == nullptr)
        return false;
    RAS_PARAMETERS* parameters = nullptr;
    const DWORD error = m_functions->RasAdminPortGetInfo(
        ServerName(server).c_str(), ToWide(port).c_str(), &data.port, &data.statistics, &parameters);
    if (parameters != nullptr)
        m_functions->RasAdminFreeBuffer(parameters);
    return error == 0;
}

bool RasAccess::IsOperational(std::uint32_t lineCondition)
{
    return lineCondition >= RAS_PORT_DISCONNECTED && lineCondition <= RAS_PORT_INITIALIZING;
}

PortCondition RasAccess::GetPortCondition(std::string_view server, std::string_view port,
                                          std::string& user, std::uint32_t& sessionStart)
{
    user.clear();
    sessionStart = 0;
    if (m_functions == nullptr || m_functions->RasAdminPortGetInfo == nullptr ||
        m_functions->RasAdminFreeBuffer == nullptr)
        return PortCondition::NotAvailable;
    RAS_PORT_1 info{};
    RAS_PORT_STATISTICS statistics{};
    RAS_PARAMETERS* parameters = nullptr;
    const DWORD error = m_functions->RasAdminPortGetInfo(
        ServerName(server).c_str(), ToWide(port).c_str(), &info, &statistics, &parameters);
    if (error != 0)
        return PortCondition::NotAvailable;
    if (parameters != nullptr)
        m_functions->RasAdminFreeBuffer(parameters);
    switch (info.LineCondition) {
    case RAS_PORT_DISCONNECTED:
    case RAS_PORT_LISTENING:
        return PortCondition::Idle;
    case RAS_PORT_CALLING_BACK:
    case RAS_PORT_AUTHENTICATING:
    case RAS_PORT_INITIALIZING:
        return PortCondition::Busy;
    case RAS_PORT_AUTHENTICATED:
        user = SessionUser(info.rasport0);
        sessionStart = info.rasport0.dwStartSessionTime;
        return PortCondition::Busy;
    default:
        return PortCondition::NotAvailable;
    }
}

void RasAccess::DisconnectPort(std::string_view server, std::string_view port)
{
    if (m_functions == nullptr || m_functions->RasAdminPortDisconnect == nullptr)
        return;
    const DWORD error =
        m_functions->RasAdminPortDisconnect(ServerName(server).c_str(), ToWide(port).c_str());
    if (error != 0)
        m_ui.ShowMessage(
            ErrorText("Unable to disconnect session. The RAS server returned error#%d.", error),
            kMessageCaption, Buttons::Ok, Icon::Error);
}

void RasAccess::ClearPortStatistics(std::string_view server, std::string_view port)
{
    if (m_functions == nullptr || m_functions->RasAdminPortClearStatistics == nullptr)
        return;
    const DWORD error =
        m_functions->RasAdminPortClearStatistics(ServerName(server).c_str(), ToWide(port).c_str());
    if (error != 0)
        m_ui.ShowMessage(
            ErrorText("Unable to reset the statistic counters. The RAS server returned error#%d.", error),
            kMessageCaption, Buttons::Ok, Icon::Error);
}

std::uint8_t RasAccess::GetUserRasPermission(std::string_view server, std::string_view account,
                                             std::string& callbackNumber)
{
    callbackNumber.clear();
    if (m_functions == nullptr || m_functions->RasAdminUserGetInfo == nullptr)
        return 0;
    RAS_USER_0 user{};
    if (m_functions->RasAdminUserGetInfo(ToWide(server).c_str(), ToWide(account).c_str(), &user) != 0)
        return 0;
    user.szPhoneNumber[RASSAPI_MAX_PHONENUMBER_SIZE] = 0;
    callbackNumber = FromWide(user.szPhoneNumber);
    return user.bfPrivilege;
}

bool RasAccess::SetUserRasPermission(std::string_view server, std::string_view account,
                                     std::uint8_t privilege, std::string_view callbackNumber)
{
    if (m_functions == nullptr || m_functions->RasAdminUserSetInfo == nullptr)
        return false;
    RAS_USER_0 user{};
    user.bfPrivilege = privilege;
    CopyToWideField(user.szPhoneNumber, RASSAPI_MAX_PHONENUMBER_SIZE + 1, callbackNumber);
    return m_functions->RasAdminUserSetInfo(ToWide(server).c_str(), ToWide(account).c_str(), &user) == 0;
}

std::size_t RasAccess::SetUserRasPermissions(std::string_view server, std::span<const RasPermissionChange> changes)
{
    // Without the library's entry point no account can be set, as one at a time.
    if (m_functions == nullptr || m_functions->RasAdminUserSetInfo == nullptr)
        return 0;
    // What the library takes of each: the name after a domain's backslash,
    // the number cut to its field.
    std::vector<RasPermissionChange> taken;
    taken.reserve(changes.size());
    for (const RasPermissionChange& change : changes) {
        RasPermissionChange& t = taken.emplace_back(change);
        if (const auto slash = t.user.rfind('\\'); slash != std::string::npos)
            t.user.erase(0, slash + 1);
        char16_t number[RASSAPI_MAX_PHONENUMBER_SIZE + 1];
        CopyToWideField(number, RASSAPI_MAX_PHONENUMBER_SIZE + 1, change.callbackNumber);
        t.callbackNumber = FromWide(number);
    }
    std::size_t written = 0;
    AccountDatabase(FromWide(ToWide(server))).SetRasPermissions(taken, written);
    return written;
}

std::vector<std::uint8_t> RasAccess::GetUserRasPermissions(std::string_view server,
                                                           std::span<const std::string_view> accounts)
{
    std::vector<std::uint8_t> bits(accounts.size(), 0);
    // Without the library's entry point no account can be read, as one at a time.
    if (m_functions == nullptr || m_functions->RasAdminUserGetInfo == nullptr)
        return bits;
    AccountDatabase database(FromWide(ToWide(server)));
    if (database.Load() != 0)
        return bits;
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        std::string_view name = accounts[i];
        if (const auto slash = name.rfind('\\'); slash != std::string_view::npos)
            name.remove_prefix(slash + 1);
        if (const UserAccount* user = database.FindUser(FromWide(ToWide(name))))
            bits[i] = user->rasPrivilege;
    }
    return bits;
}

bool RasAccess::GetServerPortTotals(std::string_view server, int& totalPorts, int& portsInUse)
{
    totalPorts = 0;
    portsInUse = 0;
    if (m_functions == nullptr || m_functions->RasAdminServerGetInfo == nullptr)
        return false;
    RAS_SERVER_0 info{};
    if (m_functions->RasAdminServerGetInfo(ServerName(server).c_str(), &info) != 0)
        return false;
    totalPorts = info.TotalPorts;
    portsInUse = info.PortsInUse;
    return true;
}

} // namespace dm
