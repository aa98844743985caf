// Every dmctl subcommand reads its words by one rule: a word in a positional
// place is that value whatever it looks like, "--" ends the options, and
// "--help" asks for help only where no positional word is expected.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <filesystem>

using namespace dm::test;

namespace {

using DmctlArgumentsTest = DmctlNetworkTest;

TEST_F(DmctlArgumentsTest, AWordInAValuesPlaceIsThatValueEvenWhenItLooksLikeAnOption)
{
    const std::string f = (m_dir / "x.ini").string();
    auto set = RunDmctl({"ini", "set", f, "S", "k", "--help"});
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(set.out, "");
    EXPECT_EQ(RunDmctl({"ini", "get", f, "S", "k"}).out, "--help\n");
    // "--" lets an option word stand where an option could.
    ASSERT_EQ(RunDmctl({"ini", "set", f, "S", "-x", "1"}).status, 0);
    EXPECT_EQ(RunDmctl({"ini", "delete", f, "S", "-x"}).status, 2); // an unknown option there
    EXPECT_EQ(RunDmctl({"ini", "delete", f, "S", "--", "-x"}).status, 0);
    EXPECT_EQ(RunDmctl({"ini", "keys", f, "S"}).out, "k\n");
    // Where every argument is given, --help is help and nothing is written.
    auto help = RunDmctl({"ini", "get", f, "S", "k", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: dmctl ini"), std::string::npos);
    EXPECT_EQ(RunDmctl({"ini", "set", "--help"}).status, 0);
    EXPECT_NE(RunDmctl({"ini", "set", f, "S", "k", "v", "--help"}).out.find("Usage"), std::string::npos);
    EXPECT_EQ(RunDmctl({"ini", "get", f, "S", "k"}).out, "--help\n");
    // An unknown option where options stand is an error, not a value.
    EXPECT_NE(RunDmctl({"ini", "get", f, "S", "k", "--bogus"}).status, 0);
}

TEST_F(DmctlArgumentsTest, RegistryValuesMayBeOptionWordsAndRemoteIsNeverSmuggledIn)
{
    const std::string key = "Software\\Test";
    ASSERT_EQ(RunDmctl({"reg", "set", "MASTER", key, "Text", "--sz", "--remote"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "Text"}).out, "--remote\n");

    // Every word after --multi is an item; none of them makes the write remote.
    ASSERT_EQ(RunDmctl({"reg", "deny", "MASTER", "Software", "on"}).status, 0);
    auto multi = RunDmctl({"reg", "set", "MASTER", key, "List", "--multi", "a", "--remote", "b"});
    ASSERT_EQ(multi.status, 0) << multi.err;
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "List"}).out, "a\n--remote\nb\n");
    ASSERT_EQ(RunDmctl({"reg", "set", "MASTER", key, "Dashes", "--multi", "--", "--x", "-y"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "Dashes"}).out, "--x\n-y\n");

    // --remote before the command or after the arguments is remote.
    EXPECT_EQ(RunDmctl({"reg", "--remote", "set", "MASTER", key, "V", "--sz", "x"}).status, 2);
    EXPECT_EQ(RunDmctl({"reg", "set", "MASTER", key, "V", "--remote", "--sz", "x"}).status, 2);
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "V"}).status, 2); // never written

    // A value named like an option is read and deleted as such.
    ASSERT_EQ(RunDmctl({"reg", "set", "MASTER", key, "--help", "--dword", "7"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "--help"}).out, "7\n");
    EXPECT_EQ(RunDmctl({"reg", "delete", "MASTER", key, "--", "--help"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "--help"}).status, 2);
    EXPECT_NE(RunDmctl({"reg", "keys", "MASTER", key, "--help"}).out.find("Usage: dmctl reg"), std::string::npos);
}

TEST_F(DmctlArgumentsTest, NetworkCommandsTakeOptionWordsAsValuesInTheirPlace)
{
    ASSERT_EQ(RunDmctl({"net", "add-domain", "DOM", "MASTER"}).status, 0);
    ASSERT_EQ(RunDmctl({"net", "add-user", "DOM", "jdoe", "--comment", "--disabled"}).status, 0);
    const std::string accounts = m_root + "/machines/MASTER/accounts.ini";
    EXPECT_EQ(RunDmctl({"ini", "get", accounts, "User:jdoe", "Comment"}).out, "--disabled\n");
    EXPECT_EQ(RunDmctl({"ini", "get", accounts, "User:jdoe", "Disabled"}).out, "0\n");
    // In the place of NAME, "--help" is a name.
    EXPECT_EQ(RunDmctl({"net", "add-user", "DOM", "--help", "--rights", "9"}).status, 0);
    EXPECT_EQ(RunDmctl({"ras", "user", "MASTER", "--help"}).out, "9,\n");
    auto help = RunDmctl({"net", "add-user", "DOM", "jdoe", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: dmctl net add-user"), std::string::npos);
    EXPECT_NE(RunDmctl({"net", "add-user", "--help"}).out.find("Usage: dmctl net add-user"), std::string::npos);
    EXPECT_NE(RunDmctl({"ras", "ports", "MASTER", "--help"}).out.find("Usage: dmctl ras"), std::string::npos);
    EXPECT_NE(RunDmctl({"net", "share", "MASTER", "DB", "C:\\x", "extra"}).status, 0);
}

TEST_F(DmctlArgumentsTest, PortNamesLongerThanTheRasRecordsHoldAreRefused)
{
    auto longName = RunDmctl({"net", "add-port", "MASTER", "ISDN-CHANNEL-016"});
    EXPECT_EQ(longName.status, 2);
    EXPECT_NE(longName.err.find("longer than 15 characters: error 87 (ERROR_INVALID_PARAMETER)"), std::string::npos)
        << longName.err;
    ASSERT_EQ(RunDmctl({"net", "add-port", "MASTER", "ISDN-CHANNEL-15"}).status, 0);
    EXPECT_EQ(RunDmctl({"ras", "ports", "MASTER"}).out, "ISDN-CHANNEL-15,,0,WAITING FOR CALL\n");
}

} // namespace

TEST_F(DmctlArgumentsTest, TheDatabaseGroupsTakeAnOptionWordAfterAValueOptionAsTheValue)
{
    const std::string db = (m_dir / "db").string();
    WriteFile(m_dir / "db" / "Dialmind.hw", "[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Hi #UNAME\"\r\n");
    WriteFile(m_dir / "db" / "Dialmind.usr", "");
    std::filesystem::create_directories(m_dir / "db" / "LogData");

    const auto greeting = RunDmctl({"greeting", "preview", db, "--user", "--help"});
    EXPECT_EQ(greeting.status, 0);
    EXPECT_EQ(greeting.out, "Hi --help \n");
    EXPECT_NE(RunDmctl({"greeting", "preview", db, "--help"}).out.find("Usage"), std::string::npos);

    const auto history = RunDmctl({"history", db, "--from", "0", "--to", "10", "--user", "--help"});
    EXPECT_EQ(history.status, 0) << history.err;
    EXPECT_EQ(history.out.rfind("Time/Date,", 0), 0u) << history.out;

    const auto usage = RunDmctl({"usage", db, "--from", "0", "--to", "100", "--server", "--help"});
    EXPECT_EQ(usage.status, 0) << usage.err;
    EXPECT_EQ(usage.out.find("Usage: dmctl"), std::string::npos);

    const auto policy = RunDmctl({"policy", "explain", db, "DOM\\joe", "RAS1", "COM1", "--groups", "--help"});
    EXPECT_EQ(policy.status, 0) << policy.err;
    EXPECT_EQ(policy.out.find("Usage: dmctl"), std::string::npos);
    // The four places are positional, whatever their words look like.
    const auto port = RunDmctl({"policy", "explain", db, "DOM\\joe", "RAS1", "--csv"});
    EXPECT_EQ(port.status, 0);
    EXPECT_NE(port.out.find("on RAS1\\--csv"), std::string::npos) << port.out;

    // "--" lets a directory whose name starts with "-" be named.
    const auto dashed = RunDmctl({"logfiles", "--", "-x"});
    EXPECT_EQ(dashed.status, 1);
    EXPECT_NE(dashed.err.find("no database directory '-x'"), std::string::npos) << dashed.err;
    EXPECT_EQ(RunDmctl({"logfiles", "-x"}).status, 2);

    // A file named like an option is a file: the import fails on the
    // unknown server, not on its words.
    const auto imported = RunDmctl({"permissions", "import", "NOWHERE", "--continue-on-error"});
    EXPECT_EQ(imported.status, 1) << imported.err;
}
