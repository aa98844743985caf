#include "netemu/greeting.h"

#include <gtest/gtest.h>

using namespace dm::netemu;

namespace {

const GreetingValues kSample{"John Doe", 20, 30, 40, 50};

TEST(GreetingTest, MergesActiveRulesWithSingleBlanks)
{
    GreetingRule rules[3] = {{true, "Welcome, #UNAME"}, {false, "Limited"}, {true, "Max #PMS secs"}};
    const bool all[3] = {true, true, true};
    EXPECT_EQ(MergeGreeting(rules, all, kSample), "Welcome John Doe Max 20 secs ");
    rules[0] = {true, "Hello"};
    EXPECT_EQ(MergeGreeting(rules, all, kSample), "Hello Max 20 secs ");
}

TEST(GreetingTest, VariablesCompareFourCharactersWithoutRegardToCase)
{
    GreetingRule rules[3] = {{true, "#umsx #UCURRENT\t#umt,,#PMS\n#Unamed"}, {}, {}};
    const bool all[3] = {true, true, true};
    EXPECT_EQ(MergeGreeting(rules, all, kSample), "30 50 40 20 John Doe ");
}

TEST(GreetingTest, NoActiveRuleIsNoMessage)
{
    GreetingRule rules[3] = {{false, "a"}, {false, "b"}, {false, "c"}};
    const bool all[3] = {true, true, true};
    EXPECT_FALSE(MergeGreeting(rules, all, kSample));
    // An active rule with an empty text is a message, though an empty one.
    rules[1].active = true;
    rules[1].text = "";
    EXPECT_EQ(MergeGreeting(rules, all, kSample), "");
}

TEST(GreetingTest, RulesApplyToAccountsWithTimeLimitsAndPortsWithMaximum)
{
    GreetingRule rules[3] = {{true, "Hi"}, {true, "Limited #UMT"}, {true, "Port #PMS"}};
    GreetingValues values = kSample;
    values.portMaxSession = 0;
    EXPECT_EQ(GreetingFor(rules, Limits{}, values), "Hi ");
    Limits limited;
    limited.periodMax = 60;
    limited.periodType = PeriodWeek;
    EXPECT_EQ(GreetingFor(rules, limited, values), "Hi Limited 40 ");
    values.portMaxSession = 900;
    EXPECT_EQ(GreetingFor(rules, Limits{}, values), "Hi Port 900 ");
    rules[0].active = false;
    EXPECT_FALSE(GreetingFor(rules, Limits{}, GreetingValues{"x", 0, 0, 0, 0}));
}

} // namespace
