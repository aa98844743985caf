// The dmsim program as scripts and "make demo" start it.

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kDmsim = std::string(DM_BIN_DIR) + "/dmsim";
const std::string kDmctl = std::string(DM_BIN_DIR) + "/dmctl";

struct Result {
    int status = -1;
    std::string output;
};

Result RunCommand(const std::string& command)
{
    Result result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(DmsimProgramTest, HelpAndBadInput)
{
    Result help = RunCommand(kDmsim + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("dmsim generate"), std::string::npos);
    EXPECT_EQ(RunCommand(kDmsim + " generate --help").status, 0);
    for (const char* bad : {"", " walk", " generate", " generate --days 0", " generate --days 3 --end 2025-02-30",
                            " run --speed -1", " run --days 3", " generate --days 2 --seed x", " run --network"}) {
        const Result result = RunCommand(kDmsim + bad);
        EXPECT_EQ(result.status, 2) << bad << ": " << result.output;
        EXPECT_NE(result.output.find("dmsim: "), std::string::npos) << bad;
    }
}

TEST(DmsimProgramTest, RunsInTheBackgroundOnTheDemoNetworkUntilASignal)
{
    if (!fs::exists(kDmctl))
        GTEST_SKIP() << "dmctl is not built";
    dm::test::TempDir dir;
    const std::string net = (dir.path() / "net").string();
    ASSERT_EQ(RunCommand(kDmctl + " net demo " + net).status, 0);
    const Result generated = RunCommand(kDmsim + " generate --network " + net + " --days 2 --end 2026-03-03");
    ASSERT_EQ(generated.status, 0) << generated.output;
    EXPECT_NE(generated.output.find("2026-03-02 to 2026-03-03"), std::string::npos) << generated.output;

    for (int signal : {SIGTERM, SIGINT}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const std::string out = (dir.path() / "run.out").string();
            std::freopen(out.c_str(), "w", stdout);
            ::execl(kDmsim.c_str(), "dmsim", "run", "--network", net.c_str(), "--speed", "600", nullptr);
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ASSERT_EQ(::kill(child, signal), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "stopped cleanly, not killed by signal " << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_NE(dm::test::ReadFile(dir.path() / "run.out").find("dmsim: stopped"), std::string::npos);
    }
    // After the stop no port of a computer that runs is left in session (an
    // offline computer's ports stay as they were).
    int checked = 0;
    for (const auto& machine : fs::directory_iterator(fs::path(net) / "machines")) {
        if (!fs::exists(machine.path() / "ras.ini")
            || (fs::exists(machine.path() / "machine.ini")
                && dm::test::ReadFile(machine.path() / "machine.ini").find("Reachable=0") != std::string::npos))
            continue;
        ++checked;
        const std::string ras = dm::test::ReadFile(machine.path() / "ras.ini");
        EXPECT_EQ(ras.find("LineCondition=6"), std::string::npos) << machine.path();
        EXPECT_EQ(ras.find("LineCondition=5"), std::string::npos) << machine.path();
    }
    EXPECT_GE(checked, 2);
}

} // namespace
