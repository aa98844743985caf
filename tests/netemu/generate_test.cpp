#include "historyfixture.h"

#include "common/text.h"
#include "netemu/logformat.h"
#include "database/policyengine.h"
#include "database/profilevalues.h"
#include "platform/files/profile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <set>

namespace fs = std::filesystem;
using namespace dm;
using namespace dm::netemu;
using namespace dm::netemu::test;

namespace {

// One generated history, shared by the checks (generating it is the slow part).
class GeneratedHistory : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new dm::test::TempDir;
        s_servers = BuildNetwork(s_dir->path());
        std::string error;
        ASSERT_TRUE(GenerateHistory(s_servers, Options(7), s_report, error)) << error;
        for (const char* db : {"db1", "db2"}) {
            auto records = ReadHistory(s_dir->path() / db);
            s_records[db] = records;
            s_all.insert(s_all.end(), records.begin(), records.end());
        }
        std::stable_sort(s_all.begin(), s_all.end(),
                         [](const ReadRecord& a, const ReadRecord& b) { return a.time < b.time; });
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static fs::path Db(const std::string& name) { return s_dir->path() / name; }

    static dm::test::TempDir* s_dir;
    static std::vector<ScannedServer> s_servers;
    static GenerateReport s_report;
    static std::map<std::string, std::vector<ReadRecord>> s_records;
    static std::vector<ReadRecord> s_all;
};

dm::test::TempDir* GeneratedHistory::s_dir = nullptr;
std::vector<ScannedServer> GeneratedHistory::s_servers;
GenerateReport GeneratedHistory::s_report;
std::map<std::string, std::vector<ReadRecord>> GeneratedHistory::s_records;
std::vector<ReadRecord> GeneratedHistory::s_all;

CallerIdentity GeneratedIdentityOf(const std::string& account)
{
    for (const CallerProfile& caller : Callers())
        if (caller.identity.account == account)
            return caller.identity;
    return CallerIdentity{account, {}, {}};
}

TEST_F(GeneratedHistory, HistoryIsBusyAndShowsEveryReason)
{
    std::set<int> denials, ends;
    for (const ReadRecord& record : s_all) {
        if (record.kind == 2)
            denials.insert(record.reason);
        if (record.kind == 0)
            ends.insert(record.reason);
    }
    EXPECT_GT(s_all.size(), 1000u);
    EXPECT_EQ(denials, (std::set<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ends, (std::set<int>{1, 2, 3, 6, 9, 255}));
}

TEST_F(GeneratedHistory, CountersMatchTheLog)
{
    for (const char* name : {"db1", "db2"}) {
        const UserDatabase users = LoadUserDatabase((Db(name) / "Dialmind.usr").string());
        std::map<std::string, std::int64_t> time;
        std::map<std::string, int> connects, ends, denieds, undefined;
        std::map<std::string, std::uint32_t> first, last;
        for (const ReadRecord& record : s_records[name]) {
            const std::string key = UpperAscii(record.user);
            if (record.kind == 0) {
                time[key] += record.duration;
                ++ends[key];
            } else if (record.kind == 1) {
                ++connects[key];
                if (!first.count(key))
                    first[key] = record.time;
                last[key] = record.time;
            } else if (record.reason == DenyNotDefined) {
                ++undefined[key];
            } else {
                ++denieds[key];
            }
        }
        for (const auto& [key, record] : users.accounts) {
            SCOPED_TRACE(std::string(name) + " " + key);
            EXPECT_EQ(record.totalTime, time[key]);
            EXPECT_EQ(record.totalConnects, connects[key]);
            EXPECT_EQ(record.totalConnects, ends[key]) << "every session ended";
            EXPECT_EQ(record.totalDenieds, denieds[key]);
            EXPECT_EQ(record.firstConnection, first[key]);
            EXPECT_EQ(record.lastConnection, last[key]);
            EXPECT_EQ(undefined[key], 0) << "an account with a section was denied as not defined";
        }
        for (const auto& [key, count] : undefined)
            if (count > 0) {
                EXPECT_EQ(users.FindAccount(key), nullptr) << key << " denied as not defined has a section";
            }
    }
    // Accounts that came in through the default profile received sections with its limits.
    const UserDatabase db1 = LoadUserDatabase((Db("db1") / "Dialmind.usr").string());
    ASSERT_NE(db1.FindAccount("DOM\\kim"), nullptr);
    EXPECT_EQ(db1.FindAccount("DOM\\kim")->maxSessionTime, 3600);
    EXPECT_EQ(db1.FindAccount("DOM\\kim")->periodMax, 7200);
    EXPECT_TRUE(db1.FindAccount("DOM\\kim")->noDuplicate);
}

TEST_F(GeneratedHistory, NoSessionOutlastsALimit)
{
    for (const char* name : {"db1", "db2"}) {
        const HardwareDatabase hw = LoadHardwareDatabase((Db(name) / "Dialmind.hw").string());
        UserDatabase users = LoadUserDatabase((Db(name) / "Dialmind.usr").string());
        PolicyEngine engine(hw, users);
        std::map<std::string, std::int64_t> total;
        for (const Session& session : PairSessions(s_records[name])) {
            SCOPED_TRACE(session.server + "\\" + session.port + " " + session.user + " " + std::to_string(session.end));
            ASSERT_NE(session.start, 0u) << "a session end without its connect";
            EXPECT_LE(session.end - session.start - std::uint32_t(session.duration) + 1, 2u);
            const HardwareDatabase::Port* port = hw.FindPort(session.server, session.port);
            if (port && port->settings.maxSessionTime > 0) {
                EXPECT_LE(session.duration, port->settings.maxSessionTime);
            }
            const UserRecord* record = users.FindAccount(session.user);
            ASSERT_NE(record, nullptr);
            const Limits limits = engine.EffectiveLimits(*record, GeneratedIdentityOf(session.user));
            if (limits.maxSessionTime > 0) {
                EXPECT_LE(session.duration, limits.maxSessionTime);
            }
            total[UpperAscii(session.user)] += session.duration;
            if (limits.maxTotalTime > 0) {
                EXPECT_LE(total[UpperAscii(session.user)], limits.maxTotalTime);
            }
            switch (session.reason) {
            case EndPortMaxTime: EXPECT_EQ(session.duration, port->settings.maxSessionTime); break;
            case EndUserMaxSession: EXPECT_EQ(session.duration, limits.maxSessionTime); break;
            case EndUserMaxTotal: EXPECT_GE(total[UpperAscii(session.user)] + 2, limits.maxTotalTime); break;
            case EndPeriodUsed: EXPECT_TRUE(limits.HasPeriodLimit()); break;
            case EndIdleTimeout: EXPECT_EQ(std::string(name), "db2") << "idle timer only on RAS2"; break;
            default: EXPECT_EQ(session.reason, EndNoReason);
            }
        }
    }
}

TEST_F(GeneratedHistory, NoAccountUsesMoreThanItsPeriodAllows)
{
    int periods = 0;
    for (const char* name : {"db1", "db2"}) {
        const HardwareDatabase hw = LoadHardwareDatabase((Db(name) / "Dialmind.hw").string());
        UserDatabase users = LoadUserDatabase((Db(name) / "Dialmind.usr").string());
        PolicyEngine engine(hw, users);
        // Per account and period: the seconds of its sessions inside the period, and how many took part.
        std::map<std::pair<std::string, std::uint32_t>, std::pair<std::int64_t, int>> used;
        std::map<std::string, std::int32_t> allowed;
        for (const Session& session : PairSessions(s_records[name])) {
            const UserRecord* record = users.FindAccount(session.user);
            ASSERT_NE(record, nullptr);
            const Limits limits = engine.EffectiveLimits(*record, GeneratedIdentityOf(session.user));
            if (!limits.HasPeriodLimit())
                continue;
            allowed[UpperAscii(session.user)] = limits.periodMax;
            for (std::uint32_t from = session.start; from < session.end;) {
                const std::uint32_t period = PeriodStart(from, limits.periodType);
                const std::uint32_t to = std::min(session.end, NextPeriodStart(from, limits.periodType));
                auto& [seconds, sessions] = used[{UpperAscii(session.user), period}];
                seconds += to - from;
                ++sessions;
                from = to;
            }
        }
        for (const auto& [key, usage] : used) {
            ++periods;
            EXPECT_LE(usage.first, allowed[key.first] + 2 * usage.second)
                << name << " " << key.first << " in the period from " << key.second;
        }
    }
    EXPECT_GT(periods, 20);
}

TEST_F(GeneratedHistory, NoDuplicateAccountNeverHoldsTwoPorts)
{
    std::vector<Session> sessions;
    for (const char* name : {"db1", "db2"}) {
        auto more = PairSessions(s_records[name]);
        sessions.insert(sessions.end(), more.begin(), more.end());
    }
    const UserDatabase users = LoadUserDatabase((Db("db1") / "Dialmind.usr").string());
    int checked = 0;
    for (std::size_t i = 0; i < sessions.size(); ++i)
        for (std::size_t j = i + 1; j < sessions.size(); ++j) {
            const Session& a = sessions[i];
            const Session& b = sessions[j];
            if (!EqualNoCase(a.user, b.user) || !(a.start < b.end && b.start < a.end))
                continue;
            const UserRecord* record = users.FindAccount(a.user);
            ASSERT_NE(record, nullptr);
            EXPECT_FALSE(record->noDuplicate)
                << a.user << " on " << a.port << " and " << b.port << " at " << b.start;
            ++checked;
        }
    EXPECT_GT(checked, 0) << "accounts that may hold two ports did so at least once";
}

TEST_F(GeneratedHistory, RecordsLieInTheDayFileOfTheirLocalDate)
{
    std::size_t files = 0;
    for (const char* name : {"db1", "db2"})
        for (const ReadRecord& record : s_records[name]) {
            const std::string path = DayFileName(Db(name).string(), record.time);
            EXPECT_EQ(path.substr(path.find_last_of("\\/") + 1), record.file);
            ++files;
        }
    EXPECT_GT(files, 0u);
    // 21 days and the day the last sessions ended in.
    std::set<std::string> names;
    for (const ReadRecord& record : s_records["db1"])
        names.insert(record.file);
    EXPECT_GE(names.size(), 21u);
    EXPECT_LE(names.size(), 22u);
    EXPECT_TRUE(names.count("2026-Mar-29.log"));
}

TEST_F(GeneratedHistory, PortStatisticsNeverExceedThePorts)
{
    for (const auto& [name, ports] : {std::pair<std::string, int>{"db1", 4}, {"db2", 3}}) {
        const std::string file = (Db(name) / "portstat.log").string();
        const auto sections = dm::GetPrivateProfileSectionNames(file);
        ASSERT_EQ(sections.size(), 1u);
        const auto samples = dm::GetPrivateProfileSection(sections[0], file);
        EXPECT_EQ(samples.size(), 21u * 24u - 1u) << "one sample an hour (one hour lost to summer time)";
        int busiest = 0;
        for (const auto& [key, value] : samples) {
            EXPECT_EQ(std::stoul(key) % 3600, 0u);
            busiest = std::max(busiest, std::stoi(value));
            EXPECT_LE(std::stoi(value), ports);
        }
        EXPECT_GT(busiest, 0);
    }
}

} // namespace
