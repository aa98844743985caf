// The document: start-up from the registry, the refresh cycle, the selection
// and the pane, and the facade operations on a temporary network.

#include "common/activitylog.h"
#include "manager/core/dmdoc.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"
#include "tests/manager/corefixture.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

class FakeFrame : public FrameInterface {
public:
    void SwitchView(int kind) override { m_switches.push_back(kind); }
    std::vector<int> m_switches;
};

class RecordingObserver : public DocumentObserver {
public:
    void OnDocumentUpdate(DocumentObserver*, int hint) override { m_hints.push_back(hint); }
    std::vector<int> m_hints;
};

class DocumentTest : public dm::test::CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        setenv("DIALMIND_TRACE", (m_dir / "trace.txt").c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("DIALMIND_TRACE");
        CoreFixture::TearDown();
    }
    // A master server sharing the test's database directory.
    void AddMaster(const std::string& name = "MASTER")
    {
        AddServer(name, true, DatabaseDir());
        MonitorServer(name);
    }
    std::unique_ptr<CDMDoc> NewDocument(const std::string& commandLine = {})
    {
        auto doc = std::make_unique<CDMDoc>(m_ui);
        doc->SetFrame(&m_frame);
        doc->AddObserver(&m_view);
        doc->SetCommandLine(commandLine);
        doc->OnNewDocument();
        return doc;
    }
    std::string Trace() { return ReadFile(m_dir / "trace.txt"); }

    FakeFrame m_frame;
    RecordingObserver m_view;
};

TEST_F(DocumentTest, ServerListKeyFromTheCommandLine)
{
    AddServer("HQ1");
    AddServer("BR1");
    AddServer("BR2");
    MonitorServer("HQ1");
    MonitorServer("BR1", "Branch");
    MonitorServer("BR2", "Branch");

    auto branch = NewDocument("/s=Branch");
    EXPECT_EQ(branch->ServerListKeyName(), "Branch");
    ASSERT_EQ(branch->Servers().size(), 2u);
    EXPECT_EQ(branch->Servers()[0].name, "BR1");
    EXPECT_EQ(branch->FindServer("BR2"), 1);
    EXPECT_EQ(branch->FindServer("br2"), kNoServer) << "names compare exactly";

    auto plain = NewDocument("/S=");
    EXPECT_EQ(plain->ServerListKeyName(), "Servers");
    ASSERT_EQ(plain->Servers().size(), 1u);
    EXPECT_EQ(plain->Servers()[0].name, "HQ1");
}

TEST_F(DocumentTest, WithoutServerListTheDocumentIsEmptyButLoaded)
{
    // Stored settings are still read, so that the save at closing keeps them.
    SetDword(Network::LocalComputerName(), ManagerSettings::KeyPath, "Interval", 45);
    auto doc = NewDocument();
    EXPECT_EQ(doc->Settings().interval, 45);
    EXPECT_TRUE(doc->Servers().empty());
    EXPECT_EQ(doc->FindServer("ANY"), kNoServer);
    EXPECT_FALSE(doc->DatabaseAvailable());
    EXPECT_EQ(m_view.m_hints, std::vector<int>{hint::DocumentLoaded});
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(DocumentTest, LaterMasterWinsAndUnreachableServerGetsStateOne)
{
    AddServer("FIRST", true, "C:\\Other");
    AddServer("OFF", true, "C:\\never");
    AddServer("SECOND", true, DatabaseDir());
    AddServer("PLAIN");
    for (const char* name : {"FIRST", "OFF", "SECOND", "PLAIN"})
        MonitorServer(name);
    Network::SetReachable("OFF", false);
    WriteFile(m_db / "Dialmind.hw", "[SECOND\\COM1]\r\nMaxSessionTime=60\r\n");

    auto doc = NewDocument();
    ASSERT_EQ(doc->Servers().size(), 4u);
    EXPECT_EQ(doc->DatabaseDirectory(), DatabaseDir());
    EXPECT_TRUE(doc->DatabaseAvailable());
    EXPECT_EQ(doc->Servers()[1].state, ServerState::RegistryUnavailable);
    EXPECT_EQ(doc->Servers()[0].state, ServerState::Reachable);
    EXPECT_EQ(doc->Servers()[3].state, ServerState::Reachable);
    ASSERT_EQ(doc->PortSettingsTable().size(), 1u);
    EXPECT_EQ(doc->PortSettingsTable()[0].maxSessionTime, 60);
}

TEST_F(DocumentTest, MasterShareThroughTheNetworkShare)
{
    AddServer("MASTER", true, "\\\\MASTER\\DM_NT_DB");
    MonitorServer("MASTER");
    WriteFile(Network::ComputerDir("MASTER").value() / "shares.ini",
              "[Shares]\r\nDM_NT_DB=" + DatabaseDir() + "\r\n");
    // The share names a directory of the master's own drive.
    const ResolvedPath shared = ResolvePath("\\\\MASTER\\DM_NT_DB");
    ASSERT_TRUE(shared.ok());
    std::filesystem::create_directories(shared.path);
    WriteFile(shared.path / "Dialmind.hw", "[Greetings]\r\nRuleMask=2\r\n");
    auto doc = NewDocument();
    EXPECT_EQ(doc->DatabaseDirectory(), "\\\\MASTER\\DM_NT_DB");
    EXPECT_TRUE(doc->Greetings().rules[1].active);
}

TEST_F(DocumentTest, ManagerSettingsAreReadAtStartAndSavedWithoutTouchingTheNotices)
{
    AddMaster();
    SetDword(Network::LocalComputerName(), ManagerSettings::KeyPath, "BrowseScope", 7);
    SetDword(Network::LocalComputerName(), ManagerSettings::KeyPath, "Interval", 0);
    WriteFile(m_db / "Dialmind.hw", "[General]\r\nNotify1=60\r\nNotify1Text=\"Bye\"\r\n");
    auto doc = NewDocument();
    EXPECT_EQ(doc->BrowseScope(), 1);
    EXPECT_EQ(doc->Settings().interval, 30);
    EXPECT_EQ(doc->Notifications().notices[0].text, "Bye");

    doc->Notifications().notices[0].seconds = 0;
    doc->Settings().interval = 45;
    ASSERT_TRUE(doc->SaveManagerSettings());
    // The notices belong to their page's save, not to the manager's settings.
    EXPECT_EQ(GetPrivateProfileString("General", "Notify1Text", "?", HardwareFile()), "Bye");
    ManagerSettings stored;
    stored.Load();
    EXPECT_EQ(stored.interval, 45);
}

TEST_F(DocumentTest, RefreshUpdatesViewsUnlessNothingLoaded)
{
    AddMaster();
    auto doc = NewDocument();
    m_view.m_hints.clear();

    // Scope 1 reads its day file (missing or not) and so always has news.
    doc->RefreshDocument();
    EXPECT_EQ(m_view.m_hints, std::vector<int>{hint::DataChanged});
    EXPECT_EQ(Trace(), "Refresh: Read all Logs\nRefresh: Found new log entries\nRefresh: Read all Users\n"
                       "Refresh: Found new user settings data\nRefresh: New data therefore Update views\n");

    // Scope 4 without day files fails, and the users did not change: no update.
    doc->SetBrowseScope(4);
    m_view.m_hints.clear();
    std::filesystem::remove(m_dir / "trace.txt");
    doc->RefreshDocument();
    EXPECT_TRUE(m_view.m_hints.empty());
    EXPECT_EQ(Trace(), "Refresh: Read all Logs\nRefresh: Read all Users\n");

    // Another writer changes the user file: the next refresh reloads it.
    ASSERT_TRUE(WritePrivateProfileString("DOM\\ann", "TotalTime", "5", UserFile()));
    doc->RefreshDocument();
    EXPECT_EQ(m_view.m_hints, std::vector<int>{hint::DataChanged});
    ASSERT_EQ(doc->UserTable().size(), 1u);
    EXPECT_EQ(doc->UserTable()[0].totalTime, 5);
}

TEST_F(DocumentTest, ProgressOnlyWithAProgressWindow)
{
    AddMaster();
    WriteFile(m_db / "Dialmind.usr", "[DOM\\ann]\r\nTotalTime=1\r\n");
    auto doc = NewDocument();
    doc->LoadUserSettings();
    EXPECT_TRUE(m_ui.m_progress.empty());
    doc->SetProgressWindow(true);
    doc->Users().Invalidate();
    doc->LoadUserSettings();
    const std::vector<std::string> expected = {"Loading User Data (100%, 1 records). Processing DOM\\ann.",
                                               "Ready"};
    EXPECT_EQ(m_ui.m_progress, expected);
}

TEST_F(DocumentTest, SelectionFollowsKindAndMode)
{
    auto doc = NewDocument();
    RecordingObserver tree;
    doc->AddObserver(&tree);
    m_view.m_hints.clear();

    doc->SelectItem(&tree, KindServer);
    doc->SelectItem(&tree, KindPort);
    doc->SelectItem(&tree, KindPort); // another port: same pane, re-read names
    EXPECT_EQ(m_frame.m_switches, (std::vector<int>{KindServer, KindPort}));
    EXPECT_EQ(m_view.m_hints, std::vector<int>{hint::DataChanged});
    EXPECT_TRUE(tree.m_hints.empty()) << "the sender is not told";

    doc->SetViewMode(ModeHistory);
    EXPECT_EQ(m_frame.m_switches.back(), KindPort);
    doc->SelectItem(&tree, KindAccount);
    EXPECT_EQ(m_view.m_hints.back(), hint::SelectionChanged);
    EXPECT_EQ(m_frame.m_switches.size(), 3u);

    doc->SelectItem(&tree, KindNone);
    EXPECT_EQ(m_frame.m_switches.back(), KindNone);
    doc->SelectItem(&tree, KindServer); // from none in history mode: rebuild
    EXPECT_EQ(m_frame.m_switches.back(), KindServer);
    EXPECT_EQ(doc->CurrentKind(), KindServer);

    doc->SetViewMode(ModeStatus);
    EXPECT_TRUE(doc->PreviousModeWasHistory());
    doc->RemoveObserver(&tree);
}

TEST_F(DocumentTest, DeleteAccountsAsksForEach)
{
    AddMaster();
    WriteFile(m_db / "Dialmind.usr", "[DOM\\ann]\r\nTotalTime=1\r\n[DOM\\bob]\r\nTotalTime=2\r\n");
    auto doc = NewDocument();
    doc->RefreshDocument();
    m_ui.QueueAnswer(Answer::No);
    m_ui.QueueAnswer(Answer::Yes);
    EXPECT_EQ(doc->DeleteUserAccounts({"DOM\\ann", "DOM\\bob"}), 1);
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Are you sure you want to permanently delete data and settings\nfor user DOM\\ann?");
    EXPECT_EQ(m_ui.m_messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Question);
    ASSERT_EQ(doc->UserTable().size(), 1u) << "the refresh reloaded the table";
    EXPECT_EQ(doc->UserTable()[0].accountKey, "DOM\\ann");
}

TEST_F(DocumentTest, RemovingAServerRerunsTheNewDocumentStep)
{
    AddMaster();
    AddServer("RAS2");
    MonitorServer("RAS2");
    auto doc = NewDocument();
    ASSERT_EQ(doc->Servers().size(), 2u);
    m_view.m_hints.clear();
    EXPECT_TRUE(doc->RemoveMonitoredServer("RAS2"));
    ASSERT_EQ(doc->Servers().size(), 1u);
    EXPECT_EQ(doc->Servers()[0].name, "MASTER");
    EXPECT_EQ(m_view.m_hints.back(), hint::DocumentLoaded);
}

} // namespace

namespace {

class UnreadableDatabaseTest : public DocumentTest {
protected:
    std::string Message(const std::string& file) const
    {
        return "The file " + file +
               " cannot be read: it is not a regular file or may not be read (error 5).\n"
               "Nothing of it is shown or saved until it can be read.";
    }
    // 2001-May-10 12:00 UTC.
    static constexpr std::uint32_t kDay = 989496000;
};

TEST_F(UnreadableDatabaseTest, AUserFileThatCannotBeReadIsNamedOnceAndNeverTakenForAnEmptyOne)
{
    AddMaster();
    WriteFile(m_db / "Dialmind.usr", "[DOM\\anna]\r\nMaxSessionTime=60\r\n");
    auto doc = NewDocument();
    ASSERT_TRUE(doc->LoadUserSettings());
    ASSERT_EQ(doc->UserTable().size(), 1u);
    EXPECT_TRUE(doc->CheckDatabaseFile(doc->Users().File()));
    EXPECT_TRUE(doc->CheckDatabaseFile(doc->Hardware().File())) << "a file not there yet is a new database";
    EXPECT_TRUE(m_ui.m_messages.empty());

    // A directory in its place cannot be read, not even by root.
    std::filesystem::remove(m_db / "Dialmind.usr");
    std::filesystem::create_directory(m_db / "Dialmind.usr");
    const std::string file = doc->Users().File();
    EXPECT_TRUE(doc->LoadUserSettings());
    EXPECT_TRUE(doc->UserTable().empty());
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{Message(file)});
    EXPECT_EQ(m_ui.m_messages.front().icon, Icon::Error);
    doc->RefreshDocument();
    EXPECT_EQ(m_ui.Texts().size(), 1u) << "named once, not at every refresh";
    // An editor asks first and does not open.
    EXPECT_FALSE(doc->CheckDatabaseFile(file));
    EXPECT_EQ(m_ui.Texts().size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(m_db / "Dialmind.usr"));

    // Readable again: loaded as before, without a message.
    std::filesystem::remove(m_db / "Dialmind.usr");
    WriteFile(m_db / "Dialmind.usr", "[DOM\\anna]\r\nMaxSessionTime=60\r\n");
    EXPECT_TRUE(doc->LoadUserSettings());
    EXPECT_EQ(doc->UserTable().size(), 1u);
    EXPECT_EQ(m_ui.Texts().size(), 2u);
}

TEST_F(UnreadableDatabaseTest, HardwareSettingsAndDayFilesThatCannotBeReadAreNamed)
{
    AddMaster();
    WriteFile(m_db / "Dialmind.hw", "[RAS1\\COM1]\r\nMaxSessionTime=60\r\n");
    auto doc = NewDocument();
    ASSERT_EQ(doc->PortSettingsTable().size(), 1u);

    std::filesystem::remove(m_db / "Dialmind.hw");
    ASSERT_EQ(::mkfifo((m_db / "Dialmind.hw").c_str(), 0644), 0);
    doc->LoadHardwareSettings();
    EXPECT_TRUE(doc->PortSettingsTable().empty());
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{Message(doc->Hardware().File())});
    EXPECT_FALSE(doc->CheckDatabaseFile(doc->Hardware().File()));

    // A day file: its events are missing, and the list says so once.
    m_ui.m_messages.clear();
    const std::string dayFile = DayLogPath(DatabaseDir(), kDay);
    const std::filesystem::path dayPath = ResolvePath(dayFile).path;
    std::filesystem::create_directories(dayPath);
    doc->SetBrowseScope(1);
    doc->SetHistoryDate(kDay);
    doc->LoadActivityLog();
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{Message(dayFile)});
    doc->LoadActivityLog();
    EXPECT_EQ(m_ui.Texts().size(), 1u);

    // Two of them are listed together.
    m_ui.m_messages.clear();
    const std::string nextFile = DayLogPath(DatabaseDir(), kDay + 86400);
    std::filesystem::create_directories(ResolvePath(nextFile).path);
    doc->SetBrowseScope(2);
    doc->LoadActivityLog();
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{"These log files cannot be read; their events are not shown:\n" +
                                                     dayFile + "\n" + nextFile});

    // Readable again: the events are there and nothing is said.
    m_ui.m_messages.clear();
    std::filesystem::remove(dayPath);
    std::filesystem::remove(ResolvePath(nextFile).path);
    WriteFile(dayPath, "[RAS1\\COM1]\r\n989496000=C_DOM\\anna\r\n");
    doc->LoadActivityLog();
    EXPECT_EQ(doc->Log().Count(), 1u);
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(UnreadableDatabaseTest, AFileOfModeZeroIsNamedLikeAnyUnreadableOne)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads a file of mode 000; the directory and FIFO cases cover the rest";
    AddMaster();
    WriteFile(m_db / "Dialmind.usr", "[DOM\\anna]\r\nMaxSessionTime=60\r\n");
    std::filesystem::permissions(m_db / "Dialmind.usr", std::filesystem::perms::none);
    auto doc = NewDocument();
    EXPECT_TRUE(doc->LoadUserSettings());
    EXPECT_TRUE(doc->UserTable().empty());
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{Message(doc->Users().File())});
    std::filesystem::permissions(m_db / "Dialmind.usr", std::filesystem::perms::owner_all);
}

} // namespace
