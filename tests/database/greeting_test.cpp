#include "database/greeting.h"

#include <gtest/gtest.h>

using namespace dm;

namespace {

GreetingRules Rules(std::initializer_list<GreetingRule> list)
{
    GreetingRules rules;
    std::size_t i = 0;
    for (const GreetingRule& rule : list)
        rules.rules[i++] = rule;
    return rules;
}

TEST(GreetingTest, MergesActiveRulesWithSingleBlanks)
{
    GreetingRules rules = Rules({{true, "Welcome, #UNAME"}, {false, "Limited"}, {true, "Max #PMS secs"}});
    EXPECT_EQ(MergeGreeting(rules, SampleGreetingValues()), "Welcome John Doe Max 20 secs ");
    rules.rules[0] = {true, "Hello"};
    EXPECT_EQ(MergeGreeting(rules, SampleGreetingValues()), "Hello Max 20 secs ");
    // Only the first rule on: the comma disappears and the message ends with a blank.
    rules = Rules({{true, "Welcome, #UNAME"}, {}, {}});
    EXPECT_EQ(MergeGreeting(rules, SampleGreetingValues()), "Welcome John Doe ");
}

TEST(GreetingTest, VariablesCompareFourCharactersWithoutRegardToCase)
{
    const GreetingRules rules = Rules({{true, "#umsx #UCURRENT\t#umt,,#PMS\n#Unamed"}, {}, {}});
    EXPECT_EQ(MergeGreeting(rules, SampleGreetingValues()), "30 50 40 20 John Doe ");
}

TEST(GreetingTest, NoActiveRuleIsNoMessage)
{
    GreetingRules rules = Rules({{false, "a"}, {false, "b"}, {false, "c"}});
    EXPECT_FALSE(MergeGreeting(rules, SampleGreetingValues()));
    // An active rule with an empty text is a message, though an empty one.
    rules.rules[1] = {true, ""};
    EXPECT_EQ(MergeGreeting(rules, SampleGreetingValues()), "");
}

TEST(GreetingTest, RulesApplyToAccountsWithTimeLimitsAndPortsWithMaximum)
{
    const GreetingRules rules = Rules({{true, "Hi"}, {true, "Limited #UMT"}, {true, "Port #PMS"}});
    GreetingValues values = SampleGreetingValues();
    values.portMaxSession = 0;
    EXPECT_EQ(GreetingFor(rules, Limits{}, values), "Hi ");
    Limits limited;
    limited.periodMax = 60;
    limited.periodType = PeriodWeek;
    EXPECT_EQ(GreetingFor(rules, limited, values), "Hi Limited 40 ");
    // A period amount without a period type is no time limit.
    limited.periodType = PeriodNone;
    EXPECT_EQ(GreetingFor(rules, limited, values), "Hi ");
    values.portMaxSession = 900;
    EXPECT_EQ(GreetingFor(rules, Limits{}, values), "Hi Port 900 ");
    GreetingRules off = rules;
    off.rules[0].active = false;
    EXPECT_FALSE(GreetingFor(off, Limits{}, GreetingValues{"x", 0, 0, 0, 0}));
}

} // namespace
