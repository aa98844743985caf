// dmreport started where there is no working directory or no display left:
// an "ERROR:" line and status 1, or the console instead of the window.

#include "tests/dmreport/scriptfixture.h"
#include "tests/support/childprocess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace dm::test;
namespace fs = std::filesystem;

namespace {

using Outcome = ProgramRun;

// Runs build/bin/dmreport without a display; with goneDirectory set, in a
// working directory that is deleted before the program starts.
Outcome RunDmreportIn(const std::vector<std::string>& args, std::vector<std::string> environment,
                    const fs::path& goneDirectory = {})
{
    environment.insert(environment.begin(), {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    const auto leaveDirectory = [&goneDirectory] {
        return goneDirectory.empty() ||
               (mkdir(goneDirectory.c_str(), 0700) == 0 && chdir(goneDirectory.c_str()) == 0 &&
                rmdir(goneDirectory.c_str()) == 0);
    };
    return RunProgram(std::string(DM_BIN_DIR) + "/dmreport", args, environment, {}, leaveDirectory);
}

} // namespace

TEST(DmreportEnvironment, ADeletedWorkingDirectoryEndsWithAnError)
{
    ScriptFixture fixture;
    const fs::path script = fixture.WriteScript("s.dat", fixture.Settings(1, 4));
    const Outcome gone = RunDmreportIn({"--console", script.string()}, {}, fixture.Work() / "gone");
    EXPECT_FALSE(gone.signalled);
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.err, "ERROR: The current directory no longer exists.\n");
}

TEST(DmreportEnvironment, ADisplayThatIsNotThereFallsBackToTheConsole)
{
    ScriptFixture fixture;
    fixture.WriteScript("s.dat", fixture.Settings(1, 4));
    const Outcome automatic = RunDmreportIn({"s.dat"}, {"DISPLAY=:97.0"});
    EXPECT_FALSE(automatic.signalled);
    EXPECT_EQ(automatic.status, 0) << automatic.err;
    EXPECT_NE(automatic.out.find("Report created ok."), std::string::npos) << automatic.out;
    EXPECT_TRUE(fs::exists(fixture.Work() / "out.csv"));

    const Outcome window = RunDmreportIn({"--window", "s.dat"}, {"DISPLAY=:97.0"});
    EXPECT_FALSE(window.signalled);
    EXPECT_EQ(window.status, 1);
    EXPECT_EQ(window.err.rfind("ERROR: ", 0), 0u) << window.err;
}
