#include "platform/system/execute.h"
#include "platform/system/netbuiltin.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "tests/platform/networkfixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByThePlatformsQuotingRules)
{
    EXPECT_EQ(SplitCommandLine(""), Args{});
    EXPECT_EQ(SplitCommandLine("  \t "), Args{});
    EXPECT_EQ(SplitCommandLine("net  send\tUSER  hi"), (Args{"net", "send", "USER", "hi"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x.exe\" a\\b"),
              (Args{"C:\\Program Files\\x.exe", "a\\b"}));
    EXPECT_EQ(SplitCommandLine("NET SHARE DM_NT_DB=\"C:\\Program Files\\Dialmind\""),
              (Args{"NET", "SHARE", "DM_NT_DB=C:\\Program Files\\Dialmind"}));
    EXPECT_EQ(SplitCommandLine("p a\\\\\"b c\" d"), (Args{"p", "a\\b c", "d"}));
    EXPECT_EQ(SplitCommandLine("p a\\\\\\\"b"), (Args{"p", "a\\\"b"}));
    EXPECT_EQ(SplitCommandLine("p \"say \"\"hi\"\"\" \"\""), (Args{"p", "say \"hi\"", ""}));
    EXPECT_EQ(SplitCommandLine("p \"unterminated text"), (Args{"p", "unterminated text"}));
    // Backslashes in the program name are plain characters.
    EXPECT_EQ(SplitCommandLine("c:\\dir\\\"x y"), (Args{"c:\\dir\\\"x", "y"}));

    const auto parsed = ParseCommandLine("net send  \"Jo Doe\"  rest");
    ASSERT_EQ(parsed.size(), 4u);
    EXPECT_EQ(parsed[2].text, "Jo Doe");
    EXPECT_EQ(parsed[2].begin, 10u);
    EXPECT_EQ(parsed[2].end, 18u);
}

class ExecuteTest : public dm::test::NetworkTest {
protected:
    void SetUp() override
    {
        NetworkTest::SetUp();
        Network::AddComputer("TESTHOST");
        Network::AddComputer("MASTER");
        Network::AddComputer("RAS1");
    }
    // The message texts of a messages.log, without time and sender.
    static std::vector<std::string> Messages(const std::filesystem::path& log)
    {
        std::vector<std::string> lines;
        std::string text = ReadFile(log);
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line[0] == '\t' && !lines.empty())
                lines.back() += "\n" + line.substr(1);
            else
                lines.push_back(line.substr(line.find('\t') + 1));
            start = end + 1;
        }
        return lines;
    }
};

TEST_F(ExecuteTest, NetSendDeliversTheTextUnchangedAndRunsNothing)
{
    const auto trap = m_dir.path() / "trap";
    const std::string text = "  hi $(touch " + trap.string() + "); touch " + trap.string() +
                             " | & > \"quoted\" 'single' `cmd` \\back %PATH% * ?  ";
    EXPECT_EQ(ExecuteCommand("net send MASTER " + text), 0u);
    EXPECT_EQ(Messages(Machine("MASTER") / "messages.log"),
              Args{"TESTHOST\tMASTER\t" + text});
    EXPECT_FALSE(std::filesystem::exists(trap));

    const std::string log = ReadFile(Machine("MASTER") / "messages.log");
    ASSERT_GE(log.size(), 20u);
    EXPECT_EQ(log[4], '-');
    EXPECT_EQ(log[19], '\t'); // "yyyy-mm-dd hh:mm:ss\t"
}

TEST_F(ExecuteTest, NetSendFindsUsersBySessionAndElseWritesToTheNetworkRoot)
{
    WritePrivateProfileString("COM1", "User", "", (Machine("RAS1") / "ras.ini").string());
    WritePrivateProfileString("COM2", "User", "mkeller", (Machine("RAS1") / "ras.ini").string());
    WritePrivateProfileString("COM2", "LogonDomain", "OSTERHALL", (Machine("RAS1") / "ras.ini").string());
    std::filesystem::path where;
    ASSERT_EQ(DeliverNetMessage("MKELLER", "one", &where), 0u);
    EXPECT_EQ(where, Machine("RAS1") / "messages.log");
    ASSERT_EQ(DeliverNetMessage("osterhall\\mkeller", "two", &where), 0u);
    EXPECT_EQ(where, Machine("RAS1") / "messages.log");
    ASSERT_EQ(DeliverNetMessage("nobody", "three\r\nlines\nof text", &where), 0u);
    EXPECT_EQ(where, m_dir.path() / "network" / "messages.log");
    EXPECT_EQ(Messages(where), Args{"TESTHOST\tnobody\tthree\nlines\nof text"});
    EXPECT_EQ(Messages(Machine("RAS1") / "messages.log").size(), 2u);
}

TEST_F(ExecuteTest, NetShareEntersTheShareOfTheLocalComputer)
{
    EXPECT_EQ(ExecuteCommand("NET SHARE DM_NT_DB=\"C:\\Program Files\\Dialmind\""), 0u);
    EXPECT_EQ(GetPrivateProfileString("Shares", "dm_nt_db", "", (Machine("TESTHOST") / "shares.ini").string()),
              "C:\\Program Files\\Dialmind");
    std::filesystem::create_directories(Machine("TESTHOST") / "drives" / "C" / "Program Files" / "Dialmind");
    ResolvedPath resolved = ResolvePath("\\\\TESTHOST\\DM_NT_DB\\Dialmind.hw");
    ASSERT_TRUE(resolved.ok());
    EXPECT_EQ(resolved.path, Machine("TESTHOST") / "drives" / "C" / "Program Files" / "Dialmind" / "Dialmind.hw");

    EXPECT_EQ(ExecuteCommand("net share Data=C:\\Data"), 0u);
    EXPECT_EQ(ExecuteCommand("net share DATA /delete"), 0u);
    EXPECT_EQ(ExecuteCommand("net share DATA /delete"), winerr::BadNetName);
    EXPECT_EQ(ExecuteCommand("net share"), winerr::InvalidParameter);
    EXPECT_EQ(ExecuteCommand("net share bad]name=C:\\x"), winerr::InvalidParameter);
    EXPECT_EQ(ExecuteCommand("net start RemoteAccess"), winerr::NotSupported);
}

TEST_F(ExecuteTest, OtherProgramsStartForRealWithoutAShell)
{
    const auto made = m_dir.path() / "a b;c";
    int exitCode = -1;
    EXPECT_EQ(ExecuteCommandAndWait("touch \"" + made.string() + "\"", ShowMode::Hidden, exitCode), 0u);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(made));
    EXPECT_EQ(ExecuteCommandAndWait("false.exe", ShowMode::Hidden, exitCode), 0u);
    EXPECT_EQ(exitCode, 1);

    EXPECT_EQ(ExecuteCommand("no-such-program-here arg"), winerr::FileNotFound);
    EXPECT_EQ(ExecuteCommand("/no/such/dir/prog"), winerr::PathNotFound);
    const auto plain = m_dir.path() / "plain.txt";
    WriteFile(plain, "not a program");
    EXPECT_EQ(ExecuteCommand(plain.string()), winerr::AccessDenied);
    EXPECT_EQ(ExecuteCommand("   "), winerr::InvalidParameter);
    EXPECT_GT(WinExec("true", SwHide), 31u);
    EXPECT_EQ(WinExec("no-such-program-here", SwShowNormal), 2u);
}

TEST_F(ExecuteTest, RegisteredProgramsRunInsteadOfFiles)
{
    Args seen;
    RegisterBuiltinProgram("WinHlp32", [&](const std::vector<CommandArgument>& args, std::string_view, ShowMode) {
        for (const auto& a : args)
            seen.push_back(a.text);
        return winerr::Success;
    });
    EXPECT_EQ(ExecuteCommand("winhlp32.exe tourhelp.hlp", ShowMode::Shown), 0u);
    EXPECT_EQ(seen, (Args{"winhlp32.exe", "tourhelp.hlp"}));
    RegisterBuiltinProgram("winhlp32", nullptr);
    EXPECT_EQ(ExecuteCommand("winhlp32.exe tourhelp.hlp"), winerr::FileNotFound);
}

} // namespace
