// Reads, appends, listings and stored paths never leave the network root,
// and no open waits on a FIFO: links at every level, FIFOs and directories
// where files belong.

#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/system/netbuiltin.h"
#include "tests/platform/networkfixture.h"
#include "tests/support/childprocess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

class FileEscapeTest : public dm::test::NetworkTest {
protected:
    void SetUp() override
    {
        NetworkTest::SetUp();
        Network::AddComputer("HQRAS01");
        ASSERT_TRUE(WritePrivateProfileString("Shares", "DM_NT_DB", "C:\\Dialmind",
                                              (Machine("HQRAS01") / "shares.ini").string()));
        m_share = Machine("HQRAS01") / "drives" / "C" / "Dialmind";
        fs::create_directories(m_share);
        fs::create_directories(m_outside);
        WriteFile(m_outside / "o.ini", "[Secret]\r\nkey=outside\r\n");
    }
    static std::string Db(const std::string& rest) { return "\\\\HQRAS01\\DM_NT_DB\\" + rest; }

    fs::path m_share;
    fs::path m_outside = m_dir.path() / "outside";
};

} // namespace

TEST_F(FileEscapeTest, ReadsThroughALinkOutOfTheNetworkFailWith161)
{
    fs::create_directory_symlink(m_outside, m_share / "link");
    fs::create_symlink(m_outside / "o.ini", m_share / "Dialmind.usr");
    fs::create_directory_symlink(m_outside, m_share / "LogData");
    for (const std::string& name : {Db("link\\o.ini"), Db("Dialmind.usr"), Db("LogData\\o.ini"), Db("LogData")})
        EXPECT_EQ(ResolvePath(name).error, winerr::BadPathName) << name;
    EXPECT_EQ(GetPrivateProfileString("Secret", "key", "none", Db("link\\o.ini")), "none");
    EXPECT_EQ(GetPrivateProfileString("Secret", "key", "none", Db("Dialmind.usr")), "none");
    EXPECT_TRUE(GetPrivateProfileSectionNames(Db("LogData\\o.ini")).empty());

    // The share's own directory a link out: nothing below it is reached.
    fs::remove_all(m_share);
    fs::create_directory_symlink(m_outside, m_share);
    EXPECT_EQ(ResolvePath(Db("o.ini")).error, winerr::BadPathName);

    // Links that stay inside are followed as before.
    fs::remove(m_share);
    fs::create_directories(m_share / "real");
    WriteFile(m_share / "real" / "in.ini", "[S]\r\nk=inside\r\n");
    fs::create_directory_symlink(m_share / "real", m_share / "alias");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", Db("alias\\in.ini")), "inside");
}

TEST_F(FileEscapeTest, AShareOrStoredPathNamingAHostDirectoryLeadsNowhere)
{
    // Written behind the tools' back, as a careless or hostile hand would.
    ASSERT_TRUE(WritePrivateProfileString("Shares", "HOSTSHARE", m_outside.string(),
                                          (Machine("HQRAS01") / "shares.ini").string()));
    EXPECT_EQ(ResolvePath("\\\\HQRAS01\\HOSTSHARE\\o.ini").error, winerr::BadPathName);
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "V", "\\\\HQRAS01\\HOSTSHARE\\written.ini"));
    EXPECT_FALSE(fs::exists(m_outside / "written.ini"));
    EXPECT_EQ(ResolveStoredPathOn("HQRAS01", m_outside.string()).error, winerr::BadPathName);
    EXPECT_EQ(ResolveStoredPathOn("HQRAS01", "../outside").error, winerr::BadPathName);

    // The tools refuse such a share up front; a drive path or a host path
    // inside the network stays a share.
    EXPECT_EQ(SetShare("HQRAS01", "OTHER", m_outside.string()), winerr::BadPathName);
    EXPECT_EQ(SetShare("HQRAS01", "OTHER", "C:\\Other"), winerr::Success);
    EXPECT_EQ(SetShare("HQRAS01", "INNER", m_share.string()), winerr::Success);
    EXPECT_EQ(ResolvePath("\\\\HQRAS01\\INNER\\x.ini").path, m_share / "x.ini");
    EXPECT_TRUE(ResolveStoredPathOn("HQRAS01", "C:\\Dialmind").ok());
}

TEST_F(FileEscapeTest, AppendsRefuseLinksOutFifosAndDirectories)
{
    const fs::path messages = Machine("HQRAS01") / "messages.log";
    fs::create_symlink(m_outside / "o.ini", messages);
    EXPECT_EQ(AppendToFile(messages, "line\n"), winerr::BadPathName);
    EXPECT_EQ(DeliverNetMessage("HQRAS01", "hello"), winerr::BadPathName);
    EXPECT_EQ(ReadFile(m_outside / "o.ini"), "[Secret]\r\nkey=outside\r\n");

    // A dangling link creates nothing outside either.
    fs::remove(messages);
    fs::create_symlink(m_outside / "new.log", messages);
    EXPECT_EQ(AppendToFile(messages, "line\n"), winerr::BadPathName);
    EXPECT_FALSE(fs::exists(m_outside / "new.log"));

    // A FIFO fails at once instead of waiting for a reader; so does a directory.
    fs::remove(messages);
    ASSERT_EQ(::mkfifo(messages.c_str(), 0644), 0);
    EXPECT_EQ(AppendToFile(messages, "line\n"), winerr::AccessDenied);
    EXPECT_EQ(DeliverNetMessage("HQRAS01", "hello"), winerr::AccessDenied);
    std::string text;
    EXPECT_EQ(ReadRegularFile(messages, text), winerr::AccessDenied);
    fs::remove(messages);
    fs::create_directory(messages);
    EXPECT_EQ(AppendToFile(messages, "line\n"), winerr::AccessDenied);
    fs::remove(messages);
    EXPECT_EQ(ReadRegularFile(messages, text), winerr::FileNotFound);

    // A plain file takes whole lines; /dev/full (outside the network) reports the lost line.
    EXPECT_EQ(DeliverNetMessage("HQRAS01", "hello"), winerr::Success);
    EXPECT_NE(ReadFile(messages).find("hello"), std::string::npos);
    EXPECT_EQ(AppendToFile("/dev/full", "line\n"), winerr::AccessDenied); // not a regular file
}

TEST_F(FileEscapeTest, AFullDiskLosesNoLineSilently)
{
    // RLIMIT_FSIZE makes a regular file "full" without filling a disk: the
    // append fails and says so, and nothing of the line is left behind.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const fs::path file = Machine("HQRAS01") / "messages.log";
    WriteFile(file, std::string(100, 'x'));
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const unsigned long error = AppendToFile(file, "line\n");
    ::setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_NE(error, 0u);
    EXPECT_EQ(fs::file_size(file), 100u);
}

TEST_F(FileEscapeTest, AFileThatCannotBeReadIsNotAMissingOne)
{
    WriteFile(m_share / "Dialmind.usr", "[DOM\\jdoe]\r\nMaxTotalTime=60\r\n");
    EXPECT_EQ(CheckProfileFile(Db("Dialmind.usr")), 0u);
    EXPECT_EQ(CheckProfileFile(Db("Dialmind.hw")), winerr::FileNotFound);
    EXPECT_EQ(CheckProfileFile("\\\\NOBODY\\DM_NT_DB\\Dialmind.hw"), winerr::BadNetPath);
    ASSERT_EQ(::mkfifo((m_share / "Dialmind.hw").c_str(), 0644), 0);
    EXPECT_EQ(CheckProfileFile(Db("Dialmind.hw")), winerr::AccessDenied);

    // Mode 000 binds only an unprivileged user: one who may reach the share.
    fs::permissions(m_dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(m_share / "Dialmind.usr", fs::perms::none);
    const int unreadable = dm::test::RunInChild(
        [&] { return CheckProfileFile(Db("Dialmind.usr")) == winerr::AccessDenied ? 0 : 1; }, true);
    EXPECT_EQ(unreadable, 0);
}
