// `dmctl policy explain` and dmsim agree: a generated history is replayed,
// and for every denied attempt the explanation, given the account's state at
// that moment, names the reason the log recorded.

#include "common/text.h"
#include "historyfixture.h"

#include "database/policyexplain.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <set>

using namespace dm;
using namespace dm::netemu;
using namespace dm::netemu::test;

namespace {

CallerIdentity IdentityOf(const std::string& account)
{
    for (const CallerProfile& caller : Callers())
        if (EqualNoCase(caller.identity.account, account))
            return caller.identity;
    return CallerIdentity{account, {}, {}};
}

// The account as the component held it at `t`: its limits from the file, its
// counters from the sessions that ended before `t` (or also at `t`: events of
// one second have no order in the log), and the ports it held then.
struct StateAt {
    UserDatabase users;
    int portsHeld = 0;
};

StateAt Reconstruct(const ReadRecord& denial, bool inclusive, const HardwareDatabase& hw, const UserDatabase& final,
                    const std::vector<Session>& own, const std::vector<Session>& everywhere)
{
    StateAt state{final, 0};
    const std::uint32_t t = denial.time;
    UserRecord* record = state.users.FindAccount(denial.user);
    if (record) {
        PolicyEngine engine(hw, state.users);
        const Limits limits = engine.EffectiveLimits(*record, IdentityOf(denial.user));
        const UsageAt usage = AccountUsageAt(own, t, inclusive, limits);
        record->totalTime = static_cast<std::int32_t>(usage.totalTime);
        record->firstConnection = usage.firstConnection;
        record->periodStamp = PeriodStart(t, limits.periodType);
        record->periodUsage = static_cast<std::int32_t>(usage.periodUsage);
    }
    state.portsHeld = PortsHeldAt(everywhere, denial.user, t, inclusive);
    return state;
}

TEST(ExplainReplayTest, ExplainGivesTheLoggedReasonForEveryDenial)
{
    dm::test::TempDir dir;
    GenerateReport report;
    std::string error;
    ASSERT_TRUE(GenerateHistory(BuildNetwork(dir.path()), Options(11), report, error)) << error;

    std::map<std::string, std::vector<ReadRecord>> records;
    std::vector<Session> everywhere;
    for (const char* db : {"db1", "db2"}) {
        records[db] = ReadHistory(dir.path() / db);
        const auto sessions = PairSessions(records[db]);
        everywhere.insert(everywhere.end(), sessions.begin(), sessions.end());
    }
    std::set<int> reasons;
    int denials = 0;
    for (const char* db : {"db1", "db2"}) {
        const HardwareDatabase hw = LoadHardwareDatabase((dir.path() / db / "Dialmind.hw").string());
        const UserDatabase final = LoadUserDatabase((dir.path() / db / "Dialmind.usr").string());
        std::map<std::string, std::vector<Session>> own;
        for (const Session& s : PairSessions(records[db]))
            own[UpperAscii(s.user)].push_back(s);
        for (const ReadRecord& denial : records[db]) {
            if (denial.kind != 2)
                continue;
            ++denials;
            reasons.insert(denial.reason);
            int given[2];
            for (bool inclusive : {false, true}) {
                StateAt state =
                    Reconstruct(denial, inclusive, hw, final, own[UpperAscii(denial.user)], everywhere);
                given[inclusive] = ExplainPolicy(hw, std::move(state.users), IdentityOf(denial.user), denial.server,
                                                 denial.port, denial.time, state.portsHeld)
                                       .reason;
            }
            EXPECT_TRUE(denial.reason == given[0] || denial.reason == given[1])
                << db << " " << denial.server << "\\" << denial.port << " " << denial.user << " at " << denial.time
                << ": logged " << denial.reason << ", explain gives " << given[0] << "/" << given[1];
        }
    }
    EXPECT_GT(denials, 50);
    EXPECT_EQ(reasons, (std::set<int>{1, 2, 3, 4, 5, 6})) << "every reason was replayed";
}

} // namespace
