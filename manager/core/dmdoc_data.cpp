// The document's operations on the settings files and the RAS library: thin
// delegations that supply the document's state (database directory, progress
// window, server table) to the components.

#include "manager/core/dmdoc.h"
#include "manager/core/documentplatform.h"

#include "manager/core/databasefile.h"
#include "manager/core/messagecaption.h"
#include "manager/core/portlivedata.h"
#include "manager/core/porttotals.h"
#include "manager/core/rasaccess.h"

#include <cstdio>

namespace dm {

bool CDMDoc::CheckDatabaseFile(std::string_view file)
{
    const unsigned long error = DatabaseFileError(file);
    if (error == 0)
        return true;
    m_ui.ShowMessage(UnreadableFileMessage(file, error), kMessageCaption, Buttons::Ok, Icon::Error);
    return false;
}

void CDMDoc::LoadHardwareSettings()
{
    m_hardware.Load(Progress());
    if (const unsigned long error = m_hardware.LoadError())
        m_ui.ShowMessage(UnreadableFileMessage(m_hardware.File(), error), kMessageCaption, Buttons::Ok, Icon::Error);
}

bool CDMDoc::LoadUserSettings()
{
    // A reload happens once for each change of the file, so an unreadable
    // file is named once, not at every refresh.
    const bool reloaded = m_users.Load(Progress());
    if (reloaded && m_users.LoadError() != 0)
        m_ui.ShowMessage(UnreadableFileMessage(m_users.File(), m_users.LoadError()), kMessageCaption, Buttons::Ok,
                         Icon::Error);
    return reloaded;
}
void CDMDoc::SaveUserSettings() { m_users.Save(); }
bool CDMDoc::CommitEditedUser() { return m_users.CommitEditedUser(); }

int CDMDoc::UserLimitState(int index) const
{
    return index < 0 ? 0 : m_users.UserLimitState(static_cast<std::size_t>(index), std::time(nullptr));
}

int CDMDoc::DeleteUserAccounts(const std::vector<std::string>& accounts)
{
    int removed = 0;
    for (const std::string& account : accounts) {
        char text[400];
        std::snprintf(text, sizeof text,
                      "Are you sure you want to permanently delete data and settings\nfor user %s?",
                      account.c_str());
        if (m_ui.ShowMessage(text, kMessageCaption, Buttons::YesNo, Icon::Question) != Answer::Yes)
            continue;
        if (m_users.DeleteAccountSection(account))
            ++removed;
    }
    RefreshDocument();
    return removed;
}

GroupSettings CDMDoc::LoadGroupSettings(std::string_view source, std::string_view group)
{
    if (m_users.File().empty())
        return GroupSettings();
    return dm::LoadGroupSettings(m_users.File(), GroupSectionName(source, group));
}

bool CDMDoc::SaveGroupSettings(std::string_view source, std::string_view group, const GroupSettings& shown,
                               const GroupSettings& edited)
{
    if (m_users.File().empty())
        return false;
    return dm::SaveGroupSettings(m_users.File(), GroupSectionName(source, group), shown, edited);
}

int CDMDoc::FindServer(std::string_view name) const
{
    for (std::size_t i = 0; i < m_servers.size(); ++i)
        if (m_servers[i].name == name)
            return static_cast<int>(i);
    return kNoServer;
}

bool CDMDoc::RefreshServerPorts(int serverIndex)
{
    if (serverIndex < 0 || static_cast<std::size_t>(serverIndex) >= m_servers.size())
        return false;
    const std::string before = m_databaseDirectory;
    const bool ok =
        m_ras->RefreshServerPorts(m_servers[static_cast<std::size_t>(serverIndex)], m_databaseDirectory, m_changed);
    // A server may name another master share than the one found at start-up;
    // the database files follow the directory.
    if (m_databaseDirectory != before)
        ApplyDatabaseDirectory();
    return ok;
}

bool CDMDoc::RefreshPortUsers(int serverIndex)
{
    if (serverIndex < 0 || static_cast<std::size_t>(serverIndex) >= m_servers.size())
        return false;
    return m_ras->RefreshPortUsers(m_servers[static_cast<std::size_t>(serverIndex)]);
}

bool CDMDoc::GetPortLiveData(int serverIndex, std::string_view port)
{
    if (serverIndex < 0 || static_cast<std::size_t>(serverIndex) >= m_servers.size()) {
        *m_liveData = PortLiveData();
        return false;
    }
    return m_ras->GetPortLiveData(m_servers[static_cast<std::size_t>(serverIndex)].name, port, *m_liveData);
}

int CDMDoc::GetPortCondition(std::string_view server, std::string_view port, std::string& user,
                             std::uint32_t& sessionStart)
{
    return static_cast<int>(m_ras->GetPortCondition(server, port, user, sessionStart));
}

void CDMDoc::DisconnectPort(std::string_view server, std::string_view port)
{
    m_ras->DisconnectPort(server, port);
}

void CDMDoc::ClearPortStatistics(std::string_view server, std::string_view port)
{
    m_ras->ClearPortStatistics(server, port);
}

std::uint8_t CDMDoc::GetUserRasPermission(std::string_view server, std::string_view account,
                                          std::string& callbackNumber)
{
    return m_ras->GetUserRasPermission(server, account, callbackNumber);
}

std::vector<std::uint8_t> CDMDoc::GetUserRasPermissions(std::string_view server,
                                                        std::span<const std::string_view> accounts)
{
    return m_ras->GetUserRasPermissions(server, accounts);
}

bool CDMDoc::SetUserRasPermission(std::string_view server, std::string_view account,
                                  std::uint8_t privilege, std::string_view callbackNumber)
{
    return m_ras->SetUserRasPermission(server, account, privilege, callbackNumber);
}

std::vector<ServerEntry> CDMDoc::ReadPortTables(const std::vector<std::string>& names) const
{
    SilentInteraction silent;
    RasAccess ras(&m_platform->functions, silent);
    std::vector<ServerEntry> tables;
    tables.reserve(names.size());
    for (const std::string& name : names) {
        ServerEntry entry;
        entry.name = name;
        // The master share a server names is taken by the document's own
        // refresh; a copy's finding is dropped.
        std::string directory;
        bool changed = false;
        ras.RefreshServerPorts(entry, directory, changed);
        tables.push_back(std::move(entry));
    }
    return tables;
}

bool CDMDoc::TakePortTables(std::vector<ServerEntry> tables)
{
    bool changed = false;
    for (ServerEntry& table : tables) {
        const int index = FindServer(table.name);
        if (index == kNoServer)
            continue;
        ServerEntry& server = m_servers[static_cast<std::size_t>(index)];
        const int listed = ListedPortCount(table);
        bool same = listed == ListedPortCount(server) && table.state == server.state;
        for (int i = 0; same && i < listed; ++i) {
            const PortSlot& a = table.slots[static_cast<std::size_t>(i)];
            const PortSlot& b = server.slots[static_cast<std::size_t>(i)];
            same = a.portName == b.portName && PortImage(a) == PortImage(b);
        }
        changed = changed || !same;
        server = std::move(table);
    }
    return changed;
}

std::vector<std::string> CDMDoc::ServerNames() const
{
    std::vector<std::string> names;
    for (const ServerEntry& server : m_servers)
        names.push_back(server.name);
    return names;
}

std::size_t CDMDoc::SetUserRasPermissions(std::string_view server, std::span<const RasPermissionChange> changes)
{
    return m_ras->SetUserRasPermissions(server, changes);
}

bool CDMDoc::GetServerPortTotals(std::string_view server, int& totalPorts, int& portsInUse)
{
    return m_ras->GetServerPortTotals(server, totalPorts, portsInUse);
}

} // namespace dm
