#include "common/inistore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/logfilereader.h"
#include "tests/support/childprocess.h"
#include "tests/support/tempdir.h"

using namespace dm;
using dm::test::ReadFile;
using dm::test::TempDir;
using dm::test::WriteFile;

namespace {

bool Set(const std::filesystem::path& path, const std::string& section, const std::string& key,
         const std::string& value)
{
    return UpdateIniFile(path, [&](IniFile& ini) { return ini.Write(section, key, value); });
}

} // namespace

TEST(IniStoreTest, WriteCreatesTheFileButNeverTheDirectory)
{
    TempDir dir;
    EXPECT_FALSE(Set(dir / "missing" / "x.ini", "s", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    ASSERT_TRUE(Set(dir / "x.ini", "s", "k", "v"));
    EXPECT_EQ(ReadFile(dir / "x.ini"), "[s]\r\nk=v\r\n");
}

TEST(IniStoreTest, LoadAndWriteOneValueKeepsTheFileByteForByte)
{
    TempDir dir;
    const std::string original = "\xEF\xBB\xBF; comment\n[General]\nName = Server one\n"
                                 "  Count=3 \n\n[Ports]\r\nCOM1=1\r\n";
    WriteFile(dir / "f.ini", original);
    ASSERT_TRUE(Set(dir / "f.ini", "general", "COUNT", "4"));
    std::string expected = original;
    expected.replace(expected.find("Count=3 "), 8, "Count=4");
    EXPECT_EQ(ReadFile(dir / "f.ini"), expected);
}

TEST(IniStoreTest, CachedReadsSeeEveryReplaceOfTheFile)
{
    TempDir dir;
    const auto path = dir / "c.ini";
    // Same size, written within one clock tick: the cache must still notice.
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(Set(path, "s", "k", std::to_string(i % 10)));
        auto ini = LoadIniFile(path);
        ASSERT_TRUE(ini);
        ASSERT_EQ(ini->Value("s", "k"), std::to_string(i % 10));
    }
    // A file replaced by another program behind the cache's back is re-read.
    WriteFile(path, "[s]\r\nk=other\r\n");
    EXPECT_EQ(LoadIniFile(path)->Value("s", "k"), "other");
}

TEST(IniStoreTest, KeepsThePermissionsOfTheFileItReplaces)
{
    TempDir dir;
    const auto path = dir / "p.ini";
    WriteFile(path, "[s]\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(Set(path, "s", "k", "v"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Only the file and its lock file remain: no temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".p.ini.lock", "p.ini"}));
}

TEST(IniStoreTest, WritesThroughASymbolicLink)
{
    TempDir dir;
    WriteFile(dir / "real.ini", "[s]\r\nk=1\r\n");
    std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_TRUE(Set(dir / "link.ini", "s", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadFile(dir / "real.ini"), "[s]\r\nk=2\r\n");
}

TEST(IniStoreBadInputTest, DirectoriesAndUnreadableFilesReadAsMissingAndRefuseWrites)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "adir");
    EXPECT_FALSE(LoadIniFile(dir / "adir"));
    EXPECT_FALSE(Set(dir / "adir", "s", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "adir"));

    if (::geteuid() != 0) { // root reads everything
        WriteFile(dir / "locked.ini", "[s]\r\nk=secret\r\n");
        ASSERT_EQ(::chmod((dir / "locked.ini").c_str(), 0), 0);
        EXPECT_FALSE(LoadIniFile(dir / "locked.ini"));
        // A write that cannot read the file must not replace it with a new one.
        EXPECT_FALSE(Set(dir / "locked.ini", "s", "other", "v"));
        ::chmod((dir / "locked.ini").c_str(), 0600);
        EXPECT_EQ(ReadFile(dir / "locked.ini"), "[s]\r\nk=secret\r\n");
    }
}

TEST(IniStoreBadInputTest, AFifoReadsAsMissingWithoutBlockingAndRefusesWrites)
{
    // A FIFO planted as a database file or a day file must not hang every
    // program that opens it: nobody ever writes into it.
    TempDir dir;
    const auto fifo = dir / "Dialmind.hw";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int result = dm::test::RunInChild([&] {
        if (LoadIniFile(fifo))
            return 1;
        std::string text;
        if (ReadWholeFile(fifo, text))
            return 2;
        if (Set(fifo, "s", "k", "v"))
            return 3;
        std::vector<LogRecord> records;
        if (ReadLogFile(fifo, LogFileRules{}, records))
            return 4;
        return 0;
    });
    EXPECT_EQ(result, 0) << "-1: blocked on the FIFO";
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(IniStoreBadInputTest, BinaryFilesAndMegabyteLinesParseAndSurviveAWrite)
{
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 100000; ++i)
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    std::string huge(3 << 20, 'x');
    const std::string text = garbage + "\n[s]\nlong=" + huge + "\n" + garbage;
    WriteFile(dir / "b.ini", text);
    auto ini = LoadIniFile(dir / "b.ini");
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->Value("s", "long")->size(), huge.size());
    ASSERT_TRUE(Set(dir / "b.ini", "s", "new", "1"));
    const std::string after = ReadFile(dir / "b.ini");
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(LoadIniFile(dir / "b.ini")->Value("s", "new"), "1");
}

// Two processes write different keys into one file many times while a third
// reads it: nothing is lost and no read sees a partly written file.
TEST(IniStoreConcurrencyTest, TwoWritersLoseNothingAndReadersSeeWholeFiles)
{
    TempDir dir;
    const auto path = dir / "shared.ini";
    constexpr int kWrites = 150;
    std::vector<pid_t> writers;
    for (int w = 0; w < 2; ++w) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < kWrites; ++i)
                ok = Set(path, "Writer" + std::to_string(w), "key" + std::to_string(i),
                         std::string(i % 37, 'v')) &&
                     ok;
            ::_exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }

    // Every complete file ends with a line end and lists only whole keys.
    int reads = 0;
    std::size_t lastKeyCount = 0;
    bool running = true;
    while (running) {
        running = false;
        for (pid_t pid : writers)
            running = running || ::waitpid(pid, nullptr, WNOHANG) == 0;
        std::string text;
        if (!ReadWholeFile(path, text))
            continue;
        ++reads;
        ASSERT_TRUE(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") << text;
        IniFile ini(text);
        std::size_t keys = ini.KeyNames("Writer0").size() + ini.KeyNames("Writer1").size();
        ASSERT_GE(keys, lastKeyCount) << "a write lost another's keys";
        lastKeyCount = keys;
    }
    for (pid_t pid : writers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_GT(reads, 0);
    auto ini = LoadIniFile(path);
    ASSERT_TRUE(ini);
    for (int w = 0; w < 2; ++w) {
        const std::string section = "Writer" + std::to_string(w);
        ASSERT_EQ(ini->KeyNames(section).size(), static_cast<std::size_t>(kWrites));
        for (int i = 0; i < kWrites; ++i)
            EXPECT_EQ(ini->Value(section, "key" + std::to_string(i)), std::string(i % 37, 'v'));
    }
}

TEST(IniStoreTest, TheNextWriterRemovesTemporariesOfKilledWriters)
{
    TempDir dir;
    const auto file = dir / "Dialmind.usr";
    WriteFile(file, "[S]\r\nk=1\r\n");
    // A process that has ended: its PID names no process now.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = ".Dialmind.usr." + std::to_string(child) + ".3.tmp";
    const std::string alive = ".Dialmind.usr." + std::to_string(::getppid()) + ".0.tmp";
    const std::string other = ".Dialmind.hw." + std::to_string(child) + ".0.tmp";
    for (const std::string& name : {dead, alive, other, std::string(".Dialmind.usr.x.0.tmp")})
        WriteFile(dir / name, "half");

    ASSERT_TRUE(UpdateIniFile(file, [](IniFile& ini) { return ini.Write("S", "k", "2"); }));
    EXPECT_FALSE(std::filesystem::exists(dir / dead));
    EXPECT_TRUE(std::filesystem::exists(dir / alive));        // its writer may still rename it
    EXPECT_TRUE(std::filesystem::exists(dir / other));        // another file's, left to its writer
    EXPECT_TRUE(std::filesystem::exists(dir / ".Dialmind.usr.x.0.tmp")); // not ours to judge
    EXPECT_EQ(ReadFile(file), "[S]\r\nk=2\r\n");
}
