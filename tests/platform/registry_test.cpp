#include "platform/registry/registry.h"
#include "tests/platform/networkfixture.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

class RegistryTest : public dm::test::NetworkTest {
protected:
    void SetUp() override
    {
        NetworkTest::SetUp();
        Network::AddComputer("MASTER");
        Network::AddComputer("BRANCH");
        RegKey hive;
        ASSERT_EQ(RegOpenHive("MASTER", hive), 0u);
        RegKey admin;
        ASSERT_EQ(hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", admin), 0u);
        ASSERT_EQ(admin.SetDword("Master", 1), 0u);
        ASSERT_EQ(admin.SetString("MasterShare", "\\\\MASTER\\DM_NT_DB"), 0u);
        RegKey secret;
        ASSERT_EQ(hive.CreateKey("Security\\Policy", secret), 0u);
        ASSERT_EQ(secret.SetDword("Level", 3), 0u);
        ASSERT_EQ(secret.SetDeniedToRemote(true), 0u);
    }
};

TEST_F(RegistryTest, ConnectsByNameAndFailsForUnknownOrUnreachableComputers)
{
    RegKey hive;
    EXPECT_EQ(RegConnectRegistry("\\\\MASTER", hive), 0u);
    EXPECT_TRUE(hive.IsRemote());
    EXPECT_EQ(hive.Computer(), "MASTER");
    EXPECT_EQ(RegConnectRegistry("master", hive), 0u);
    EXPECT_EQ(RegConnectRegistry("\\\\NOWHERE", hive), winerr::BadNetPath);
    EXPECT_FALSE(hive.IsOpen());

    for (const char* local : {"", ".", "TESTHOST", "\\\\testhost"}) {
        EXPECT_EQ(RegConnectRegistry(local, hive), 0u) << local;
        EXPECT_FALSE(hive.IsRemote()) << local;
    }

    Network::SetReachable("MASTER", false);
    EXPECT_EQ(RegConnectRegistry("\\\\MASTER", hive), winerr::BadNetPath);
    // At its own console the computer's hive is still there.
    EXPECT_EQ(RegOpenHive("MASTER", hive), 0u);
    Network::SetReachable("MASTER", true);
    EXPECT_EQ(RegConnectRegistry("\\\\MASTER", hive), 0u);
}

TEST_F(RegistryTest, MissingKeysAndValuesAndWrongTypesGiveTheirErrorNumbers)
{
    RegKey hive, key;
    ASSERT_EQ(RegConnectRegistry("\\\\MASTER", hive), 0u);
    EXPECT_EQ(hive.OpenKey("Software\\Microsoft\\RAS\\Missing", key), winerr::FileNotFound);
    ASSERT_EQ(hive.OpenKey("Software\\Microsoft\\Ras\\AdminDLL", key), 0u);
    std::string text;
    std::uint32_t number = 0;
    EXPECT_EQ(key.QueryString("Version", text), winerr::FileNotFound);
    EXPECT_EQ(key.QueryDword("Master", number), 0u);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(key.QueryString("Master", text), winerr::UnsupportedType);
    EXPECT_EQ(key.QueryDword("MasterShare", number), winerr::UnsupportedType);
    EXPECT_EQ(key.DeleteValue("Version"), winerr::FileNotFound);

    RegKey closed;
    EXPECT_EQ(closed.QueryDword("Master", number), winerr::InvalidHandle);
    EXPECT_EQ(hive.CreateKey("Bad\\\\Component", key), winerr::InvalidParameter);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.SetString("line\nbreak", "x"), winerr::InvalidHandle);
    ASSERT_EQ(hive.OpenKey("Software", key), 0u);
    EXPECT_EQ(key.SetString("line\nbreak", "x"), winerr::InvalidParameter);
}

TEST_F(RegistryTest, DeniedKeysRefuseRemoteCallersOnly)
{
    RegKey remote, local, key;
    ASSERT_EQ(RegConnectRegistry("\\\\MASTER", remote), 0u);
    EXPECT_EQ(remote.OpenKey("Security\\Policy", key), winerr::AccessDenied);
    EXPECT_EQ(remote.CreateKey("Security\\Policy\\Below", key), winerr::AccessDenied);
    EXPECT_EQ(remote.DeleteTree("Security\\Policy"), winerr::AccessDenied);
    // The parent stays open to everyone and still lists the key.
    ASSERT_EQ(remote.OpenKey("Security", key), 0u);
    EXPECT_EQ(key.SubKeyNames(), std::vector<std::string>{"Policy"});
    EXPECT_EQ(key.SetDeniedToRemote(false), winerr::AccessDenied);

    ASSERT_EQ(RegOpenHive("MASTER", local), 0u);
    ASSERT_EQ(local.OpenKey("security\\policy", key), 0u);
    EXPECT_TRUE(key.IsDeniedToRemote());
    ASSERT_EQ(key.SetDeniedToRemote(false), 0u);
    EXPECT_EQ(remote.OpenKey("Security\\Policy", key), 0u);
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirSpelling)
{
    RegKey hive, key, again;
    ASSERT_EQ(RegConnectRegistry("\\\\MASTER", hive), 0u);
    ASSERT_EQ(hive.OpenKey("SOFTWARE\\microsoft\\ras\\admindll", key), 0u);
    EXPECT_EQ(key.Path(), "Software\\Microsoft\\RAS\\AdminDLL");
    bool created = true;
    ASSERT_EQ(hive.CreateKey("software\\MICROSOFT\\Ras\\AdminDll", again, &created), 0u);
    EXPECT_FALSE(created);
    ASSERT_EQ(key.SetString("MASTERSHARE", "D:\\Share"), 0u);
    std::string share;
    ASSERT_EQ(again.QueryString("mastershare", share), 0u);
    EXPECT_EQ(share, "D:\\Share");
    RegValue value;
    ASSERT_EQ(key.EnumValue(1, value), 0u);
    EXPECT_EQ(value.name, "MasterShare");
    EXPECT_EQ(ReadFile(Machine("MASTER") / "registry.reg").find("MASTERSHARE"), std::string::npos);
}

TEST_F(RegistryTest, SubKeysEnumerateInCreationOrderUntilNoMoreItems)
{
    RegKey hive, servers, entry;
    ASSERT_EQ(RegOpenLocalMachine(hive), 0u);
    ASSERT_EQ(hive.CreateKey("Software\\Osterhall Software\\Dialminder\\Servers", servers), 0u);
    for (const char* name : {"ZULU", "ALPHA", "MIKE"})
        ASSERT_EQ(servers.CreateKey(name, entry), 0u);
    // A deeper key under an earlier sibling does not reorder the siblings.
    ASSERT_EQ(servers.CreateKey("ZULU\\Ports", entry), 0u);
    std::vector<std::string> names;
    std::string name;
    unsigned long index = 0, error = 0;
    while ((error = servers.EnumKey(index++, name)) == 0)
        names.push_back(name);
    EXPECT_EQ(error, winerr::NoMoreItems);
    EXPECT_EQ(names, (std::vector<std::string>{"ZULU", "ALPHA", "MIKE"}));

    ASSERT_EQ(servers.CreateKey(std::string(20, 'L'), entry), 0u);
    EXPECT_EQ(servers.EnumKey(3, name, 20), winerr::MoreData);
    EXPECT_EQ(servers.EnumKey(3, name, 21), 0u);
}

TEST_F(RegistryTest, QueriesRespectTheCallersCapacity)
{
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("MASTER", hive), 0u);
    ASSERT_EQ(hive.OpenKey("Software\\Microsoft\\RAS\\AdminDLL", key), 0u);
    ASSERT_EQ(key.SetString("MasterShare", std::string(599, 's')), 0u);
    std::string share = "unchanged";
    EXPECT_EQ(key.QueryString("MasterShare", share, 600), 0u);
    EXPECT_EQ(share.size(), 599u);
    ASSERT_EQ(key.SetString("MasterShare", std::string(600, 's')), 0u);
    share = "unchanged";
    EXPECT_EQ(key.QueryString("MasterShare", share, 600), winerr::MoreData);
    EXPECT_EQ(share, "unchanged");
}

TEST_F(RegistryTest, DeletingKeysAndUsingHandlesOfDeletedKeys)
{
    RegKey hive, ras, admin;
    ASSERT_EQ(RegOpenHive("MASTER", hive), 0u);
    ASSERT_EQ(hive.OpenKey("Software\\Microsoft\\RAS", ras), 0u);
    ASSERT_EQ(ras.OpenKey("AdminDLL", admin), 0u);
    EXPECT_EQ(hive.DeleteKey("Software\\Microsoft\\RAS"), winerr::AccessDenied); // has sub-keys
    EXPECT_EQ(hive.DeleteKey(""), winerr::AccessDenied);
    EXPECT_EQ(ras.DeleteKey("AdminDLL"), 0u);
    std::uint32_t number = 0;
    EXPECT_EQ(admin.QueryDword("Master", number), winerr::KeyDeleted);
    EXPECT_EQ(admin.SetDword("Master", 1), winerr::KeyDeleted);
    EXPECT_EQ(ras.DeleteKey("AdminDLL"), winerr::FileNotFound);
    EXPECT_EQ(hive.DeleteTree("Software"), 0u);
    EXPECT_EQ(hive.SubKeyNames(), std::vector<std::string>{"Security"});
}

TEST_F(RegistryTest, MultiStringsKeepTheirOrderAndAnAppendedEntry)
{
    RegKey hive, key;
    ASSERT_EQ(RegOpenLocalMachine(hive), 0u);
    ASSERT_EQ(hive.CreateKey("System\\CurrentControlSet\\Services\\LanManServer\\Parameters", key), 0u);
    ASSERT_EQ(key.SetMultiString("NullSessionShares", {"COMCFG", "DFS$"}), 0u);
    std::vector<std::string> shares;
    ASSERT_EQ(key.QueryMultiString("NullSessionShares", shares, 10000), 0u);
    shares.push_back("DM_NT_DB");
    ASSERT_EQ(key.SetMultiString("NullSessionShares", shares), 0u);
    RegValue raw;
    ASSERT_EQ(key.QueryValue("NullSessionShares", raw), 0u);
    EXPECT_EQ(raw.type, RegMultiSz);
    EXPECT_EQ(raw.data, std::string("COMCFG\0DFS$\0DM_NT_DB\0\0", 22));
    EXPECT_EQ(key.QueryMultiString("NullSessionShares", shares, 21), winerr::MoreData);
}

TEST_F(RegistryTest, AHandleSeesChangesMadeThroughOthersAndBehindItsBack)
{
    RegKey first, second, a, b;
    ASSERT_EQ(RegOpenHive("BRANCH", first), 0u);
    ASSERT_EQ(RegConnectRegistry("\\\\BRANCH", second), 0u);
    ASSERT_EQ(first.CreateKey("Software", a), 0u);
    ASSERT_EQ(second.OpenKey("software", b), 0u);
    ASSERT_EQ(a.SetDword("Counter", 1), 0u);
    std::uint32_t number = 0;
    ASSERT_EQ(b.QueryDword("Counter", number), 0u);
    EXPECT_EQ(number, 1u);
    // Another program replaces the file (as every writer does: rename).
    const auto file = Machine("BRANCH") / "registry.reg";
    std::string text = ReadFile(file);
    text.replace(text.find("00000001"), 8, "00000002");
    WriteFile(Machine("BRANCH") / "new.reg", text);
    std::filesystem::rename(Machine("BRANCH") / "new.reg", file);
    ASSERT_EQ(b.QueryDword("Counter", number), 0u);
    EXPECT_EQ(number, 2u);
}

TEST_F(RegistryTest, TwoProcessesWritingOneHiveAtOnceLoseNothing)
{
    constexpr int perProcess = 40;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            RegKey hive, key;
            int failures = RegOpenHive("BRANCH", hive) + hive.CreateKey("Software\\Load", key);
            for (int i = 0; i < perProcess; ++i)
                failures += key.SetDword("P" + std::to_string(c) + "_" + std::to_string(i),
                                         static_cast<std::uint32_t>(i)) != 0;
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("BRANCH", hive), 0u);
    ASSERT_EQ(hive.OpenKey("Software\\Load", key), 0u);
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < perProcess; ++i) {
            std::uint32_t number = 99;
            EXPECT_EQ(key.QueryDword("p" + std::to_string(c) + "_" + std::to_string(i), number), 0u);
            EXPECT_EQ(number, static_cast<std::uint32_t>(i));
        }
    }
}

} // namespace

namespace {

TEST_F(RegistryTest, ChangesByAnotherProcessAreSeenAtOnceEvenAtTheSameSize)
{
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("BRANCH", hive), 0u);
    ASSERT_EQ(hive.CreateKey("Software", key), 0u);
    ASSERT_EQ(key.SetDword("Counter", 0), 0u);
    for (std::uint32_t round = 1; round <= 20; ++round) {
        std::uint32_t seen = 99;
        ASSERT_EQ(key.QueryDword("Counter", seen), 0u); // cached here
        pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            RegKey h, k;
            ::_exit(RegOpenHive("BRANCH", h) + h.OpenKey("Software", k) + k.SetDword("Counter", round) == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_EQ(key.QueryDword("Counter", seen), 0u);
        ASSERT_EQ(seen, round);
    }
}

TEST_F(RegistryTest, AValueMayChangeItsTypeAndDwordsRespectTheCapacity)
{
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("MASTER", hive), 0u);
    ASSERT_EQ(hive.OpenKey("Software\\Microsoft\\RAS\\AdminDLL", key), 0u);
    RegValue value;
    EXPECT_EQ(key.QueryValue("Master", value, 2), winerr::MoreData);
    EXPECT_EQ(key.QueryValue("Master", value, 4), 0u);
    ASSERT_EQ(key.SetString("Master", "yes"), 0u);
    std::uint32_t number = 0;
    EXPECT_EQ(key.QueryDword("Master", number), winerr::UnsupportedType);
    ASSERT_EQ(key.SetDword("master", 7), 0u);
    EXPECT_EQ(key.QueryDword("Master", number), 0u);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(key.EnumValue(2, value), winerr::NoMoreItems);
}

} // namespace
