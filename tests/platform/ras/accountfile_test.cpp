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
