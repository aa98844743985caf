// The RAS permission export and import shared by the dialogs and dmctl.

#include "manager/core/permissiontransfer.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "tests/manager/corefixture.h"

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <map>

using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

// Permissions kept in a map by account; accounts named in unreadable or
// unwritable fail.
struct FakeServer {
    std::map<std::string, std::pair<std::uint8_t, std::string>> accounts;
    std::vector<std::string> unreadable, unwritable;
    std::vector<std::string> servers; // every server name the calls were given

    RasPermissionCalls Calls()
    {
        RasPermissionCalls calls;
        calls.read = [this](std::string_view server, std::string_view account, std::string& callback) -> std::uint8_t {
            servers.emplace_back(server);
            callback.clear();
            const auto it = accounts.find(std::string(account));
            if (it == accounts.end() || Contains(unreadable, account))
                return 0;
            callback = it->second.second;
            return it->second.first;
        };
        calls.write = [this](std::string_view server, std::string_view account, std::uint8_t bits,
                             std::string_view callback) {
            servers.emplace_back(server);
            if (Contains(unwritable, account))
                return false;
            accounts[std::string(account)] = {bits, std::string(callback)};
            return true;
        };
        return calls;
    }
    static bool Contains(const std::vector<std::string>& names, std::string_view name)
    {
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

class PermissionTransferTest : public dm::test::CoreFixture {
protected:
    void AddAccounts(const std::string& computer, const std::vector<std::string>& names)
    {
        Network::AddComputer(computer);
        std::vector<UserAccount> users;
        for (const std::string& name : names) {
            UserAccount account;
            account.name = name;
            users.push_back(account);
        }
        ASSERT_EQ(AccountDatabase(computer).Store(users, {}, {}), 0u);
    }
    PermissionTransfer Transfer()
    {
        return PermissionTransfer(m_server.Calls(), m_ui, [this](const std::string& text) { m_status.push_back(text); });
    }
    std::filesystem::path File() const { return m_dir / "perms.txt"; }

    FakeServer m_server;
    std::vector<std::string> m_status;
};

TEST_F(PermissionTransferTest, ExportWritesALineBreakBeforeEachAccountAndMarksUnreadableOnes)
{
    AddAccounts("RAS1", {"anna", "bob", "carl"});
    m_server.accounts = {{"anna", {9, ""}}, {"bob", {10, "555 1234"}}, {"carl", {9, ""}}};
    m_server.unreadable = {"carl"};
    PermissionTransfer transfer = Transfer();
    EXPECT_EQ(transfer.Export("RAS1", File()), TransferResult::Done);
    EXPECT_EQ(ReadFile(File()), "\nanna,9,\nbob,10,555 1234\ncarl,?, ");
    EXPECT_EQ(m_status, (std::vector<std::string>{"Exporting anna", "Exporting bob", "Exporting carl"}));
    EXPECT_EQ(transfer.Handled(), 3);
    EXPECT_EQ(transfer.Failures(), 1);
    EXPECT_EQ(m_server.servers.front(), "\\\\RAS1");
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(PermissionTransferTest, ExportReadsEveryBatchOnce)
{
    // Long names make the enumeration return several batches of 100,000 bytes.
    std::vector<std::string> names;
    for (int i = 0; i < 1500; ++i)
        names.push_back("account-with-a-rather-long-name-number-" + std::to_string(10000 + i));
    AddAccounts("RAS1", names);
    for (const std::string& name : names)
        m_server.accounts[name] = {8, ""};
    PermissionTransfer transfer = Transfer();
    ASSERT_EQ(transfer.Export("\\\\RAS1", File()), TransferResult::Done);
    EXPECT_EQ(transfer.Handled(), 1500);
    const std::string text = ReadFile(File());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1500);
    EXPECT_NE(text.find("\naccount-with-a-rather-long-name-number-10000,8,\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 48), "\naccount-with-a-rather-long-name-number-11499,8,");
}

TEST_F(PermissionTransferTest, ExportFailuresAreReportedAndWriteNothing)
{
    PermissionTransfer transfer = Transfer();
    EXPECT_EQ(transfer.Export("NOWHERE", File()), TransferResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(File()));

    AddAccounts("RAS1", {"anna"});
    EXPECT_EQ(transfer.Export("RAS1", m_dir / "missing" / "perms.txt"), TransferResult::Failed);
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Failed to enumerate accounts on server \\\\NOWHERE.\nError 53.");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);
    EXPECT_EQ(m_ui.m_messages[1].text, "Error opening output file: 3.");
}

// Files of the export's directory other than the ones named: a failed export
// leaves no temporary file behind.
std::vector<std::string> OtherFiles(const std::filesystem::path& dir, const std::vector<std::string>& named)
{
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (std::find(named.begin(), named.end(), name) == named.end())
            others.push_back(name);
    }
    return others;
}

TEST_F(PermissionTransferTest, AnAccountDatabaseThatIsMissingOrUnreadableIsAnErrorAndKeepsTheOldFile)
{
    AddAccounts("RAS1", {"anna"});
    m_server.accounts = {{"anna", {9, ""}}};
    ASSERT_EQ(Transfer().Export("RAS1", File()), TransferResult::Done);
    ASSERT_EQ(ReadFile(File()), "\nanna,9,");
    m_server.servers.clear();
    const std::filesystem::path accounts = AccountDatabase("RAS1").IniPath();
    const std::filesystem::path kept = accounts.string() + ".kept";
    std::filesystem::rename(accounts, kept);

    struct Case {
        const char* what;
        std::function<bool()> make; // false: this variant cannot fail here
        int error;
        std::string cause;
    };
    const std::vector<Case> cases = {
        {"missing", [] { return true; }, 2, "the file does not exist"},
        {"a directory", [&] { return std::filesystem::create_directory(accounts); }, 5,
         "it is not a regular file or may not be read"},
        {"a FIFO", [&] { return ::mkfifo(accounts.c_str(), 0644) == 0; }, 5,
         "it is not a regular file or may not be read"},
        // Mode 000 stops every reader but root (last: as root it is skipped).
        {"mode 000",
         [&] {
             std::filesystem::copy_file(kept, accounts);
             std::filesystem::permissions(accounts, std::filesystem::perms::none);
             return ::geteuid() != 0;
         },
         5, "it is not a regular file or may not be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_ui.m_messages.clear();
        std::filesystem::remove(accounts);
        if (!c.make())
            GTEST_SKIP() << c.what << ": root reads a file of mode 000";
        PermissionTransfer transfer = Transfer();
        EXPECT_EQ(transfer.Export("RAS1", File()), TransferResult::Failed);
        EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Failed to enumerate accounts on server \\\\RAS1.\nError " +
                                                          std::to_string(c.error) + ".\n" + accounts.string() + ": " + c.cause + "."}));
        EXPECT_EQ(transfer.Handled(), 0);
        EXPECT_EQ(ReadFile(File()), "\nanna,9,");
        EXPECT_TRUE(m_server.servers.empty()) << "no account was read";
        EXPECT_EQ(OtherFiles(m_dir.path(), {"perms.txt", "network"}), std::vector<std::string>{});
    }
}

TEST_F(PermissionTransferTest, AnOutputThatIsNoRegularFileIsRefusedWithoutWaiting)
{
    AddAccounts("RAS1", {"anna"});
    m_server.accounts = {{"anna", {9, ""}}};
    const std::filesystem::path fifo = m_dir / "fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::filesystem::path dir = m_dir / "dir.txt";
    std::filesystem::create_directory(dir);
    PermissionTransfer transfer = Transfer();
    EXPECT_EQ(transfer.Export("RAS1", fifo), TransferResult::Failed);
    EXPECT_EQ(transfer.Export("RAS1", dir), TransferResult::Failed);
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Error opening output file: 5.", "Error opening output file: 5."}));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_EQ(OtherFiles(m_dir.path(), {"fifo.txt", "dir.txt", "network"}), std::vector<std::string>{});
}

TEST_F(PermissionTransferTest, LinesAreParsedAsTheImportTakesThem)
{
    PermissionLine line;
    EXPECT_FALSE(ParsePermissionLine("", line));
    EXPECT_FALSE(ParsePermissionLine(" anna,9,", line));
    EXPECT_FALSE(ParsePermissionLine("\tanna,9,", line));
    EXPECT_FALSE(ParsePermissionLine(",9,", line));

    ASSERT_TRUE(ParsePermissionLine("carl,?, ", line));
    EXPECT_EQ(line.account, "carl");
    EXPECT_EQ(line.bits, 1);
    EXPECT_EQ(line.callback, " ");

    ASSERT_TRUE(ParsePermissionLine("bob,10,555 1234\r", line));
    EXPECT_EQ(line.bits, 10);
    EXPECT_EQ(line.callback, "555 1234");

    ASSERT_TRUE(ParsePermissionLine("dora\r", line));
    EXPECT_EQ(line.account, "dora");
    EXPECT_EQ(line.bits, 1);
    EXPECT_EQ(line.callback, "");

    for (const char* bits : {"0", "x", "", "300", "-8"}) {
        ASSERT_TRUE(ParsePermissionLine(std::string("eve,") + bits + ",1", line));
        EXPECT_EQ(line.bits, 1) << bits;
    }
    // A name in the code page's letters is an account like any other.
    ASSERT_TRUE(ParsePermissionLine("\xC3\x96laf,9,", line));
    EXPECT_EQ(line.account, "\xC3\x96laf");
}

TEST_F(PermissionTransferTest, ImportAppliesAnExportAndReadsLongLinesWhole)
{
    const std::string longName(120, 'z');
    WriteFile(File(), "\nanna,9,\r\nbob,10,555 1234\r\ncarl,?, \r\n\n  indented,8,\n" + longName + ",10,0301 777");
    PermissionTransfer transfer = Transfer();
    EXPECT_EQ(transfer.Import("RAS2", File()), TransferResult::Done);
    const std::map<std::string, std::pair<std::uint8_t, std::string>> expected = {
        {"anna", {9, ""}}, {"bob", {10, "555 1234"}}, {"carl", {1, " "}}, {longName, {10, "0301 777"}}};
    EXPECT_EQ(m_server.accounts, expected);
    EXPECT_EQ(m_status, (std::vector<std::string>{"Importing anna", "Importing bob", "Importing carl",
                                                  "Importing " + longName}));
    EXPECT_EQ(m_server.servers.front(), "\\\\RAS2");
}

TEST_F(PermissionTransferTest, AFailedAccountAsksWhetherToGoOn)
{
    WriteFile(File(), "\nanna,9,\nghost,9,\nbob,10,555");
    m_server.unwritable = {"ghost"};
    m_ui.QueueAnswer(Answer::No);
    PermissionTransfer transfer = Transfer();
    EXPECT_EQ(transfer.Import("RAS2", File()), TransferResult::Stopped);
    EXPECT_EQ(m_server.accounts.count("anna"), 1u);
    EXPECT_EQ(m_server.accounts.count("bob"), 0u);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Failed to set RAS permissions for user 'ghost'\non server \\\\RAS2. Continue with next account?");
    EXPECT_EQ(m_ui.m_messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);

    m_ui.QueueAnswer(Answer::Yes);
    EXPECT_EQ(transfer.Import("RAS2", File()), TransferResult::Done);
    EXPECT_EQ(m_server.accounts.count("bob"), 1u);
    EXPECT_EQ(transfer.Failures(), 1);
}

TEST_F(PermissionTransferTest, ImportOfAMissingFileIsReported)
{
    PermissionTransfer transfer = Transfer();
    EXPECT_EQ(transfer.Import("RAS2", m_dir / "none.txt"), TransferResult::Failed);
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Error opening data file: 2."}));
    EXPECT_TRUE(m_server.servers.empty());
}

} // namespace
