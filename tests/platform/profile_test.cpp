#include "platform/files/profile.h"

#include <gtest/gtest.h>

#include "common/inifile.h"
#include "common/inistore.h"
#include "platform/files/pathresolver.h"
#include "tests/support/tempdir.h"

using namespace dm;
using dm::test::ReadFile;
using dm::test::TempDir;
using dm::test::WriteFile;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) const { return (m_dir / name).string(); }
    TempDir m_dir;
};

} // namespace

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefaultAndListsNothing)
{
    const std::string missing = File("nothing.ini");
    EXPECT_EQ(GetPrivateProfileString("s", "k", "n/a", missing), "n/a");
    EXPECT_EQ(GetPrivateProfileInt("s", "k", 17, missing), 17);
    EXPECT_TRUE(GetPrivateProfileSectionNames(missing).empty());
    EXPECT_TRUE(GetPrivateProfileKeyNames("s", missing).empty());

    WriteFile(m_dir / "plain.ini", "no sections here\r\nk=v\r\n");
    EXPECT_TRUE(GetPrivateProfileSectionNames(File("plain.ini")).empty());
    ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", File("plain.ini")));
    EXPECT_EQ(GetPrivateProfileString("s", "other", "0", File("plain.ini")), "0");
    EXPECT_EQ(GetPrivateProfileString("t", "k", "", File("plain.ini")), "");
}

TEST_F(ProfileTest, QuotedValueKeepsItsInnerBlanks)
{
    const std::string f = File("notice.ini");
    ASSERT_TRUE(WritePrivateProfileString("Notice", "Text", "\"  Warning  \"", f));
    EXPECT_EQ(GetPrivateProfileString("notice", "TEXT", "", f), "  Warning  ");
}

TEST_F(ProfileTest, CapacityCutsTheValueToCapacityMinusOne)
{
    const std::string f = File("cap.ini");
    ASSERT_TRUE(WritePrivateProfileString("s", "k", "abcdef", f));
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", f, 4), "abc");
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", f, 1), "");
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", f, 0), "abcdef");
    EXPECT_EQ(GetPrivateProfileString("s", "missing", "default", f, 4), "def");
}

TEST_F(ProfileTest, NumbersReadWithAtoiRules)
{
    const std::string f = File("num.ini");
    WriteFile(m_dir / "num.ini", "[n]\r\na= -12x\r\nb=abc\r\nc=\r\n");
    EXPECT_EQ(GetPrivateProfileInt("n", "a", 5, f), -12);
    EXPECT_EQ(GetPrivateProfileInt("n", "b", 5, f), 0);
    EXPECT_EQ(GetPrivateProfileInt("n", "c", 5, f), 0);
    EXPECT_EQ(GetPrivateProfileInt("n", "d", 5, f), 5);
}

TEST_F(ProfileTest, DeletingKeysAndSections)
{
    const std::string f = File("del.ini");
    ASSERT_TRUE(WritePrivateProfileString("a", "k1", "1", f));
    ASSERT_TRUE(WritePrivateProfileString("a", "k2", "2", f));
    ASSERT_TRUE(WritePrivateProfileString("b", "k", "3", f));
    ASSERT_TRUE(DeletePrivateProfileKey("A", "K1", f));
    EXPECT_EQ(GetPrivateProfileKeyNames("a", f), std::vector<std::string>{"k2"});
    ASSERT_TRUE(DeletePrivateProfileSection("a", f));
    EXPECT_EQ(GetPrivateProfileSectionNames(f), std::vector<std::string>{"b"});
    EXPECT_EQ(GetPrivateProfileString("a", "k2", "gone", f), "gone");
    EXPECT_EQ(ReadFile(m_dir / "del.ini"), "[b]\r\nk=3\r\n");
    // Deleting what is not there succeeds and leaves the file alone.
    EXPECT_TRUE(DeletePrivateProfileSection("zzz", f));
    EXPECT_TRUE(DeletePrivateProfileKey("b", "zzz", f));
    EXPECT_EQ(ReadFile(m_dir / "del.ini"), "[b]\r\nk=3\r\n");
}

TEST_F(ProfileTest, SectionEntriesComeInFileOrder)
{
    WriteFile(m_dir / "e.ini", "[s]\r\nz=1\r\na='2'\r\n;x=3\r\nm=4\r\n");
    auto entries = GetPrivateProfileSection("S", File("e.ini"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"z", "1"}));
    EXPECT_EQ(entries[1], (std::pair<std::string, std::string>{"a", "2"}));
    EXPECT_EQ(entries[2], (std::pair<std::string, std::string>{"m", "4"}));
}

TEST_F(ProfileTest, FileNamesResolveWithoutRegardToCase)
{
    std::filesystem::create_directory(m_dir / "LogData");
    WriteFile(m_dir / "LogData" / "Dialmind.hw", "[Ports]\r\nCOM1=1\r\n");
    const std::string upper = (m_dir / "LOGDATA" / "DIALMIND.HW").string();
    EXPECT_EQ(GetPrivateProfileString("Ports", "COM1", "", upper), "1");
    ASSERT_TRUE(WritePrivateProfileString("Ports", "COM2", "2", upper));
    EXPECT_EQ(ReadFile(m_dir / "LogData" / "Dialmind.hw"), "[Ports]\r\nCOM1=1\r\nCOM2=2\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "LOGDATA"));
}

TEST_F(ProfileTest, RefusedNamesWriteNothing)
{
    const std::string f = File("r.ini");
    EXPECT_FALSE(WritePrivateProfileString("a]\r\n[b", "k", "v", f));
    EXPECT_FALSE(WritePrivateProfileString("a", "k=x", "v", f));
    EXPECT_FALSE(DeletePrivateProfileKey("a", "k\n", f));
    EXPECT_FALSE(DeletePrivateProfileSection("a]", f));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "r.ini"));
}

TEST_F(ProfileTest, BatchAppliesAllEditsInOneReplaceOrNothing)
{
    const std::string f = File("batch.ini");
    ASSERT_TRUE(WritePrivateProfileString("old", "k", "v", f));
    ProfileBatch batch(f);
    for (int i = 0; i < 1000; ++i)
        batch.Write("Log", std::to_string(i), "C_DOM\\joe");
    batch.DeleteSection("old");
    batch.DeleteKey("Log", "5");
    EXPECT_EQ(batch.Size(), 1002u);
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(GetPrivateProfileSectionNames(f), std::vector<std::string>{"Log"});
    EXPECT_EQ(GetPrivateProfileKeyNames("Log", f).size(), 999u);
    EXPECT_EQ(GetPrivateProfileString("Log", "5", "none", f), "none");

    const std::string before = ReadFile(m_dir / "batch.ini");
    ProfileBatch bad(f);
    bad.Write("Log", "fine", "1");
    bad.Write("Log", "bad=key", "2");
    EXPECT_FALSE(bad.Commit());
    EXPECT_EQ(ReadFile(m_dir / "batch.ini"), before);
}

TEST_F(ProfileTest, UserProfileIsWinIniInTheWindowsDirectory)
{
    const std::filesystem::path winIni = ResolvePathOrEmpty("win.ini");
    ASSERT_FALSE(winIni.empty());
    std::filesystem::create_directories(winIni.parent_path());
    WriteFile(winIni, "[windows]\r\ndevice=Laser,winspool,LPT1:\r\n");
    EXPECT_EQ(GetProfileString("windows", "device", "", 200), "Laser,winspool,LPT1:");
    EXPECT_EQ(GetProfileString("windows", "device", "", 6), "Laser");
    EXPECT_EQ(GetProfileString("windows", "missing", "x"), "x");
}

TEST_F(ProfileTest, TheWholeFileReadsAsSectionBySection)
{
    EXPECT_EQ(LoadPrivateProfile(File("nothing.ini")), nullptr);
    // A repeated section (another spelling) and a repeated key: the first wins.
    WriteFile(m_dir / "users.ini", "[DOM\\joe]\r\nTotalTime=5\r\ntotaltime=6\r\n[+DOM\\Sales]\r\nMaxTotalTime=9\r\n"
                                   "[dom\\JOE]\r\nTotalTime=7\r\n[DOM\\ann]\r\n");
    const auto ini = LoadPrivateProfile(File("users.ini"));
    ASSERT_NE(ini, nullptr);
    const std::vector<std::string> names = GetPrivateProfileSectionNames(File("users.ini"));
    EXPECT_EQ(ini->SectionNames(), names);
    ASSERT_EQ(names.size(), 3u);
    for (const std::string& name : names)
        EXPECT_EQ(ini->Entries(name), GetPrivateProfileSection(name, File("users.ini"))) << name;
    // A write is seen by the next load, not by the copy already held.
    ASSERT_TRUE(WritePrivateProfileString("DOM\\ann", "TotalTime", "3", File("users.ini")));
    EXPECT_TRUE(ini->Entries("DOM\\ann").empty());
    EXPECT_EQ(LoadPrivateProfile(File("users.ini"))->Entries("dom\\ann").size(), 1u);
}
