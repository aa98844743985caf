// The demo network: reproducible from its seed, and holding what the manager
// needs to show every feature.

#include "platform/accounts/accountdatabase.h"
#include "demo/demonetwork.h"
#include "platform/accounts/netapi.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "platform/registry/registry.h"
#include "platform/system/widetext.h"
#include "tests/platform/ras/rasnetworkfixture.h"

#include <gtest/gtest.h>

#include <map>

using namespace dm;
using namespace dm::test;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kNow = 1765000000;

std::map<std::string, std::string> Contents(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.rfind(".", 0) != 0) // lock files aside
            files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
    }
    return files;
}

class DemoNetworkTest : public RasNetworkFixture {
protected:
    void SetUp() override
    {
        RasNetworkFixture::SetUp();
        fs::remove_all(m_dir / "machines"); // the demo wants an empty directory
        DemoNetworkOptions options;
        options.seed = 42;
        options.now = kNow;
        ASSERT_EQ("", CreateDemoNetwork(m_dir.path(), options, &m_summary));
    }
    DemoNetworkSummary m_summary;
};

TEST_F(DemoNetworkTest, TheSameSeedGivesTheSameNetworkAnotherSeedAnother)
{
    TempDir again, other;
    DemoNetworkOptions options;
    options.seed = 42;
    options.now = kNow;
    ASSERT_EQ("", CreateDemoNetwork(again.path(), options));
    options.seed = 43;
    ASSERT_EQ("", CreateDemoNetwork(other.path(), options));
    const auto first = Contents(m_dir.path());
    EXPECT_GT(first.size(), 20u);
    EXPECT_EQ(first, Contents(again.path()));
    EXPECT_NE(first, Contents(other.path()));
    // The caller's network is the one in force again afterwards.
    EXPECT_EQ(m_dir.path(), Network::Root());
}

TEST_F(DemoNetworkTest, RefusesADirectoryThatHoldsSomething)
{
    TempDir used;
    WriteFile(used / "keep.txt", "mine");
    EXPECT_NE("", CreateDemoNetwork(used.path(), DemoNetworkOptions()));
    EXPECT_EQ("mine", ReadFile(used / "keep.txt"));
}

TEST_F(DemoNetworkTest, TheManagersComputerListsFourServersOneOfThemOutOfReach)
{
    RegKey hive, servers, system;
    ASSERT_EQ(0u, RegConnectRegistry(m_summary.localComputer, hive));
    ASSERT_EQ(0u, hive.OpenKey("Software\\Osterhall Software\\Dialminder\\Servers", servers));
    const auto names = servers.SubKeyNames();
    ASSERT_EQ(4u, names.size());
    ASSERT_EQ(0u, hive.OpenKey("Software\\Osterhall Software\\Dialminder\\System", system));
    std::uint32_t interval = 0;
    EXPECT_EQ(0u, system.QueryDword("Interval", interval));

    int reachable = 0, components = 0, masters = 0;
    std::string share;
    for (const auto& name : names) {
        RegKey remote, admin;
        if (RegConnectRegistry("\\\\" + name, remote) != 0)
            continue;
        ++reachable;
        RasPortStore ports(name);
        std::vector<RasPortRecord> list;
        ASSERT_EQ(0u, ports.List(list)) << name;
        EXPECT_GE(list.size(), 4u);
        EXPECT_LE(list.size(), 16u);
        EXPECT_TRUE(std::any_of(list.begin(), list.end(), [](const RasPortRecord& p) {
            return p.lineCondition == 6 && !p.user.empty() && p.sessionStart != 0;
        })) << name << " has nobody in session";
        if (remote.OpenKey("Software\\Microsoft\\Ras\\AdminDLL", admin) != 0)
            continue;
        ++components;
        std::string dll, data, display, version;
        std::uint32_t idle = 0, bytes = 0, master = 0;
        EXPECT_EQ(0u, admin.QueryString("DLLPath", dll));
        EXPECT_EQ(0u, admin.QueryString("DATAPath", data));
        EXPECT_EQ(0u, admin.QueryString("DisplayName", display));
        EXPECT_EQ(0u, admin.QueryString("Version", version));
        EXPECT_EQ(0u, admin.QueryDword("IdleTimer", idle));
        EXPECT_EQ(0u, admin.QueryDword("IdleBytesLimit", bytes));
        ASSERT_EQ(0u, admin.QueryDword("Master", master));
        ASSERT_EQ(0u, admin.QueryString("MasterShare", share));
        const ResolvedPath file = ResolvePathOn(name, dll);
        ASSERT_TRUE(file.ok());
        EXPECT_TRUE(fs::is_regular_file(file.path)) << dll << " on " << name;
        masters += master != 0 ? 1 : 0;
    }
    EXPECT_EQ(3, reachable);
    EXPECT_EQ(2, components);
    EXPECT_EQ(1, masters);
    EXPECT_EQ("\\\\" + m_summary.master + "\\DM_NT_DB", share);

    // The central database lies behind the master's share.
    const ResolvedPath database = ResolvePath(share);
    ASSERT_TRUE(database.ok());
    EXPECT_TRUE(fs::is_directory(database.path / "LogData"));
    const std::string hw = share + "\\Dialmind.hw";
    const auto sections = GetPrivateProfileSectionNames(hw);
    EXPECT_EQ("General", sections.front());
    EXPECT_NE(sections.end(), std::find(sections.begin(), sections.end(), m_summary.master + "\\COM1"));
    EXPECT_EQ(1, GetPrivateProfileInt("Default", "AssignDefault", 0, hw));
    const auto accounts = GetPrivateProfileSectionNames(share + "\\Dialmind.usr");
    EXPECT_TRUE(std::any_of(accounts.begin(), accounts.end(),
                            [](const std::string& s) { return s.rfind("+", 0) == 0; }));
    EXPECT_GT(accounts.size(), 10u);
}

TEST_F(DemoNetworkTest, TwoDomainsWithControllersAndASpreadOfPermissions)
{
    std::set<int> rights;
    int people = 0, callbackNumbers = 0;
    for (const char16_t* domain : {u"LQHQ", u"LQFIELD"}) {
        std::uint8_t* name = nullptr;
        ASSERT_EQ(0u, NetGetDCName(nullptr, domain, &name));
        const std::string controller = FromWide(reinterpret_cast<char16_t*>(name));
        NetApiBufferFree(name);
        AccountDatabase db(controller);
        ASSERT_EQ(0u, db.Load());
        EXPECT_EQ(FromWide(domain), db.DomainName());
        EXPECT_GE(db.GlobalGroups().size(), 4u);
        EXPECT_GE(db.LocalGroups().size(), 2u);
        for (const auto& u : db.Users()) {
            if (u.type != AccountType::Normal || u.disabled || u.name == "Administrator")
                continue;
            ++people;
            rights.insert(u.rasPrivilege);
            if ((u.rasPrivilege & 2) != 0) {
                EXPECT_FALSE(u.callbackNumber.empty()) << u.name;
                ++callbackNumbers;
            }
        }
    }
    EXPECT_GE(people, 25);
    EXPECT_LE(people, 35);
    EXPECT_TRUE(rights.count(1)) << "somebody may not dial in";
    EXPECT_TRUE(rights.count(9)) << "somebody dials in without call-back";
    EXPECT_GT(callbackNumbers, 0);
    EXPECT_EQ(m_summary.users, people);
}

TEST_F(DemoNetworkTest, EverybodyInSessionMayDialIn)
{
    for (const char* server : {"HQRAS01", "HQRAS02", "FLDRAS01"}) {
        std::vector<RasPortRecord> ports;
        ASSERT_EQ(0u, RasPortStore(server).List(ports));
        for (const auto& p : ports) {
            if (p.user.empty())
                continue;
            std::uint8_t* name = nullptr;
            ASSERT_EQ(0u, NetGetDCName(nullptr, ToWide(p.logonDomain).c_str(), &name));
            AccountDatabase db(FromWide(reinterpret_cast<char16_t*>(name)));
            NetApiBufferFree(name);
            ASSERT_EQ(0u, db.Load());
            const UserAccount* user = db.FindUser(p.user);
            ASSERT_NE(nullptr, user) << p.user;
            EXPECT_NE(0, user->rasPrivilege & 8) << p.user;
            EXPECT_LE(p.sessionStart, kNow);
            EXPECT_GT(p.counters[1], 0u);
        }
    }
}

} // namespace
