// The RAS permission export and import shared by the dialogs and dmctl.

#include "manager/core/permissiontransfer.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "tests/manager/corefixture.h"

#include <atomic>
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
    // The calls with writeMany as well: each batch recorded by its size.
    RasPermissionCalls BatchCalls()
    {
        RasPermissionCalls calls = Calls();
        calls.writeMany = [this](std::string_view server, std::span<const RasPermissionChange> changes) {
            servers.emplace_back(server);
            batches.push_back(changes.size());
            std::size_t set = 0;
            for (const RasPermissionChange& c : changes) {
                if (Contains(unwritable, c.user))
                    break;
                accounts[c.user] = {c.privilege, c.callbackNumber};
                ++set;
            }
            return set;
        };
        return calls;
    }
    std::vector<std::size_t> batches;
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

// A data file of count accounts named a0, a1, ... with bits 9.
std::string DataFile(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "\na" + std::to_string(i) + ",9,";
    return text;
}

TEST_F(PermissionTransferTest, ImportInBatchesGoesOnAfterTheFailedAccountOfABatch)
{
    WriteFile(File(), DataFile(10000));
    m_server.unwritable = {"a5000"};
    m_ui.QueueAnswer(Answer::Yes);
    PermissionTransfer transfer(m_server.BatchCalls(), m_ui);
    std::vector<std::pair<int, int>> progress;
    transfer.SetProgressSink([&](int handled, int total) { progress.emplace_back(handled, total); });
    EXPECT_EQ(transfer.Import("RAS2", File()), TransferResult::Done);
    EXPECT_EQ(m_server.accounts.size(), 9999u);
    EXPECT_EQ(m_server.accounts.count("a5000"), 0u);
    EXPECT_EQ(m_server.accounts.count("a5001"), 1u);
    EXPECT_EQ(transfer.Handled(), 9999);
    EXPECT_EQ(transfer.Failures(), 1);
    EXPECT_EQ(transfer.Total(), 10000);
    // The batch with the failed account is set up to it; the next begins after it.
    const std::size_t b = PermissionTransfer::kImportBatch;
    ASSERT_GE(m_server.batches.size(), 3u);
    EXPECT_EQ(m_server.batches[0], b);
    EXPECT_EQ(m_server.batches[1], b);
    EXPECT_LE(m_server.batches.size(), 5u);
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Failed to set RAS permissions for user 'a5000'\non server "
                                                      "\\\\RAS2. Continue with next account?"}));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), std::make_pair(0, 10000));
    EXPECT_EQ(progress.back(), std::make_pair(9999, 10000));

    // "No" leaves the accounts after the failed one unset, those of its batch too.
    m_server.accounts.clear();
    m_ui.QueueAnswer(Answer::No);
    EXPECT_EQ(transfer.Import("RAS2", File()), TransferResult::Stopped);
    EXPECT_EQ(m_server.accounts.size(), 5000u);
    EXPECT_EQ(m_server.accounts.count("a5001"), 0u);
}

TEST_F(PermissionTransferTest, CancelStopsBetweenWritesAndKeepsWhatWasSet)
{
    // One account a write stops after the account it came at; batches stop
    // after the batch it came in, which is written whole (4,500 is within
    // the second batch).
    WriteFile(File(), DataFile(9000));
    const int kept = 2 * static_cast<int>(PermissionTransfer::kImportBatch);
    for (const bool batches : {false, true}) {
        m_server.accounts.clear();
        std::atomic<bool> cancel{false};
        int shown = 0;
        PermissionTransfer transfer(batches ? m_server.BatchCalls() : m_server.Calls(), m_ui,
                                    [&](const std::string&) {
                                        if (++shown == 4500)
                                            cancel = true;
                                    });
        transfer.SetCancelFlag(&cancel);
        const int set = batches ? kept : 4500;
        EXPECT_EQ(transfer.Import("RAS2", File()), TransferResult::Cancelled) << batches;
        EXPECT_EQ(transfer.Handled(), set) << batches;
        EXPECT_EQ(transfer.Total(), 9000) << batches;
        EXPECT_EQ(m_server.accounts.size(), static_cast<std::size_t>(set)) << batches;
        EXPECT_EQ(m_server.accounts.count("a" + std::to_string(set - 1)), 1u) << batches;
        EXPECT_EQ(m_server.accounts.count("a" + std::to_string(set)), 0u) << batches;
    }
    // A Cancel before the start sets nothing.
    std::atomic<bool> cancel{true};
    m_server.accounts.clear();
    m_server.batches.clear();
    PermissionTransfer transfer(m_server.BatchCalls(), m_ui);
    transfer.SetCancelFlag(&cancel);
    EXPECT_EQ(transfer.Import("RAS2", File()), TransferResult::Cancelled);
    EXPECT_TRUE(m_server.accounts.empty());
    EXPECT_TRUE(m_server.batches.empty());
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(PermissionTransferTest, ACancelledExportKeepsTheEarlierFileAndLeavesNoTemporaryOne)
{
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i)
        names.push_back("u" + std::to_string(i));
    AddAccounts("RAS1", names);
    for (const std::string& name : names)
        m_server.accounts[name] = {9, ""};
    WriteFile(File(), "\nearlier,9,");

    // Cancelled at the 120th account, and after the last one (before the
    // file takes its name).
    for (const int at : {120, 300}) {
        SCOPED_TRACE(at);
        std::atomic<bool> cancel{false};
        std::vector<std::pair<int, int>> progress;
        PermissionTransfer transfer(m_server.Calls(), m_ui);
        transfer.SetCancelFlag(&cancel);
        transfer.SetProgressSink([&](int handled, int total) {
            progress.emplace_back(handled, total);
            if (handled == at)
                cancel = true;
        });
        EXPECT_EQ(transfer.Export("RAS1", File()), TransferResult::Cancelled);
        EXPECT_EQ(transfer.Handled(), at);
        EXPECT_EQ(transfer.Total(), 300);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.front(), std::make_pair(0, 300));
        EXPECT_EQ(progress.back(), std::make_pair(at, 300));
        EXPECT_EQ(ReadFile(File()), "\nearlier,9,");
        EXPECT_EQ(OtherFiles(m_dir.path(), {"perms.txt", "network"}), std::vector<std::string>{});
    }
    // A new file is not created either.
    std::atomic<bool> cancel{true};
    PermissionTransfer transfer(m_server.Calls(), m_ui);
    transfer.SetCancelFlag(&cancel);
    EXPECT_EQ(transfer.Export("RAS1", m_dir / "new.txt"), TransferResult::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "new.txt"));
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(PermissionTransferTest, ImportOfAMissingFileIsReported)
{
    PermissionTransfer transfer = Transfer();
    EXPECT_EQ(transfer.Import("RAS2", m_dir / "none.txt"), TransferResult::Failed);
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Error opening data file: 2."}));
    EXPECT_TRUE(m_server.servers.empty());
}

} // namespace
