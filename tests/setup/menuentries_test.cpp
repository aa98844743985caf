// The menu entries setup writes, checked by the desktop's own validator:
// valid UTF-8 whatever the target directory, the network carried along, and
// the help opened as what it is.

#include "common/ansitext.h"
#include "platform/system/progman.h"
#include "setup/unattended.h"
#include "tests/setup/setupfixture.h"

#include <cstdio>
#include <sstream>
#include <sys/wait.h>

using namespace dm;
using dm::test::ReadFile;
using dm::test::SetupFixture;
using dm::test::WriteFile;
namespace fs = std::filesystem;

namespace {

// desktop-file-validate's verdict on a file: its exit status and what it said.
std::pair<int, std::string> Validate(const fs::path& file)
{
    const std::string command = "desktop-file-validate '" + file.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {-1, "cannot run desktop-file-validate"};
    std::string said;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        said += buffer;
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, said};
}

class MenuEntriesTest : public SetupFixture {
protected:
    std::vector<fs::path> Written() const
    {
        std::vector<fs::path> files;
        for (const fs::path& dir : {DesktopApplicationsDir(), DesktopDirectoriesDir()})
            for (const auto& entry : fs::directory_iterator(dir))
                files.push_back(entry.path());
        return files;
    }
};

} // namespace

TEST_F(MenuEntriesTest, ALatin1TargetDirectoryGivesValidEntriesThatReachThePrograms)
{
    ASSERT_EQ(std::system("command -v desktop-file-validate >/dev/null"), 0)
        << "desktop-file-validate is missing: make deps installs desktop-file-utils";
    MakeMedium();
    // An answers file written by a Windows program: "ü" as the code page's byte.
    WriteFile(m_root / "answers.ini",
              "[Setup]\r\nInstallServer=0\r\nTargetDirectory=C:\\Programme\\B\xfc" "cher\r\n");
    UnattendedAnswers answers;
    std::string error;
    ASSERT_TRUE(ReadUnattendedAnswers(m_root / "answers.ini", answers, error)) << error;
    std::ostringstream out;
    ASSERT_EQ(RunUnattended(answers, m_medium, out), unattendedexit::Completed) << out.str();

    const fs::path target = Local("C:\\Programme\\B\u00fccher");
    ASSERT_TRUE(fs::exists(target / "DIALMIND.EXE")) << out.str();
    EXPECT_EQ(RegString("Software\\Osterhall Software\\Dialminder", "Directory"),
              "C:\\Programme\\B\u00fccher");

    const auto files = Written();
    ASSERT_EQ(files.size(), 5u);
    for (const fs::path& file : files) {
        const std::string text = ReadFile(file);
        EXPECT_TRUE(IsUtf8(text)) << file;
        const auto [status, said] = Validate(file);
        EXPECT_EQ(status, 0) << file << ": " << said;
        // Hints (such as the menu's own category being no main category) pass.
        EXPECT_EQ(said.find("error:"), std::string::npos) << said;
        EXPECT_EQ(said.find("warning:"), std::string::npos) << said;
    }
    const std::string manager =
        ReadFile(DesktopApplicationsDir() / "dialminder-dialminder-for-windows-nt-dialminder-manager.desktop");
    EXPECT_NE(manager.find("Exec=env DIALMIND_NETWORK=" + Network::Root().string() +
                           " DIALMIND_COMPUTERNAME=TESTHOST " + (target / "DIALMIND.EXE").string() + "\n"),
              std::string::npos)
        << manager;
    const std::string help =
        ReadFile(DesktopApplicationsDir() / "dialminder-dialminder-for-windows-nt-dialminder-for-windows-nt.desktop");
    EXPECT_NE(help.find("Exec=xdg-open " + (target / "DM.html").string() + "\n"), std::string::npos) << help;
}

TEST_F(MenuEntriesTest, ProgramGroupNamesAndCommandsInTheCodePageBecomeUtf8)
{
    ProgmanConversation progman;
    ASSERT_EQ(progman.Execute("[CreateGroup(Caf\xe9 Tools)]"), 0u);
    ASSERT_EQ(progman.Execute("[AddItem(C:\\Caf\xe9\\tool.exe,R\xe9sum\xe9)]"), 0u);
    for (const fs::path& file : Written()) {
        const std::string text = ReadFile(file);
        EXPECT_TRUE(IsUtf8(text)) << file;
        const auto [status, said] = Validate(file);
        EXPECT_EQ(status, 0) << file << ": " << said;
        EXPECT_EQ(said.find("warning:"), std::string::npos) << said;
    }
    const std::string entry = ReadFile(DesktopApplicationsDir() / "dialminder-caf-tools-r-sum.desktop");
    EXPECT_NE(entry.find("Name=R\u00e9sum\u00e9\n"), std::string::npos) << entry;
    EXPECT_NE(ReadFile(DesktopMenuMergeDir() / "dialminder-caf-tools.menu").find("<Name>Caf\u00e9 Tools</Name>"),
              std::string::npos);
}
