#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

using namespace dm::test;

TEST(DmctlIniTest, SetGetListAndDelete)
{
    TempDir dir;
    const std::string f = (dir / "x.ini").string();
    ASSERT_EQ(RunDmctl({"ini", "set", f, "Ports", "COM1", "  \"a b\"  "}).status, 0);
    ASSERT_EQ(RunDmctl({"ini", "set", f, "Ports", "COM2", ""}).status, 0);
    ASSERT_EQ(RunDmctl({"ini", "set", f, "Users", "DOM\\joe", "5"}).status, 0);
    EXPECT_EQ(RunDmctl({"ini", "get", f, "ports", "com1"}).out, "a b\n");
    // An empty value is a value, not a missing key.
    auto empty = RunDmctl({"ini", "get", f, "Ports", "COM2", "--default", "x"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "\n");
    EXPECT_EQ(RunDmctl({"ini", "sections", f}).out, "Ports\nUsers\n");
    EXPECT_EQ(RunDmctl({"ini", "keys", f, "PORTS"}).out, "COM1\nCOM2\n");
    ASSERT_EQ(RunDmctl({"ini", "delete", f, "Ports", "COM1"}).status, 0);
    EXPECT_EQ(RunDmctl({"ini", "keys", f, "Ports"}).out, "COM2\n");
    ASSERT_EQ(RunDmctl({"ini", "delete", f, "Ports"}).status, 0);
    EXPECT_EQ(RunDmctl({"ini", "sections", f}).out, "Users\n");
    EXPECT_EQ(ReadFile(dir / "x.ini"), "[Users]\r\nDOM\\joe=5\r\n");
}

TEST(DmctlIniTest, FailuresGoToStderrWithNonZeroStatus)
{
    TempDir dir;
    const std::string f = (dir / "x.ini").string();
    auto missing = RunDmctl({"ini", "get", f, "s", "k"});
    EXPECT_NE(missing.status, 0);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("no key"), std::string::npos);
    EXPECT_EQ(RunDmctl({"ini", "get", f, "s", "k", "--default", "dflt"}).out, "dflt\n");

    auto refused = RunDmctl({"ini", "set", f, "a]", "k", "v"});
    EXPECT_NE(refused.status, 0);
    EXPECT_FALSE(refused.err.empty());
    EXPECT_NE(RunDmctl({"ini", "set", (dir / "no" / "x.ini").string(), "a", "k", "v"}).status, 0);
    EXPECT_NE(RunDmctl({"ini", "frobnicate"}).status, 0);
    EXPECT_NE(RunDmctl({"ini", "get", f, "s"}).status, 0);

    auto help = RunDmctl({"ini", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("sections FILE"), std::string::npos);
}

TEST(DmctlIniTest, AUtf16FileStaysUtf16AndLineEndsStayTheFiles)
{
    TempDir dir;
    const auto wide = [](const std::string& ascii) {
        std::string out = "\xFF\xFE";
        for (char c : ascii)
            out += std::string{c, '\0'};
        return out;
    };
    WriteFile(dir / "win.ini", wide("[windows]\r\ndevice=Office,winspool,LPT1:\r\n"));
    const std::string f = (dir / "win.ini").string();
    EXPECT_EQ(RunDmctl({"ini", "get", f, "windows", "device"}).out, "Office,winspool,LPT1:\n");
    ASSERT_EQ(RunDmctl({"ini", "set", f, "windows", "load", "x"}).status, 0);
    EXPECT_EQ(ReadFile(dir / "win.ini"),
              wide("[windows]\r\ndevice=Office,winspool,LPT1:\r\nload=x\r\n"));

    WriteFile(dir / "unix.ini", "[A]\nk=1\n");
    const std::string u = (dir / "unix.ini").string();
    ASSERT_EQ(RunDmctl({"ini", "set", u, "B", "k", "2"}).status, 0);
    EXPECT_EQ(ReadFile(dir / "unix.ini"), "[A]\nk=1\n[B]\nk=2\n");
}
