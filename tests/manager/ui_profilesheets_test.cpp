// The group sheet, the default profile sheet and the openers of all three
// policy sheets, with the values read back through dmctl.

#include "common/numbers.h"
#include "tests/manager/ui_sheetfixture.h"

#include "database/profilevalues.h"
#include "framework/propertysheet.h"
#include "manager/ui/sheets/default1.h"
#include "manager/ui/sheets/default2.h"
#include "manager/ui/sheets/groupproperties.h"
#include "manager/ui/sheets/limitsform.h"
#include "manager/ui/sheets/policysheets.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/portsmodel.h"
#include "manager/ui/views/portsview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <memory>

using namespace dm;
using namespace dm::test;

namespace {

const std::string kSales = "+OSTERHALL\\Sales";

class GroupSheetTest : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        OpenManager();
    }
    std::unique_ptr<CPropertySheet> Open(const std::string& group = "Sales")
    {
        std::unique_ptr<CPropertySheet> sheet(CreateGroupSheet(*m_doc, "OSTERHALL", group, nullptr));
        Show(*sheet);
        return sheet;
    }
    static CGroupProperties* Page(CPropertySheet& sheet) { return static_cast<CGroupProperties*>(sheet.Page(0)); }
};

TEST_F(GroupSheetTest, AGroupWithoutSectionOnlyAllowsSeveralPorts)
{
    auto sheet = Open();
    EXPECT_EQ(sheet->windowTitle(), "Properties for OSTERHALL\\Sales");
    ASSERT_EQ(sheet->PageCount(), 1);
    EXPECT_EQ(sheet->Page(0)->Title(), "Settings");
    EXPECT_TRUE(sheet->HasContextHelpButton());
    CGroupProperties* page = Page(*sheet);
    CLimitsForm* form = page->Form();
    EXPECT_FALSE(form->HasRow(LimitExpiry)) << "a group's limits have no expiry";
    for (LimitField field : {LimitSession, LimitTotal, LimitPeriod}) {
        EXPECT_FALSE(form->Box(field)->isChecked());
        EXPECT_FALSE(form->Field(field)->isEnabled());
        EXPECT_TRUE(form->Field(field)->text().isEmpty());
    }
    EXPECT_FALSE(form->PeriodChoice()->isEnabled());
    EXPECT_TRUE(page->MultiplePortsBox()->isChecked());
    sheet->reject();
    EXPECT_EQ(UsrValue(kSales, "NoDuplicate"), "<missing>") << "cancel writes nothing";
}

TEST_F(GroupSheetTest, OnlyChangedAmountsAreWrittenAsNumbers)
{
    auto sheet = Open();
    CGroupProperties* page = Page(*sheet);
    page->Form()->Box(LimitSession)->click();
    EXPECT_TRUE(page->Form()->Field(LimitSession)->isEnabled());
    page->Form()->Field(LimitSession)->setText("0120");
    page->Form()->Box(LimitTotal)->click();
    page->Form()->Field(LimitTotal)->setText("0"); // on, but no amount
    page->MultiplePortsBox()->click();
    sheet->accept();
    ASSERT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(UsrValue(kSales, "MaxSessionTime"), "120");
    EXPECT_EQ(UsrValue(kSales, "MaxTotalTime"), "<missing>") << "on without an amount is no change";
    EXPECT_EQ(UsrValue(kSales, "NoDuplicate"), "1");
    EXPECT_EQ(UsrValue(kSales, "PeriodMax"), "<missing>");
    EXPECT_EQ(UsrValue(kSales, "PeriodType"), "<missing>");

    auto again = Open();
    EXPECT_TRUE(Page(*again)->Form()->Box(LimitSession)->isChecked());
    EXPECT_EQ(Page(*again)->Form()->Field(LimitSession)->text().toInt(), 120);
    EXPECT_FALSE(Page(*again)->Form()->Box(LimitTotal)->isChecked());
    EXPECT_FALSE(Page(*again)->MultiplePortsBox()->isChecked());
}

TEST_F(GroupSheetTest, PeriodTypeFollowsTheChoiceOnlyWithAnAmount)
{
    auto sheet = Open();
    CGroupProperties* page = Page(*sheet);
    page->Form()->PeriodChoice()->setCurrentIndex(2);
    page->Form()->Box(LimitPeriod)->click();
    EXPECT_EQ(page->Form()->PeriodChoice()->currentText(), "24 Hours") << "switching on starts at a day";
    EXPECT_TRUE(page->Form()->PeriodChoice()->isEnabled());
    // On with an empty field: no period limit, so nothing changed.
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(UsrValue(kSales, "PeriodMax"), "<missing>");
    EXPECT_EQ(UsrValue(kSales, "PeriodType"), "<missing>");

    page->Form()->Field(LimitPeriod)->setText("3600");
    page->Form()->PeriodChoice()->setCurrentIndex(1);
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(UsrValue(kSales, "PeriodMax"), "3600");
    EXPECT_EQ(UsrValue(kSales, "PeriodType"), "2");

    auto again = Open();
    EXPECT_TRUE(Page(*again)->Form()->Box(LimitPeriod)->isChecked());
    EXPECT_EQ(Page(*again)->Form()->PeriodChoice()->currentText(), "Week");
    EXPECT_EQ(Page(*again)->Form()->Field(LimitPeriod)->text(), "3600");
}

TEST_F(GroupSheetTest, TextThatIsNoNumberIsRefused)
{
    SetUsr(kSales, "MaxTotalTime", "7200");
    auto sheet = Open();
    CGroupProperties* page = Page(*sheet);
    EXPECT_EQ(page->Form()->Field(LimitTotal)->text(), "7200");
    for (const char* bad : {"12a", "-5", "1.5", "99999999999"}) {
        SCOPED_TRACE(bad);
        m_ui.m_messages.clear();
        page->Form()->Field(LimitTotal)->setText(bad);
        sheet->OkButton()->click();
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{LimitRefusal(LimitTotal)});
        EXPECT_EQ(UsrValue(kSales, "MaxTotalTime"), "7200");
    }
    // Leading blanks before the digits are a number.
    page->Form()->Field(LimitTotal)->setText("  45");
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(AtoiInt32(UsrValue(kSales, "MaxTotalTime")), 45);
    // A field whose limit is off is not looked at.
    page->Form()->Box(LimitTotal)->click();
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(UsrValue(kSales, "MaxTotalTime"), "0");
}

TEST_F(GroupSheetTest, TenDigitsBeyondThe32BitsOfTheFileAreRefusedAndNothingIsWritten)
{
    SetUsr(kSales, "MaxTotalTime", "7200");
    const std::string before = UsrText();
    auto sheet = Open();
    CLimitsForm* form = Page(*sheet)->Form();
    form->Box(LimitSession)->click();
    form->Field(LimitSession)->setText("4294967396");
    form->Box(LimitPeriod)->click();
    form->Field(LimitPeriod)->setText("3600");
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(m_ui.Texts(),
              std::vector<std::string>{"The maximum session time must be a number of seconds from 0 to 2147483647."});
    EXPECT_EQ(UsrText(), before);
    EXPECT_EQ(form->Field(LimitSession)->selectedText(), "4294967396");
}

class NoDatabaseTest : public UiFixture {};

TEST_F(NoDatabaseTest, TheGroupSheetSaysWhenItCannotSave)
{
    AddRasServer("EAST", {"COM1"});
    OpenManager();
    ASSERT_FALSE(m_doc->DatabaseAvailable());
    std::unique_ptr<CPropertySheet> sheet(CreateGroupSheet(*m_doc, "OSTERHALL", "Sales", nullptr));
    sheet->show();
    auto* page = static_cast<CGroupProperties*>(sheet->Page(0));
    page->Form()->Box(LimitSession)->click();
    page->Form()->Field(LimitSession)->setText("600");
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible()) << "nothing may look saved that was not";
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{"The settings of group OSTERHALL\\Sales could not be saved."});
}

class DefaultProfileTest : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        SetHw("Default", "AssignDefault", "1");
        SetHw("Default", "NoDuplicate", "1");
        SetHw("Default", "MaxSessionTime", "7200");
        SetHw("Default", "PeriodMax", "72000");
        SetHw("Default", "PeriodType", "2");
        OpenManager();
    }
    std::unique_ptr<CPropertySheet> Open(int page = 0)
    {
        std::unique_ptr<CPropertySheet> sheet(CreateDefaultProfileSheet(*m_doc, nullptr));
        Show(*sheet);
        sheet->SetActivePage(page);
        return sheet;
    }
    static CDefault1* Policy(CPropertySheet& sheet) { return static_cast<CDefault1*>(sheet.Page(0)); }
    static CDefault2* Settings(CPropertySheet& sheet) { return static_cast<CDefault2*>(sheet.Page(1)); }
};

TEST_F(DefaultProfileTest, TheDenyButtonWritesAssignDefaultZero)
{
    auto sheet = Open();
    EXPECT_EQ(sheet->windowTitle(), "Default Profile");
    ASSERT_EQ(sheet->PageCount(), 2);
    EXPECT_EQ(sheet->Page(0)->Title(), "Policy");
    EXPECT_EQ(sheet->Page(1)->Title(), "Default Settings");
    EXPECT_TRUE(sheet->HasContextHelpButton());
    EXPECT_TRUE(Policy(*sheet)->AllowButton()->isChecked());
    Policy(*sheet)->DenyButton()->click();
    EXPECT_TRUE(sheet->ApplyButton()->isEnabled());
    sheet->accept();
    EXPECT_EQ(HwValue("Default", "AssignDefault"), "0");
    // The other keys of the section are written with it, unchanged.
    EXPECT_EQ(HwValue("Default", "MaxSessionTime"), "7200");
    EXPECT_EQ(HwValue("Default", "NoDuplicate"), "1");
    EXPECT_EQ(HwValue("Default", "PeriodType"), "2");

    auto again = Open();
    EXPECT_TRUE(Policy(*again)->DenyButton()->isChecked());
}

TEST_F(DefaultProfileTest, SettingsAreShownAndWritten)
{
    auto sheet = Open(1);
    CDefault2* page = Settings(*sheet);
    EXPECT_FALSE(page->MultiplePortsBox()->isChecked()) << "NoDuplicate 1: one port at a time";
    EXPECT_TRUE(page->Form()->Box(LimitSession)->isChecked());
    EXPECT_EQ(page->Form()->Field(LimitSession)->text(), "7200");
    EXPECT_FALSE(page->Form()->Box(LimitTotal)->isChecked());
    EXPECT_FALSE(page->Form()->Field(LimitExpiry)->isEnabled());
    EXPECT_TRUE(page->Form()->Box(LimitPeriod)->isChecked());
    EXPECT_EQ(page->Form()->PeriodChoice()->currentText(), "Week");
    EXPECT_EQ(page->Form()->Field(LimitPeriod)->text(), "72000");

    page->MultiplePortsBox()->click();
    page->Form()->Box(LimitSession)->click();
    page->Form()->Box(LimitExpiry)->click();
    page->Form()->Field(LimitExpiry)->setText("30");
    page->Form()->Box(LimitTotal)->click();
    page->Form()->Field(LimitTotal)->setText("360000");
    page->Form()->Field(LimitPeriod)->setText("0");
    sheet->accept();
    EXPECT_EQ(HwValue("Default", "NoDuplicate"), "0");
    EXPECT_EQ(HwValue("Default", "MaxSessionTime"), "0");
    EXPECT_EQ(HwValue("Default", "MaxTotalTime"), "360000");
    EXPECT_EQ(HwValue("Default", "ExpiryTime"), "30");
    EXPECT_EQ(HwValue("Default", "PeriodMax"), "0");
    EXPECT_EQ(HwValue("Default", "PeriodType"), "0") << "a period without an amount is none";
    EXPECT_EQ(HwValue("Default", "AssignDefault"), "1") << "the Policy page was shown and kept its choice";

    auto again = Open(1);
    EXPECT_TRUE(Settings(*again)->MultiplePortsBox()->isChecked());
    EXPECT_FALSE(Settings(*again)->Form()->Box(LimitPeriod)->isChecked());
}

TEST_F(DefaultProfileTest, TenDigitsBeyondThe32BitsOfTheFileAreRefusedAndNothingIsWritten)
{
    const std::string before = HwText();
    auto sheet = Open(1);
    CLimitsForm* form = Settings(*sheet)->Form();
    // Tab goes down the page: the box above the form first.
    const auto nextByTab = [](QWidget* widget) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    EXPECT_EQ(nextByTab(Settings(*sheet)->MultiplePortsBox()), form->Box(LimitSession));
    EXPECT_EQ(nextByTab(form->Field(LimitExpiry)), form->Box(LimitPeriod));
    EXPECT_EQ(nextByTab(form->Field(LimitPeriod)), form->PeriodChoice());
    form->Box(LimitExpiry)->click();
    form->Field(LimitExpiry)->setText("4294967297");
    Settings(*sheet)->MultiplePortsBox()->click();
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{"The expiry must be a number of days from 0 to 2147483647."});
    EXPECT_EQ(HwText(), before);
    EXPECT_EQ(sheet->ActiveIndex(), 1);

    // Nine digits used to be the most the page took; ten fit when they fit 31 bits.
    form->Field(LimitExpiry)->setText("2147483647");
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(HwValue("Default", "ExpiryTime"), "2147483647");
    EXPECT_EQ(HwValue("Default", "NoDuplicate"), "0");
}

class OpenersTest : public SheetFixture {};

TEST_F(OpenersTest, PortsListDoubleClickAndTreeMenusOpenTheirSheets)
{
    OpenWithSheets();
    Tree().SelectNode(Tree().FindNode("EAST"));
    auto* view = qobject_cast<CPortsView*>(m_frame->RightPane());
    ASSERT_NE(view, nullptr);
    view->List()->selectionModel()->select(view->Model()->index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(CatchModal([&] { view->OpenPortProperties(); }), "Properties for COM2 on EAST");
    EXPECT_EQ(HwValue("EAST\\COM2", "MaxSessionTime"), "<missing>") << "opening a port writes nothing";

    // The tree's context menus, each through its one action.
    auto trigger = [&](QTreeWidgetItem* node) {
        Tree().SelectNode(node);
        std::unique_ptr<QMenu> menu = Tree().CreateContextMenu(node);
        EXPECT_TRUE(menu && menu->actions().value(0)->isEnabled());
        return CatchModal([&] { menu->actions().value(0)->trigger(); });
    };
    Tree().FindNode("EAST")->setExpanded(true);
    EXPECT_EQ(trigger(Tree().FindNode("COM1", Tree().FindNode("EAST"))), "Properties for COM1 on EAST");
    Tree().FindNode("OSTERHALL")->setExpanded(true);
    EXPECT_EQ(trigger(Tree().FindNode("Staff", Tree().FindNode("OSTERHALL"))), "Properties for OSTERHALL\\Staff");
    EXPECT_EQ(trigger(Tree().FindNode("DEFAULT PROFILE")), "Default Profile");
}

} // namespace
