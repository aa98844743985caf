// What the sheets write is what the server component enforces: the limits
// and lists saved through the sheets, read back by the readers and rules
// that dmsim and `dmctl policy` use.

#include "tests/manager/ui_sheetfixture.h"

#include "framework/propertysheet.h"
#include "manager/ui/sheets/default1.h"
#include "manager/ui/sheets/default2.h"
#include "manager/ui/sheets/groupproperties.h"
#include "manager/ui/sheets/limitsform.h"
#include "manager/ui/sheets/policysheets.h"
#include "manager/ui/sheets/portpropgeneral.h"
#include "manager/ui/sheets/portproppolicies.h"
#include "database/policyengine.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include <memory>

using namespace dm;
using namespace dm::test;

namespace {

class PolicyEffectTest : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        SetUsr("OSTERHALL\\anna", "MaxSessionTime", "300");
        SetUsr("OSTERHALL\\bert", "MaxSessionTime", "0");
        OpenManager();
    }
    // Shows the sheet, lets edit change its pages, and closes it with OK.
    void Edit(CPropertySheet* created, int page, const std::function<void(CPropertySheet&)>& edit)
    {
        std::unique_ptr<CPropertySheet> sheet(created);
        Show(*sheet);
        sheet->SetActivePage(page);
        edit(*sheet);
        sheet->accept();
        ASSERT_EQ(sheet->result(), QDialog::Accepted);
    }
    Admission Admit(const std::string& account, const std::vector<std::string>& groups)
    {
        const HardwareDatabase hw = LoadHardwareDatabase(HardwareFile());
        UserDatabase usr = LoadUserDatabase(UserFile());
        PolicyEngine engine(hw, usr);
        return engine.Admit({account, groups, {}}, "EAST", "COM1", 1765000000, 0);
    }
};

TEST_F(PolicyEffectTest, APortLimitSetOnTheSheetCutsTheSession)
{
    Edit(CreatePortSheet(*m_doc, "COM1", "EAST", nullptr), 0, [](CPropertySheet& sheet) {
        auto* page = static_cast<CPortPropGeneral*>(sheet.Page(0));
        page->SessionBox()->click();
        page->SecondsField()->setText("900");
    });
    const HardwareDatabase hw = LoadHardwareDatabase(HardwareFile());
    UserDatabase usr;
    const std::int32_t portLimit = PolicyEngine(hw, usr).PortMaxSession("EAST", "COM1");
    EXPECT_EQ(portLimit, 900);
    const auto cut = PolicyEngine::SessionCut(1765000000, portLimit, {});
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->at, 1765000000u + 900u);
    EXPECT_EQ(cut->reason, EndPortMaxTime);
}

TEST_F(PolicyEffectTest, OnlyMembersOfTheAllowedGroupGetOnThePort)
{
    Edit(CreatePortSheet(*m_doc, "COM1", "EAST", nullptr), 1, [](CPropertySheet& sheet) {
        auto* page = static_cast<CPortPropPolicies*>(sheet.Page(1));
        page->OnlyBox()->click();
        page->AddChosen({"GSales"}, "OSTERHALL");
    });
    EXPECT_EQ(Admit("OSTERHALL\\anna", {"OSTERHALL\\Sales"}).reason, Admitted);
    EXPECT_EQ(Admit("OSTERHALL\\bert", {"OSTERHALL\\Staff"}).reason, DenyPortAccess);
}

TEST_F(PolicyEffectTest, TheDefaultProfileDecidesAboutAccountsWithoutSettings)
{
    Edit(CreateDefaultProfileSheet(*m_doc, nullptr), 1, [](CPropertySheet& sheet) {
        auto* page = static_cast<CDefault2*>(sheet.Page(1));
        page->Form()->Box(LimitSession)->click();
        page->Form()->Field(LimitSession)->setText("1200");
        // On: one account may hold several ports at once.
        if (!page->MultiplePortsBox()->isChecked())
            page->MultiplePortsBox()->click();
    });
    const HardwareDatabase hw = LoadHardwareDatabase(HardwareFile());
    EXPECT_EQ(hw.defaultProfile.maxSessionTime, 1200);
    EXPECT_FALSE(hw.defaultProfile.noDuplicate);
    EXPECT_EQ(Admit("OSTERHALL\\carl", {}).reason, DenyNotDefined);

    Edit(CreateDefaultProfileSheet(*m_doc, nullptr), 0, [](CPropertySheet& sheet) {
        static_cast<CDefault1*>(sheet.Page(0))->AllowButton()->click();
    });
    const Admission admitted = Admit("OSTERHALL\\carl", {});
    EXPECT_EQ(admitted.reason, Admitted);
    EXPECT_EQ(admitted.effective.maxSessionTime, 1200);
}

TEST_F(PolicyEffectTest, AMoreGenerousGroupLimitWidensTheMembersOwn)
{
    Edit(CreateGroupSheet(*m_doc, "OSTERHALL", "Sales", nullptr), 0, [](CPropertySheet& sheet) {
        auto* page = static_cast<CGroupProperties*>(sheet.Page(0));
        page->Form()->Box(LimitSession)->click();
        page->Form()->Field(LimitSession)->setText("0600");
    });
    const Admission member = Admit("OSTERHALL\\anna", {"OSTERHALL\\Sales"});
    EXPECT_EQ(member.reason, Admitted);
    EXPECT_EQ(member.effective.maxSessionTime, 600);
    EXPECT_EQ(Admit("OSTERHALL\\anna", {}).effective.maxSessionTime, 300);
}

} // namespace
