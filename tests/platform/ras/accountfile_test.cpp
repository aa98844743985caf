// Reading a computer's accounts.ini: the whole file, and one user looked up
// without indexing the rest, must agree with each other and with the rules
// of every profile file.

#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "platform/ras/rasportstore.h"
#include "platform/system/services.h"
#include "tests/platform/ras/rasnetworkfixture.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using namespace dm;
using namespace dm::test;

namespace {

class AccountFileTest : public RasNetworkFixture {
protected:
    // Writes the file with a modification time of its own, so that a reader
    // keeping an earlier state sees the change.
    void WriteAccounts(const std::string& text)
    {
        WriteMachineFile("DC1", "accounts.ini", text);
        const std::string path = (m_dir / "machines" / "DC1" / "accounts.ini").string();
        struct timespec times[2] = {{0, UTIME_OMIT}, {++m_clock, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    std::time_t m_clock = 1700000000;
};

const char* const kTrickyFile =
    "\xEF\xBB\xBF; accounts of the test domain\r\n"
    "[Accounts]\r\nDomain=LQ\r\n"
    "[User:]\r\nRasPrivilege=9\r\n"
    "[User:mkeller]\r\nFullName = Maria Keller \r\nrasprivilege=10\r\nRasPrivilege=2\r\n"
    "CallbackNumber=\"040 55\"\r\nType=Admin\r\nDisabled=1\r\nRid=1500\r\n"
    "[Group:Drivers]\r\nMembers=mkeller, tbauer ,,\r\nComment=Night shift\r\n"
    "[USER:MKeller]\r\nRasPrivilege=9\r\n"
    "[accounts]\r\nDomain=OTHER\r\n"
    "[LocalGroup:Drivers]\r\nMembers=LQ\\mkeller\r\n"
    "[User:tbauer]\r\nComment=no permission given\r\n";

} // namespace

TEST_F(AccountFileTest, TheFirstSectionAndTheFirstKeyOfANameCount)
{
    WriteAccounts(kTrickyFile);
    AccountDatabase db("DC1");
    ASSERT_EQ(db.Load(), 0u);
    EXPECT_EQ(db.DomainName(), "LQ");
    ASSERT_EQ(db.Users().size(), 2u) << "\"User:\" names nobody; MKeller is mkeller again";
    const UserAccount* maria = db.FindUser("MKELLER");
    ASSERT_NE(maria, nullptr);
    EXPECT_EQ(maria->name, "mkeller");
    EXPECT_EQ(maria->fullName, "Maria Keller");
    EXPECT_EQ(maria->rasPrivilege, 10);
    EXPECT_EQ(maria->callbackNumber, "040 55");
    EXPECT_EQ(maria->type, AccountDatabase::ParseType("Admin"));
    EXPECT_TRUE(maria->disabled);
    EXPECT_EQ(maria->rid, 1500u);
    const UserAccount* tom = db.FindUser("tbauer");
    ASSERT_NE(tom, nullptr);
    EXPECT_EQ(tom->rasPrivilege, 1) << "an account never given a permission may not dial in";
    EXPECT_EQ(tom->rid, 1001u) << "no Rid: one from its position";
    ASSERT_NE(db.FindGlobalGroup("drivers"), nullptr);
    const std::vector<std::string> drivers{"mkeller", "tbauer"};
    EXPECT_EQ(db.FindGlobalGroup("drivers")->members, drivers);
    EXPECT_EQ(db.FindGlobalGroup("drivers")->comment, "Night shift");
    ASSERT_NE(db.FindLocalGroup("Drivers"), nullptr);
    EXPECT_EQ(db.FindLocalGroup("Drivers")->members, (std::vector<std::string>{"LQ\\mkeller"}));
}

TEST_F(AccountFileTest, OneUserLookedUpAloneReadsAsTheWholeFileReadsIt)
{
    WriteAccounts(kTrickyFile);
    AccountDatabase whole("DC1");
    ASSERT_EQ(whole.Load(), 0u);
    for (const char* name : {"mkeller", "MKeller", "tbauer"}) {
        WriteAccounts(kTrickyFile); // a new state each time: never the kept reading
        AccountDatabase one("DC1");
        ASSERT_EQ(one.LoadUser(name), 0u);
        const UserAccount* found = one.FindUser(name);
        ASSERT_NE(found, nullptr) << name;
        const UserAccount* expected = whole.FindUser(name);
        EXPECT_EQ(found->name, expected->name);
        EXPECT_EQ(found->fullName, expected->fullName);
        EXPECT_EQ(found->rasPrivilege, expected->rasPrivilege) << name;
        EXPECT_EQ(found->callbackNumber, expected->callbackNumber);
        EXPECT_EQ(found->disabled, expected->disabled);
    }
    AccountDatabase nobody("DC1");
    ASSERT_EQ(nobody.LoadUser("nobody"), 0u);
    EXPECT_EQ(nobody.FindUser("nobody"), nullptr);
    AccountDatabase empty("DC1");
    ASSERT_EQ(empty.LoadUser(""), 0u);
    EXPECT_EQ(empty.FindUser(""), nullptr) << "the section \"User:\" is nobody's";
}

TEST_F(AccountFileTest, LookupsFollowTheFileAndARunOfThemKeepsOneReading)
{
    WriteAccounts("[User:a]\r\nRasPrivilege=9\r\n[User:b]\r\nRasPrivilege=8\r\n");
    AccountDatabase first("DC1");
    ASSERT_EQ(first.LoadUser("a"), 0u);
    EXPECT_EQ(first.FindUser("a")->rasPrivilege, 9);
    // The second lookup in the same state reads the whole file and keeps it.
    AccountDatabase second("DC1");
    ASSERT_EQ(second.LoadUser("a"), 0u);
    EXPECT_EQ(second.Users().size(), 2u);
    AccountDatabase third("DC1");
    ASSERT_EQ(third.LoadUser("b"), 0u);
    EXPECT_EQ(third.Users().size(), 2u);

    WriteAccounts("[User:a]\r\nRasPrivilege=1\r\n[User:b]\r\nRasPrivilege=8\r\n");
    AccountDatabase changed("DC1");
    ASSERT_EQ(changed.LoadUser("a"), 0u);
    EXPECT_EQ(changed.FindUser("a")->rasPrivilege, 1);

    Network::SetReachable("DC1", false);
    AccountDatabase offline("DC1");
    EXPECT_EQ(offline.LoadUser("a"), winerr::BadNetPath);
    EXPECT_EQ(offline.FindUser("a"), nullptr);
}

TEST_F(AccountFileTest, APortReadSeesTheServiceAndTheComputerChangeBetweenCalls)
{
    WriteMachineFile("RAS1", "ras.ini", "[COM1]\r\nLineCondition=4\r\n");
    RasPortStore store("RAS1");
    RasPortRecord port;
    ASSERT_EQ(store.Find("com1", port), 0u);
    ASSERT_TRUE(SetServiceState("RAS1", "RemoteAccess", 1));
    EXPECT_EQ(store.Find("COM1", port), winerr::RpcServerUnavailable);
    ASSERT_TRUE(SetServiceState("RAS1", "RemoteAccess", 4));
    EXPECT_EQ(store.Find("COM1", port), 0u);
    Network::SetReachable("RAS1", false);
    EXPECT_EQ(store.Find("COM1", port), winerr::BadNetPath);
    Network::SetReachable("RAS1", true);
    EXPECT_EQ(store.Find("COM1", port), 0u);
}

namespace {

class RasPermissionWriteTest : public AccountFileTest {
protected:
    std::string Path() const { return (m_dir / "machines" / "DC1" / "accounts.ini").string(); }
    std::string Text() { return ReadMachineFile("DC1", "accounts.ini"); }
    std::int64_t Mtime()
    {
        struct stat st {};
        ::stat(Path().c_str(), &st);
        return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
};

TEST_F(RasPermissionWriteTest, PermissionsThatReadAsTheyWouldBeWrittenWriteNothing)
{
    Machine("DC1");
    // A number in quotes and an empty one written with a blank read as the
    // import would give them; a missing privilege reads as 1.
    WriteAccounts("[User:anna]\r\nRasPrivilege=10\r\nCallbackNumber=\"040 55\"\r\n"
                  "[User:carl]\r\nRasPrivilege=1\r\nCallbackNumber= \r\n"
                  "[User:dora]\r\nFullName=Dora\r\n");
    const std::string before = Text();
    const std::int64_t stamp = Mtime();
    const std::vector<RasPermissionChange> same = {{"ANNA", 10, "040 55"}, {"carl", 1, " "}, {"dora", 1, ""}};
    std::size_t written = 99;
    EXPECT_EQ(0u, AccountDatabase("DC1").SetRasPermissions(same, written));
    EXPECT_EQ(3u, written);
    EXPECT_EQ(0u, AccountDatabase("DC1").SetRasPermission("anna", 10, "040 55"));
    EXPECT_EQ(before, Text());
    EXPECT_EQ(stamp, Mtime());

    // One that differs is written, and only it.
    EXPECT_EQ(0u, AccountDatabase("DC1").SetRasPermissions(
                      std::vector<RasPermissionChange>{{"anna", 10, "040 55"}, {"dora", 9, ""}}, written));
    EXPECT_NE(stamp, Mtime());
    EXPECT_EQ("[User:anna]\r\nRasPrivilege=10\r\nCallbackNumber=\"040 55\"\r\n"
              "[User:carl]\r\nRasPrivilege=1\r\nCallbackNumber= \r\n"
              "[User:dora]\r\nFullName=Dora\r\nRasPrivilege=9\r\nCallbackNumber=\r\n",
              Text());
}

TEST_F(RasPermissionWriteTest, ABatchGivesWhatOneAccountAtATimeGives)
{
    Machine("DC1");
    std::string file;
    std::vector<RasPermissionChange> changes;
    for (int i = 0; i < 300; ++i) {
        const std::string name = "user" + std::to_string(i);
        file += "[User:" + name + "]\r\nFullName=U " + std::to_string(i) + "\r\nRasPrivilege=" +
                (i % 2 ? "9" : "1") + "\r\n";
        if (i % 3 != 0)
            changes.push_back({name, static_cast<std::uint8_t>(i % 4 ? 10 : 9), i % 4 ? "0301 " + name : ""});
    }
    WriteAccounts(file);
    for (const RasPermissionChange& c : changes)
        ASSERT_EQ(0u, AccountDatabase("DC1").SetRasPermission(c.user, c.privilege, c.callbackNumber));
    const std::string oneByOne = Text();

    WriteAccounts(file);
    std::size_t written = 0;
    ASSERT_EQ(0u, AccountDatabase("DC1").SetRasPermissions(changes, written));
    EXPECT_EQ(changes.size(), written);
    EXPECT_EQ(oneByOne, Text());
}

TEST_F(RasPermissionWriteTest, AnUnknownUserEndsTheBatchAfterWritingThoseBeforeIt)
{
    Machine("DC1");
    WriteAccounts("[User:anna]\r\nRasPrivilege=1\r\n[User:bob]\r\nRasPrivilege=1\r\n");
    const std::vector<RasPermissionChange> changes = {{"anna", 9, ""}, {"ghost", 9, ""}, {"bob", 9, ""}};
    std::size_t written = 99;
    EXPECT_EQ(2221u, AccountDatabase("DC1").SetRasPermissions(changes, written));
    EXPECT_EQ(1u, written);
    AccountDatabase db("DC1");
    ASSERT_EQ(0u, db.Load());
    EXPECT_EQ(9, db.FindUser("anna")->rasPrivilege);
    EXPECT_EQ(1, db.FindUser("bob")->rasPrivilege);

    EXPECT_EQ(53u, AccountDatabase("NOWHERE").SetRasPermissions(changes, written));
    EXPECT_EQ(0u, written);
}

} // namespace
