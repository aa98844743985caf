// The document's life: construction, the new-document step, the manager
// settings and the lock.

#include "manager/core/dmdoc.h"

#include "common/activitylog.h"
#include "manager/core/documentplatform.h"
#include "manager/core/portlivedata.h"
#include "manager/core/rasaccess.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <ctime>

namespace dm {

namespace {

constexpr const char* kDialminderKey = "Software\\Osterhall Software\\Dialminder\\";

// "/S=NAME" or "/s=NAME" (at least five characters) names the server list key.
std::string ServerListKeyFrom(std::string_view commandLine)
{
    while (!commandLine.empty() && (commandLine.front() == ' ' || commandLine.front() == '\t'))
        commandLine.remove_prefix(1);
    while (!commandLine.empty() && (commandLine.back() == ' ' || commandLine.back() == '\t'))
        commandLine.remove_suffix(1);
    if (commandLine.size() >= 5 && (commandLine.starts_with("/S=") || commandLine.starts_with("/s=")))
        return std::string(commandLine.substr(3));
    return "Servers";
}

} // namespace

CDMDoc::CDMDoc(UserInteraction& ui)
    : m_ui(ui),
      m_platform(std::make_unique<Platform>()),
      m_log(std::make_unique<ActivityLog>(
          [](std::string_view path) { return ResolvePathOrEmpty(path); })),
      m_graphLog(std::make_unique<ActivityLog>(
          [](std::string_view path) { return ResolvePathOrEmpty(path); })),
      m_liveData(std::make_unique<PortLiveData>()),
      m_remote(ui)
{
    m_platform->rasLoaded = BindRasAdminLibrary(m_platform->library, m_platform->functions, ui);
    m_ras = std::make_unique<RasAccess>(&m_platform->functions, ui);
    AttachLogDirectory();
    m_historyDate = static_cast<std::uint32_t>(std::time(nullptr));
}

CDMDoc::~CDMDoc() = default;

bool CDMDoc::RasLibraryLoaded() const { return m_platform->rasLoaded; }

void CDMDoc::Lock() { m_platform->mutex.Lock(); }
void CDMDoc::Unlock() { m_platform->mutex.Release(); }

ProgressSink CDMDoc::Progress()
{
    return [this](const std::string& text) {
        if (m_progressWindow)
            m_ui.ShowProgress(text);
    };
}

std::string CDMDoc::ServerListKeyPath() const { return kDialminderKey + m_serverListKey; }

void CDMDoc::ResetForNewDocument()
{
    m_changed = false;
    m_logReloadNeeded = false;
    m_databaseAvailable = false;
    m_progressWindow = false;
    if (!m_introDrawn) {
        m_currentKind = KindNone;
        m_viewMode = ModeStatus;
    } else {
        // A re-run after a server was added or removed: the pane follows the
        // current selection again.
        SelectItem(nullptr, m_currentKind);
    }
    m_report = ReportSettings();
    m_settings.browseScope = 1;
    m_historyDate = static_cast<std::uint32_t>(std::time(nullptr));
}

bool CDMDoc::ReadServerList()
{
    m_servers.clear();
    RegKey hive, key;
    if (RegOpenLocalMachine(hive) != winerr::Success ||
        hive.OpenKey(ServerListKeyPath(), key) != winerr::Success)
        return false;
    // Every sub-key is one monitored server; names are kept whole, so a long
    // name still finds its own registry and tree node.
    for (std::string& name : key.SubKeyNames()) {
        ServerEntry entry;
        entry.name = std::move(name);
        m_servers.push_back(std::move(entry));
    }
    return true;
}

void CDMDoc::DiscoverDatabaseDirectory()
{
    // The share of the last server with a Master value wins.
    for (ServerEntry& server : m_servers)
        m_remote.DiscoverDatabaseDirectory(server, m_databaseDirectory);
}

void CDMDoc::ApplyDatabaseDirectory()
{
    const bool known = !m_databaseDirectory.empty();
    m_hardware.SetFile(known ? HardwareSettings::FileNameIn(m_databaseDirectory) : std::string());
    m_users.SetFile(known ? UserSettings::FileNameIn(m_databaseDirectory) : std::string());
    if (!known)
        m_users.Records().clear();
    AttachLogDirectory();
}

bool CDMDoc::OnNewDocument()
{
    ResetForNewDocument();
    m_serverListKey = ServerListKeyFrom(m_commandLine);
    m_databaseDirectory.clear();
    const bool listed = ReadServerList();
    if (listed)
        DiscoverDatabaseDirectory();
    m_databaseAvailable = !m_databaseDirectory.empty();
    ApplyDatabaseDirectory();
    LoadHardwareSettings();
    // The manager settings are read even without a server list, so that the
    // save at closing writes back what was stored, not the defaults.
    LoadManagerSettings();
    UpdateAllViews(nullptr, hint::DocumentLoaded);
    return true;
}

bool CDMDoc::RemoveMonitoredServer(std::string_view server)
{
    RegKey hive;
    unsigned long error = RegOpenLocalMachine(hive);
    if (error == winerr::Success)
        error = hive.DeleteTree(ServerListKeyPath() + "\\" + std::string(server));
    OnNewDocument();
    return error == winerr::Success;
}

void CDMDoc::LoadManagerSettings()
{
    m_settings.Load();
}

bool CDMDoc::SaveManagerSettings()
{
    return m_settings.Save();
}

} // namespace dm
