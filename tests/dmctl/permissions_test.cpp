// dmctl permissions and dmctl logfiles on the demo network: the same code as
// the manager's dialogs, driven from a script.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

using namespace dm::test;

namespace {

class DmctlPermissionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = (m_dir / "net").string();
        ::setenv("DIALMIND_NETWORK", m_root.c_str(), 1);
        ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
        ::unsetenv("DIALMIND_RASSAPI");
        ASSERT_EQ(RunDmctl({"net", "demo", m_root, "--seed", "7", "--time", "900000000"}).status, 0);
    }
    // The account names of an exported file, in file order.
    static std::vector<std::string> Names(const std::string& file)
    {
        std::vector<std::string> names;
        std::istringstream in(file);
        std::string line;
        while (std::getline(in, line))
            if (!line.empty())
                names.push_back(line.substr(0, line.find(',')));
        return names;
    }
    std::string File(const std::string& name) const { return (m_dir / name).string(); }
    TempDir m_dir;
    std::string m_root;
};

TEST_F(DmctlPermissionsTest, ExportThenImportIntoAnotherDomainGivesTheSamePermissions)
{
    const auto exported = RunDmctl({"permissions", "export", "HQDC01", File("hq.txt")});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string text = ReadFile(File("hq.txt"));
    ASSERT_EQ(text.substr(0, 1), "\n");
    ASSERT_NE(text.back(), '\n');
    const std::vector<std::string> names = Names(text);
    ASSERT_GE(names.size(), 5u);
    EXPECT_NE(exported.out.find(std::to_string(names.size()) + " accounts exported"), std::string::npos);

    // The field domain gets accounts of the same names, without dial-in.
    for (const std::string& name : names)
        ASSERT_EQ(RunDmctl({"net", "add-user", "LQFIELD", name, "--rights", "1"}).status, 0) << name;
    const auto imported = RunDmctl({"permissions", "import", "\\\\FLDDC01", File("hq.txt")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    int withDialIn = 0;
    for (const std::string& name : names) {
        const auto head = RunDmctl({"ras", "user", "HQDC01", name});
        const auto field = RunDmctl({"ras", "user", "FLDDC01", name});
        ASSERT_EQ(head.status, 0);
        EXPECT_EQ(field.out, head.out) << name;
        withDialIn += std::atoi(head.out.c_str()) & 8 ? 1 : 0;
    }
    EXPECT_GT(withDialIn, 0);
}

TEST_F(DmctlPermissionsTest, AFailedAccountStopsTheImportUnlessToldToGoOn)
{
    ASSERT_EQ(RunDmctl({"net", "add-user", "LQFIELD", "zed", "--rights", "1"}).status, 0);
    WriteFile(File("list.txt"), "\nghost,9,\nzed,10,0301 555");

    const auto stopped = RunDmctl({"permissions", "import", "FLDDC01", File("list.txt")});
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.err.find("Failed to set RAS permissions for user 'ghost' on server \\\\FLDDC01."),
              std::string::npos)
        << stopped.err;
    EXPECT_EQ(RunDmctl({"ras", "user", "FLDDC01", "zed"}).out, "1,\n");

    const auto onward = RunDmctl({"permissions", "import", "FLDDC01", File("list.txt"), "--continue-on-error"});
    EXPECT_EQ(onward.status, 1);
    EXPECT_NE(onward.out.find("1 accounts imported, 1 failed"), std::string::npos) << onward.out;
    EXPECT_EQ(RunDmctl({"ras", "user", "FLDDC01", "zed"}).out, "10,0301 555\n");
}

TEST_F(DmctlPermissionsTest, HelpUsageAndFailures)
{
    for (const char* group : {"permissions", "logfiles"}) {
        const auto help = RunDmctl({group, "--help"});
        EXPECT_EQ(help.status, 0) << group;
        EXPECT_NE(help.out.find("Usage: dmctl"), std::string::npos) << group;
    }
    EXPECT_EQ(RunDmctl({"permissions", "export", "HQDC01"}).status, 2);
    EXPECT_EQ(RunDmctl({"permissions", "copy", "HQDC01", File("x")}).status, 2);
    EXPECT_EQ(RunDmctl({"permissions", "export", "HQDC01", File("x"), "--continue-on-error"}).status, 2);

    const auto unknown = RunDmctl({"permissions", "export", "NOWHERE", File("x.txt")});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("Failed to enumerate accounts on server \\\\NOWHERE. Error 53."), std::string::npos)
        << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(File("x.txt")));
    const auto missing = RunDmctl({"permissions", "import", "HQDC01", File("none.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Error opening data file: 2."), std::string::npos) << missing.err;
    // A directory is no data file.
    std::filesystem::create_directories(File("folder.txt"));
    const auto folder = RunDmctl({"permissions", "import", "HQDC01", File("folder.txt")});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("Error opening data file: 5."), std::string::npos) << folder.err;
}

TEST_F(DmctlPermissionsTest, ImportingWhatADomainHoldsWritesNothingAndAChangeOnlyItsAccount)
{
    ASSERT_EQ(RunDmctl({"permissions", "export", "HQDC01", File("hq.txt")}).status, 0);
    const std::filesystem::path accounts = std::filesystem::path(m_root) / "machines" / "HQDC01" / "accounts.ini";
    const std::string before = ReadFile(accounts);
    ASSERT_FALSE(before.empty());
    const auto stamp = std::filesystem::last_write_time(accounts);
    const auto same = RunDmctl({"permissions", "import", "HQDC01", File("hq.txt")});
    ASSERT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(ReadFile(accounts), before);
    EXPECT_EQ(std::filesystem::last_write_time(accounts), stamp);

    // The first account loses its dial-in: that line changes, nothing else.
    const std::string text = ReadFile(File("hq.txt"));
    const std::string first = Names(text).front();
    const std::size_t end = text.find('\n', 1);
    WriteFile(File("one.txt"), "\n" + first + ",1," + (end == std::string::npos ? "" : text.substr(end)));
    ASSERT_EQ(RunDmctl({"permissions", "import", "HQDC01", File("one.txt")}).status, 0);
    EXPECT_EQ(RunDmctl({"ras", "user", "HQDC01", first}).out, "1,\n");
    ASSERT_EQ(RunDmctl({"permissions", "export", "HQDC01", File("after.txt")}).status, 0);
    EXPECT_EQ(ReadFile(File("after.txt")), ReadFile(File("one.txt")));
}

TEST_F(DmctlPermissionsTest, AnAccountDatabaseThatCannotBeReadFailsTheExportAndKeepsTheFile)
{
    const std::filesystem::path accounts = std::filesystem::path(m_root) / "machines" / "HQDC01" / "accounts.ini";
    const std::filesystem::path kept = accounts.string() + ".kept";
    std::filesystem::rename(accounts, kept);
    WriteFile(File("hq.txt"), "\nearlier,9,");
    for (const char* variant : {"missing", "directory", "fifo"}) {
        SCOPED_TRACE(variant);
        std::filesystem::remove(accounts);
        if (std::string(variant) == "directory")
            std::filesystem::create_directory(accounts);
        if (std::string(variant) == "fifo") {
            ASSERT_EQ(::mkfifo(accounts.c_str(), 0644), 0);
        }
        const auto run = RunDmctl({"permissions", "export", "HQDC01", File("hq.txt")});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Failed to enumerate accounts on server \\\\HQDC01. Error "), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(accounts.string() + ": "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(std::string(variant) == "missing" ? "does not exist" : "not a regular file"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(ReadFile(File("hq.txt")), "\nearlier,9,");
        // Nothing is written for a new file either.
        EXPECT_NE(RunDmctl({"permissions", "export", "HQDC01", File("new.txt")}).status, 0);
        EXPECT_FALSE(std::filesystem::exists(File("new.txt")));
    }
    std::filesystem::remove(accounts);
    std::filesystem::rename(kept, accounts);
    EXPECT_EQ(RunDmctl({"permissions", "export", "HQDC01", File("hq.txt")}).status, 0);
    EXPECT_NE(ReadFile(File("hq.txt")), "\nearlier,9,");
}

TEST_F(DmctlPermissionsTest, LogFilesListsNameAndSize)
{
    const std::string directory = "\\\\HQRAS01\\DM_NT_DB";
    const std::filesystem::path logData =
        std::filesystem::path(m_root) / "machines" / "HQRAS01" / "drives" / "C" / "Dialmind" / "LogData";
    std::filesystem::create_directories(logData);
    for (const auto& entry : std::filesystem::directory_iterator(logData))
        std::filesystem::remove_all(entry.path());
    EXPECT_EQ(RunDmctl({"logfiles", directory}).out, "");

    WriteFile(logData / "1999-Jan-02.log", std::string(42, 'x'));
    WriteFile(logData / "1999-Jan-01.log", std::string(7, 'x'));
    WriteFile(logData / "readme.txt", "no log");
    const auto listed = RunDmctl({"logfiles", directory});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "1999-Jan-01.log,7\n1999-Jan-02.log,42\n");

    const auto none = RunDmctl({"logfiles", (m_dir / "nothing").string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_FALSE(none.err.empty());
    EXPECT_EQ(RunDmctl({"logfiles"}).status, 2);
}

} // namespace
