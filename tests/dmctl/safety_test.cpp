// dmctl attacked as a hostile or careless user would: links out of the
// network, FIFOs where files belong, a full standard output, requests that
// cannot be delivered. Nothing escapes, nothing hangs, no failure exits 0.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

using namespace dm::test;
namespace fs = std::filesystem;

namespace {

class DmctlSafetyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = m_dir / "net";
        ::setenv("DIALMIND_NETWORK", m_root.c_str(), 1);
        ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
        ::unsetenv("DIALMIND_RASSAPI");
        ASSERT_EQ(RunDmctl({"net", "init", m_root.string()}).status, 0);
        ASSERT_EQ(RunDmctl({"net", "add-domain", "DOM", "HQRAS01"}).status, 0);
        ASSERT_EQ(RunDmctl({"net", "add-port", "HQRAS01", "COM1"}).status, 0);
        ASSERT_EQ(RunDmctl({"net", "add-user", "DOM", "jdoe", "--rights", "10"}).status, 0);
        ASSERT_EQ(RunDmctl({"net", "share", "HQRAS01", "DM_NT_DB", "C:\\Dialmind"}).status, 0);
        fs::create_directories(m_share);
        fs::create_directories(m_outside);
        WriteFile(m_outside / "o.ini", "[Secret]\r\nkey=outside\r\n");
    }
    fs::path Machine() const { return m_root / "machines" / "HQRAS01"; }

    TempDir m_dir;
    fs::path m_root;
    fs::path m_share = m_dir / "net" / "machines" / "HQRAS01" / "drives" / "C" / "Dialmind";
    fs::path m_outside = m_dir / "outside";
};

// Runs dmctl with its standard output on /dev/full.
ProgramRun RunToFullDisk(const std::vector<std::string>& args)
{
    return RunProgram(std::string(DM_BIN_DIR) + "/dmctl", args, {}, {}, [] {
        const int fd = ::open("/dev/full", O_WRONLY);
        return fd >= 0 && ::dup2(fd, 1) == 1;
    });
}

} // namespace

TEST_F(DmctlSafetyTest, NoReadFollowsALinkOutOfTheNetwork)
{
    fs::create_directory_symlink(m_outside, m_share / "link");
    const auto get = RunDmctl({"ini", "get", "\\\\HQRAS01\\DM_NT_DB\\link\\o.ini", "Secret", "key"});
    EXPECT_NE(get.status, 0);
    EXPECT_EQ(get.out.find("outside"), std::string::npos) << get.out;
    EXPECT_NE(get.err.find("161"), std::string::npos) << get.err;

    // A linked LogData lists and deletes nothing outside.
    WriteFile(m_outside / "1997-Mar-04.log", "[HQRAS01\\COM1]\r\n857462400=C_DOM\\jdoe\r\n");
    fs::create_directory_symlink(m_outside, m_share / "LogData");
    const auto files = RunDmctl({"logfiles", "\\\\HQRAS01\\DM_NT_DB"});
    EXPECT_EQ(files.out.find("1997-Mar-04"), std::string::npos) << files.out;
    EXPECT_TRUE(fs::exists(m_outside / "1997-Mar-04.log"));
}

TEST_F(DmctlSafetyTest, AShareOnAHostDirectoryIsRefused)
{
    const auto share = RunDmctl({"net", "share", "HQRAS01", "HOSTSHARE", m_outside.string()});
    EXPECT_NE(share.status, 0);
    RunDmctl({"ini", "set", "\\\\HQRAS01\\HOSTSHARE\\written.ini", "S", "K", "V"});
    EXPECT_FALSE(fs::exists(m_outside / "written.ini"));
}

TEST_F(DmctlSafetyTest, ADisconnectThatCannotBeDeliveredFails)
{
    ASSERT_EQ(RunDmctl({"net", "session", "HQRAS01", "COM1", "jdoe", "--domain", "DOM", "--start", "1000"}).status, 0);
    const fs::path requests = Machine() / "rasrequests.log";
    ASSERT_EQ(::mkfifo(requests.c_str(), 0644), 0);
    const auto fifo = RunDmctl({"ras", "disconnect", "HQRAS01", "COM1"});
    EXPECT_NE(fifo.status, 0) << fifo.out;
    EXPECT_EQ(RunDmctl({"ras", "server", "HQRAS01"}).out, "1,1\n"); // the session goes on

    fs::remove(requests);
    fs::create_symlink(m_outside / "o.ini", requests);
    EXPECT_NE(RunDmctl({"ras", "disconnect", "HQRAS01", "COM1"}).status, 0);
    EXPECT_NE(RunDmctl({"ras", "clear", "HQRAS01", "COM1"}).status, 0);
    EXPECT_EQ(ReadFile(m_outside / "o.ini"), "[Secret]\r\nkey=outside\r\n");

    fs::remove(requests);
    EXPECT_EQ(RunDmctl({"ras", "disconnect", "HQRAS01", "COM1"}).status, 0);
    EXPECT_EQ(RunDmctl({"ras", "server", "HQRAS01"}).out, "1,0\n");
}

TEST_F(DmctlSafetyTest, AFifoMessageLogNeitherHangsNorCounts)
{
    ASSERT_EQ(::mkfifo((m_root / "messages.log").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((Machine() / "messages.log").c_str(), 0644), 0);
    const auto show = RunDmctl({"net", "show"});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("HQRAS01"), std::string::npos);
}

TEST_F(DmctlSafetyTest, OutputLostOnAFullDiskIsAFailure)
{
    WriteFile(m_share / "Dialmind.usr", "[Users]\r\n");
    WriteFile(m_share / "LogData" / "1997-Mar-04.log", "[HQRAS01\\COM1]\r\n857462400=C_DOM\\jdoe\r\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ini", "sections", "\\\\HQRAS01\\DM_NT_DB\\Dialmind.usr"},
          std::vector<std::string>{"ras", "ports", "HQRAS01"},
          std::vector<std::string>{"reg", "keys", "HQRAS01", "Software"},
          std::vector<std::string>{"net", "show"},
          std::vector<std::string>{"users", "\\\\HQRAS01\\DM_NT_DB"},
          std::vector<std::string>{"logfiles", "\\\\HQRAS01\\DM_NT_DB"},
          std::vector<std::string>{"--help"}}) {
        ASSERT_EQ(RunDmctl(args).status, 0) << args[0];
        const auto full = RunToFullDisk(args);
        EXPECT_NE(full.status, 0) << args[0] << " " << args.back();
        EXPECT_FALSE(full.err.empty()) << args[0];
    }
}

TEST_F(DmctlSafetyTest, ImportFromADirectoryOrFifoIsAnError)
{
    const auto dir = RunDmctl({"permissions", "import", "HQRAS01", m_outside.string()});
    EXPECT_NE(dir.status, 0);
    EXPECT_NE(dir.err.find("Error opening data file: 5."), std::string::npos) << dir.err << dir.out;
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0644), 0);
    const auto fifo = RunDmctl({"permissions", "import", "HQRAS01", (m_dir / "fifo").string()});
    EXPECT_NE(fifo.status, 0);
    const auto missing = RunDmctl({"permissions", "import", "HQRAS01", (m_dir / "none.txt").string()});
    EXPECT_NE(missing.err.find("Error opening data file: 2."), std::string::npos) << missing.err;
}

TEST_F(DmctlSafetyTest, OfflineThatCannotBeWrittenFails)
{
    // A directory where machine.ini's lock file belongs: nothing can be written.
    fs::create_directory(Machine() / ".machine.ini.lock");
    EXPECT_NE(RunDmctl({"net", "offline", "HQRAS01", "on"}).status, 0);
    EXPECT_EQ(RunDmctl({"ras", "ports", "HQRAS01"}).status, 0); // still reachable
}

TEST_F(DmctlSafetyTest, ADatabaseThatDoesNotExistIsAnErrorNotAnEmptyAnswer)
{
    for (const std::string& dbdir : {std::string("\\\\HQRAS01\\DM_NT_DB\\Missing"), std::string("\\\\HQRAS01\\NOSHARE"),
                                     std::string("\\\\NOBODY\\DM_NT_DB")}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"policy", "explain", dbdir, "DOM\\jdoe", "HQRAS01", "COM1"},
              std::vector<std::string>{"history", dbdir, "--from", "0", "--to", "86400"},
              std::vector<std::string>{"usage", dbdir, "--from", "0", "--to", "86400"},
              std::vector<std::string>{"log", "list", dbdir, "--from", "0", "--to", "86400"},
              std::vector<std::string>{"users", dbdir}, std::vector<std::string>{"logfiles", dbdir},
              std::vector<std::string>{"greeting", "preview", dbdir}}) {
            const auto run = RunDmctl(args);
            EXPECT_NE(run.status, 0) << args[0] << " " << dbdir << "\n" << run.out;
            EXPECT_TRUE(run.out.empty()) << args[0] << " " << dbdir << "\n" << run.out;
            EXPECT_FALSE(run.err.empty()) << args[0];
        }
    }
    // The existing (empty) database answers.
    EXPECT_EQ(RunDmctl({"history", "\\\\HQRAS01\\DM_NT_DB", "--from", "0", "--to", "86400"}).status, 0);
}

TEST_F(DmctlSafetyTest, AFileThatCannotBeReadIsAnErrorNotAnEmptyOne)
{
    ASSERT_EQ(::mkfifo((m_share / "Dialmind.usr").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((m_share / "Dialmind.hw").c_str(), 0644), 0);
    const auto users = RunDmctl({"users", "\\\\HQRAS01\\DM_NT_DB"});
    EXPECT_NE(users.status, 0);
    EXPECT_TRUE(users.out.empty()) << users.out;
    EXPECT_NE(RunDmctl({"policy", "explain", "\\\\HQRAS01\\DM_NT_DB", "DOM\\jdoe", "HQRAS01", "COM1"}).status, 0);
    EXPECT_NE(RunDmctl({"greeting", "preview", "\\\\HQRAS01\\DM_NT_DB"}).status, 0);

    // An account database that is a FIFO lists no accounts as if there were none.
    const fs::path accounts = Machine() / "accounts.ini";
    fs::remove(accounts);
    ASSERT_EQ(::mkfifo(accounts.c_str(), 0644), 0);
    const auto exported = RunDmctl({"permissions", "export", "HQRAS01", (m_dir / "perms.txt").string()});
    EXPECT_NE(exported.status, 0) << exported.out;
}

TEST_F(DmctlSafetyTest, UserNamesLongerThanThePlatformTakesAreRefused)
{
    EXPECT_NE(RunDmctl({"net", "add-user", "DOM", std::string(300, 'u')}).status, 0);
    EXPECT_NE(RunDmctl({"net", "add-user", "DOM", std::string(21, 'u')}).status, 0);
    EXPECT_EQ(RunDmctl({"net", "add-user", "DOM", std::string(20, 'u')}).status, 0);
    // Twenty characters of two bytes each are twenty characters.
    std::string umlauts;
    for (int i = 0; i < 20; ++i)
        umlauts += "\xc3\xbc";
    EXPECT_EQ(RunDmctl({"net", "add-user", "DOM", umlauts}).status, 0);
}

TEST_F(DmctlSafetyTest, RegistryValuesTheTypeCannotHoldAreRefusedAndLinesAreUnambiguous)
{
    const std::string key = "Software\\Test";
    EXPECT_NE(RunDmctl({"reg", "set", "HQRAS01", key, "List", "--multi", "a", "", "c"}).status, 0);
    EXPECT_NE(RunDmctl({"reg", "get", "HQRAS01", key, "List"}).status, 0) << "nothing was written";

    ASSERT_EQ(RunDmctl({"reg", "set", "HQRAS01", key, "Text", "--sz", "one\r\ntwo"}).status, 0);
    ASSERT_EQ(RunDmctl({"reg", "set", "HQRAS01", key, "Plain", "--multi", "a b", "c"}).status, 0);
    const auto values = RunDmctl({"reg", "values", "HQRAS01", key});
    ASSERT_EQ(values.status, 0);
    EXPECT_EQ(values.out, "Text\tREG_SZ\thex:6f,6e,65,0d,0a,74,77,6f\nPlain\tREG_MULTI_SZ\ta b\\0c\n");
    // get shows a multi-string a line per string: a line break inside one
    // string is shown as bytes there too.
    EXPECT_EQ(RunDmctl({"reg", "get", "HQRAS01", key, "Text"}).out, "hex:6f,6e,65,0d,0a,74,77,6f\n");
    EXPECT_EQ(RunDmctl({"reg", "get", "HQRAS01", key, "Plain"}).out, "a b\nc\n");
}
