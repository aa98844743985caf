// dmctl policy explain: what the server component would decide for a caller, and why.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

using namespace dm::test;

namespace {

// The program itself: one database, one account in each state, asked through dmctl.
TEST(DmctlPolicyTest, ExplainsEachDecisionWithItsSources)
{
    TempDir dir;
    WriteFile(dir / "Dialmind.hw",
                        "[RAS1\\COM1]\r\nMaxSessionTime=1800\r\n"
                        "[RAS1\\COM3]\r\nAllowedUser=\"DOM\\boss;\"\r\n"
                        "[General]\r\nNotify1=300\r\nNotify1Text=\"Five minutes left\"\r\nNotify2=0\r\n"
                        "[Default]\r\nAssignDefault=0\r\n"
                        "[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Welcome, #UNAME\"\r\n");
    WriteFile(dir / "Dialmind.usr",
                        "[DOM\\joe]\r\nMaxTotalTime=3600\r\nTotalTime=3600\r\n"
                        "[DOM\\sue]\r\nMaxSessionTime=600\r\nStaticIP=-1062731775\r\n"
                        "[DOM\\tom]\r\nNoDuplicate=1\r\n"
                        "[+DOM\\Sales]\r\nMaxSessionTime=1200\r\n");
    const std::string db = dir.str();
    const std::string at = "1772438400"; // Monday, 2 March 2026, 09:00 in Berlin

    auto joe = RunDmctl({"policy", "explain", db, "DOM\\joe", "RAS1", "COM1", "--at", at});
    EXPECT_EQ(joe.status, 0) << joe.err;
    EXPECT_NE(joe.out.find("Decision:         denied, reason 3: User Total Time Reached\n"), std::string::npos)
        << joe.out;
    auto nobody = RunDmctl({"policy", "explain", db, "DOM\\amy", "RAS1", "COM1", "--at", at, "--csv"});
    EXPECT_NE(nobody.out.find("decision,denied,\nreason,1,User not defined\n"), std::string::npos) << nobody.out;
    auto port = RunDmctl({"policy", "explain", db, "DOM\\sue", "RAS1", "COM3", "--at", at});
    EXPECT_NE(port.out.find("reason 5: Access denied on Port"), std::string::npos) << port.out;

    auto sue = RunDmctl({"policy", "explain", db, "DOM\\sue", "RAS1", "COM1", "--at", at, "--groups", "DOM\\Sales",
                         "--csv"});
    EXPECT_EQ(sue.status, 0) << sue.err;
    EXPECT_NE(sue.out.find("decision,admitted,\n"), std::string::npos) << sue.out;
    EXPECT_NE(sue.out.find("max session time,1200,+DOM\\Sales\n"), std::string::npos) << sue.out;
    EXPECT_NE(sue.out.find("cut at,1772439600,2\n"), std::string::npos) << "the group's 1200 s" << sue.out;
    EXPECT_NE(sue.out.find("static ip,192.168.0.1,account\n"), std::string::npos) << sue.out;
    EXPECT_NE(sue.out.find("greeting,Welcome sue ,\n"), std::string::npos) << sue.out;
    EXPECT_NE(sue.out.find("notice 1,1772439300,Five minutes left\n"), std::string::npos) << sue.out;
    EXPECT_NE(sue.out.find("notice 2,,\n"), std::string::npos) << sue.out;
    auto sueByDate = RunDmctl({"policy", "explain", db, "DOM\\sue", "RAS1", "COM1", "--at", "2026-03-02 09:00",
                               "--groups", "DOM\\Sales", "--csv"});
    EXPECT_EQ(sueByDate.out, sue.out) << sueByDate.err;
    // A date alone is the start of that day; --groups takes blanks after commas.
    auto midnight = RunDmctl({"policy", "explain", db, "DOM\\sue", "RAS1", "COM1", "--at", "2026-03-02",
                              "--groups", "DOM\\Other, DOM\\Sales", "--csv"});
    EXPECT_NE(midnight.out.find("cut at,1772407200,2\n"), std::string::npos) << midnight.out;
    // A second port for an account that may hold one only.
    auto held = RunDmctl({"policy", "explain", db, "DOM\\tom", "RAS1", "COM1", "--at", at, "--ports-held", "1"});
    EXPECT_NE(held.out.find("reason 4: User already connected"), std::string::npos) << held.out;
    auto single = RunDmctl({"policy", "explain", db, "DOM\\tom", "RAS1", "COM1", "--at", at});
    EXPECT_NE(single.out.find("Decision:         admitted"), std::string::npos) << single.out;
    EXPECT_NE(single.out.find("Static IP:        from the RAS pool"), std::string::npos) << single.out;

    auto bad = RunDmctl({"policy", "explain", db, "DOM\\sue", "RAS1", "--at", "yesterday"});
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.err.find("--at"), std::string::npos);
    EXPECT_NE(RunDmctl({"policy", "explain", db, "sue", "RAS1", "COM1"}).status, 0) << "not DOMAIN\\name";
    auto help = RunDmctl({"policy", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("dmctl policy explain DBDIR ACCOUNT SERVER PORT"), std::string::npos);
}

} // namespace

namespace {

// dmctl policy show and set: the editors for scripts.
TEST(DmctlPolicyEditTest, SetWritesOnlyTheNamedKeysAndRefusesWhatDoesNotFit)
{
    TempDir dir;
    WriteFile(dir / "Dialmind.usr", "[DOM\\joe]\r\nMaxTotalTime=3600\r\nTotalTime=1200\r\nStaticIP=0\r\n");
    WriteFile(dir / "Dialmind.hw", "[RAS1\\COM1]\r\nMaxSessionTime=1800\r\nAllowedUser=\"DOM\\joe;\"\r\n"
                                   "[General]\r\nNotify1=300\r\nNotify1Text=\"Five minutes\"\r\n");
    const std::string db = dir.str();

    auto show = RunDmctl({"policy", "show", db, "--user", "DOM\\joe"});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("MaxTotalTime=3600\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("TotalTime=1200\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("StaticIP=0.0.0.0\n"), std::string::npos) << show.out;

    auto set = RunDmctl({"policy", "set", db, "--user", "DOM\\joe", "MaxSessionTime=600", "StaticIP=10.0.0.9"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(ReadFile(dir / "Dialmind.usr"),
              "[DOM\\joe]\r\nMaxTotalTime=3600\r\nTotalTime=1200\r\nStaticIP=167772169\r\nMaxSessionTime=600\r\n");

    // Refused: the message on stderr, status 2, nothing written.
    const std::string before = ReadFile(dir / "Dialmind.usr");
    for (const std::vector<std::string>& pair :
         {std::vector<std::string>{"MaxSessionTime=600", "MaxTotalTime=4294967396"}, {"TotalTime=0"},
          {"Colour=red"}, {"MaxSessionTime"}}) {
        std::vector<std::string> args{"policy", "set", db, "--user", "DOM\\joe"};
        args.insert(args.end(), pair.begin(), pair.end());
        auto refused = RunDmctl(args);
        EXPECT_EQ(refused.status, 2) << pair.back();
        EXPECT_FALSE(refused.err.empty());
    }
    EXPECT_NE(RunDmctl({"policy", "set", db, "--user", "DOM\\joe", "MaxTotalTime=4294967396"})
                  .err.find("The maximum total time must be a number of seconds from 0 to 2147483647."),
              std::string::npos);
    EXPECT_EQ(ReadFile(dir / "Dialmind.usr"), before);

    // A port's time limit leaves its list as it stands; a notice turned off loses its text.
    EXPECT_EQ(RunDmctl({"policy", "set", db, "--port", "RAS1\\COM1", "MaxSessionTime=60"}).status, 0);
    EXPECT_NE(ReadFile(dir / "Dialmind.hw").find("MaxSessionTime=60\r\nAllowedUser=\"DOM\\joe;\""),
              std::string::npos);
    EXPECT_EQ(RunDmctl({"policy", "set", db, "--notifications", "Notify1=0"}).status, 0);
    auto notices = RunDmctl({"policy", "show", db, "--notifications"});
    EXPECT_EQ(notices.out, "Notify1=0\nNotify1Text=\nNotify2=0\nNotify2Text=\n");

    EXPECT_EQ(RunDmctl({"policy", "show", db}).status, 2) << "a target is needed";
    EXPECT_EQ(RunDmctl({"policy", "show", db, "--default", "--greetings"}).status, 2);
}

} // namespace
