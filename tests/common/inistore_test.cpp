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

namespace {

// The file that UpdateIniSection leaves, next to the one UpdateIniFile
// leaves after the same edits of one section.
struct BothWays {
    std::string section, whole;
    bool sectionOk = false, wholeOk = false;
};

BothWays EditBothWays(const TempDir& dir, const std::string& text, const std::string& section,
                      const std::function<bool(IniFile&)>& edit, bool cached = false)
{
    ClearIniCache();
    BothWays both;
    const auto one = dir / "one.ini";
    const auto all = dir / "all.ini";
    WriteFile(one, text);
    WriteFile(all, text);
    if (cached)
        LoadIniFile(one);
    both.sectionOk = UpdateIniSection(one, section, edit);
    // A file the cache held stays cached as it now is.
    if (cached && both.sectionOk) {
        EXPECT_EQ(LoadIniFile(one)->Text(), ReadFile(one));
    }
    both.wholeOk = UpdateIniFile(all, edit);
    both.section = ReadFile(one);
    both.whole = ReadFile(all);
    return both;
}

} // namespace

TEST(IniSectionStoreTest, OneSectionsEditLeavesTheBytesAWholeFileEditLeaves)
{
    TempDir dir;
    const std::string files[] = {
        "[a]\r\nk=1\r\n[b]\r\nx=2\r\n",
        "; top\n[b]\nx=2\n; after\n\n[a]\nk=1",      // the section last, no end on its last line
        "[a]\rk=1\r[B]\rx=2",                          // CR lines
        "\xEF\xBB\xBF[b]\r\nx=2\r\n  [ A ] note\r\nk = 1\r\n;c\r\n[a]\r\nk=9\r\n", // mark, blanks, a repeat
        "x=[a]\r\n[c]\r\nv=[a]\r\n",                   // "[a]" only inside lines
        "",
        "\xEF\xBB\xBF",
        "; only a comment without an end",
    };
    const std::function<bool(IniFile&)> edits[] = {
        [](IniFile& f) { return f.Write("A", "k", "5"); },
        [](IniFile& f) { return f.Write("a", "New", "n") && f.Write("a", "k", "1"); },
        [](IniFile& f) { return f.DeleteKey("a", "K") && f.Write("a", "z", " quoted "); },
        [](IniFile& f) { return f.Write(" a ", "line", "one\r\n[b]\r\nx=injected"); },
    };
    for (const std::string& text : files) {
        for (std::size_t e = 0; e < std::size(edits); ++e) {
            for (const bool cached : {false, true}) {
                const BothWays both = EditBothWays(dir, text, "a", edits[e], cached);
                EXPECT_TRUE(both.sectionOk && both.wholeOk);
                EXPECT_EQ(both.section, both.whole) << "edit " << e << (cached ? " (cached)" : "") << " of:\n" << text;
            }
        }
    }
    // Two saves in a row through the cache: the second finds the section in
    // an index that holds the first's edit.
    WriteFile(dir / "twice.ini", "[a]\r\nk=1\r\n[b]\r\nx=2\r\n");
    LoadIniFile(dir / "twice.ini");
    ASSERT_TRUE(UpdateIniSection(dir / "twice.ini", "b", [](IniFile& f) { return f.Write("b", "x", "3"); }));
    ASSERT_TRUE(UpdateIniSection(dir / "twice.ini", "a", [](IniFile& f) { return f.Write("a", "n", "4"); }));
    EXPECT_EQ(ReadFile(dir / "twice.ini"), "[a]\r\nk=1\r\nn=4\r\n[b]\r\nx=3\r\n");
    EXPECT_EQ(LoadIniFile(dir / "twice.ini")->Text(), ReadFile(dir / "twice.ini"));
    // An edit that changes nothing writes nothing; one that refuses, too.
    WriteFile(dir / "same.ini", "[a]\nk=1\n");
    const auto before = std::filesystem::last_write_time(dir / "same.ini");
    EXPECT_TRUE(UpdateIniSection(dir / "same.ini", "a", [](IniFile& f) { return f.Write("a", "k", "1"); }));
    EXPECT_FALSE(UpdateIniSection(dir / "same.ini", "a", [](IniFile& f) { return f.Write("a", "k=", "2"); }));
    EXPECT_EQ(std::filesystem::last_write_time(dir / "same.ini"), before);
    EXPECT_EQ(ReadFile(dir / "same.ini"), "[a]\nk=1\n");
}

TEST(IniSectionStoreTest, FindsTheSectionAcrossTheReadersChunksAndInUtf16Files)
{
    TempDir dir;
    // A first line of a megabyte whose CR ends the first chunk: new lines
    // still end in CRLF; the section lies beyond the first chunk.
    std::string big = ";" + std::string((1 << 20) - 2, 'x') + "\r\n";
    for (int i = 0; i < 40000; ++i)
        big += "[DOM\\user" + std::to_string(i) + "]\r\nTotalTime=" + std::to_string(i) + "\r\n";
    const BothWays both = EditBothWays(dir, big, "dom\\USER39999",
                                       [](IniFile& f) { return f.Write("DOM\\user39999", "Lasted", "7"); });
    EXPECT_TRUE(both.sectionOk);
    EXPECT_EQ(both.section, both.whole);
    EXPECT_NE(both.section.find("[DOM\\user39999]\r\nTotalTime=39999\r\nLasted=7\r\n"), std::string::npos);

    ClearIniCache();
    const auto read = ReadIniSection(dir / "one.ini", "dom\\user20000");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, "DOM\\user20000");
    EXPECT_EQ(read->entries, (std::vector<std::pair<std::string, std::string>>{{"TotalTime", "20000"}}));
    EXPECT_FALSE(ReadIniSection(dir / "one.ini", "DOM\\user40000"));

    // Some sections of many: the same whether the file is cached or not.
    const auto someOf = [&dir] {
        std::vector<std::string> seen;
        ForEachIniSection(
            dir / "one.ini",
            [&seen](std::string_view name, const std::vector<IniFile::EntryView>& entries) {
                seen.push_back(std::string(name) + "=" + std::string(entries.back().second));
            },
            [](std::string_view name) { return name.size() > 3 && name.substr(name.size() - 3) == "999"; });
        return seen;
    };
    ClearIniCache();
    const std::vector<std::string> streamed = someOf();
    ASSERT_EQ(streamed.size(), 40u);
    EXPECT_EQ(streamed.front(), "DOM\\user999=999");
    EXPECT_EQ(streamed.back(), "DOM\\user39999=7");
    ASSERT_TRUE(LoadIniFile(dir / "one.ini"));
    EXPECT_EQ(someOf(), streamed);
    EXPECT_FALSE(ReadIniSection(dir / "missing.ini", "DOM\\user1"));

    // UTF-16 text is read and edited as the whole file is.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[a]\r\nk=1\r\n"))
        utf16 += std::string{c, '\0'};
    const BothWays wide = EditBothWays(dir, utf16, "a", [](IniFile& f) { return f.Write("a", "k", "2"); });
    EXPECT_TRUE(wide.sectionOk);
    EXPECT_EQ(wide.section, wide.whole);
    ClearIniCache();
    EXPECT_EQ(ReadIniSection(dir / "one.ini", "A")->entries.at(0).second, "2");
}

// Every section with its entries, as a text to compare.
std::string VisitedText(const std::filesystem::path& path, bool& read)
{
    std::string text;
    read = ForEachIniSection(path, [&text](std::string_view name, const std::vector<IniFile::EntryView>& entries) {
        text += "[" + std::string(name) + "]";
        for (const auto& [key, value] : entries)
            text += std::string(key) + "=" + std::string(value) + ";";
        text += "\n";
    });
    return text;
}

TEST(IniSectionStoreTest, ReadingAFileInPiecesVisitsWhatTheWholeParseHolds)
{
    TempDir dir;
    // Pieces are cut at headers found in megabyte reads: headers that end a
    // read half-written, a section longer than a read, blanks before a
    // header, CR-only line ends, a mark and lines before the first section,
    // and repeated names far apart (the first counts, whatever its case).
    std::string text = std::string(kUtf8Bom) + "; no section\r\nloose=1\r\n";
    for (int i = 0; i < 30000; ++i) {
        text += (i % 7 == 0 ? "  [DOM\\user" : "[DOM\\user") + std::to_string(i) + "]" + (i % 5 == 0 ? "\r" : "\r\n");
        text += "TotalTime=" + std::to_string(i) + "\r\nLasted = " + std::to_string(i % 13) + " \r\n";
        if (i == 1000)
            text += "Big=" + std::string(3 << 20, 'b') + "\r\n";
        if (i % 9000 == 8999)
            text += "[dom\\USER" + std::to_string(i / 2) + "]\nTotalTime=repeated\n";
    }
    WriteFile(dir / "many.ini", text);

    ClearIniCache();
    bool streamedRead = false;
    const std::string streamed = VisitedText(dir / "many.ini", streamedRead);
    ASSERT_TRUE(streamedRead);
    ASSERT_TRUE(LoadIniFile(dir / "many.ini"));
    bool wholeRead = false;
    const std::string whole = VisitedText(dir / "many.ini", wholeRead);
    ASSERT_TRUE(wholeRead);
    EXPECT_EQ(streamed, whole);
    EXPECT_EQ(std::count(streamed.begin(), streamed.end(), '\n'), 30000);
    EXPECT_EQ(streamed.find("repeated"), std::string::npos);
    EXPECT_NE(streamed.find("[DOM\\user29999]TotalTime=29999;Lasted=8;"), std::string::npos);

    // A file that cannot be read visits nothing and says so.
    std::filesystem::create_directory(dir / "dir.ini");
    bool dirRead = true;
    EXPECT_EQ(VisitedText(dir / "dir.ini", dirRead), "");
    EXPECT_FALSE(dirRead);
    EXPECT_FALSE(ForEachIniSection(dir / "missing.ini", [](std::string_view, const auto&) {}));
}
