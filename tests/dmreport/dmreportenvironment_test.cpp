// dmreport started where there is no working directory or no display left:
// an "ERROR:" line and status 1, or the console instead of the window.

#include "tests/dmreport/scriptfixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dm::test;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    bool signalled = false;
    std::string out;
    std::string err;
};

// Runs build/bin/dmreport; with goneDirectory set, in a working directory
// that is deleted before the program starts.
Outcome RunDmreport(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                    const fs::path& goneDirectory = {})
{
    const TempDir capture;
    const std::string outFile = (capture / "out").string();
    const std::string errFile = (capture / "err").string();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        for (const std::string& setting : environment)
            putenv(const_cast<char*>(setting.c_str()));
        if (!goneDirectory.empty() &&
            (mkdir(goneDirectory.c_str(), 0700) != 0 || chdir(goneDirectory.c_str()) != 0 ||
             rmdir(goneDirectory.c_str()) != 0))
            _exit(126);
        const std::string program = std::string(DM_BIN_DIR) + "/dmreport";
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    Outcome outcome;
    int raw = 0;
    waitpid(pid, &raw, 0);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.signalled = WIFSIGNALED(raw);
    outcome.out = ReadFile(outFile);
    outcome.err = ReadFile(errFile);
    return outcome;
}

} // namespace

TEST(DmreportEnvironment, ADeletedWorkingDirectoryEndsWithAnError)
{
    ScriptFixture fixture;
    const fs::path script = fixture.WriteScript("s.dat", fixture.Settings(1, 4));
    const Outcome gone = RunDmreport({"--console", script.string()}, {}, fixture.Work() / "gone");
    EXPECT_FALSE(gone.signalled);
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.err, "ERROR: The current directory no longer exists.\n");
}

TEST(DmreportEnvironment, ADisplayThatIsNotThereFallsBackToTheConsole)
{
    ScriptFixture fixture;
    fixture.WriteScript("s.dat", fixture.Settings(1, 4));
    const Outcome automatic = RunDmreport({"s.dat"}, {"DISPLAY=:97.0"});
    EXPECT_FALSE(automatic.signalled);
    EXPECT_EQ(automatic.status, 0) << automatic.err;
    EXPECT_NE(automatic.out.find("Report created ok."), std::string::npos) << automatic.out;
    EXPECT_TRUE(fs::exists(fixture.Work() / "out.csv"));

    const Outcome window = RunDmreport({"--window", "s.dat"}, {"DISPLAY=:97.0"});
    EXPECT_FALSE(window.signalled);
    EXPECT_EQ(window.status, 1);
    EXPECT_EQ(window.err.rfind("ERROR: ", 0), 0u) << window.err;
}
