// The network account calls: controllers, batches, resume handles and
// totals, as the server tree, the port pages and the permission export
// drive them.

#include "platform/accounts/accountdatabase.h"
#include "platform/accounts/netapi.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/system/widetext.h"
#include "tests/platform/ras/rasnetworkfixture.h"

#include <gtest/gtest.h>

#include <set>

using namespace dm;
using namespace dm::test;

namespace {

class NetApiTest : public RasNetworkFixture {
protected:
    void SetUp() override
    {
        RasNetworkFixture::SetUp();
        Machine("DC1");
        Machine("RAS1");
        ASSERT_TRUE(NetworkDirectory::AddDomain("BIGCO", "DC1", NetworkDirectory::kWindowsProvider, ""));
        ASSERT_TRUE(NetworkDirectory::AddServer("BIGCO", "RAS1"));
        ASSERT_TRUE(NetworkDirectory::AddDomain("NOCTRL", "", NetworkDirectory::kWindowsProvider, ""));
    }

    // A domain of count users named user0000... with long full names, two
    // machine accounts and a temporary duplicate.
    void CreateUsers(int count)
    {
        std::vector<UserAccount> users;
        for (int i = 0; i < count; ++i) {
            UserAccount u;
            char name[16];
            std::snprintf(name, sizeof name, "user%04d", i);
            u.name = name;
            u.fullName = "Full Name Of User Number " + std::to_string(i);
            users.push_back(u);
        }
        UserAccount ws, srv, temp;
        ws.name = "WS01$";
        ws.type = AccountType::Workstation;
        srv.name = "RAS1$";
        srv.type = AccountType::Server;
        temp.name = "visitor";
        temp.type = AccountType::TempDuplicate;
        users.insert(users.begin() + std::min<std::ptrdiff_t>(10, count), ws);
        users.push_back(srv);
        users.push_back(temp);
        GroupAccount all{"Domain Users", "", {}};
        for (const auto& u : users)
            if (u.type == AccountType::Normal)
                all.members.push_back(u.name);
        ASSERT_EQ(0u, AccountDatabase("DC1").Store(users, {all}, {}));
    }

    // Reads every user as the server tree does: call again while 234 comes back.
    std::vector<std::string> ListUsers(std::uint32_t filter, int& calls)
    {
        std::vector<std::string> names;
        std::uint32_t resume = 0;
        NET_API_STATUS status;
        calls = 0;
        do {
            std::uint8_t* buffer = nullptr;
            std::uint32_t read = 0, total = 0;
            status = NetUserEnum(u"\\\\DC1", 0, filter, &buffer, 10000, &read, &total, &resume);
            ++calls;
            EXPECT_TRUE(status == 0 || status == 234) << status;
            auto* info = reinterpret_cast<USER_INFO_0*>(buffer);
            std::size_t bytes = 0;
            for (std::uint32_t i = 0; i < read; ++i) {
                names.push_back(FromWide(info[i].usri0_name));
                bytes += sizeof(USER_INFO_0) + (names.back().size() + 1) * 2;
            }
            EXPECT_LE(bytes, 10000u);
            NetApiBufferFree(buffer);
        } while (status == 234 && calls < 100);
        EXPECT_EQ(0u, resume);
        return names;
    }
};

TEST_F(NetApiTest, FiveHundredUsersArriveInSeveralBatchesEachOnceInOrder)
{
    CreateUsers(500);
    int calls = 0;
    const auto names = ListUsers(FILTER_NORMAL_ACCOUNT | FILTER_TEMP_DUPLICATE_ACCOUNT, calls);
    ASSERT_EQ(501u, names.size());
    EXPECT_GE(calls, 2);
    EXPECT_EQ("user0000", names.front());
    EXPECT_EQ("user0010", names[10]); // the machine account before it is filtered out
    EXPECT_EQ("user0499", names[499]);
    EXPECT_EQ("visitor", names.back());
    EXPECT_EQ(names.size(), std::set<std::string>(names.begin(), names.end()).size());

    const auto all = ListUsers(0, calls);
    EXPECT_EQ(503u, all.size());
    const auto machines = ListUsers(FILTER_WORKSTATION_TRUST_ACCOUNT | FILTER_SERVER_TRUST_ACCOUNT, calls);
    EXPECT_EQ((std::vector<std::string>{"WS01$", "RAS1$"}), machines);
}

TEST_F(NetApiTest, GroupListingsReportTotalsSoARunningCountEnds)
{
    std::vector<GroupAccount> groups;
    for (int i = 0; i < 700; ++i)
        groups.push_back({"Project Group " + std::to_string(i), "", {}});
    ASSERT_EQ(0u, AccountDatabase("DC1").Store({}, groups, {{"Administrators", "", {}}}));

    // The port pages' loop: add each batch to a running total, go on while it
    // is below the total the call reports.
    std::vector<std::string> names;
    std::uint32_t resume = 0, running = 0, total = 0;
    int calls = 0;
    do {
        std::uint8_t* buffer = nullptr;
        std::uint32_t read = 0;
        const NET_API_STATUS status =
            NetGroupEnum(u"DC1", 0, &buffer, 10000, &read, &total, &resume);
        ASSERT_TRUE(status == 0 || status == 234);
        auto* info = reinterpret_cast<GROUP_INFO_0*>(buffer);
        for (std::uint32_t i = 0; i < read; ++i)
            names.push_back(FromWide(info[i].grpi0_name));
        NetApiBufferFree(buffer);
        running += read;
        ++calls;
    } while (running < total && calls < 100);
    EXPECT_EQ(700u, total);
    EXPECT_EQ(700u, names.size());
    EXPECT_GE(calls, 2);
    EXPECT_EQ("Project Group 699", names.back());

    std::uint8_t* buffer = nullptr;
    std::uint32_t read = 0;
    resume = 0;
    ASSERT_EQ(0u, NetLocalGroupEnum(u"DC1", 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume));
    ASSERT_EQ(1u, read);
    EXPECT_EQ("Administrators", FromWide(reinterpret_cast<LOCALGROUP_INFO_0*>(buffer)->lgrpi0_name));
    NetApiBufferFree(buffer);
}

TEST_F(NetApiTest, AGroupsMembersAndAnUnknownGroup)
{
    CreateUsers(3);
    std::uint8_t* buffer = nullptr;
    std::uint32_t read = 0, total = 0, resume = 0;
    ASSERT_EQ(0u, NetGroupGetUsers(u"DC1", u"domain users", 0, &buffer, 10000, &read, &total, &resume));
    ASSERT_EQ(3u, read); // the normal accounts CreateUsers put in the group
    auto* info = reinterpret_cast<GROUP_USERS_INFO_0*>(buffer);
    EXPECT_EQ("user0000", FromWide(info[0].grui0_name));
    NetApiBufferFree(buffer);
    buffer = nullptr;
    EXPECT_EQ(2220u, NetGroupGetUsers(u"DC1", u"Nobody", 0, &buffer, 10000, &read, &total, &resume));
    EXPECT_EQ(nullptr, buffer);
}

TEST_F(NetApiTest, DisplayInformationContinuesAtTheNextIndex)
{
    CreateUsers(500);
    std::vector<std::string> names;
    std::uint32_t index = 0;
    int calls = 0;
    NET_API_STATUS status;
    do {
        std::uint32_t count = 0;
        void* buffer = nullptr;
        status = NetQueryDisplayInformation(u"\\\\DC1", 1, index, 100, 100000, &count, &buffer);
        ASSERT_TRUE(status == 0 || status == 234) << status;
        auto* users = static_cast<NET_DISPLAY_USER*>(buffer);
        ASSERT_GT(count, 0u);
        EXPECT_LE(count, 100u);
        for (std::uint32_t i = 0; i < count; ++i) {
            names.push_back(FromWide(users[i].usri1_name));
            const bool temporary = names.back() == "visitor";
            EXPECT_EQ((temporary ? UF_TEMP_DUPLICATE_ACCOUNT : UF_NORMAL_ACCOUNT) | UF_SCRIPT,
                      users[i].usri1_flags);
        }
        index = users[count - 1].usri1_next_index;
        NetApiBufferFree(buffer);
        ++calls;
    } while (status == 234 && calls < 100);
    EXPECT_EQ(6, calls);
    ASSERT_EQ(501u, names.size()); // machine accounts are not user accounts
    EXPECT_EQ("user0010", names[10]);
    EXPECT_EQ("visitor", names.back());

    std::uint32_t count = 0;
    void* buffer = nullptr;
    EXPECT_EQ(124u, NetQueryDisplayInformation(u"DC1", 3, 0, 10, 1000, &count, &buffer));
    EXPECT_EQ(53u, NetQueryDisplayInformation(u"NOWHERE", 1, 0, 10, 1000, &count, &buffer));
}

TEST_F(NetApiTest, ControllerLookup)
{
    std::uint8_t* name = nullptr;
    ASSERT_EQ(0u, NetGetDCName(nullptr, u"bigco", &name));
    EXPECT_EQ("\\\\DC1", FromWide(reinterpret_cast<char16_t*>(name)));
    NetApiBufferFree(name);
    // A server's own domain when none is named.
    ASSERT_EQ(0u, NetGetDCName(u"\\\\RAS1", nullptr, &name));
    EXPECT_EQ("\\\\DC1", FromWide(reinterpret_cast<char16_t*>(name)));
    NetApiBufferFree(name);
    name = nullptr;
    EXPECT_EQ(2453u, NetGetDCName(nullptr, u"NOCTRL", &name));
    EXPECT_EQ(2453u, NetGetDCName(nullptr, u"UNKNOWN", &name));
    WriteMachineFile("DC1", "machine.ini", "[Machine]\r\nReachable=0\r\n");
    EXPECT_EQ(2453u, NetGetDCName(nullptr, u"BIGCO", &name));
    EXPECT_EQ(nullptr, name);
}

TEST_F(NetApiTest, BadArgumentsAndUnreachableServers)
{
    std::uint8_t* buffer = nullptr;
    std::uint32_t read = 0, total = 0, resume = 0;
    EXPECT_EQ(124u, NetUserEnum(u"DC1", 1, 0, &buffer, 10000, &read, &total, &resume));
    EXPECT_EQ(53u, NetUserEnum(u"NOWHERE", 0, 0, &buffer, 10000, &read, &total, &resume));
    EXPECT_EQ(87u, NetGroupEnum(u"DC1", 0, nullptr, 10000, &read, &total, &resume));
    // A computer without an account database has no accounts.
    EXPECT_EQ(0u, NetGroupEnum(u"RAS1", 0, &buffer, 10000, &read, &total, &resume));
    EXPECT_EQ(0u, read);
    EXPECT_EQ(0u, total);
    EXPECT_EQ(nullptr, buffer);
    EXPECT_EQ(0u, NetApiBufferFree(nullptr));
}

TEST_F(NetApiTest, ATinyPreferredSizeStillMakesProgress)
{
    CreateUsers(5);
    std::uint8_t* buffer = nullptr;
    std::uint32_t read = 0, total = 0, resume = 0;
    EXPECT_EQ(234u, NetUserEnum(u"DC1", 0, FILTER_NORMAL_ACCOUNT, &buffer, 1, &read, &total, &resume));
    EXPECT_EQ(1u, read);
    EXPECT_EQ(1u, resume);
    EXPECT_EQ(5u, total);
    NetApiBufferFree(buffer);
}

} // namespace
