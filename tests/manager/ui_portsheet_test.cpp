// The port sheet (General and Permissions) and the Add Allowed Groups dialog,
// with the values read back through dmctl.

#include "tests/manager/ui_sheetfixture.h"

#include "framework/propertysheet.h"
#include "manager/core/allowedgroupsource.h"
#include "manager/ui/dialogs/allowedgroupsdialog.h"
#include "manager/ui/sheets/policysheets.h"
#include "manager/ui/sheets/portpropgeneral.h"
#include "manager/ui/sheets/portproppolicies.h"
#include "platform/accounts/networkdirectory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace dm;
using namespace dm::test;

namespace {

class PortSheetTest : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        OpenManager();
    }
    // The sheet of EAST's port, shown on the given page.
    std::unique_ptr<CPropertySheet> Open(const std::string& port, int page = 0)
    {
        std::unique_ptr<CPropertySheet> sheet(CreatePortSheet(*m_doc, port, "EAST", nullptr));
        Show(*sheet);
        sheet->SetActivePage(page);
        return sheet;
    }
    static CPortPropGeneral* General(CPropertySheet& sheet) { return static_cast<CPortPropGeneral*>(sheet.Page(0)); }
    static CPortPropPolicies* Policies(CPropertySheet& sheet)
    {
        return static_cast<CPortPropPolicies*>(sheet.Page(1));
    }
    // The entries as "kind:name".
    static QStringList Entries(CPortPropPolicies* page)
    {
        QStringList entries;
        for (const AllowedAccount& a : page->Entries())
            entries << QString("%1:%2").arg(QChar(static_cast<char>(a.kind)), QString::fromStdString(a.name));
        return entries;
    }
    void StoreLists(const std::string& port, const std::string& users, const std::string& groups)
    {
        SetHw("EAST\\" + port, "AllowedUser", "\"" + users + "\"");
        SetHw("EAST\\" + port, "AllowedGroup", "\"" + groups + "\"");
    }
};

TEST_F(PortSheetTest, OpeningWritesNothingAndCancelKeepsWhatOthersWrote)
{
    EXPECT_EQ(HwSections().find("EAST\\COM1"), std::string::npos);
    // Another writer changes the default profile after this manager loaded.
    SetHw("Default", "PeriodMax", "777");
    auto sheet = Open("COM1");
    EXPECT_EQ(sheet->windowTitle(), "Properties for COM1 on EAST");
    ASSERT_EQ(sheet->PageCount(), 2);
    EXPECT_EQ(sheet->Page(0)->Title(), "General");
    EXPECT_EQ(sheet->Page(1)->Title(), "Permissions");
    EXPECT_TRUE(sheet->HasContextHelpButton());
    sheet->reject();
    EXPECT_EQ(HwSections().find("EAST\\COM1"), std::string::npos);
    EXPECT_EQ(HwValue("Default", "PeriodMax"), "777");

    // A time limit set later creates the section with that key alone.
    auto again = Open("COM1");
    General(*again)->SessionBox()->click();
    General(*again)->SecondsField()->setText("600");
    again->accept();
    EXPECT_EQ(HwValue("EAST\\COM1", "MaxSessionTime"), "600");
    EXPECT_EQ(HwValue("EAST\\COM1", "StaticIP"), "<missing>");
    EXPECT_EQ(HwValue("Default", "PeriodMax"), "777");
}

TEST_F(PortSheetTest, StoredValuesAreShownAndAChangedAddressIsPacked)
{
    SetHw("EAST\\COM2", "MaxSessionTime", "3600");
    SetHw("EAST\\COM2", "StaticIP", "-1062731519"); // 192.168.1.1, stored signed
    m_doc->LoadHardwareSettings();
    auto sheet = Open("COM2");
    CPortPropGeneral* page = General(*sheet);
    EXPECT_TRUE(page->SessionBox()->isChecked());
    EXPECT_EQ(page->SecondsField()->text(), "3600");
    EXPECT_TRUE(page->SecondsField()->isEnabled());
    EXPECT_TRUE(page->AddressBox()->isChecked());
    QStringList octets;
    for (int i = 0; i < 4; ++i) {
        octets << page->OctetField(i)->text();
        EXPECT_TRUE(page->OctetField(i)->isEnabled());
    }
    EXPECT_EQ(octets, (QStringList{"192", "168", "1", "1"}));
    EXPECT_FALSE(sheet->ApplyButton()->isEnabled()) << "showing values is no change";

    const char* address[] = {"10", "0", "0", "1"};
    for (int i = 0; i < 4; ++i)
        page->OctetField(i)->setText(address[i]);
    EXPECT_TRUE(sheet->ApplyButton()->isEnabled());
    sheet->accept();
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(HwValue("EAST\\COM2", "StaticIP"), "167772161");
    EXPECT_EQ(HwValue("EAST\\COM2", "MaxSessionTime"), "3600");
}

TEST_F(PortSheetTest, ClearedBoxesWriteZeroWhateverTheFieldsHold)
{
    SetHw("EAST\\COM2", "MaxSessionTime", "3600");
    SetHw("EAST\\COM2", "StaticIP", "167772161");
    m_doc->LoadHardwareSettings();
    auto sheet = Open("COM2");
    CPortPropGeneral* page = General(*sheet);
    page->SessionBox()->click();
    page->AddressBox()->click();
    EXPECT_FALSE(page->SecondsField()->isEnabled());
    EXPECT_FALSE(page->OctetField(3)->isEnabled());
    EXPECT_EQ(page->OctetField(0)->text(), "10") << "the fields keep their text";
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(HwValue("EAST\\COM2", "MaxSessionTime"), "0");
    EXPECT_EQ(HwValue("EAST\\COM2", "StaticIP"), "0");

    // Switched on again, the seconds field takes the focus and the value counts.
    page->SessionBox()->click();
    EXPECT_TRUE(page->SecondsField()->isEnabled());
    page->SecondsField()->setText("900");
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(HwValue("EAST\\COM2", "MaxSessionTime"), "900");
}

TEST_F(PortSheetTest, AnOctetAbove255IsRefusedAndTheSheetStaysOpen)
{
    auto sheet = Open("COM1");
    CPortPropGeneral* page = General(*sheet);
    page->AddressBox()->click();
    // The digits-only fields take nothing else, and at most three digits.
    QTest::keyClicks(page->OctetField(2), "1x2-34");
    EXPECT_EQ(page->OctetField(2)->text(), "123");
    const char* address[] = {"10", "256", "0", "1"};
    for (int i = 0; i < 4; ++i)
        page->OctetField(i)->setText(address[i]);
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{"Each part of an IP address must be a number from 0 to 255."});
    EXPECT_EQ(HwValue("EAST\\COM1", "StaticIP"), "<missing>");

    page->OctetField(1)->setText("255");
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(HwValue("EAST\\COM1", "StaticIP"), "184483841"); // 10.255.0.1
}

TEST_F(PortSheetTest, StoredListsShowEachKindAndAreWrittenBackQuoted)
{
    StoreLists("COM1", "OSTERHALL\\anna;", "OSTERHALL\\Sales;DOM\\Admins\\;");
    auto sheet = Open("COM1", 1);
    CPortPropPolicies* page = Policies(*sheet);
    EXPECT_TRUE(page->OnlyBox()->isChecked());
    EXPECT_TRUE(page->List()->isEnabled());
    EXPECT_TRUE(page->AddButton()->isEnabled());
    EXPECT_FALSE(page->RemoveButton()->isEnabled());
    EXPECT_EQ(Entries(page), (QStringList{"U:OSTERHALL\\anna", "G:OSTERHALL\\Sales", "L:DOM\\Admins"}));
    EXPECT_EQ(page->List()->topLevelItem(2)->text(0), "DOM\\Admins") << "shown without the marker";
    EXPECT_EQ(page->List()->headerItem()->text(0), "Accounts");

    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(HwValue("EAST\\COM1", "AllowedUser"), "OSTERHALL\\anna;");
    EXPECT_EQ(HwValue("EAST\\COM1", "AllowedGroup"), "OSTERHALL\\Sales;DOM\\Admins\\;");
    EXPECT_NE(HwText().find("AllowedGroup=\"OSTERHALL\\Sales;DOM\\Admins\\;\""), std::string::npos);
}

TEST_F(PortSheetTest, ClearingTheCheckBoxWritesTwoEmptyQuotedLists)
{
    StoreLists("COM1", "OSTERHALL\\anna;", "OSTERHALL\\Sales;");
    auto sheet = Open("COM1", 1);
    CPortPropPolicies* page = Policies(*sheet);
    page->OnlyBox()->click();
    EXPECT_FALSE(page->List()->isEnabled());
    EXPECT_FALSE(page->AddButton()->isEnabled());
    EXPECT_FALSE(page->RemoveButton()->isEnabled());
    EXPECT_TRUE(page->IsModified());
    sheet->accept();
    const std::string text = HwText();
    EXPECT_NE(text.find("AllowedUser=\"\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("AllowedGroup=\"\"\r\n"), std::string::npos) << text;

    auto again = Open("COM1", 1);
    EXPECT_FALSE(Policies(*again)->OnlyBox()->isChecked());
    EXPECT_EQ(Policies(*again)->List()->topLevelItemCount(), 0);
}

TEST_F(PortSheetTest, AddedAccountsAreQualifiedByTheirSourceAndListedOnce)
{
    auto sheet = Open("COM1", 1);
    CPortPropPolicies* page = Policies(*sheet);
    page->OnlyBox()->click();
    std::vector<std::string> answer{"GSales", "LDial-in Users", "Uanna", "GSales"};
    bool chosen = true;
    page->SetAccountChooser([&](QWidget*, std::vector<std::string>& result, std::string& source) {
        result = answer;
        source = "OSTERHALL";
        return chosen;
    });
    page->AddButton()->click();
    EXPECT_EQ(Entries(page),
              (QStringList{"G:OSTERHALL\\Sales", "L:OSTERHALL\\Dial-in Users", "U:OSTERHALL\\anna"}));
    EXPECT_EQ(page->Source(), "OSTERHALL");

    // The same group in other letters is the same group; a name with ";" is refused.
    answer = {"Gsales", "GBad;Name"};
    page->AddButton()->click();
    EXPECT_EQ(page->List()->topLevelItemCount(), 3);
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{
                                "The name OSTERHALL\\Bad;Name contains a semicolon (;) and cannot be added to the list."});

    // Closed without a choice: nothing changes.
    chosen = false;
    answer = {"GStaff"};
    page->AddButton()->click();
    EXPECT_EQ(page->List()->topLevelItemCount(), 3);

    sheet->accept();
    EXPECT_EQ(HwValue("EAST\\COM1", "AllowedUser"), "OSTERHALL\\anna;");
    EXPECT_EQ(HwValue("EAST\\COM1", "AllowedGroup"), "OSTERHALL\\Sales;OSTERHALL\\Dial-in Users\\;");
}

TEST_F(PortSheetTest, RemoveTakesEverySelectedEntry)
{
    StoreLists("COM1", "OSTERHALL\\anna;OSTERHALL\\bert;", "OSTERHALL\\Sales;");
    auto sheet = Open("COM1", 1);
    CPortPropPolicies* page = Policies(*sheet);
    page->List()->topLevelItem(0)->setSelected(true);
    page->List()->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(page->RemoveButton()->isEnabled());
    page->RemoveButton()->click();
    EXPECT_EQ(Entries(page), QStringList{"U:OSTERHALL\\bert"});
    EXPECT_FALSE(page->RemoveButton()->isEnabled());
    sheet->accept();
    EXPECT_EQ(HwValue("EAST\\COM1", "AllowedUser"), "OSTERHALL\\bert;");
    EXPECT_EQ(HwValue("EAST\\COM1", "AllowedGroup"), "");
}

TEST_F(PortSheetTest, OkAppliesOnlyThePagesThatWereShown)
{
    StoreLists("COM2", "OSTERHALL\\anna;", "");
    SetHw("EAST\\COM2", "MaxSessionTime", "60");
    m_doc->LoadHardwareSettings();
    auto sheet = Open("COM2");
    General(*sheet)->SecondsField()->setText("120");
    // Someone else changes the lists meanwhile; the unseen page keeps out.
    StoreLists("COM2", "OSTERHALL\\bert;", "");
    sheet->accept();
    EXPECT_EQ(HwValue("EAST\\COM2", "MaxSessionTime"), "120");
    EXPECT_EQ(HwValue("EAST\\COM2", "AllowedUser"), "OSTERHALL\\bert;");
}

class AllowedGroupsTest : public SheetFixture {};

TEST_F(AllowedGroupsTest, TheNetworkIsBrowsedHalfASecondAfterOpening)
{
    CAllowedGroupsDialog dialog(m_ui, NetworkBrowsing::System());
    EXPECT_EQ(dialog.windowTitle(), "Add Allowed Groups");
    EXPECT_TRUE(dialog.StartTimer()->isActive());
    EXPECT_EQ(dialog.StartTimer()->interval(), 500);
    EXPECT_TRUE(dialog.StartTimer()->isSingleShot());
    dialog.show();
    EXPECT_TRUE(dialog.Domains().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Domains().empty(); }, 5000));
    EXPECT_EQ(dialog.Domains(), std::vector<std::string>{"OSTERHALL"});
    EXPECT_EQ(dialog.DomainBox()->currentText(), "OSTERHALL");
    QStringList listed;
    for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i)
        listed << dialog.List()->topLevelItem(i)->text(0);
    EXPECT_EQ(listed, (QStringList{"Sales", "Staff", "Dial-in Users", "anna", "bert"}));
    EXPECT_FALSE(dialog.List()->topLevelItem(0)->icon(0).isNull());
    EXPECT_GT(m_ui.m_waitCursors, 0);
    EXPECT_EQ(m_ui.m_waitDepth, 0);
}

TEST_F(AllowedGroupsTest, AddHandsBackKindLettersAndTheSource)
{
    ASSERT_TRUE(NetworkDirectory::AddDomain("WORKGROUP", "", NetworkDirectory::kWindowsProvider, ""));
    CAllowedGroupsDialog dialog(m_ui, NetworkBrowsing::System());
    dialog.OnTimer();
    EXPECT_FALSE(dialog.StartTimer()->isActive());
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    dialog.List()->topLevelItem(4)->setSelected(true);
    dialog.List()->topLevelItem(2)->setSelected(true);
    dialog.List()->topLevelItem(0)->setSelected(true);
    EXPECT_TRUE(dialog.AddButton()->isEnabled());
    dialog.AddButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(), (std::vector<std::string>{"GSales", "LDial-in Users", "Ubert"}));
    EXPECT_EQ(dialog.Source(), "OSTERHALL");

    // A domain without a controller lists nothing and says nothing.
    dialog.DomainBox()->setCurrentIndex(1);
    dialog.ListAccounts();
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(AllowedGroupsTest, CloseHandsBackNothing)
{
    CAllowedGroupsDialog dialog(m_ui, NetworkBrowsing::System());
    dialog.OnTimer();
    dialog.List()->topLevelItem(0)->setSelected(true);
    dialog.CloseButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.Result().empty());
}

// A network whose second open fails: the message, then an empty dialog.
class SecondOpenFails : public NetworkBrowsing {
public:
    unsigned long OpenEnum(const NETRESOURCE* container, WNetHandle* handle) override
    {
        return container ? 1222 : NetworkBrowsing::OpenEnum(container, handle);
    }
};

TEST_F(AllowedGroupsTest, AFailedBrowseIsReportedAndLeavesTheListsEmpty)
{
    SecondOpenFails network;
    CAllowedGroupsDialog dialog(m_ui, network);
    dialog.OnTimer();
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{"Error Open Enum 2"});
    EXPECT_EQ(dialog.DomainBox()->count(), 0);
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
}

TEST_F(AllowedGroupsTest, AddOnThePermissionsPageRunsTheDialog)
{
    OpenManager();
    std::unique_ptr<CPropertySheet> sheet(CreatePortSheet(*m_doc, "COM1", "EAST", nullptr));
    Show(*sheet);
    sheet->SetActivePage(1);
    auto* page = static_cast<CPortPropPolicies*>(sheet->Page(1));
    page->OnlyBox()->click();
    const QString title = CatchModal([&] { page->AddButton()->click(); }, [](QWidget* modal) {
        auto* dialog = static_cast<CAllowedGroupsDialog*>(modal);
        dialog->OnTimer();
        dialog->List()->topLevelItem(1)->setSelected(true);
        dialog->AddButton()->click();
    });
    EXPECT_EQ(title, "Add Allowed Groups");
    ASSERT_EQ(page->Entries().size(), 1u);
    EXPECT_EQ(page->Entries()[0].name, "OSTERHALL\\Staff");
}

} // namespace
