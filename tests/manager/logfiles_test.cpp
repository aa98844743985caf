// The log files of a database as the Database page, the log files dialog and
// dmctl logfiles see them.

#include "manager/core/logfiles.h"
#include "platform/files/profile.h"
#include "tests/manager/corefixture.h"

#include <filesystem>

using namespace dm;
using dm::test::WriteFile;

namespace {

class LogFilesTest : public dm::test::CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        m_logData = m_db / "LogData";
        std::filesystem::create_directories(m_logData);
    }
    void Add(const std::string& name, std::size_t size) { WriteFile(m_logData / name, std::string(size, 'x')); }
    std::filesystem::path m_logData;
};

TEST_F(LogFilesTest, ListsOnlyLogFilesByDateWithTheirSizes)
{
    Add("1997-Mar-04.log", 120);
    Add("1997-Apr-01.LOG", 7);
    Add("notes.txt", 3);
    Add(".log", 1); // no name before the extension
    std::filesystem::create_directories(m_logData / "old.log");
    const auto files = ListLogFiles(DatabaseDir());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "1997-Mar-04.log") << "March before April, not by the month's letters";
    EXPECT_EQ(files[0].size, 120u);
    EXPECT_EQ(files[1].name, "1997-Apr-01.LOG");
    EXPECT_EQ(files[1].size, 7u);
    EXPECT_EQ(CountLogFiles(DatabaseDir()), 2);

    std::filesystem::remove_all(m_logData);
    EXPECT_EQ(CountLogFiles(DatabaseDir()), 0);
    EXPECT_EQ(CountLogFiles("\\\\NOWHERE\\DM_NT_DB"), 0);
}

TEST_F(LogFilesTest, DayFilesSortAcrossYearsAndOtherNamesFollow)
{
    for (const char* name : {"1998-Jan-02.log", "1997-Dec-31.log", "1997-dec-05.log", "1997-Feb-10.log",
                             "Dialmind.log", "1997-Foo-01.log", "1997-Aug-1.log", "2001-Sep-30.log"})
        Add(name, 1);
    std::vector<std::string> names;
    for (const LogFileEntry& file : ListLogFiles(DatabaseDir()))
        names.push_back(file.name);
    EXPECT_EQ(names, (std::vector<std::string>{"1997-Feb-10.log", "1997-dec-05.log", "1997-Dec-31.log",
                                               "1998-Jan-02.log", "2001-Sep-30.log", "1997-Aug-1.log",
                                               "1997-Foo-01.log", "Dialmind.log"}));
    EXPECT_EQ(DayFileDate("1997-Dec-05.log"), 19971205);
    EXPECT_EQ(DayFileDate("1997-Dec-05.txt"), 0);
    EXPECT_EQ(DayFileDate("97-Dec-05.log"), 0);
    EXPECT_EQ(DayFileDate("1997-Dec-32.log"), 0);
    EXPECT_EQ(DayFileDate("1997-December-05.log"), 0);
}

TEST_F(LogFilesTest, ALogDataThatCannotBeListedIsAnErrorNotAnEmptyHistory)
{
    unsigned long error = 1;
    Add("1997-Mar-04.log", 120);
    EXPECT_EQ(ListLogFiles(DatabaseDir(), &error).size(), 1u);
    EXPECT_EQ(error, 0u);

    std::filesystem::remove_all(m_logData);
    EXPECT_TRUE(ListLogFiles(DatabaseDir(), &error).empty());
    EXPECT_EQ(error, 0u) << "no LogData: a database without history";

    // A file in its place cannot be listed, not even by root.
    WriteFile(m_logData, "not a directory");
    EXPECT_TRUE(ListLogFiles(DatabaseDir(), &error).empty());
    EXPECT_NE(error, 0u);
}

TEST_F(LogFilesTest, RecordedKeysCountDownAndStaleKeysGo)
{
    const std::string tmp = DatabaseDir() + "\\LogData\\logfiles.tmp";
    WritePrivateProfileString("Files", "9", "gone", tmp);
    Add("1997-Mar-01.log", 10);
    Add("1997-Mar-02.log", 20);
    Add("1997-Mar-03.log", 30);
    ASSERT_TRUE(RecordLogFileList(DatabaseDir(), ListLogFiles(DatabaseDir()), 3));
    EXPECT_EQ(GetPrivateProfileKeyNames("Files", tmp), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(GetPrivateProfileString("Files", "3", "", tmp), "1997-Mar-01");
    EXPECT_EQ(GetPrivateProfileString("Files", "1", "", tmp), "1997-Mar-03");
    EXPECT_EQ(GetPrivateProfileString("Size", "2", "", tmp), "20");
}

TEST_F(LogFilesTest, DeletesListedFilesOnlyNeverOutsideLogData)
{
    Add("1997-Mar-01.log", 10);
    Add("1997-Mar-02.log", 20);
    WriteFile(m_db / "Dialmind.hw", "[General]\r\n");
    WriteFile(m_db / "keep.log", "outside");
    // A name without the extension gets ".log"; the others are refused.
    EXPECT_EQ(DeleteLogFiles(DatabaseDir(), {"1997-Mar-01", "..\\Dialmind.hw", "../keep.log", "..", "missing.log"}),
              1);
    EXPECT_FALSE(std::filesystem::exists(m_logData / "1997-Mar-01.log"));
    EXPECT_TRUE(std::filesystem::exists(m_logData / "1997-Mar-02.log"));
    EXPECT_TRUE(std::filesystem::exists(m_db / "Dialmind.hw"));
    EXPECT_TRUE(std::filesystem::exists(m_db / "keep.log"));
}

TEST_F(LogFilesTest, FileSizeIsZeroWhenTheFileCannotBeExamined)
{
    WriteFile(m_db / "Dialmind.hw", std::string(321, 'h'));
    EXPECT_EQ(SystemFileSize(DatabaseDir() + "\\DIALMIND.HW"), 321u);
    EXPECT_EQ(SystemFileSize(DatabaseDir() + "\\Dialmind.usr"), 0u);
    EXPECT_EQ(SystemFileSize("\\\\NOWHERE\\DM_NT_DB\\Dialmind.hw"), 0u);
}

} // namespace
