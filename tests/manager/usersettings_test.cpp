// The user settings file: change detection, saves that keep the server
// component's counters, the limit state and the group sections.

#include "database/groupsettings.h"
#include "manager/core/useredit.h"
#include "manager/core/usersettings.h"
#include "platform/files/profile.h"
#include "tests/manager/corefixture.h"

#include <filesystem>

using namespace dm;
using dm::test::WriteFile;

namespace {

class UserSettingsTest : public dm::test::CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        m_users.SetFile(UserFile());
    }
    void Write(const std::string& contents) { WriteFile(m_db / "Dialmind.usr", contents); }
    std::string Value(const std::string& section, const std::string& key)
    {
        return GetPrivateProfileString(section, key, "<missing>", UserFile());
    }
    // Another writer (a server component) changes one value.
    void WriteAsServer(const std::string& section, const std::string& key, const std::string& value)
    {
        ASSERT_TRUE(WritePrivateProfileString(section, key, value, UserFile()));
    }
    UserSettings m_users;
};

TEST_F(UserSettingsTest, GroupSectionsAreNamedInProgressButNotLoaded)
{
    Write("[+DOM\\Sales]\r\nMaxTotalTime=5\r\n[+DOM\\Staff]\r\nPeriodType=1\r\n");
    std::vector<std::string> progress;
    EXPECT_TRUE(m_users.Load([&](const std::string& text) { progress.push_back(text); }));
    EXPECT_TRUE(m_users.Records().empty());
    const std::vector<std::string> expected = {
        "Loading User Data (0%, 0 records). Processing +DOM\\Sales.",
        "Loading User Data (0%, 0 records). Processing +DOM\\Staff.", "Ready"};
    EXPECT_EQ(progress, expected);
}

TEST_F(UserSettingsTest, ProgressCountsAccountBytesOfTheWholeList)
{
    // List: "DOM\ann" (8 bytes with its end), "+DOM\G" (7), "DOM\bob" (8): 23 bytes.
    Write("[DOM\\ann]\r\nTotalTime=1\r\n[+DOM\\G]\r\n[DOM\\bob]\r\nTotalTime=2\r\n");
    std::vector<std::string> progress;
    m_users.Load([&](const std::string& text) { progress.push_back(text); });
    ASSERT_EQ(progress.size(), 4u);
    EXPECT_EQ(progress[0], "Loading User Data (34%, 1 records). Processing DOM\\ann.");
    EXPECT_EQ(progress[1], "Loading User Data (34%, 1 records). Processing +DOM\\G.");
    EXPECT_EQ(progress[2], "Loading User Data (69%, 2 records). Processing DOM\\bob.");
}

TEST_F(UserSettingsTest, ReloadsOnlyWhenTheFileChanged)
{
    Write("[DOM\\ann]\r\nTotalTime=60\r\nStaticIP=-1062731775\r\nNoDuplicate=1\r\n");
    ASSERT_TRUE(m_users.Load());
    ASSERT_EQ(m_users.Records().size(), 1u);
    EXPECT_EQ(m_users.Records()[0].totalTime, 60);
    EXPECT_EQ(m_users.Records()[0].staticIP, 0xC0A80001u);
    EXPECT_TRUE(m_users.Records()[0].noDuplicate);
    EXPECT_FALSE(m_users.Load());

    // Changes within the same second are still seen.
    WriteAsServer("DOM\\ann", "TotalTime", "61");
    EXPECT_TRUE(m_users.Load());
    EXPECT_EQ(m_users.Records()[0].totalTime, 61);
}

TEST_F(UserSettingsTest, MissingFileLoadsOnceAsEmpty)
{
    EXPECT_TRUE(m_users.Load());
    EXPECT_TRUE(m_users.Records().empty());
    EXPECT_FALSE(m_users.Load());
}

TEST_F(UserSettingsTest, SaveKeepsCountersAnotherWriterChanged)
{
    Write("[DOM\\ann]\r\nTotalTime=100\r\nTotalConnects=4\r\nMaxTotalTime=0\r\n");
    m_users.Load();
    WriteAsServer("DOM\\ann", "TotalTime", "250");
    WriteAsServer("DOM\\ann", "TotalConnects", "5");

    // The manager edits a limit only.
    m_users.Records()[0].maxTotalTime = 36000;
    ASSERT_TRUE(m_users.Save());
    EXPECT_EQ(Value("DOM\\ann", "TotalTime"), "250");
    EXPECT_EQ(Value("DOM\\ann", "TotalConnects"), "5");
    EXPECT_EQ(Value("DOM\\ann", "MaxTotalTime"), "36000");

    // A reset is the manager's own change and is written; a second save of
    // the same table does not write it again over newer counts.
    m_users.Records()[0].totalTime = 0;
    ASSERT_TRUE(m_users.Save());
    EXPECT_EQ(Value("DOM\\ann", "TotalTime"), "0");
    WriteAsServer("DOM\\ann", "TotalTime", "30");
    m_users.Records()[0].periodMax = 600;
    ASSERT_TRUE(m_users.Save());
    EXPECT_EQ(Value("DOM\\ann", "TotalTime"), "30");
}

TEST_F(UserSettingsTest, ConnectionTimesAreOnlyWrittenAsAReset)
{
    Write("[DOM\\ann]\r\nFirstConnection=1000000\r\nLastConnection=2000000\r\n");
    m_users.Load();
    m_users.Records()[0].maxSessionTime = 60;
    m_users.Save();
    EXPECT_EQ(Value("DOM\\ann", "FirstConnection"), "1000000");

    // A server component sets a newer last connection; the manager resets the first.
    WriteAsServer("DOM\\ann", "LastConnection", "2000500");
    m_users.Records()[0].firstConnection = 0;
    m_users.Save();
    EXPECT_EQ(Value("DOM\\ann", "FirstConnection"), "0");
    EXPECT_EQ(Value("DOM\\ann", "LastConnection"), "2000500");
}

TEST_F(UserSettingsTest, NewAccountWritesItsLimitsAndNoCounters)
{
    m_users.Load();
    EXPECT_TRUE(BeginUserEdit(m_users, "DOM\\new"));
    UserRecord& edit = m_users.EditRecord();
    edit.maxSessionTime = 1800;
    edit.staticIP = 0x0A000001;
    ASSERT_TRUE(m_users.CommitEditedUser());
    ASSERT_EQ(m_users.Records().size(), 1u);
    const std::vector<std::string> keys = GetPrivateProfileKeyNames("DOM\\new", UserFile());
    const std::vector<std::string> expected = {"NoDuplicate", "MaxSessionTime", "MaxTotalTime", "ExpiryTime",
                                               "PeriodMax",   "PeriodType",     "StaticIP"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(Value("DOM\\new", "MaxSessionTime"), "1800");
    EXPECT_EQ(Value("DOM\\new", "StaticIP"), "167772161");
}

TEST_F(UserSettingsTest, ASheetSavesOnlyWhatThePersonChanged)
{
    Write("[DOM\\ann]\r\nTotalTime=100\r\nTotalConnects=4\r\nFirstConnection=1000\r\n"
          "LastConnection=2000\r\nPeriodUsage=40\r\nPeriodStamp=900\r\nMaxSessionTime=60\r\n");
    // Opened from a port before the table was ever loaded: the sheet reads
    // the account, it does not take it for a new one.
    EXPECT_FALSE(BeginUserEdit(m_users, "dom\\ANN"));
    EXPECT_EQ(m_users.EditRecord().totalTime, 100);

    // Meanwhile the server component counts a session and a second manager
    // changes another limit; this manager's refresh reloads its table.
    WriteAsServer("DOM\\ann", "TotalTime", "250");
    WriteAsServer("DOM\\ann", "TotalConnects", "5");
    WriteAsServer("DOM\\ann", "LastConnection", "3000");
    WriteAsServer("DOM\\ann", "PeriodUsage", "190");
    WriteAsServer("DOM\\ann", "PeriodStamp", "950");
    UserSettings other;
    other.SetFile(UserFile());
    BeginUserEdit(other, "DOM\\ann");
    other.EditRecord().maxTotalTime = 7200;
    ASSERT_TRUE(other.CommitEditedUser());
    m_users.Load();

    // The person changes the expiry and presses OK, then Apply again.
    m_users.EditRecord().expiryTime = 30;
    ASSERT_TRUE(m_users.CommitEditedUser());
    ASSERT_TRUE(m_users.CommitEditedUser());
    EXPECT_EQ(Value("DOM\\ann", "ExpiryTime"), "30");
    EXPECT_EQ(Value("DOM\\ann", "MaxTotalTime"), "7200");
    EXPECT_EQ(Value("DOM\\ann", "MaxSessionTime"), "60");
    EXPECT_EQ(Value("DOM\\ann", "TotalTime"), "250");
    EXPECT_EQ(Value("DOM\\ann", "TotalConnects"), "5");
    EXPECT_EQ(Value("DOM\\ann", "FirstConnection"), "1000");
    EXPECT_EQ(Value("DOM\\ann", "LastConnection"), "3000");
    EXPECT_EQ(Value("DOM\\ann", "PeriodUsage"), "190");
    EXPECT_EQ(Value("DOM\\ann", "PeriodStamp"), "950");
}

TEST_F(UserSettingsTest, AnAccountTheServerCreatedAfterTheLoadKeepsItsDefaults)
{
    m_users.Load();
    WriteAsServer("DOM\\bob", "PeriodMax", "3600");
    WriteAsServer("DOM\\bob", "PeriodType", "1");
    WriteAsServer("DOM\\bob", "NoDuplicate", "1");
    EXPECT_FALSE(BeginUserEdit(m_users, "DOM\\bob"));
    m_users.EditRecord().staticIP = 0x0A000002;
    ASSERT_TRUE(m_users.CommitEditedUser());
    EXPECT_EQ(Value("DOM\\bob", "PeriodMax"), "3600");
    EXPECT_EQ(Value("DOM\\bob", "NoDuplicate"), "1");
    EXPECT_EQ(Value("DOM\\bob", "StaticIP"), "167772162");
}

TEST_F(UserSettingsTest, AFailedCommitIsReported)
{
    std::filesystem::create_directory(m_db / "Dialmind.usr");
    BeginUserEdit(m_users, "DOM\\ann");
    m_users.EditRecord().maxSessionTime = 5;
    EXPECT_FALSE(m_users.CommitEditedUser());
}

TEST_F(UserSettingsTest, TotalDeniedsAndLastedAreNeverWritten)
{
    Write("[DOM\\ann]\r\nTotalDenieds=3\r\nLasted=50\r\n");
    m_users.Load();
    m_users.Records()[0].totalDenieds = 0;
    m_users.Records()[0].lasted = 0;
    m_users.Records()[0].totalConnects = 9;
    m_users.Save();
    EXPECT_EQ(Value("DOM\\ann", "TotalDenieds"), "3");
    EXPECT_EQ(Value("DOM\\ann", "Lasted"), "50");
}

TEST_F(UserSettingsTest, LimitStateCountsExpiryFromFirstConnection)
{
    UserRecord r;
    const std::time_t now = 1700000000;
    r.expiryTime = 10;
    EXPECT_EQ(UserLimitState(r, now), 0) << "never connected: not expired";
    r.firstConnection = static_cast<std::uint32_t>(now - 10 * 86400 + 1);
    EXPECT_EQ(UserLimitState(r, now), 0) << "a second before the end";
    r.firstConnection -= 1;
    EXPECT_EQ(UserLimitState(r, now), 1) << "at the end: the server component refuses, so it is marked";

    // The mark and the server component's refusal agree at the boundary.
    r.expiryTime = 0;
    r.maxTotalTime = 3600;
    r.totalTime = 3599;
    EXPECT_EQ(UserLimitState(r, now), 0);
    r.totalTime = 3600;
    EXPECT_EQ(UserLimitState(r, now), 2);
    r.totalTime = 3601;
    EXPECT_EQ(UserLimitState(r, now), 2);
    // Counters compare as signed numbers: a total far below zero leaves time.
    r.totalTime = -2000000000;
    r.maxTotalTime = 2000000000;
    EXPECT_EQ(UserLimitState(r, now), 0);
    r.totalTime = 3601;
    r.expiryTime = 1;
    EXPECT_EQ(UserLimitState(r, now), 1) << "expiry is tested first";
}

TEST_F(UserSettingsTest, DeletedSectionDisappearsOnNextLoad)
{
    Write("[DOM\\ann]\r\nTotalTime=1\r\n[DOM\\bob]\r\nTotalTime=2\r\n");
    m_users.Load();
    ASSERT_TRUE(m_users.DeleteAccountSection("DOM\\ann"));
    EXPECT_TRUE(m_users.Load());
    ASSERT_EQ(m_users.Records().size(), 1u);
    EXPECT_EQ(m_users.Records()[0].accountKey, "DOM\\bob");
}

TEST_F(UserSettingsTest, ExtremePeriodTypesShowAsTheNearestPeriodWithoutOverflow)
{
    // The sanitizer build stops on a signed overflow, so this fails loudly before the clamp.
    for (const auto& [stored, choice] : {std::pair{"-2147483648", 0}, {"2147483647", 2}, {"-1", 0}, {"4", 2}}) {
        Write(std::string("[+DOM\\Sales]\r\nPeriodType=") + stored + "\r\nPeriodMax=60\r\n");
        const GroupSettings g = LoadGroupSettings(UserFile(), GroupSectionName("DOM", "Sales"));
        EXPECT_TRUE(g.periodLimitOn) << stored;
        EXPECT_EQ(g.periodChoice, choice) << stored;
    }
}

TEST_F(UserSettingsTest, GroupPageReadsAndWritesByItsRules)
{
    Write("[+DOM\\Sales]\r\nMaxSessionTime=0\r\nMaxTotalTime=7200\r\nNoDuplicate=0\r\n"
          "PeriodType=2\r\nPeriodMax=3600\r\n");
    const std::string section = GroupSectionName("DOM", "Sales");
    EXPECT_EQ(section, "+DOM\\Sales");
    GroupSettings g = LoadGroupSettings(UserFile(), section);
    EXPECT_FALSE(g.sessionLimitOn);
    EXPECT_EQ(g.maxSessionTime, "");
    EXPECT_TRUE(g.totalLimitOn);
    EXPECT_EQ(g.maxTotalTime, "7200");
    EXPECT_TRUE(g.allowMultiplePorts);
    EXPECT_TRUE(g.periodLimitOn);
    EXPECT_EQ(g.periodChoice, 1); // "Week"
    EXPECT_EQ(g.periodMax, "3600");

    // Period on with an empty amount: no period limit.
    GroupSettings shown = g;
    g.periodMax = "";
    g.sessionLimitOn = true;
    g.maxSessionTime = "0";
    g.allowMultiplePorts = false;
    ASSERT_TRUE(SaveGroupSettings(UserFile(), section, shown, g));
    EXPECT_EQ(Value(section, "PeriodMax"), "0");
    EXPECT_EQ(Value(section, "PeriodType"), "0");
    EXPECT_EQ(Value(section, "MaxSessionTime"), "0");
    EXPECT_EQ(Value(section, "NoDuplicate"), "1");

    shown = g;
    g.periodMax = "900";
    g.periodChoice = 2;
    g.totalLimitOn = false;
    // Another writer changes a key this page does not change.
    WritePrivateProfileString(section, "NoDuplicate", "0", UserFile());
    SaveGroupSettings(UserFile(), section, shown, g);
    EXPECT_EQ(Value(section, "NoDuplicate"), "0");
    EXPECT_EQ(Value(section, "PeriodType"), "3");
    EXPECT_EQ(Value(section, "MaxTotalTime"), "0");

    shown = g;
    g.periodLimitOn = false;
    SaveGroupSettings(UserFile(), section, shown, g);
    EXPECT_EQ(Value(section, "PeriodMax"), "0");
    EXPECT_EQ(Value(section, "PeriodType"), "0");

    // Group sections never enter the account table.
    m_users.Load();
    EXPECT_TRUE(m_users.Records().empty());
}

} // namespace

TEST_F(UserSettingsTest, AFilteredLoadHoldsTheAccountsItTakesAndTheNextLoadAllOfThem)
{
    Write("[+DOM\\anna]\r\nMaxTotalTime=5\r\n[DOM\\anna]\r\nTotalConnects=2\r\n[FIELD\\bert]\r\nTotalConnects=3\r\n"
          "[OTHER\\ANNA]\r\nTotalConnects=4\r\n");
    m_users.LoadAccounts([](std::string_view account) { return account.size() >= 4 && account.substr(account.size() - 4) != "bert"; });
    ASSERT_EQ(m_users.Records().size(), 2u);
    EXPECT_EQ(m_users.Records()[0].accountKey, "DOM\\anna");
    EXPECT_EQ(m_users.Records()[1].totalConnects, 4);
    // A save after the filtered load writes only what changed in its accounts.
    m_users.Records()[0].maxSessionTime = 600;
    ASSERT_TRUE(m_users.Save());
    EXPECT_EQ(Value("DOM\\anna", "MaxSessionTime"), "600");
    EXPECT_EQ(Value("OTHER\\ANNA", "MaxSessionTime"), "<missing>");
    EXPECT_EQ(Value("FIELD\\bert", "MaxSessionTime"), "<missing>");
    EXPECT_TRUE(m_users.Load());
    EXPECT_EQ(m_users.Records().size(), 3u);
}

TEST_F(UserSettingsTest, AShownTableReadInPiecesHoldsWhatTheLoadedTableHolds)
{
    // Enough accounts for several pieces, a repeated section far from its
    // first (the first counts, as for every reader of the file) and groups.
    std::string text = "[+DOM\\Sales]\r\nMaxTotalTime=5\r\n";
    for (int i = 0; i < 12000; ++i)
        text += "[DOM\\user" + std::to_string(i) + "]\r\nTotalConnects=" + std::to_string(i) +
                "\r\nLastConnection=1765000000\r\nNote=" + std::string(80, 'n') + "\r\n";
    text += "[dom\\USER5]\r\nTotalConnects=99\r\n[+DOM\\Late]\r\nPeriodMax=60\r\n";
    Write(text);
    m_users.Load();
    ClearIniCache(); // the pieces are read, not the parse the load left
    unsigned long error = 1;
    const std::vector<UserRecord> shown = UserSettings::ReadRecords(UserFile(), {}, error);
    EXPECT_EQ(error, 0u);
    ASSERT_EQ(shown.size(), 12000u);
    EXPECT_EQ(shown, m_users.Records());
    EXPECT_EQ(shown[5].totalConnects, 5);

    // A file that cannot be read is an error, never an empty table.
    const std::string file = UserFile();
    std::filesystem::remove(m_db / "Dialmind.usr");
    EXPECT_TRUE(UserSettings::ReadRecords(file, {}, error).empty());
    EXPECT_EQ(error, 0u); // no file yet: a new database
    EXPECT_TRUE(UserSettings::ReadRecords("\\\\NOSUCH\\DM_NT_DB\\Dialmind.usr", {}, error).empty());
    EXPECT_EQ(error, 0u); // nor a computer
    std::filesystem::create_directory(m_db / "Dialmind.usr");
    UserSettings::ReadRecords(file, {}, error);
    EXPECT_NE(error, 0u);
}
