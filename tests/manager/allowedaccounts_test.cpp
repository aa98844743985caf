// The port access lists as the Permissions page lists them, and what the Add
// Allowed Groups dialog finds on the network.

#include "manager/core/allowedaccounts.h"
#include "manager/core/allowedgroupsource.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "tests/manager/corefixture.h"

#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;

namespace {

using Kind = AllowedAccount::Kind;

TEST(AllowedAccountsTest, ListsAreReadAndWrittenBackUnchanged)
{
    PortAccessLists lists;
    lists.allowedUsers = "DOM\\ann;DOM\\bert;";
    lists.allowedGroups = "DOM\\Sales;DOM\\Admins\\;RAS1\\Dialers\\;";
    const std::vector<AllowedAccount> accounts = ParseAllowedAccounts(lists);
    const std::vector<AllowedAccount> expected{{Kind::User, "DOM\\ann"},
                                               {Kind::User, "DOM\\bert"},
                                               {Kind::GlobalGroup, "DOM\\Sales"},
                                               {Kind::LocalGroup, "DOM\\Admins"},
                                               {Kind::LocalGroup, "RAS1\\Dialers"}};
    EXPECT_EQ(accounts, expected);
    const PortAccessLists back = FormatAllowedAccounts(accounts);
    EXPECT_EQ(back.allowedUsers, lists.allowedUsers);
    EXPECT_EQ(back.allowedGroups, lists.allowedGroups);
}

TEST(AllowedAccountsTest, EmptyPiecesNameNothingAndAMissingLastSemicolonKeepsTheName)
{
    PortAccessLists lists;
    lists.allowedUsers = ";;DOM\\ann";
    lists.allowedGroups = "\\;DOM\\Sales;;";
    const std::vector<AllowedAccount> expected{{Kind::User, "DOM\\ann"}, {Kind::GlobalGroup, "DOM\\Sales"}};
    EXPECT_EQ(ParseAllowedAccounts(lists), expected);
    EXPECT_TRUE(ParseAllowedAccounts(PortAccessLists{}).empty());
}

TEST(AllowedAccountsTest, EntriesGoToTheirListInEntryOrder)
{
    const PortAccessLists lists = FormatAllowedAccounts(
        {{Kind::LocalGroup, "B\\L"}, {Kind::User, "A\\u"}, {Kind::GlobalGroup, "A\\G"}, {Kind::User, "B\\v"}});
    EXPECT_EQ(lists.allowedUsers, "A\\u;B\\v;");
    EXPECT_EQ(lists.allowedGroups, "B\\L\\;A\\G;");
    EXPECT_TRUE(FormatAllowedAccounts({}).allowedGroups.empty());
}

// The provider calls with one of the four failing; counts the handles it
// opened and closed.
class FailingBrowsing : public NetworkBrowsing {
public:
    explicit FailingBrowsing(int failing) : m_failing(failing) {}

    unsigned long OpenEnum(const NETRESOURCE* container, WNetHandle* handle) override
    {
        if (m_failing == (container ? 3 : 1))
            return 1222; // no network
        const unsigned long status = NetworkBrowsing::OpenEnum(container, handle);
        m_opened += status == 0;
        return status;
    }
    unsigned long EnumResource(WNetHandle handle, std::uint32_t* count, void* buffer,
                               std::uint32_t* bufferSize) override
    {
        if (m_failing == (++m_reads == 1 ? 2 : 4))
            return 1222;
        return NetworkBrowsing::EnumResource(handle, count, buffer, bufferSize);
    }
    unsigned long CloseEnum(WNetHandle handle) override
    {
        ++m_closed;
        return NetworkBrowsing::CloseEnum(handle);
    }

    int m_opened = 0;
    int m_closed = 0;

private:
    int m_failing;
    int m_reads = 0;
};

class NetworkSourceTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        Network::AddComputer("HQDC");
        ASSERT_TRUE(NetworkDirectory::AddDomain("HQ", "HQDC", NetworkDirectory::kWindowsProvider, ""));
        ASSERT_TRUE(NetworkDirectory::AddDomain("WORKGROUP", "", NetworkDirectory::kWindowsProvider, ""));
        ASSERT_TRUE(NetworkDirectory::AddDomain("OTHERNET", "", "Fieldline Office Network", ""));
    }
};

TEST_F(NetworkSourceTest, DomainsOfTheFirstProviderInOrder)
{
    FailingBrowsing network(0);
    EXPECT_EQ(ListNetworkDomains(network, m_ui), (std::vector<std::string>{"HQ", "WORKGROUP"}));
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_EQ(network.m_opened, 2);
    EXPECT_EQ(network.m_closed, 2);
}

TEST_F(NetworkSourceTest, EachFailingCallIsReportedByItsOwnText)
{
    const char* const texts[] = {"Error Open Enum 1", "Error Enum Res 1", "Error Open Enum 2", "Error Enum Res 2"};
    for (int failing = 1; failing <= 4; ++failing) {
        SCOPED_TRACE(failing);
        m_ui.m_messages.clear();
        FailingBrowsing network(failing);
        EXPECT_TRUE(ListNetworkDomains(network, m_ui).empty());
        ASSERT_EQ(m_ui.Texts(), std::vector<std::string>{texts[failing - 1]});
        EXPECT_EQ(m_ui.m_messages[0].caption, "Dialminder");
        // Every enumeration that was opened is closed again.
        EXPECT_EQ(network.m_opened, network.m_closed);
    }
}

TEST_F(NetworkSourceTest, AnEmptyNetworkHasNothingToReadAtTheTop)
{
    ASSERT_TRUE(NetworkDirectory::Store({}, {}));
    EXPECT_TRUE(ListNetworkDomains(NetworkBrowsing::System(), m_ui).empty());
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{"Error Enum Res 1"});
}

TEST_F(NetworkSourceTest, GroupsAndUsersOfTheControllerAreReadInBatchesToTheEnd)
{
    // Far more than one 10,000-byte batch of each kind.
    std::vector<GroupAccount> globals, locals;
    for (int i = 0; i < 700; ++i)
        globals.push_back({"Global group number " + std::to_string(i), "", {}});
    for (int i = 0; i < 400; ++i)
        locals.push_back({"Local group number " + std::to_string(i), "", {}});
    std::vector<UserAccount> users;
    for (int i = 0; i < 500; ++i) {
        UserAccount user;
        user.name = "user" + std::to_string(i);
        users.push_back(user);
    }
    UserAccount machine;
    machine.name = "WKS1$";
    machine.type = AccountType::Workstation;
    users.push_back(machine);
    ASSERT_EQ(AccountDatabase("HQDC").Store(users, globals, locals, "HQ"), 0u);

    const std::vector<AccountChoice> choices = ListDomainAccounts("HQ");
    ASSERT_EQ(choices.size(), 700u + 400u + 500u) << "the workstation account is no user to allow";
    EXPECT_EQ(choices.front(), (AccountChoice{'G', "Global group number 0"}));
    EXPECT_EQ(choices[699], (AccountChoice{'G', "Global group number 699"}));
    EXPECT_EQ(choices[700], (AccountChoice{'L', "Local group number 0"}));
    EXPECT_EQ(choices[1099], (AccountChoice{'L', "Local group number 399"}));
    EXPECT_EQ(choices[1100], (AccountChoice{'U', "user0"}));
    EXPECT_EQ(choices.back(), (AccountChoice{'U', "user499"}));
}

TEST_F(NetworkSourceTest, ADomainWithoutAReachableControllerListsNothing)
{
    EXPECT_TRUE(ListDomainAccounts("WORKGROUP").empty());
    Network::SetReachable("HQDC", false);
    EXPECT_TRUE(ListDomainAccounts("HQ").empty());
    EXPECT_TRUE(m_ui.m_messages.empty());
}

} // namespace
