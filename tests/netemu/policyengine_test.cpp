#include "netemu/policyengine.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace dm::netemu;

namespace {

std::uint32_t Local(int year, int month, int day, int hour = 0, int minute = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return static_cast<std::uint32_t>(std::mktime(&tm));
}

class PolicyEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PortPolicy open;
        open.server = "RAS1";
        open.port = "COM1";
        PortPolicy closed = open;
        closed.port = "COM2";
        closed.allowedUsers = {"DOM\\boss"};
        closed.allowedGlobalGroups = {"DOM\\Sales"};
        closed.allowedLocalGroups = {"RAS1\\Dialers"};
        hw.ports[UpperKey("RAS1\\COM1")] = open;
        hw.ports[UpperKey("RAS1\\COM2")] = closed;
        AccountRecord joe;
        joe.key = "DOM\\joe";
        usr.accounts[UpperKey(joe.key)] = joe;
    }
    AccountRecord& Joe() { return *usr.FindAccount("dom\\JOE"); }
    CallerIdentity Caller(const std::string& account) { return CallerIdentity{account, {}, {}}; }

    HardwarePolicies hw;
    UserPolicies usr;
    PolicyEngine engine{hw, usr};
    const std::uint32_t now = Local(2026, 3, 4, 10);
};

TEST_F(PolicyEngineTest, UndefinedAccountIsDeniedUnlessTheDefaultProfileIsAssigned)
{
    EXPECT_EQ(engine.Admit(Caller("DOM\\ann"), "RAS1", "COM1", now, 0).reason, DenyNotDefined);
    EXPECT_EQ(usr.FindAccount("DOM\\ann"), nullptr);

    hw.defaultProfile.assignDefault = true;
    hw.defaultProfile.limits.maxSessionTime = 600;
    hw.defaultProfile.expiryDays = 30;
    const Admission admission = engine.Admit(Caller("DOM\\ann"), "RAS1", "COM1", now, 0);
    EXPECT_EQ(admission.reason, Admitted);
    EXPECT_TRUE(admission.createdFromDefault);
    ASSERT_NE(usr.FindAccount("DOM\\ann"), nullptr);
    EXPECT_EQ(usr.FindAccount("DOM\\ann")->limits.maxSessionTime, 600);
    EXPECT_EQ(usr.FindAccount("DOM\\ann")->expiryDays, 30);
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
    Joe().expiryDays = 10;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted) << "never connected";
    Joe().firstConnection = now - 10 * 86400 + 1;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted);
    Joe().firstConnection = now - 10 * 86400;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, DenyExpired);
}

TEST_F(PolicyEngineTest, ReasonsFollowTheirOrder)
{
    Joe().limits.maxTotalTime = 100;
    Joe().totalTime = 100;
    Joe().limits.noDuplicate = true;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM2", now, 1).reason, DenyTotalTimeReached);
    Joe().totalTime = 99;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM2", now, 1).reason, DenyAlreadyConnected);
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM2", now, 0).reason, DenyPortAccess);
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 0).reason, Admitted);
    Joe().limits.noDuplicate = false;
    EXPECT_EQ(engine.Admit(Caller("DOM\\joe"), "RAS1", "COM1", now, 3).reason, Admitted);
}

TEST_F(PolicyEngineTest, AccessListsAdmitUsersGlobalAndLocalGroupsWithoutRegardToCase)
{
    EXPECT_EQ(engine.Admit(Caller("dom\\BOSS"), "RAS1", "COM2", now, 0).reason, DenyNotDefined);
    AccountRecord boss;
    boss.key = "DOM\\boss";
    usr.accounts[UpperKey(boss.key)] = boss;
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
    Joe().limits.periodType = PeriodDay;
    Joe().limits.periodMax = 3600;
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
    Joe().limits = {true, 600, 3600, 1800, PeriodDay};
    usr.groups[UpperKey("DOM\\Staff")] = Limits{false, 1200, 1800, 7200, PeriodWeek};
    const CallerIdentity staff{"DOM\\joe", {"DOM\\Staff"}, {}};
    const Limits limits = engine.EffectiveLimits(Joe(), staff);
    EXPECT_FALSE(limits.noDuplicate);
    EXPECT_EQ(limits.maxSessionTime, 1200);
    EXPECT_EQ(limits.maxTotalTime, 3600) << "the member's own total is more generous";
    // 1800 s a day allows more than 7200 s a week.
    EXPECT_EQ(limits.periodMax, 1800);
    EXPECT_EQ(limits.periodType, PeriodDay);
    // A group without a limit lifts it; a group without a section changes nothing.
    usr.groups[UpperKey("DOM\\Free")] = Limits{true, 0, 0, 0, PeriodNone};
    const Limits free = engine.EffectiveLimits(Joe(), CallerIdentity{"DOM\\joe", {"DOM\\Free", "DOM\\None"}, {}});
    EXPECT_EQ(free.maxSessionTime, 0);
    EXPECT_EQ(free.maxTotalTime, 0);
    EXPECT_FALSE(free.HasPeriodLimit());
    EXPECT_TRUE(free.noDuplicate);
}

TEST(PeriodStartTest, DayWeekAndMonthStartAtLocalMidnight)
{
    const std::uint32_t sunday = Local(2026, 3, 8, 23, 30);
    EXPECT_EQ(PeriodStart(sunday, PeriodDay), Local(2026, 3, 8));
    EXPECT_EQ(PeriodStart(sunday, PeriodWeek), Local(2026, 3, 2)) << "weeks start on Monday";
    EXPECT_EQ(PeriodStart(Local(2026, 3, 2, 0, 1), PeriodWeek), Local(2026, 3, 2));
    EXPECT_EQ(PeriodStart(sunday, PeriodMonth), Local(2026, 3, 1));
    // Across the change to summer time (29 March 2026 in Europe/Berlin) a day still starts at 00:00.
    EXPECT_EQ(PeriodStart(Local(2026, 3, 29, 12), PeriodDay), Local(2026, 3, 29));
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

} // namespace
