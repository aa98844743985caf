#include "common/text.h"
#include "common/timeformat.h"
#include "database/policyengine.h"
#include "database/profilevalues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using namespace dm;

namespace {

class PolicyEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HardwareDatabase::Port open;
        open.settings.serverName = "RAS1";
        open.settings.portName = "COM1";
        HardwareDatabase::Port closed = open;
        closed.settings.portName = "COM2";
        closed.allowedUsers = {"DOM\\boss"};
        closed.allowedGlobalGroups = {"DOM\\Sales"};
        closed.allowedLocalGroups = {"RAS1\\Dialers"};
        hw.ports[UpperAscii("RAS1\\COM1")] = open;
        hw.ports[UpperAscii("RAS1\\COM2")] = closed;
        UserRecord joe;
        joe.accountKey = "DOM\\joe";
        usr.AddAccount(joe);
    }
    UserRecord& Joe() { return *usr.FindAccount("dom\\JOE"); }
    CallerIdentity Caller(const std::string& account) { return CallerIdentity{account, {}, {}}; }

    HardwareDatabase hw;
    UserDatabase usr;
    PolicyEngine engine{hw, usr};
    const std::uint32_t now = LocalTimeOf(2026, 3, 4, 10);
};

TEST_F(PolicyEngineTest, UndefinedAccountIsDeniedUnlessTheDefaultProfileIsAssigned)
{
    EXPECT_EQ(engine.Admit(Caller("DOM\\ann"), "RAS1", "COM1", now, 0).reason, DenyNotDefined);
    EXPECT_EQ(usr.FindAccount("DOM\\ann"), nullptr);

    hw.defaultProfile.assignDefault = true;
    hw.defaultProfile.maxSessionTime = 600;
    hw.defaultProfile.expiryTime = 30;
    const Admission admission = engine.Admit(Caller("DOM\\ann"), "RAS1", "COM1", now, 0);
    EXPECT_EQ(admission.reason, Admitted);
    EXPECT_TRUE(admission.createdFromDefault);
    ASSERT_NE(usr.FindAccount("DOM\\ann"), nullptr);
    EXPECT_EQ(usr.FindAccount("DOM\\ann")->maxSessionTime, 600);
    EXPECT_EQ(usr.FindAccount("DOM\\ann")->expiryTime, 30);
    // The second call finds the record of its own.
    EXPECT_FALSE(engine.Admit(Caller("DOM\\ann"), "RAS1", "COM1", now, 0).createdFromDefault);
}

TEST_F(PolicyEngineTest, DefaultProfileAccountDeniedOnAPortStillGetsItsSection)
{
    hw.defaultProfile.assignDefault = true;
    const Admission admission = engine.Admit(Caller("DOM\\ann"), "RAS1", "COM2", now, 0);
    EXPECT_EQ(admission.reason, DenyPortAccess);
    EXPECT_TRUE(admission.createdFromDefault);
    EXPECT_NE(usr.FindAccount("DOM\\ann"), nullptr);
}

TEST_F(PolicyEngineTest, ExpiryCountsFromTheFirstConnection)
{
    Joe().expiryTime = 10;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted) << "never connected";
    Joe().firstConnection = now - 10 * 86400 + 1;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted);
    Joe().firstConnection = now - 10 * 86400;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, DenyExpired);
}

TEST_F(PolicyEngineTest, ReasonsFollowTheirOrder)
{
    Joe().maxTotalTime = 100;
    Joe().totalTime = 100;
    Joe().noDuplicate = true;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM2", now, 1).reason, DenyTotalTimeReached);
    Joe().totalTime = 99;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM2", now, 1).reason, DenyAlreadyConnected);
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM2", now, 0).reason, DenyPortAccess);
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted);
    Joe().noDuplicate = false;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 3).reason, Admitted);
}

TEST_F(PolicyEngineTest, AccessListsAdmitUsersGlobalAndLocalGroupsWithoutRegardToCase)
{
    EXPECT_EQ(engine.Admit(Caller("dom\\BOSS"), "RAS1", "COM2", now, 0).reason, DenyNotDefined);
    UserRecord boss;
    boss.accountKey = "DOM\\boss";
    usr.AddAccount(boss);
    EXPECT_EQ(engine.Admit(Caller("dom\\BOSS"), "ras1", "com2", now, 0).reason, Admitted);
    CallerIdentity sales{"DOM\\joe", {"dom\\sales"}, {}};
    EXPECT_EQ(engine.Admit(sales, "RAS1", "COM2", now, 0).reason, Admitted);
    // A local group's name in the global list does not count, and the reverse.
    CallerIdentity wrongKind{"DOM\\joe", {"RAS1\\Dialers"}, {"DOM\\Sales"}};
    EXPECT_EQ(engine.Admit(wrongKind, "RAS1", "COM2", now, 0).reason, DenyPortAccess);
    CallerIdentity local{"DOM\\joe", {}, {"RAS1\\dialers"}};
    EXPECT_EQ(engine.Admit(local, "RAS1", "COM2", now, 0).reason, Admitted);
}

TEST_F(PolicyEngineTest, PeriodUsageCountsOnlyInTheCurrentPeriod)
{
    Joe().periodType = PeriodDay;
    Joe().periodMax = 3600;
    Joe().periodStamp = PeriodStart(now, PeriodDay);
    Joe().periodUsage = 3600;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, DenyPeriodUsed);
    // The next day the stamp is old and the usage no longer counts.
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now + 86400, 0).reason, Admitted);
    Joe().periodUsage = 3599;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted);
}

TEST_F(PolicyEngineTest, GroupLimitsApplyOnlyWhereMoreGenerous)
{
    Joe().noDuplicate = true;
    Joe().maxSessionTime = 600;
    Joe().maxTotalTime = 3600;
    Joe().periodMax = 1800;
    Joe().periodType = PeriodDay;
    usr.groups[UpperAscii("DOM\\Staff")] = Limits{false, 1200, 1800, 7200, PeriodWeek};
    const CallerIdentity staff{"DOM\\joe", {"DOM\\Staff"}, {}};
    const Limits limits = engine.EffectiveLimits(Joe(), staff);
    EXPECT_FALSE(limits.noDuplicate);
    EXPECT_EQ(limits.maxSessionTime, 1200);
    EXPECT_EQ(limits.maxTotalTime, 3600) << "the member's own total is more generous";
    // 1800 s a day allows more than 7200 s a week.
    EXPECT_EQ(limits.periodMax, 1800);
    EXPECT_EQ(limits.periodType, PeriodDay);
    // A group without a limit lifts it; a group without a section changes nothing.
    usr.groups[UpperAscii("DOM\\Free")] = Limits{true, 0, 0, 0, PeriodNone};
    const Limits free = engine.EffectiveLimits(Joe(), CallerIdentity{"DOM\\joe", {"DOM\\Free", "DOM\\None"}, {}});
    EXPECT_EQ(free.maxSessionTime, 0);
    EXPECT_EQ(free.maxTotalTime, 0);
    EXPECT_FALSE(free.HasPeriodLimit());
    EXPECT_TRUE(free.noDuplicate);
}

TEST(PeriodStartTest, DayWeekAndMonthStartAtLocalMidnight)
{
    const std::uint32_t sunday = LocalTimeOf(2026, 3, 8, 23, 30);
    EXPECT_EQ(PeriodStart(sunday, PeriodDay), LocalTimeOf(2026, 3, 8));
    EXPECT_EQ(PeriodStart(sunday, PeriodWeek), LocalTimeOf(2026, 3, 2)) << "weeks start on Monday";
    EXPECT_EQ(PeriodStart(LocalTimeOf(2026, 3, 2, 0, 1), PeriodWeek), LocalTimeOf(2026, 3, 2));
    EXPECT_EQ(PeriodStart(sunday, PeriodMonth), LocalTimeOf(2026, 3, 1));
    // Across the change to summer time (29 March 2026 in Europe/Berlin) a day still starts at 00:00.
    EXPECT_EQ(PeriodStart(LocalTimeOf(2026, 3, 29, 12), PeriodDay), LocalTimeOf(2026, 3, 29));
    EXPECT_EQ(PeriodStart(sunday, PeriodNone), 0u);
}

TEST(SessionCutTest, EarliestLimitWinsAndThePortIsNamedOnATie)
{
    Limits limits;
    EXPECT_FALSE(PolicyEngine::SessionCut(1000, 0, limits));
    limits.maxSessionTime = 300;
    auto cut = PolicyEngine::SessionCut(1000, 600, limits);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->at, 1300u);
    EXPECT_EQ(cut->reason, EndUserMaxSession);
    cut = PolicyEngine::SessionCut(1000, 300, limits);
    EXPECT_EQ(cut->reason, EndPortMaxTime);
}

TEST(SessionCutTest, SessionsSideBySideShareTheRemainingTotalTime)
{
    Limits limits;
    limits.maxTotalTime = 1000;
    EXPECT_EQ(PolicyEngine::TotalTimeCut(limits, 400, {100}), 700u);
    // Two sessions from 100 and 300 with 600 s left: (T - 100) + (T - 300) = 600 at T = 500.
    EXPECT_EQ(PolicyEngine::TotalTimeCut(limits, 400, {100, 300}), 500u);
    // Rounded down, never past the limit: (1000 - 400 + 101 + 300) / 2 = 500.5.
    const std::uint32_t at = *PolicyEngine::TotalTimeCut(limits, 400, {101, 300});
    EXPECT_LE(400 + (at - 101) + (at - 300), 1000u);
    EXPECT_FALSE(PolicyEngine::TotalTimeCut(Limits{}, 400, {100}));
}

TEST(SessionCutTest, TotalTimeNeverOverflows)
{
    // A counter far below zero leaves four billion seconds: no cut at once.
    Limits limits;
    limits.maxTotalTime = 2000000000;
    const std::uint32_t start = 1772438400;
    const auto at = PolicyEngine::TotalTimeCut(limits, -2000000000, {start});
    ASSERT_TRUE(at);
    EXPECT_EQ(*at, 0xFFFFFFFFu) << "the latest time there is, not a wrapped one";
    EXPECT_FALSE(PolicyEngine::TotalTimeReached(limits, -2000000000));
    const auto cut = PolicyEngine::PlannedCut(start, 0, limits, {-2000000000, 0, {start}}, start, 0);
    ASSERT_TRUE(cut);
    EXPECT_GT(cut->at, start);
    // Session limits near the end of time stay there too.
    limits.maxSessionTime = 0x7FFFFFFF;
    EXPECT_EQ(PolicyEngine::SessionCut(0xFFFFFF00u, 0, limits)->at, 0xFFFFFFFFu);
}

TEST(SessionCutTest, TheEarliestOfSessionTotalPeriodAndIdleCutsApplies)
{
    const std::uint32_t t = LocalTimeOf(2026, 3, 4, 10);
    Limits limits;
    limits.maxSessionTime = 600;
    limits.maxTotalTime = 1000;
    auto cut = PolicyEngine::PlannedCut(t, 0, limits, {500, 0, {t}}, t, 0);
    EXPECT_EQ(cut->at, t + 500);
    EXPECT_EQ(cut->reason, EndUserMaxTotal);
    cut = PolicyEngine::PlannedCut(t, 0, limits, {500, 0, {t}}, t, t + 200);
    EXPECT_EQ(cut->reason, EndIdleTimeout);
    cut = PolicyEngine::PlannedCut(t, 0, limits, {0, 0, {t}}, t, 0);
    EXPECT_EQ(cut->reason, EndUserMaxSession);
    limits.periodMax = 900;
    limits.periodType = PeriodDay;
    cut = PolicyEngine::PlannedCut(t, 0, limits, {0, 800, {t}}, t, 0);
    EXPECT_EQ(cut->at, t + 100);
    EXPECT_EQ(cut->reason, EndPeriodUsed);
    EXPECT_FALSE(PolicyEngine::PlannedCut(t, 0, Limits{}, {0, 0, {t}}, t, 0));
}

TEST(SessionCutTest, PeriodAllowanceRunsOutWithinItsPeriodOnly)
{
    Limits limits;
    limits.periodMax = 3600;
    limits.periodType = PeriodDay;
    const std::uint32_t morning = LocalTimeOf(2026, 3, 4, 9);
    // 1000 s used today; two sessions side by side from 9:00 and 9:10 share the 2600 s left.
    EXPECT_EQ(PolicyEngine::PeriodCut(limits, 1000, morning + 600, {morning, morning + 600}), morning + 1600);
    // A session from yesterday evening counts from midnight.
    const std::uint32_t midnight = LocalTimeOf(2026, 3, 4);
    EXPECT_EQ(PolicyEngine::PeriodCut(limits, 0, midnight + 60, {midnight - 7200}), midnight + 3600);
    // Late in the day the period ends first: no cut, the next day brings a new allowance.
    EXPECT_FALSE(
        PolicyEngine::PeriodCut(limits, 0, LocalTimeOf(2026, 3, 4, 23, 30), {LocalTimeOf(2026, 3, 4, 23, 30)}));
    EXPECT_FALSE(PolicyEngine::PeriodCut(Limits{}, 0, morning, {morning}));
    limits.periodType = PeriodNone;
    EXPECT_FALSE(PolicyEngine::PeriodCut(limits, 0, morning, {morning})) << "an amount without a period";
}

TEST(PeriodStartTest, NextPeriodStartsAtTheFollowingLocalMidnight)
{
    EXPECT_EQ(NextPeriodStart(LocalTimeOf(2026, 3, 28, 12), PeriodDay), LocalTimeOf(2026, 3, 29));
    EXPECT_EQ(NextPeriodStart(LocalTimeOf(2026, 3, 29, 12), PeriodDay), LocalTimeOf(2026, 3, 30)) << "a 23-hour day";
    EXPECT_EQ(NextPeriodStart(LocalTimeOf(2026, 3, 8, 23), PeriodWeek), LocalTimeOf(2026, 3, 9));
    EXPECT_EQ(NextPeriodStart(LocalTimeOf(2026, 1, 31, 23), PeriodMonth), LocalTimeOf(2026, 2, 1));
    EXPECT_EQ(NextPeriodStart(LocalTimeOf(2026, 2, 1), PeriodMonth), LocalTimeOf(2026, 3, 1)) << "a 28-day month";
    EXPECT_EQ(NextPeriodStart(LocalTimeOf(2026, 2, 1), PeriodNone), 0u);
}

TEST_F(PolicyEngineTest, TotalTimeReachedAtTheLimitItself)
{
    Joe().maxTotalTime = 3600;
    Joe().totalTime = 3599;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted);
    Joe().totalTime = 3600;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, DenyTotalTimeReached);
    Joe().totalTime = -2000000000;
    Joe().maxTotalTime = 2000000000;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted);
}

TEST_F(PolicyEngineTest, EachLimitNamesTheSectionThatSuppliedIt)
{
    Joe().maxSessionTime = 600;
    Joe().maxTotalTime = 3600;
    usr.groups[UpperAscii("DOM\\Staff")] = Limits{false, 1200, 1800, 0, PeriodNone};
    usr.groups[UpperAscii("RAS1\\Night")] = Limits{true, 0, 900, 0, PeriodNone};
    LimitSources sources;
    engine.EffectiveLimits(Joe(), CallerIdentity{"DOM\\joe", {"DOM\\Staff"}, {"RAS1\\Night"}}, &sources);
    EXPECT_EQ(sources.maxSessionTime, "+RAS1\\Night") << "no limit is the most generous";
    EXPECT_EQ(sources.maxTotalTime, "DOM\\joe");
    EXPECT_EQ(sources.noDuplicate, "DOM\\joe");
    EXPECT_EQ(sources.period, "DOM\\joe");

    hw.defaultProfile.assignDefault = true;
    hw.defaultProfile.maxSessionTime = 300;
    const Admission fresh = engine.Admit(CallerIdentity{"DOM\\new", {"DOM\\Staff"}, {}}, "RAS1", "COM1", now, 0);
    EXPECT_EQ(fresh.sources.maxSessionTime, "+DOM\\Staff");
    EXPECT_EQ(fresh.sources.maxTotalTime, kDefaultProfileSource) << "the group's 1800 is tighter than none";
    EXPECT_EQ(fresh.effective.maxTotalTime, 0);
}

TEST_F(PolicyEngineTest, NoticesAreDueAtTheirLeadTimeBeforeTheCut)
{
    hw.notifications.notices[0] = {300, "Five minutes left"};
    hw.notifications.notices[1] = {60, "One minute left"};
    auto due = engine.NoticesBefore(Cut{1000 + 1000, EndUserMaxSession}, 1000);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].notice, 0);
    EXPECT_EQ(due[0].at, 1700u);
    EXPECT_EQ(due[1].at, 1940u);
    // A lead time longer than the session: that notice would come before the start.
    due = engine.NoticesBefore(Cut{1000 + 200, EndUserMaxSession}, 1000);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].notice, 1);
    EXPECT_TRUE(engine.NoticesBefore(Cut{0, EndNoReason}, 1000).empty()) << "no cut, no notice";
    hw.notifications.notices[1].seconds = 0;
    EXPECT_TRUE(engine.NoticesBefore(Cut{1000 + 200, EndUserMaxSession}, 1000).empty());
}

TEST_F(PolicyEngineTest, StaticAddressPrefersTheAccountsThenThePortsAndSkipsOnesInUse)
{
    hw.ports[UpperAscii("RAS1\\COM1")].settings.staticIP = 0x0A000001;
    EXPECT_EQ(engine.StaticAddress(&Joe(), "RAS1", "COM1", {}), 0x0A000001u);
    Joe().staticIP = 0xC0A80001;
    EXPECT_EQ(engine.StaticAddress(&Joe(), "ras1", "com1", {}), 0xC0A80001u);
    auto busy = [](std::uint32_t ip) { return ip == 0xC0A80001u; };
    EXPECT_EQ(engine.StaticAddress(&Joe(), "RAS1", "COM1", busy), 0x0A000001u);
    EXPECT_EQ(engine.StaticAddress(&Joe(), "RAS1", "COM2", busy), 0u) << "the pool gives one";
    EXPECT_EQ(engine.StaticAddress(nullptr, "RAS1", "COM2", {}), 0u);
}

TEST_F(PolicyEngineTest, GreetingNamesTheUserWithoutTheDomain)
{
    hw.greetings.rules[0] = {true, "Hello #UNAME"};
    hw.greetings.rules[2] = {true, "Port #PMS"};
    EXPECT_EQ(engine.Greeting("DOM\\joe", Limits{}, 0, 0), "Hello joe ");
    EXPECT_EQ(engine.Greeting("joe", Limits{}, 900, 0), "Hello joe Port 900 ");
    hw.greetings.rules[0].active = false;
    hw.greetings.rules[2].active = false;
    EXPECT_FALSE(engine.Greeting("DOM\\joe", Limits{}, 900, 0));
}

} // namespace

namespace {

// Sets TZ for one test and puts the old one back.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

} // namespace

TEST(PeriodStartTest, PeriodCutsHoldAtBothEndsOfThe32BitTimes)
{
    Limits limits;
    limits.periodMax = 10000;
    {
        // February 2106: the next month starts after the last 32-bit time.
        const ZoneScope zone("UTC0");
        limits.periodType = PeriodMonth;
        const std::uint32_t late = 0xFFFFFFFFu - 20000;
        EXPECT_GT(NextPeriodStartAt(late, PeriodMonth), std::int64_t{0xFFFFFFFF});
        EXPECT_EQ(NextPeriodStart(late, PeriodMonth), 0xFFFFFFFFu);
        EXPECT_EQ(PolicyEngine::PeriodCut(limits, 0, late, {late}), late + 10000);
    }
    {
        // 01:00 UTC on the first day is still 31 December 1969 five hours west.
        const ZoneScope zone("EST5");
        limits.periodType = PeriodDay;
        EXPECT_EQ(PeriodStartAt(3600, PeriodDay), -19 * 3600);
        EXPECT_EQ(NextPeriodStartAt(3600, PeriodDay), 5 * 3600);
        EXPECT_EQ(PolicyEngine::PeriodCut(limits, 0, 3600, {3600}), 13600u);
        limits.periodMax = 20000; // the day ends first
        EXPECT_FALSE(PolicyEngine::PeriodCut(limits, 0, 3600, {3600}));
    }
}
