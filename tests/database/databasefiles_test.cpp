// Dialmind.hw and Dialmind.usr through the one model: what the manager
// writes is what the server component reads, and a load and save keeps the
// rest of the file (comments, order, keys nobody models) as it was.

#include "database/groupsettings.h"
#include "database/hardwarefile.h"
#include "database/userfile.h"
#include "platform/files/profile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

class DatabaseFilesTest : public ::testing::Test {
protected:
    std::string Hw() const { return (m_dir / "Dialmind.hw").string(); }
    std::string Usr() const { return (m_dir / "Dialmind.usr").string(); }
    dm::test::TempDir m_dir;
};

TEST_F(DatabaseFilesTest, HardwareFileRoundTripKeepsCommentsOrderAndForeignKeys)
{
    const std::string original =
        "; written by hand\r\n"
        "[Loggers]\r\nRAS1=1\r\n"
        "[RAS1\\COM2]\r\nMaxSessionTime=600\r\nStaticIP=-1062731775\r\nAllowedUser=\"DOM\\joe;\"\r\n"
        "AllowedGroup=\"DOM\\Sales;RAS1\\Dialers\\;\"\r\n"
        "[RAS1\\COM1]\r\n; the fast line\r\nMaxSessionTime=0\r\nStaticIP=0\r\nColour=blue\r\n"
        "[General]\r\nNotify1=300\r\nNotify1Text=\" five minutes left \"\r\nNotify2=0\r\nNotify2Text=\"\"\r\n"
        "[Default]\r\nMaxSessionTime=3600\r\nMaxTotalTime=0\r\nExpiryTime=30\r\nPeriodMax=7200\r\nPeriodType=2\r\n"
        "NoDuplicate=1\r\nAssignDefault=1\r\n"
        "[Greetings]\r\nRuleMask=5\r\nRule0Text=\"Welcome, #UNAME\"\r\nRule1Text=\"\"\r\nRule2Text=\"Max #PMS secs\"\r\n";
    WriteFile(Hw(), original);

    const std::vector<PortSettings> ports = LoadPortSettings(Hw());
    ASSERT_EQ(ports.size(), 2u) << "Loggers is never a port";
    EXPECT_EQ(ports[0].portName, "COM2") << "file order";
    EXPECT_EQ(ports[0].staticIP, 0xC0A80001u) << "192.168.0.1 stored negative";
    const PortAccessLists lists = LoadPortAccessLists(Hw(), "RAS1", "COM2");
    const NotificationSettings notices = LoadNotificationSettings(Hw());
    EXPECT_EQ(notices.notices[0].text, " five minutes left ") << "quotes keep the outer blanks";
    const DefaultProfile profile = LoadDefaultProfile(Hw());
    EXPECT_TRUE(profile.assignDefault);
    EXPECT_EQ(profile.periodType, 2);
    const GreetingRules greetings = LoadGreetingRules(Hw());
    EXPECT_EQ(greetings.RuleMask(), 5);

    ProfileBatch batch(Hw());
    for (const PortSettings& port : ports)
        WritePortSettings(batch, port);
    WritePortAccessLists(batch, "RAS1", "COM2", lists);
    WriteNotificationSettings(batch, notices);
    WriteDefaultProfile(batch, profile);
    WriteGreetingRules(batch, greetings);
    WriteLoggers(batch, {"RAS1"});
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(ReadFile(Hw()), original);
}

TEST_F(DatabaseFilesTest, GroupSectionsAndLoggersGoIntoABatchWithTheRest)
{
    ProfileBatch hw(Hw());
    WriteLoggers(hw, {"RAS1", "RAS2"});
    ASSERT_TRUE(hw.Commit());
    EXPECT_EQ(GetPrivateProfileString("Loggers", "RAS2", "", Hw()), "1");
    EXPECT_TRUE(LoadPortSettings(Hw()).empty());

    UserRecord account;
    account.accountKey = "DOM\\joe";
    account.totalTime = 900;
    GroupSettings sales;
    sales.sessionLimitOn = true;
    sales.maxSessionTime = "0120";
    sales.periodLimitOn = true;
    sales.periodChoice = 1;
    sales.periodMax = "3600";
    ProfileBatch usr(Usr());
    WriteUsageCounters(usr, account, true);
    WriteGroupSettings(usr, GroupSectionName("DOM", "Sales"), sales);
    ASSERT_TRUE(usr.Commit());
    const UserDatabase users = LoadUserDatabase(Usr());
    ASSERT_NE(users.FindAccount("DOM\\JOE"), nullptr);
    EXPECT_EQ(users.FindAccount("DOM\\JOE")->totalTime, 900);
    ASSERT_NE(users.FindGroup("DOM\\Sales"), nullptr);
    EXPECT_EQ(*users.FindGroup("DOM\\Sales"), (Limits{false, 120, 0, 3600, PeriodWeek}));
    EXPECT_EQ(GetPrivateProfileString("+DOM\\Sales", "MaxSessionTime", "", Usr()), "0120") << "as typed";
}

TEST_F(DatabaseFilesTest, UserFileRoundTripKeepsCommentsOrderAndGroups)
{
    const std::string original =
        "; accounts\r\n"
        "[DOM\\joe]\r\nStaticIP=0\r\nMaxSessionTime=600\r\nTotalTime=-2000000000\r\nTotalConnects=4\r\n"
        "MaxTotalTime=2000000000\r\nExpiryTime=0\r\nPeriodMax=0\r\nPeriodUsage=0\r\nPeriodStamp=0\r\n"
        "PeriodType=0\r\nNoDuplicate=1\r\nFirstConnection=1700000000\r\nLastConnection=-1\r\n"
        "TotalDenieds=2\r\nLasted=60\r\n"
        "[+DOM\\Staff]\r\nMaxSessionTime=1200\r\nMaxTotalTime=0\r\nNoDuplicate=0\r\nPeriodMax=0\r\nPeriodType=0\r\n";
    WriteFile(Usr(), original);

    const UserDatabase usr = LoadUserDatabase(Usr());
    ASSERT_EQ(usr.accounts.size(), 1u) << "group sections are not accounts";
    const UserRecord* joe = usr.FindAccount("dom\\JOE");
    ASSERT_NE(joe, nullptr);
    EXPECT_EQ(joe->totalTime, -2000000000);
    EXPECT_EQ(joe->lastConnection, 0xFFFFFFFFu);
    ASSERT_NE(usr.FindGroup("dom\\staff"), nullptr);
    EXPECT_EQ(usr.FindGroup("dom\\staff")->maxSessionTime, 1200);

    // The manager writes everything of a new record; the server component's
    // counters; both in the file's own spelling of each number.
    ProfileBatch batch(Usr());
    WriteUserRecordChanges(batch, *joe, nullptr);
    WriteUsageCounters(batch, *joe, true);
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(ReadFile(Usr()), original);
}

TEST_F(DatabaseFilesTest, ManagerSaveWritesOnlyItsOwnChanges)
{
    WriteFile(Usr(), "[DOM\\ann]\r\nTotalTime=100\r\nMaxTotalTime=500\r\nFirstConnection=1700000000\r\n");
    UserRecord base = LoadUserDatabase(Usr()).accounts.begin()->second;
    UserRecord edited = base;
    edited.maxTotalTime = 900;
    // The component adds usage meanwhile; the manager's save must not undo it.
    WritePrivateProfileString("DOM\\ann", "TotalTime", "160", Usr());
    ProfileBatch batch(Usr());
    const UserRecord after = WriteUserRecordChanges(batch, edited, &base);
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(GetPrivateProfileString("DOM\\ann", "TotalTime", "", Usr()), "160");
    EXPECT_EQ(GetPrivateProfileString("DOM\\ann", "MaxTotalTime", "", Usr()), "900");
    EXPECT_EQ(after.firstConnection, 1700000000u);
    // A reset of the first connection is the one connection time the manager writes.
    edited = after;
    edited.firstConnection = 0;
    ProfileBatch reset(Usr());
    WriteUserRecordChanges(reset, edited, &after);
    ASSERT_TRUE(reset.Commit());
    EXPECT_EQ(GetPrivateProfileString("DOM\\ann", "FirstConnection", "", Usr()), "0");
}

TEST_F(DatabaseFilesTest, ServerComponentViewFindsPortsAndListsWithoutRegardToCase)
{
    WriteFile(Hw(), "[ras1\\com1]\r\nMaxSessionTime=60\r\nAllowedUser=\" DOM\\joe ;DOM\\amy;\"\r\n"
                    "AllowedGroup=\"DOM\\Sales;RAS1\\Dialers\\;\\;\"\r\n"
                    "[RAS1\\COM1]\r\nMaxSessionTime=99\r\n[RAS1\\COM3]\r\n");
    const HardwareDatabase hw = LoadHardwareDatabase(Hw());
    const HardwareDatabase::Port* port = hw.FindPort("RAS1", "Com1");
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->settings.maxSessionTime, 60) << "the first section of a name wins";
    EXPECT_EQ(port->allowedUsers, (std::vector<std::string>{"DOM\\joe", "DOM\\amy"}));
    EXPECT_EQ(port->allowedGlobalGroups, (std::vector<std::string>{"DOM\\Sales"}));
    EXPECT_EQ(port->allowedLocalGroups, (std::vector<std::string>{"RAS1\\Dialers"}));
    EXPECT_TRUE(port->Restricted());
    ASSERT_NE(hw.FindPort("ras1", "com3"), nullptr);
    EXPECT_FALSE(hw.FindPort("ras1", "com3")->Restricted());
    EXPECT_EQ(hw.FindPort("RAS1", "COM9"), nullptr);
}

} // namespace

// One caller's decision reads its account and its groups alone: what it
// finds is what the whole file's load gives for them, whatever the spelling
// of the names, and nothing of the others.
TEST_F(DatabaseFilesTest, OneCallersLoadGivesWhatTheWholeLoadGivesForIt)
{
    WriteFile(Usr(), "[+DOM\\Sales]\r\nMaxTotalTime=36000\r\n[dom\\JOE]\r\nTotalTime=5\r\nTotalTime=6\r\n"
                     "[DOM\\ann]\r\nTotalTime=7\r\n[DOM\\joe]\r\nTotalTime=8\r\n[+dom\\staff]\r\nPeriodMax=60\r\n"
                     "PeriodType=1\r\n[+DOM\\Sales]\r\nMaxTotalTime=1\r\n");
    const UserDatabase whole = LoadUserDatabase(Usr());
    for (const bool cached : {false, true}) {
        if (!cached)
            ClearIniCache();
        const UserDatabase one = LoadUserDatabaseFor(Usr(), "Dom\\Joe", {"DOM\\SALES", "DOM\\Staff", "DOM\\none"});
        ASSERT_EQ(one.accounts.size(), 1u);
        ASSERT_NE(one.FindAccount("DOM\\JOE"), nullptr);
        EXPECT_EQ(*one.FindAccount("DOM\\JOE"), *whole.FindAccount("DOM\\JOE"));
        EXPECT_EQ(one.FindAccount("DOM\\JOE")->accountKey, "dom\\JOE") << "the file's spelling";
        EXPECT_EQ(one.FindAccount("DOM\\ann"), nullptr);
        ASSERT_EQ(one.groups.size(), 2u);
        EXPECT_EQ(*one.FindGroup("dom\\sales"), *whole.FindGroup("dom\\sales"));
        EXPECT_EQ(*one.FindGroup("DOM\\STAFF"), *whole.FindGroup("DOM\\STAFF"));
        // A group's name is no account, and an account's is no group.
        EXPECT_TRUE(LoadUserDatabaseFor(Usr(), "+DOM\\Sales", {"DOM\\ann"}).accounts.empty());
        EXPECT_TRUE(LoadUserDatabaseFor(Usr(), "+DOM\\Sales", {"DOM\\ann"}).groups.empty());
        LoadPrivateProfile(Usr());
    }
}
