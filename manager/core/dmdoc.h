#pragma once
// The manager's single document. It owns everything the manager knows: the
// monitored servers with their live port tables, the central database
// directory, the hardware and user settings, the loaded activity log, the
// bound RAS library, the manager's own settings, the tree selection and the
// view mode. It keeps the system's operation names and delegates each to a
// component of its own (HardwareSettings, UserSettings, ActivityLog,
// RasAccess, RemoteConfig, ManagerSettings).
//
// The document never shows anything itself: messages, the wait cursor and
// progress texts go through the UserInteraction it is given, the pane switch
// through the FrameInterface, redraws through the registered observers.
// All calls come from the user-interface thread, except Lock/Unlock, which
// serialise walks of the server tables across threads and processes, and
// GetServerPortTotals and ReadPortTables, which only call the library and
// the registries and may run on the tree's port-total thread.

#include "common/userinteraction.h"
#include "manager/core/documentobserver.h"
#include "manager/core/frameinterface.h"
#include "database/groupsettings.h"
#include "manager/core/hardwaresettings.h"
#include "manager/core/managersettings.h"
#include "manager/core/remoteconfig.h"
#include "manager/core/reportsettings.h"
#include "manager/core/selection.h"
#include "manager/core/serverentry.h"
#include "manager/core/usagewindow.h"
#include "manager/core/usersettings.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class ActivityLog;
class RasAccess;
struct PortLiveData;
struct RasPermissionChange;

class CDMDoc {
public:
    // Creates the mutex "CriticalMutex" and binds the RAS library (a missing
    // library or entry point is reported through ui, once).
    explicit CDMDoc(UserInteraction& ui);
    ~CDMDoc();
    CDMDoc(const CDMDoc&) = delete;
    CDMDoc& operator=(const CDMDoc&) = delete;

    // --- Wiring by the window layer ---------------------------------------
    // The command line of the program; "/S=NAME" or "/s=NAME" selects the
    // server list key Software\Osterhall Software\Dialminder\NAME.
    void SetCommandLine(std::string commandLine) { m_commandLine = std::move(commandLine); }
    void SetFrame(FrameInterface* frame) { m_frame = frame; }
    void AddObserver(DocumentObserver* observer);
    void RemoveObserver(DocumentObserver* observer);
    // Sends hint to every observer except sender.
    void UpdateAllViews(DocumentObserver* sender, int hint);
    // The frame attaches its status bar as the progress window whenever it
    // rebuilds the right pane; without one, long loads show no progress.
    void SetProgressWindow(bool attached) { m_progressWindow = attached; }
    bool HasProgressWindow() const { return m_progressWindow; }
    // Noted once the intro view has been drawn; the tree reports selections
    // only after that.
    void SetIntroDrawn() { m_introDrawn = true; }
    bool IntroDrawn() const { return m_introDrawn; }
    UserInteraction& Interaction() { return m_ui; }

    // --- Start-up -----------------------------------------------------------
    // The new-document step: reads the server list, discovers the database
    // directory, loads the hardware and manager settings, sends hint 0.
    // Re-run after a server was added or removed.
    bool OnNewDocument();
    const std::string& ServerListKeyName() const { return m_serverListKey; }
    // Software\Osterhall Software\Dialminder\<server list key name>.
    std::string ServerListKeyPath() const;
    // Deletes the server's key from the server list and re-runs the new-document step.
    bool RemoveMonitoredServer(std::string_view server);

    // --- Database -----------------------------------------------------------
    const std::string& DatabaseDirectory() const { return m_databaseDirectory; }
    bool DatabaseAvailable() const { return m_databaseAvailable; }
    // True when the database file (Hardware().File(), Users().File()) can be
    // read or does not exist yet. Otherwise shows the message naming the file
    // and why, and returns false: an editor of that file does not open, as it
    // could only show nothing and save over what the file holds.
    bool CheckDatabaseFile(std::string_view file);

    // --- Hardware settings (Dialmind.hw) ---------------------------------------
    void LoadHardwareSettings();
    // Editors read and save through these (see HardwareSettings).
    HardwareSettings& Hardware() { return m_hardware; }
    std::vector<PortSettings>& PortSettingsTable() { return m_hardware.Ports(); }
    DefaultProfile& Default() { return m_hardware.Default(); }
    GreetingRules& Greetings() { return m_hardware.Greetings(); }
    NotificationSettings& Notifications() { return m_hardware.Notifications(); }

    // --- User settings (Dialmind.usr) -------------------------------------------
    // True when the table was reloaded (the file changed since the last load).
    bool LoadUserSettings();
    void SaveUserSettings();
    // False when the file could not be written.
    bool CommitEditedUser();
    // 0, 1 expired, 2 total time exceeded; for the users view's icons.
    int UserLimitState(int index) const;
    UserSettings& Users() { return m_users; }
    std::vector<UserRecord>& UserTable() { return m_users.Records(); }
    UserRecord& EditRecord() { return m_users.EditRecord(); }
    int EditIndex() const { return m_users.EditIndex(); }
    void SetEditIndex(int index) { m_users.SetEditIndex(index); }
    // Asks "Are you sure ...?" for each account, removes the section of each
    // confirmed one, then runs the refresh cycle. Returns how many were removed.
    int DeleteUserAccounts(const std::vector<std::string>& accounts);
    GroupSettings LoadGroupSettings(std::string_view source, std::string_view group);
    // Writes the keys whose value differs between shown and edited.
    bool SaveGroupSettings(std::string_view source, std::string_view group, const GroupSettings& shown,
                           const GroupSettings& edited);

    // --- Activity log ---------------------------------------------------------
    ActivityLog& Log() { return *m_log; }
    // The records of the browse scope relative to HistoryDate.
    bool LoadActivityLog();
    bool LoadActivityLogRange(std::uint32_t from, std::uint32_t to);
    int BrowseScope() const;
    void SetBrowseScope(int scope);
    std::uint32_t HistoryDate() const;
    void SetHistoryDate(std::uint32_t date);
    // Set by the history options page when the scope changes, cleared by the
    // history view when it reloads.
    bool LogReloadNeeded() const { return m_logReloadNeeded; }
    void SetLogReloadNeeded(bool needed) { m_logReloadNeeded = needed; }
    // The usage graph's time window; every load of the log sets it to today,
    // zoomed by day, with the scope starting at the earliest loaded record.
    UsageWindow& GraphWindow() { return m_graphWindow; }
    // The records the usage graph reads for its own window (LoadUsageRecords),
    // apart from the history scope's.
    ActivityLog& GraphLog() { return *m_graphLog; }
    // Names the day files the last load of log could not read, once for each
    // change of that list: their events are missing from what is shown.
    void ReportUnreadableLogFiles(const ActivityLog& log);
    // The same for any list of day files (the capacity view's).
    void ReportUnreadableLogFiles(const std::vector<std::string>& unreadable);

    // --- Servers and the RAS library -----------------------------------------------
    std::vector<ServerEntry>& Servers() { return m_servers; }
    const std::vector<ServerEntry>& Servers() const { return m_servers; }
    // Index of the server with exactly that name, or kNoServer (6666).
    int FindServer(std::string_view name) const;
    bool RefreshServerPorts(int serverIndex);
    bool RefreshPortUsers(int serverIndex);
    bool GetPortLiveData(int serverIndex, std::string_view port);
    const PortLiveData& LiveData() const { return *m_liveData; }
    // 0 idle, 1 busy, 2 not available.
    int GetPortCondition(std::string_view server, std::string_view port, std::string& user,
                         std::uint32_t& sessionStart);
    void DisconnectPort(std::string_view server, std::string_view port);
    void ClearPortStatistics(std::string_view server, std::string_view port);
    std::uint8_t GetUserRasPermission(std::string_view server, std::string_view account,
                                      std::string& callbackNumber);
    bool SetUserRasPermission(std::string_view server, std::string_view account,
                              std::uint8_t privilege, std::string_view callbackNumber);
    // Many accounts in one write (RasAccess::SetUserRasPermissions): the number set.
    std::size_t SetUserRasPermissions(std::string_view server, std::span<const RasPermissionChange> changes);
    // Many accounts' privilege bits in one reading (RasAccess::GetUserRasPermissions).
    std::vector<std::uint8_t> GetUserRasPermissions(std::string_view server, std::span<const std::string_view> accounts);
    // Total and busy ports of one server (the tree's port-total thread).
    bool GetServerPortTotals(std::string_view server, int& totalPorts, int& portsInUse);
    // Fresh port tables of the named servers, read as RefreshServerPorts reads
    // them but into copies: the document is not touched and nothing is shown,
    // so the port-total thread may call it.
    std::vector<ServerEntry> ReadPortTables(const std::vector<std::string>& names) const;
    // Takes tables that ReadPortTables made for the servers still listed
    // (matched by name); true when a listed port or its image changed.
    bool TakePortTables(std::vector<ServerEntry> tables);
    std::vector<std::string> ServerNames() const;
    // Set by port refreshes when a server's port or busy count changed.
    bool Changed() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }
    bool RasLibraryLoaded() const;

    // --- Remote registry configuration ------------------------------------------
    RemoteConfig& Remote() { return m_remote; }

    // --- Manager settings ---------------------------------------------------------
    ManagerSettings& Settings() { return m_settings; }
    // Writes the manager's registry values (the notices are saved by their page).
    bool SaveManagerSettings();
    ReportSettings& Report() { return m_report; }

    // --- Refresh, selection, view mode ---------------------------------------------------
    // Reloads the log of the browse scope and, when its file changed, the
    // user settings; sends hint 1 when either brought data.
    void RefreshDocument();
    // Records the selected node kind (0 to 3) and makes the right pane follow.
    void SelectItem(DocumentObserver* sender, int kind);
    void SetViewMode(int mode);
    int CurrentKind() const { return m_currentKind; }
    int ViewMode() const { return m_viewMode; }
    bool PreviousModeWasHistory() const { return m_previousModeHistory; }
    Selection& CurrentSelection() { return m_selection; }

    // --- Locking -----------------------------------------------------------------
    // "CriticalMutex": waits without time limit; recursive for the holder.
    void Lock();
    void Unlock();

private:
    struct Platform;
    ProgressSink Progress();
    void ResetForNewDocument();
    bool ReadServerList();
    void DiscoverDatabaseDirectory();
    void LoadManagerSettings();
    void ApplyDatabaseDirectory();
    void AttachLogDirectory();
    void SwitchPane(int kind);
    void AfterLogLoad();

    UserInteraction& m_ui;
    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<RasAccess> m_ras;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<ActivityLog> m_graphLog;
    std::unique_ptr<PortLiveData> m_liveData;
    RemoteConfig m_remote;
    FrameInterface* m_frame = nullptr;
    std::vector<DocumentObserver*> m_observers;

    std::string m_commandLine;
    std::string m_serverListKey = "Servers";
    std::vector<ServerEntry> m_servers;
    std::string m_databaseDirectory;
    bool m_databaseAvailable = false;

    HardwareSettings m_hardware;
    UserSettings m_users;
    ManagerSettings m_settings;
    ReportSettings m_report;

    Selection m_selection;
    int m_currentKind = KindNone;
    int m_viewMode = ModeStatus;
    bool m_previousModeHistory = false;
    bool m_progressWindow = false;
    bool m_introDrawn = false;
    bool m_changed = false;
    bool m_logReloadNeeded = false;
    std::uint32_t m_historyDate = 0;
    UsageWindow m_graphWindow;
    std::vector<std::string> m_reportedLogFiles;
};

} // namespace dm
