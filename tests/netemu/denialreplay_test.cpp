// Replays a generated history and works out, for every denied attempt, the
// reason the policies give at that moment; the log must name that reason.

#include "common/text.h"
#include "historyfixture.h"

#include "database/policyengine.h"
#include "database/profilevalues.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace fs = std::filesystem;
using namespace dm;
using namespace dm::netemu;
using namespace dm::netemu::test;

namespace {

struct AccountHistory {
    std::vector<Session> sessions; // on the servers of one database
};

// The reason for a denial at `t`, with the sessions that ended before `t`
// (strict) or also those ending at `t` (inclusive): events of one second have
// no order in the log.
int ExpectedReason(const ReadRecord& denial, bool inclusive, const HardwareDatabase& hw, UserDatabase& users,
                   const std::vector<Session>& own, const std::vector<Session>& everywhere)
{
    const std::uint32_t t = denial.time;
    const UserRecord* record = users.FindAccount(denial.user);
    if (!record)
        return hw.defaultProfile.assignDefault ? -1 : DenyNotDefined;
    CallerIdentity identity{denial.user, {}, {}};
    for (const CallerProfile& caller : Callers())
        if (caller.identity.account == denial.user)
            identity = caller.identity;
    PolicyEngine engine(hw, users);
    const Limits limits = engine.EffectiveLimits(*record, identity);
    const UsageAt usage = AccountUsageAt(own, t, inclusive, limits);
    const std::uint32_t first = usage.firstConnection;
    const std::int64_t total = usage.totalTime, period = usage.periodUsage;
    const bool connected = PortsHeldAt(everywhere, denial.user, t, inclusive) > 0;
    if (record->expiryTime > 0 && first != 0 && t >= first + std::uint32_t(record->expiryTime) * 86400u)
        return DenyExpired;
    if (limits.maxTotalTime > 0 && total >= limits.maxTotalTime)
        return DenyTotalTimeReached;
    if (limits.noDuplicate && connected)
        return DenyAlreadyConnected;
    const HardwareDatabase::Port* port = hw.FindPort(denial.server, denial.port);
    if (port && port->Restricted()) {
        bool allowed = false;
        for (const std::string& user : port->allowedUsers)
            allowed |= EqualNoCase(user, denial.user);
        for (const std::string& group : identity.globalGroups)
            for (const std::string& allowedGroup : port->allowedGlobalGroups)
                allowed |= EqualNoCase(group, allowedGroup);
        for (const std::string& group : identity.localGroups)
            for (const std::string& allowedGroup : port->allowedLocalGroups)
                allowed |= EqualNoCase(group, allowedGroup);
        if (!allowed)
            return DenyPortAccess;
    }
    if (limits.HasPeriodLimit() && period >= limits.periodMax)
        return DenyPeriodUsed;
    return Admitted;
}

TEST(DenialReplayTest, EveryDenialCarriesTheReasonThePoliciesGive)
{
    dm::test::TempDir dir;
    const auto servers = BuildNetwork(dir.path());
    GenerateReport report;
    std::string error;
    ASSERT_TRUE(GenerateHistory(servers, Options(11), report, error)) << error;

    std::map<std::string, std::vector<ReadRecord>> records;
    std::vector<Session> everywhere;
    for (const char* db : {"db1", "db2"}) {
        records[db] = ReadHistory(dir.path() / db);
        auto sessions = PairSessions(records[db]);
        everywhere.insert(everywhere.end(), sessions.begin(), sessions.end());
    }
    int denials = 0;
    for (const char* db : {"db1", "db2"}) {
        const HardwareDatabase hw = LoadHardwareDatabase((dir.path() / db / "Dialmind.hw").string());
        UserDatabase users = LoadUserDatabase((dir.path() / db / "Dialmind.usr").string());
        std::map<std::string, std::vector<Session>> own;
        for (const Session& s : PairSessions(records[db]))
            own[UpperAscii(s.user)].push_back(s);
        for (const ReadRecord& record : records[db]) {
            if (record.kind != 2)
                continue;
            ++denials;
            const auto& sessions = own[UpperAscii(record.user)];
            const int strict = ExpectedReason(record, false, hw, users, sessions, everywhere);
            const int inclusive = ExpectedReason(record, true, hw, users, sessions, everywhere);
            EXPECT_TRUE(record.reason == strict || record.reason == inclusive)
                << db << " " << record.server << "\\" << record.port << " " << record.user << " at " << record.time
                << ": logged " << record.reason << ", policies give " << strict << "/" << inclusive;
        }
    }
    EXPECT_GT(denials, 50);
}

TEST(GenerateDeterminismTest, SameSeedGivesByteIdenticalFilesAndAnotherSeedDoesNot)
{
    dm::test::TempDir a, b, c;
    std::string error;
    GenerateReport report;
    ASSERT_TRUE(GenerateHistory(BuildNetwork(a.path()), Options(5), report, error)) << error;
    ASSERT_TRUE(GenerateHistory(BuildNetwork(b.path()), Options(5), report, error)) << error;
    ASSERT_TRUE(GenerateHistory(BuildNetwork(c.path()), Options(6), report, error)) << error;
    const auto first = Snapshot(a.path());
    EXPECT_GT(first.size(), 40u);
    EXPECT_TRUE(first == Snapshot(b.path()));
    EXPECT_FALSE(first == Snapshot(c.path()));
}

TEST(GenerateLegacyTest, LegacyLogHoldsTheSameRecordsInOneFile)
{
    dm::test::TempDir days, legacy;
    std::string error;
    GenerateReport report;
    ASSERT_TRUE(GenerateHistory(BuildNetwork(days.path()), Options(3), report, error)) << error;
    ASSERT_TRUE(GenerateHistory(BuildNetwork(legacy.path()), Options(3, true), report, error)) << error;
    EXPECT_FALSE(fs::exists(legacy.path() / "db1" / "LogData"));
    auto flatten = [](const std::vector<ReadRecord>& records) {
        std::vector<std::tuple<std::uint32_t, std::string, std::string, int, int, int>> rows;
        for (const ReadRecord& r : records)
            rows.emplace_back(r.time, r.port, r.user, r.kind, r.reason, r.duration);
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const auto fromDays = flatten(ReadHistory(days.path() / "db1"));
    EXPECT_GT(fromDays.size(), 500u);
    EXPECT_TRUE(fromDays == flatten(ReadHistory(legacy.path() / "db1", true)));
}

TEST(GenerateOptionsTest, RejectsNothingToDoAndParsesDates)
{
    std::string error;
    GenerateReport report;
    GenerateOptions options;
    options.days = 0;
    EXPECT_FALSE(GenerateHistory({}, options, report, error));
    options.days = 1;
    EXPECT_FALSE(GenerateHistory({}, options, report, error));
    EXPECT_NE(error.find("RAS"), std::string::npos);
    int y, m, d;
    EXPECT_TRUE(ParseDate("2024-02-29", y, m, d));
    EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
    EXPECT_FALSE(ParseDate("2025-02-29", y, m, d));
    EXPECT_FALSE(ParseDate("2025-13-01", y, m, d));
    EXPECT_FALSE(ParseDate("2025-1-01", y, m, d));
    EXPECT_FALSE(ParseDate("2025-01-01x", y, m, d));
}

} // namespace
