#include "framework/propertypage.h"
#include "framework/propertysheet.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dm;

namespace {

// A page that records what the sheet did to it and can refuse its Apply.
class ProbePage : public CPropertyPage {
public:
    ProbePage(const QString& title, std::vector<std::string>& log) : CPropertyPage(title), m_log(log)
    {
        m_edit = new QLineEdit(this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_edit);
        connect(m_edit, &QLineEdit::textChanged, this, [this] { SetModified(); });
    }
    QLineEdit* m_edit;
    bool m_refuse = false;
    bool m_refuseCheck = false;
    int m_inits = 0;

protected:
    void OnInitPage() override
    {
        ++m_inits;
        m_edit->setText("loaded"); // loading is not a change
        m_log.push_back("init " + Title().toStdString());
    }
    bool OnCheck() override
    {
        m_log.push_back("check " + Title().toStdString());
        return !m_refuseCheck;
    }
    bool OnApply() override
    {
        m_log.push_back("apply " + Title().toStdString());
        return !m_refuse;
    }

private:
    std::vector<std::string>& m_log;
};

struct Sheet {
    std::vector<std::string> log;
    CPropertySheet sheet{"Options"};
    ProbePage* first = new ProbePage("Display", log);
    ProbePage* second = new ProbePage("History View", log);
    Sheet()
    {
        sheet.AddPage(first);
        sheet.AddPage(second);
    }
};

} // namespace

TEST(PropertySheet, PagesAreInitialisedWhenFirstShownOnly)
{
    Sheet s;
    EXPECT_TRUE(s.log.empty()) << "nothing is loaded before the sheet shows";
    s.sheet.show();
    EXPECT_EQ(s.log, (std::vector<std::string>{"init Display"}));
    s.sheet.SetActivePage(1);
    s.sheet.SetActivePage(0);
    s.sheet.SetActivePage(1);
    EXPECT_EQ(s.first->m_inits, 1);
    EXPECT_EQ(s.second->m_inits, 1);
    EXPECT_FALSE(s.first->IsModified());
}

TEST(PropertySheet, OkAppliesEveryShownPageAndClosesWhenAllAccept)
{
    Sheet s;
    s.sheet.show();
    s.sheet.OkButton()->click();
    EXPECT_EQ(s.log, (std::vector<std::string>{"init Display", "check Display", "apply Display"}))
        << "a page never shown is not checked or applied";
    EXPECT_EQ(s.sheet.result(), QDialog::Accepted);
    EXPECT_FALSE(s.sheet.isVisible());
}

TEST(PropertySheet, RefusingPageKeepsTheSheetOpenOnThatPage)
{
    Sheet s;
    s.sheet.show();
    s.sheet.SetActivePage(1);
    s.first->m_refuse = true;
    s.first->m_edit->setText("4");
    s.sheet.OkButton()->click();
    EXPECT_TRUE(s.sheet.isVisible());
    EXPECT_EQ(s.sheet.ActiveIndex(), 0);
    EXPECT_TRUE(s.first->IsModified());
    EXPECT_EQ(s.log.back(), "apply Display") << "pages after the refusing one are not applied";

    s.first->m_refuse = false;
    s.sheet.OkButton()->click();
    EXPECT_FALSE(s.sheet.isVisible());
    EXPECT_EQ(s.log.back(), "apply History View");
}

TEST(PropertySheet, APageThatRefusesItsCheckStopsEveryPageBeforeAnyApplies)
{
    Sheet s;
    s.sheet.show();
    s.sheet.SetActivePage(1);
    s.second->m_refuseCheck = true;
    s.sheet.SetActivePage(0);
    s.log.clear();
    s.sheet.OkButton()->click();
    EXPECT_TRUE(s.sheet.isVisible());
    EXPECT_EQ(s.sheet.ActiveIndex(), 1) << "the refusing page is brought to the front";
    EXPECT_EQ(s.log, (std::vector<std::string>{"check Display", "check History View"}))
        << "the first page is not applied although it comes first";

    s.second->m_refuseCheck = false;
    s.log.clear();
    s.sheet.OkButton()->click();
    EXPECT_FALSE(s.sheet.isVisible());
    EXPECT_EQ(s.log, (std::vector<std::string>{"check Display", "check History View", "apply Display",
                                               "apply History View"}));
}

TEST(PropertySheet, ApplyButtonFollowsModifiedPagesAndKeepsSheetOpen)
{
    Sheet s;
    s.sheet.show();
    EXPECT_FALSE(s.sheet.ApplyButton()->isEnabled());
    s.first->m_edit->setText("60");
    EXPECT_TRUE(s.sheet.ApplyButton()->isEnabled());
    s.sheet.ApplyButton()->click();
    EXPECT_TRUE(s.sheet.isVisible());
    EXPECT_FALSE(s.first->IsModified());
    EXPECT_FALSE(s.sheet.ApplyButton()->isEnabled());

    s.first->m_refuse = true;
    s.first->m_edit->setText("4");
    s.sheet.ApplyButton()->click();
    EXPECT_TRUE(s.sheet.ApplyButton()->isEnabled()) << "a refused Apply leaves the change pending";
}

TEST(PropertySheet, CancelAppliesNothing)
{
    Sheet s;
    s.sheet.show();
    s.first->m_edit->setText("60");
    s.sheet.CancelButton()->click();
    EXPECT_EQ(s.log, (std::vector<std::string>{"init Display"}));
    EXPECT_EQ(s.sheet.result(), QDialog::Rejected);
}

TEST(PropertySheet, HelpAndContextHelpButtonsOnRequest)
{
    std::vector<std::string> log;
    CPropertySheet sheet("System Settings");
    auto* page = new ProbePage("General", log);
    EXPECT_FALSE(sheet.HasContextHelpButton());
    page->SetWantsContextHelp(true);
    sheet.AddPage(page);
    EXPECT_TRUE(sheet.HasContextHelpButton());
    sheet.SetHelpButtonVisible(true);
    sheet.show();
    EXPECT_TRUE(sheet.HelpButton()->isVisible());
    EXPECT_EQ(sheet.windowTitle(), "System Settings");
}

TEST(PropertySheet, TheKeyboardStartsOnTheShownPagesFirstField)
{
    Sheet s;
    s.sheet.SetActivePage(1);
    s.sheet.show();
    EXPECT_EQ(s.sheet.focusWidget(), s.second->m_edit);
    s.sheet.hide();
    s.sheet.SetActivePage(0);
    s.sheet.show();
    EXPECT_EQ(s.sheet.focusWidget(), s.first->m_edit);
}
