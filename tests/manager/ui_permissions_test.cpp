// The Export and Import RAS Account Permissions dialogs over the document's
// RAS library on an emulated network.

#include "tests/dmctl/dmctlrunner.h"
#include "tests/manager/ui_fixture.h"

#include "manager/ui/dialogs/permissionsdialog.h"
#include "platform/accounts/accountdatabase.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <sys/stat.h>

using namespace dm;
using namespace dm::test;

namespace {

class PermissionsDialogTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("RAS1", {"COM1"}, true);
        AddDomain("EAST", "EASTDC", {{"anna", 9}, {"bob", 1}, {"carl", 8}});
        AddDomain("WEST", "WESTDC", {{"anna", 1}, {"bob", 1}});
        ASSERT_EQ(AccountDatabase("EASTDC").SetRasPermission("bob", 10, "0301 555"), 0u);
        OpenManager();
    }
    std::string Permission(const std::string& server, const std::string& account)
    {
        std::string callback;
        const int bits = m_doc->GetUserRasPermission("\\\\" + server, account, callback);
        return std::to_string(bits) + "," + callback;
    }
    std::string File() const { return (m_dir / "perms.txt").string(); }
    // The files beside the export's, but for those named: a cancelled or
    // failed export leaves no temporary file.
    std::vector<std::string> OtherFiles(const std::vector<std::string>& named) const
    {
        std::vector<std::string> others;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
            const std::string name = entry.path().filename().string();
            if (std::find(named.begin(), named.end(), name) == named.end())
                others.push_back(name);
        }
        return others;
    }
    // A domain NORTH of count accounts, every other one with dial-in.
    void AddNorth(int count)
    {
        std::vector<std::pair<std::string, std::uint8_t>> users;
        for (int i = 0; i < count; ++i)
            users.emplace_back("u" + std::to_string(i), i % 2 ? 9 : 1);
        AddDomain("NORTH", "NORTHDC", users);
    }
};

TEST_F(PermissionsDialogTest, RunButtonFollowsBothFieldsAndTheChooserFillsTheFile)
{
    CExportPermissionsDialog dialog(*m_doc);
    EXPECT_EQ(dialog.windowTitle(), "Export RAS Account Permissions");
    EXPECT_FALSE(dialog.RunButton()->isEnabled());
    EXPECT_TRUE(dialog.RunButton()->isDefault());
    dialog.ServerField()->setText("EASTDC");
    EXPECT_FALSE(dialog.RunButton()->isEnabled());

    QString askedTitle;
    QString answer;
    dialog.SetFileChooser([&](QWidget*, const QString& title) {
        askedTitle = title;
        return answer;
    });
    dialog.BrowseButton()->click();
    EXPECT_EQ(askedTitle, "Export Data To");
    EXPECT_FALSE(dialog.RunButton()->isEnabled());
    answer = QString::fromStdString(File());
    dialog.BrowseButton()->click();
    EXPECT_EQ(dialog.FileField()->text(), answer);
    EXPECT_TRUE(dialog.RunButton()->isEnabled());
    dialog.ServerField()->clear();
    EXPECT_FALSE(dialog.RunButton()->isEnabled());

    CImportPermissionsDialog import(*m_doc);
    EXPECT_EQ(import.windowTitle(), "Import RAS Account Permissions");
    import.SetFileChooser([&](QWidget*, const QString& title) {
        askedTitle = title;
        return QString();
    });
    import.BrowseButton()->click();
    EXPECT_EQ(askedTitle, "Import Data From");
    EXPECT_TRUE(import.FileField()->text().isEmpty());
}

TEST_F(PermissionsDialogTest, ExportAndImportCarryPermissionsToAnotherDomain)
{
    CExportPermissionsDialog exporter(*m_doc);
    exporter.show();
    exporter.ServerField()->setText("EASTDC");
    exporter.FileField()->setText(QString::fromStdString(File()));
    exporter.RunButton()->click();
    EXPECT_EQ(exporter.result(), QDialog::Accepted);
    EXPECT_FALSE(exporter.isVisible());
    EXPECT_EQ(exporter.StatusLine()->text(), "Exporting carl");
    EXPECT_EQ(ReadFile(File()), "\nanna,9,\nbob,10,0301 555\ncarl,8,");

    // WEST has no carl: the question comes, and Yes goes on.
    CImportPermissionsDialog importer(*m_doc);
    importer.show();
    importer.ServerField()->setText("\\\\WESTDC");
    importer.FileField()->setText(QString::fromStdString(File()));
    m_ui.QueueAnswer(Answer::Yes);
    importer.RunButton()->click();
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Failed to set RAS permissions for user 'carl'\non server "
                                                      "\\\\WESTDC. Continue with next account?"}));
    EXPECT_EQ(importer.result(), QDialog::Accepted);
    EXPECT_EQ(Permission("WESTDC", "anna"), "9,");
    EXPECT_EQ(Permission("WESTDC", "bob"), "10,0301 555");
}

TEST_F(PermissionsDialogTest, AnAccountDatabaseThatCannotBeReadIsReportedAndTheExportStaysOpen)
{
    WriteFile(File(), "\nearlier,9,");
    const std::filesystem::path accounts = AccountDatabase("EASTDC").IniPath();
    std::filesystem::remove(accounts);
    std::filesystem::create_directory(accounts);
    CExportPermissionsDialog exporter(*m_doc);
    exporter.show();
    exporter.ServerField()->setText("EASTDC");
    exporter.FileField()->setText(QString::fromStdString(File()));
    exporter.RunButton()->click();
    EXPECT_TRUE(exporter.isVisible());
    EXPECT_NE(exporter.result(), QDialog::Accepted);
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Failed to enumerate accounts on server \\\\EASTDC.\nError 5.\n" +
                                                      accounts.string() +
                                                      ": it is not a regular file or may not be read."}));
    EXPECT_EQ(ReadFile(File()), "\nearlier,9,");
}

TEST_F(PermissionsDialogTest, RefusingToGoOnLeavesTheRestAndTheDialogOpen)
{
    WriteFile(File(), "\nghost,9,\nanna,10,12345");
    CImportPermissionsDialog importer(*m_doc);
    importer.show();
    importer.ServerField()->setText("WESTDC");
    importer.FileField()->setText(QString::fromStdString(File()));
    m_ui.QueueAnswer(Answer::No);
    EXPECT_EQ(importer.Run(), TransferResult::Stopped);
    EXPECT_TRUE(importer.isVisible());
    EXPECT_EQ(Permission("WESTDC", "anna"), "1,");

    // A file that cannot be opened keeps the dialog open, too.
    importer.FileField()->setText(QString::fromStdString((m_dir / "gone.txt").string()));
    EXPECT_EQ(importer.Run(), TransferResult::Failed);
    EXPECT_TRUE(importer.isVisible());
    EXPECT_EQ(m_ui.m_messages.back().text, "Error opening data file: 2.");
    EXPECT_EQ(m_ui.m_waitDepth, 0);
}

TEST_F(PermissionsDialogTest, AnImportRunsOffTheWindowThreadAndCancelKeepsWhatWasSet)
{
    // 9,000 accounts of EAST without dial-in, a file giving each dial-in.
    std::vector<std::pair<std::string, std::uint8_t>> users;
    std::string text;
    for (int i = 0; i < 9000; ++i) {
        users.emplace_back("u" + std::to_string(i), 1);
        text += "\nu" + std::to_string(i) + ",9,";
    }
    AddDomain("NORTH", "NORTHDC", users);
    WriteFile(File(), text);
    CImportPermissionsDialog importer(*m_doc);
    importer.show();
    importer.ServerField()->setText("NORTHDC");
    importer.FileField()->setText(QString::fromStdString(File()));

    // The texts come from the worker; the progress after the first batch
    // cancels.
    QThread* window = QThread::currentThread();
    bool offTheWindowThread = true;
    int texts = 0;
    QObject::connect(
        &importer, &CPermissionsDialog::statusChanged, &importer,
        [&] {
            offTheWindowThread = offTheWindowThread && QThread::currentThread() != window;
            ++texts;
        },
        Qt::DirectConnection);
    const auto canceller = QObject::connect(&importer, &CPermissionsDialog::progressChanged, &importer, [&](int handled, int) {
        if (handled >= 4000)
            importer.RequestCancel();
    }, Qt::DirectConnection);
    EXPECT_EQ(importer.Run(), TransferResult::Cancelled);
    EXPECT_TRUE(offTheWindowThread);
    EXPECT_GE(texts, 1);
    EXPECT_TRUE(importer.isVisible());
    EXPECT_FALSE(importer.Running());
    EXPECT_TRUE(importer.RunButton()->isEnabled());
    EXPECT_TRUE(importer.ServerField()->isEnabled());
    const int handled = importer.Handled();
    EXPECT_GE(handled, 4000);
    EXPECT_LT(handled, 9000);
    EXPECT_EQ(importer.Total(), 9000);
    EXPECT_EQ(importer.StatusLine()->text(),
              QStringLiteral("Import cancelled: %1 of 9000 accounts imported.").arg(handled));
    EXPECT_EQ(importer.ProgressBar()->value(), handled);
    EXPECT_EQ(Permission("NORTHDC", "u" + std::to_string(handled - 1)), "9,");
    EXPECT_EQ(Permission("NORTHDC", "u" + std::to_string(handled)), "1,");
    EXPECT_TRUE(m_ui.m_messages.empty());

    // Again: the rest is set, the accounts already so are not written, and
    // the finished import closes the dialog.
    QObject::disconnect(canceller);
    const std::string accounts = (m_dir / "network" / "machines" / "NORTHDC" / "accounts.ini").string();
    EXPECT_EQ(importer.Run(), TransferResult::Done);
    EXPECT_EQ(importer.result(), QDialog::Accepted);
    EXPECT_EQ(Permission("NORTHDC", "u8999"), "9,");
    struct stat before {};
    ASSERT_EQ(::stat(accounts.c_str(), &before), 0) << accounts;
    CImportPermissionsDialog again(*m_doc);
    again.ServerField()->setText("NORTHDC");
    again.FileField()->setText(QString::fromStdString(File()));
    EXPECT_EQ(again.Run(), TransferResult::Done);
    struct stat after {};
    ASSERT_EQ(::stat(accounts.c_str(), &after), 0);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an import that changes nothing does not replace the file";
}

TEST_F(PermissionsDialogTest, AnExportRunsOffTheWindowThreadAndCancelKeepsTheEarlierFile)
{
    AddNorth(3000);
    WriteFile(File(), "\nearlier,9,");
    CExportPermissionsDialog exporter(*m_doc);
    exporter.show();
    exporter.ServerField()->setText("NORTHDC");
    exporter.FileField()->setText(QString::fromStdString(File()));
    EXPECT_TRUE(exporter.ProgressBar()->isVisible());

    QThread* window = QThread::currentThread();
    bool offTheWindowThread = true;
    int lastTotal = 0;
    QObject::connect(
        &exporter, &CPermissionsDialog::statusChanged, &exporter,
        [&] { offTheWindowThread = offTheWindowThread && QThread::currentThread() != window; },
        Qt::DirectConnection);
    const auto canceller = QObject::connect(
        &exporter, &CPermissionsDialog::progressChanged, &exporter,
        [&](int handled, int total) {
            offTheWindowThread = offTheWindowThread && QThread::currentThread() != window;
            lastTotal = total;
            if (handled >= 1000)
                exporter.RequestCancel();
        },
        Qt::DirectConnection);
    exporter.activateWindow();
    exporter.FileField()->setFocus();
    EXPECT_EQ(exporter.Run(), TransferResult::Cancelled);
    EXPECT_TRUE(offTheWindowThread);
    EXPECT_EQ(lastTotal, 3000);
    // The focus is back in the field, so Enter starts another try.
    EXPECT_EQ(exporter.focusWidget(), exporter.FileField());
    EXPECT_TRUE(exporter.isVisible());
    EXPECT_FALSE(exporter.Running());
    EXPECT_TRUE(exporter.RunButton()->isEnabled());
    EXPECT_GE(exporter.Handled(), 1000);
    EXPECT_LT(exporter.Handled(), 3000);
    EXPECT_EQ(exporter.Total(), 3000);
    EXPECT_EQ(exporter.StatusLine()->text(), "Export cancelled: the file was not written.");
    EXPECT_EQ(ReadFile(File()), "\nearlier,9,");
    EXPECT_EQ(OtherFiles({"perms.txt", "network"}), std::vector<std::string>{});
    EXPECT_TRUE(m_ui.m_messages.empty());

    // Again to the end: the file is the one dmctl writes, byte for byte.
    QObject::disconnect(canceller);
    EXPECT_EQ(exporter.Run(), TransferResult::Done);
    EXPECT_EQ(exporter.result(), QDialog::Accepted);
    EXPECT_EQ(exporter.StatusLine()->text(), "Exporting u2999");
    EXPECT_EQ(exporter.ProgressBar()->value(), 3000);
    const std::string dmctlFile = (m_dir / "dmctl.txt").string();
    const auto run = RunDmctl({"permissions", "export", "NORTHDC", dmctlFile});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "3000 accounts exported, 0 of them unreadable\n");
    const std::string text = ReadFile(File());
    EXPECT_EQ(text, ReadFile(dmctlFile));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3000);
    EXPECT_NE(text.find("\nu0,1,\n"), std::string::npos);
    EXPECT_NE(text.find("\nu2999,9,"), std::string::npos);
}

TEST_F(PermissionsDialogTest, ExportFailuresOnTheWorkerReachThePerson)
{
    WriteFile(File(), "\nearlier,9,");
    CExportPermissionsDialog exporter(*m_doc);
    exporter.show();
    exporter.ServerField()->setText("EASTDC");

    // A directory where the file should be: nothing is written.
    const std::filesystem::path folder = m_dir / "folder.txt";
    std::filesystem::create_directory(folder);
    exporter.FileField()->setText(QString::fromStdString(folder.string()));
    EXPECT_EQ(exporter.Run(), TransferResult::Failed);
    EXPECT_TRUE(exporter.isVisible());
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // A lost account database is no export of no accounts.
    const std::filesystem::path accounts = AccountDatabase("EASTDC").IniPath();
    std::filesystem::remove(accounts);
    exporter.FileField()->setText(QString::fromStdString(File()));
    EXPECT_EQ(exporter.Run(), TransferResult::Failed);
    EXPECT_TRUE(exporter.isVisible());
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"Error opening output file: 5.",
                                                      "Failed to enumerate accounts on server \\\\EASTDC.\nError 2.\n" +
                                                          accounts.string() + ": the file does not exist."}));
    for (const auto& message : m_ui.m_messages)
        EXPECT_EQ(message.icon, Icon::Error);
    EXPECT_EQ(ReadFile(File()), "\nearlier,9,");
    EXPECT_EQ(OtherFiles({"perms.txt", "folder.txt", "network"}), std::vector<std::string>{});
    EXPECT_FALSE(exporter.Running());
    EXPECT_TRUE(exporter.ServerField()->isEnabled());
}

TEST_F(PermissionsDialogTest, CancelWhileNothingRunsClosesTheDialog)
{
    CImportPermissionsDialog importer(*m_doc);
    importer.show();
    importer.reject();
    EXPECT_FALSE(importer.isVisible());
    EXPECT_EQ(importer.result(), QDialog::Rejected);
}

} // namespace
