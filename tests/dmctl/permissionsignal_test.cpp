// dmctl permissions stopped by SIGINT or SIGTERM: a real dmctl process, held
// at a known point by DMCTL_PERMISSIONS_TEST_HOLD (after its first written
// batch or exported account) until the signal has come, so that where it
// stops never depends on timing.

#include "tests/dmctl/dmctlrunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace dm::test;

namespace {

constexpr int kAccounts = 20000;

// A dmctl started in the background, its output in files.
class BackgroundDmctl {
public:
    BackgroundDmctl(const std::vector<std::string>& args, const std::filesystem::path& dir, const std::string& hold)
        : m_out(dir / "dmctl.out"), m_err(dir / "dmctl.err")
    {
        const std::string program = std::string(DM_BIN_DIR) + "/dmctl";
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setenv("DMCTL_PERMISSIONS_TEST_HOLD", hold.c_str(), 1);
            const int out = ::open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv;
            for (std::string& a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~BackgroundDmctl()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    pid_t Pid() const { return m_pid; }
    // The exit status, or -1 when it did not exit by itself within a minute.
    int Wait()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() const { return ReadFile(m_out); }
    std::string Err() const { return ReadFile(m_err); }

private:
    std::filesystem::path m_out, m_err;
    pid_t m_pid = -1;
    bool m_reaped = false;
};

// Waits until the held dmctl has written its count; empty when it never did.
std::string WaitForHold(const std::filesystem::path& hold)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(hold)) {
        if (std::chrono::steady_clock::now() > end)
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ReadFile(hold);
}

int Count(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

class DmctlPermissionSignalTest : public DmctlNetworkTest {
protected:
    void SetUp() override
    {
        DmctlNetworkTest::SetUp();
        ::unsetenv("DIALMIND_RASSAPI");
        ASSERT_EQ(RunDmctl({"net", "add-computer", "BIGDC"}).status, 0);
        m_accounts = std::filesystem::path(m_root) / "machines" / "BIGDC" / "accounts.ini";
    }
    // 20,000 accounts without dial-in, and a data file giving each dial-in
    // and a call-back number.
    void WriteDomain()
    {
        std::string accounts = "[Accounts]\r\nDomain=BIG\r\n";
        std::string data;
        for (int i = 0; i < kAccounts; ++i) {
            const std::string name = "user" + std::to_string(100000 + i);
            accounts += "\r\n[User:" + name + "]\r\nRasPrivilege=1\r\n";
            data += "\n" + name + ",10,0301 " + std::to_string(i);
        }
        WriteFile(m_accounts, accounts);
        WriteFile(File("big.txt"), data);
    }
    std::string File(const std::string& name) const { return (m_dir / name).string(); }
    std::filesystem::path m_accounts;
};

TEST_F(DmctlPermissionSignalTest, AnImportStopsBetweenBatchesAndKeepsTheFileWholeAndConsistent)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        WriteDomain();
        const std::string hold = File("hold-" + std::to_string(signal));
        BackgroundDmctl dmctl({"permissions", "import", "BIGDC", File("big.txt")}, m_dir.path(), hold);
        ASSERT_GT(dmctl.Pid(), 0);
        const std::string held = WaitForHold(hold);
        ASSERT_FALSE(held.empty()) << dmctl.Err();
        const int written = std::stoi(held);
        ASSERT_GT(written, 0);
        ASSERT_LT(written, kAccounts);
        ASSERT_EQ(::kill(dmctl.Pid(), signal), 0);
        EXPECT_EQ(dmctl.Wait(), 128 + signal);
        EXPECT_EQ(dmctl.Err(), "dmctl permissions: Import cancelled: " + std::to_string(written) + " of " +
                                   std::to_string(kAccounts) + " accounts imported.\n");
        EXPECT_EQ(dmctl.Out(), std::to_string(written) + " accounts imported, 0 failed\n");

        // Every account is there once; the first `written` have the file's
        // permission, the others theirs from before.
        const std::string text = ReadFile(m_accounts);
        EXPECT_EQ(Count(text, "[User:"), kAccounts);
        EXPECT_EQ(Count(text, "RasPrivilege=10\r\n"), written);
        EXPECT_EQ(Count(text, "RasPrivilege=1\r\n"), kAccounts - written);
        const std::string last = "user" + std::to_string(100000 + written - 1);
        const std::string next = "user" + std::to_string(100000 + written);
        EXPECT_EQ(RunDmctl({"ras", "user", "BIGDC", last}).out, "10,0301 " + std::to_string(written - 1) + "\n");
        EXPECT_EQ(RunDmctl({"ras", "user", "BIGDC", next}).out, "1,\n");
        for (const auto& entry : std::filesystem::directory_iterator(m_accounts.parent_path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.find("accounts.ini.") == std::string::npos || name == ".accounts.ini.lock")
                << name << " left beside the account database";
        }

        // The rest comes with a second run, which writes only what changes.
        const auto rest = RunDmctl({"permissions", "import", "BIGDC", File("big.txt")});
        EXPECT_EQ(rest.status, 0) << rest.err;
        EXPECT_EQ(Count(ReadFile(m_accounts), "RasPrivilege=10\r\n"), kAccounts);
    }
}

TEST_F(DmctlPermissionSignalTest, AnExportStoppedByASignalWritesNothing)
{
    WriteDomain();
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        WriteFile(File("out.txt"), "\nearlier,9,");
        const std::string hold = File("hold-" + std::to_string(signal));
        BackgroundDmctl dmctl({"permissions", "export", "BIGDC", File("out.txt")}, m_dir.path(), hold);
        ASSERT_FALSE(WaitForHold(hold).empty()) << dmctl.Err();
        ASSERT_EQ(::kill(dmctl.Pid(), signal), 0);
        EXPECT_EQ(dmctl.Wait(), 128 + signal);
        EXPECT_EQ(dmctl.Err(), "dmctl permissions: Export cancelled: the file was not written.\n");
        EXPECT_EQ(dmctl.Out(), "");
        EXPECT_EQ(ReadFile(File("out.txt")), "\nearlier,9,");
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.path()))
            EXPECT_EQ(entry.path().filename().string().find("out.txt."), std::string::npos)
                << entry.path() << " left beside the output";
    }
    // Without a signal the same export writes the whole file.
    const auto whole = RunDmctl({"permissions", "export", "BIGDC", File("out.txt")});
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(Count(ReadFile(File("out.txt")), "\n"), kAccounts);
}

TEST_F(DmctlPermissionSignalTest, HelpNamesTheExitStatusesOfASignal)
{
    const auto help = RunDmctl({"permissions", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("130 stopped by SIGINT, 143 stopped by SIGTERM"), std::string::npos) << help.out;
}

} // namespace
