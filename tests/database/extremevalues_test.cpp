// Every number a database file can hold, at its extremes, read by the
// loaders and used by the server component's rules: the sanitizer build
// stops on any signed overflow, so a value that is not range-checked where
// it is used fails here.

#include "database/groupsettings.h"
#include "database/hardwarefile.h"
#include "database/policyexplain.h"
#include "database/userfile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace dm;
using dm::test::WriteFile;

namespace {

const char* const kNumbers[] = {"-2147483648", "2147483647", "4294967295", "-1", "0", "99999999999999999999"};

std::string Keys(const std::vector<const char*>& names, const char* value)
{
    std::string text;
    for (const char* name : names)
        text += std::string(name) + "=" + value + "\r\n";
    return text;
}

} // namespace

TEST(ExtremeValuesTest, LoadersAndRulesTakeEveryStoredNumber)
{
    dm::test::TempDir dir;
    const std::string hw = (dir / "Dialmind.hw").string();
    const std::string usr = (dir / "Dialmind.usr").string();
    const std::vector<const char*> limits = {"MaxSessionTime", "MaxTotalTime", "ExpiryTime", "PeriodMax",
                                             "PeriodType", "NoDuplicate"};
    const std::vector<const char*> usage = {"TotalTime", "TotalConnects", "TotalDenieds", "PeriodUsage",
                                            "PeriodStamp", "FirstConnection", "LastConnection", "Lasted"};
    for (const char* n : kNumbers) {
        WriteFile(hw, std::string("[Loggers]\r\nRAS1=1\r\n[RAS1\\COM1]\r\n") +
                          Keys({"MaxSessionTime", "StaticIP"}, n) + "[General]\r\n" +
                          Keys({"Notify1", "Notify2"}, n) + "Notify1Text=a\r\nNotify2Text=b\r\n[Default]\r\n" +
                          Keys(limits, n) + Keys({"AssignDefault"}, n) + "[Greetings]\r\n" +
                          Keys({"RuleMask"}, n) + "Rule0Text=\"#PMS #UMS #UMT #UCUR\"\r\n");
        WriteFile(usr, std::string("[DOM\\joe]\r\n") + Keys(limits, n) + Keys(usage, n) + Keys({"StaticIP"}, n) +
                           "[+DOM\\Sales]\r\n" + Keys(limits, n));

        const HardwareDatabase hardware = LoadHardwareDatabase(hw);
        const UserDatabase users = LoadUserDatabase(usr);
        const GroupSettings group = LoadGroupSettings(usr, GroupSectionName("DOM", "Sales"));
        EXPECT_GE(group.periodChoice, 0) << n;
        EXPECT_LE(group.periodChoice, 2) << n;
        CallerIdentity caller;
        caller.account = "DOM\\joe";
        caller.globalGroups = {"DOM\\Sales"};
        for (std::uint32_t at : {0u, 1000000000u, 2000000000u, 4294967295u}) {
            for (const char* account : {"DOM\\joe", "DOM\\new"}) {
                caller.account = account;
                const PolicyExplanation explanation = ExplainPolicy(hardware, users, caller, "RAS1", "COM1", at, 3);
                EXPECT_FALSE(FormatExplanation(explanation).empty()) << n << " at " << at;
                FormatExplanationCsv(explanation);
            }
        }
    }
}
