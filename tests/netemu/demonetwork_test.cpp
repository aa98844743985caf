// The demo network's starting state against its own policies and against
// the history generated for it: the counters agree with the log, and the
// sessions found running are sessions the server component would allow.

#include "common/text.h"
#include "historyfixture.h"

#include "database/profilevalues.h"
#include "netemu/database.h"
#include "netemu/generator.h"
#include "netemu/networkscan.h"
#include "demo/demonetwork.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <set>

namespace fs = std::filesystem;
using namespace dm;
using namespace dm::netemu;
using namespace dm::netemu::test;

namespace {

constexpr std::int64_t kNow = 1773311400; // Thursday, 12 March 2026, 11:30 in Berlin

class DemoNetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DemoNetworkOptions options;
        options.seed = 7;
        options.now = kNow;
        ASSERT_EQ(CreateDemoNetwork(net.path(), options), "");
        setenv("DIALMIND_NETWORK", net.str().c_str(), 1);
        servers = ScanNetwork();
        for (const ScannedServer& server : servers)
            if (server.component.installed && !server.component.databaseDir.empty())
                dbDir = server.component.databaseDir;
        ASSERT_FALSE(dbDir.empty());
    }
    void TearDown() override { unsetenv("DIALMIND_NETWORK"); }

    dm::test::TempDir net;
    std::vector<ScannedServer> servers;
    std::string dbDir;
};

} // namespace

TEST_F(DemoNetworkTest, StartingCountersAreConsistent)
{
    Database db(dbDir);
    db.Load();
    ASSERT_GT(db.Users().accounts.size(), 10u);
    for (const auto& [key, record] : db.Users().accounts) {
        EXPECT_LE(record.periodUsage, record.totalTime) << key;
        EXPECT_LE(record.firstConnection, record.lastConnection) << key;
        const std::int32_t type = record.periodType != PeriodNone ? record.periodType : PeriodWeek;
        EXPECT_EQ(record.periodStamp, PeriodStart(std::uint32_t(kNow), type)) << key << " stamped at its period's start";
        EXPECT_LE(record.periodUsage, kNow - std::int64_t(record.periodStamp)) << key;
    }
}

TEST_F(DemoNetworkTest, TheDatabaseReadsBackAsTheRecordsTheDemoWrote)
{
    Database db(dbDir);
    db.Load();
    const HardwareDatabase& hw = db.Hardware();
    EXPECT_TRUE(hw.defaultProfile.assignDefault);
    EXPECT_TRUE(hw.defaultProfile.noDuplicate);
    EXPECT_EQ(hw.defaultProfile.maxSessionTime, 7200);
    EXPECT_EQ(hw.defaultProfile.periodMax, 72000);
    EXPECT_EQ(hw.defaultProfile.periodType, PeriodWeek);
    EXPECT_EQ(hw.greetings.RuleMask(), 5);
    EXPECT_EQ(hw.notifications.notices[1].seconds, 60);
    EXPECT_EQ(hw.notifications.notices[1].text, "Your remote session ends in 1 minute.");
    const HardwareDatabase::Port* restricted = hw.FindPort("HQRAS01", "ISDN7");
    ASSERT_NE(restricted, nullptr);
    EXPECT_EQ(restricted->allowedLocalGroups, std::vector<std::string>{"LQHQ\\Dial-in Users"});

    ASSERT_EQ(db.Users().groups.size(), 4u);
    const Limits* sales = db.Users().FindGroup("LQHQ\\Sales");
    ASSERT_NE(sales, nullptr);
    EXPECT_EQ(*sales, (Limits{true, 5400, 0, 14400, PeriodDay}));
    const Limits* fieldSales = db.Users().FindGroup("LQFIELD\\Field Sales");
    ASSERT_NE(fieldSales, nullptr);
    EXPECT_EQ(*fieldSales, (Limits{false, 0, 0, 72000, PeriodWeek}));
    int periodAccounts = 0;
    for (const auto& [key, record] : db.Users().accounts) {
        if (record.periodType == PeriodNone)
            continue;
        EXPECT_EQ(record.periodMax, 36000) << key;
        ++periodAccounts;
    }
    EXPECT_GT(periodAccounts, 0);
}

TEST_F(DemoNetworkTest, SessionsPlacedAtTheStartObeyTheDemosPolicies)
{
    Database db(dbDir);
    db.Load();
    std::set<std::string> inSession;
    int checked = 0;
    for (const ScannedServer& server : servers) {
        if (!server.component.installed)
            continue;
        std::vector<RasPortRecord> ports;
        if (RasPortStore(server.name).List(ports) != 0)
            continue;
        for (const RasPortRecord& port : ports) {
            if (port.lineCondition != 6)
                continue;
            const std::string account = port.logonDomain + "\\" + port.user;
            EXPECT_TRUE(inSession.insert(UpperAscii(account)).second) << account << " on two ports";
            const CallerProfile* caller = nullptr;
            for (const CallerProfile& c : server.callers)
                if (EqualNoCase(c.identity.account, account))
                    caller = &c;
            ASSERT_NE(caller, nullptr) << account;
            // Admitted now, as if the person had just dialled in ...
            const Admission admission =
                db.Engine().Admit(caller->identity, server.name, port.name, std::uint32_t(kNow), 0);
            EXPECT_EQ(admission.reason, Admitted) << account << " on " << server.name << "\\" << port.name;
            // ... and no limit has run out since the session began.
            const auto cut = PolicyEngine::SessionCut(
                port.sessionStart, db.Engine().PortMaxSession(server.name, port.name), admission.effective);
            if (cut) {
                EXPECT_GT(std::int64_t(cut->at), kNow + 60) << account << " would be cut at once";
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 4);
}

TEST_F(DemoNetworkTest, GeneratedHistoryAgreesWithTheCounters)
{
    GenerateOptions options;
    options.days = 14;
    std::time_t yesterday = static_cast<std::time_t>(kNow - 86400);
    std::tm local{};
    localtime_r(&yesterday, &local);
    options.endYear = local.tm_year + 1900;
    options.endMonth = local.tm_mon + 1;
    options.endDay = local.tm_mday;
    // Counters whose first connection lies after the days generated (an
    // account first seen yesterday): the history moves it back.
    {
        Database before(dbDir);
        before.Load();
        for (const auto& [key, record] : before.Users().accounts)
            ASSERT_TRUE(WritePrivateProfileString(record.accountKey, "FirstConnection", std::to_string(kNow - 3600),
                                                  before.UserFile()));
    }
    GenerateReport report;
    std::string error;
    ASSERT_TRUE(GenerateHistory(servers, options, report, error)) << error;

    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> connects; // first, last by account
    for (const ReadRecord& record : ReadHistory(dbDir)) {
        if (record.kind != 1)
            continue;
        auto [it, added] = connects.emplace(UpperAscii(record.user), std::make_pair(record.time, record.time));
        it->second.first = std::min(it->second.first, record.time);
        it->second.second = std::max(it->second.second, record.time);
    }
    ASSERT_FALSE(connects.empty());
    Database db(dbDir);
    db.Load();
    for (const auto& [account, times] : connects) {
        const UserRecord* record = db.Users().FindAccount(account);
        ASSERT_NE(record, nullptr) << account;
        EXPECT_LE(record->firstConnection, times.first) << account << ": FirstConnection after a logged connect";
        EXPECT_GE(record->lastConnection, times.second) << account;
    }
}
