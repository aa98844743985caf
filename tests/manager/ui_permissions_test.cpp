// The Export and Import RAS Account Permissions dialogs over the document's
// RAS library on an emulated network.

#include "tests/manager/ui_fixture.h"

#include "manager/ui/dialogs/permissionsdialog.h"
#include "platform/accounts/accountdatabase.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

} // namespace
