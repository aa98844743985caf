// Every pane, sheet and dialog that offers help opens a page of its own, by
// F1 and by its Help button, and that page exists.

#include "tests/manager/ui_fixture.h"

#include "framework/helpwindow.h"
#include "framework/propertysheet.h"
#include "manager/core/allowedgroupsource.h"
#include "manager/core/reportsettings.h"
#include "manager/ui/dialogs/addserverdialog.h"
#include "manager/ui/dialogs/allowedgroupsdialog.h"
#include "manager/ui/dialogs/checkaccessdialog.h"
#include "manager/ui/dialogs/greetingsdialog.h"
#include "manager/ui/dialogs/logfilesdialog.h"
#include "manager/ui/dialogs/permissionsdialog.h"
#include "manager/ui/dialogs/reportdialogs.h"
#include "manager/ui/dialogs/sendmessagedialog.h"
#include "manager/ui/frame/helptopics.h"
#include "manager/ui/sheets/optionssheet.h"
#include "manager/ui/sheets/policysheets.h"
#include "manager/ui/sheets/systemsettingssheet.h"
#include "manager/ui/sheets/usersheet.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/capacityview.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace dm;
using namespace dm::test;

namespace {

struct HelpWindowCase {
    const char* name;
    int topic;
    std::function<QWidget*()> create;
};

class HelpTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        setenv("DIALMIND_HELP_DIR", (std::string(DM_SOURCE_DIR) + "/docs/help").c_str(), 1);
        AddRasServer("EAST", {"COM1", "COM2"}, true);
        AddDomain("OSTERHALL", "OSTERDC", {{"anna", 9}}, {"Sales"});
    }
    void TearDown() override
    {
        if (CHelpWindow* help = CHelpWindow::SharedWindow())
            delete help;
        UiFixture::TearDown();
    }
    // The page a topic opens, or empty when the map has no such topic.
    static std::filesystem::path TopicPage(int topic)
    {
        const auto found = CHelpWindow::SharedMap().Find(topic);
        if (!found || found->kind != HelpContext::Kind::Topic)
            return {};
        return CHelpWindow::SharedMap().PagePath(topic);
    }
    static int OpenedTopic()
    {
        CHelpWindow* help = CHelpWindow::SharedWindow();
        return help && help->isVisible() ? help->CurrentContext() : 0;
    }
    static void CloseHelp()
    {
        if (CHelpWindow* help = CHelpWindow::SharedWindow())
            help->hide();
    }
    static QPushButton* HelpButton(QWidget* window)
    {
        for (QPushButton* button : window->findChildren<QPushButton*>())
            if (button->isVisible() && button->text().remove('&') == "Help")
                return button;
        return nullptr;
    }
};

} // namespace

TEST_F(HelpTest, EverySheetAndDialogOpensItsOwnExistingPage)
{
    OpenManager();
    QWidget* owner = m_frame.get();
    CDMDoc& doc = *m_doc;
    const std::vector<HelpWindowCase> cases = {
        {"port properties", helptopic::PortProperties, [&] { return CreatePortSheet(doc, "COM1", "EAST", owner); }},
        {"user properties", helptopic::UserProperties,
         [&] { return CreateUserSheet(doc, "OSTERHALL\\anna", "OSTERHALL\\anna", UserSheetPages::All, owner); }},
        {"group properties", helptopic::GroupProperties, [&] { return CreateGroupSheet(doc, "OSTERHALL", "Sales", owner); }},
        {"default profile", helptopic::DefaultProfile, [&] { return CreateDefaultProfileSheet(doc, owner); }},
        {"system settings", helptopic::SystemSettings, [&] { return CreateSystemSettingsSheet(doc, owner); }},
        {"server properties", helptopic::ServerProperties, [&] { return CreateServerSheet(doc, "EAST", owner); }},
        {"options", helptopic::Options, [&] { return CreateOptionsSheet(doc, owner); }},
        {"add server", helptopic::AddServer,
         [&] { return new CAddServerDialog(doc.Interaction(), doc.ServerListKeyPath(), owner); }},
        {"send message", helptopic::SendMessage,
         [&] { return new CSendMessageDialog("OSTERHALL\\anna", doc.Interaction(), owner); }},
        {"allowed groups", helptopic::AllowedGroups,
         [&] { return new CAllowedGroupsDialog(doc.Interaction(), NetworkBrowsing::System(), owner); }},
        {"export permissions", helptopic::Permissions, [&] { return new CExportPermissionsDialog(doc, owner); }},
        {"import permissions", helptopic::Permissions, [&] { return new CImportPermissionsDialog(doc, owner); }},
        {"reports", helptopic::Reports, [&] { return new CReportsDialog(doc, owner); }},
        {"time period", helptopic::ReportPeriod,
         [&] { return new CTimePeriodDialog(1, 0, 0, doc.Interaction(), owner); }},
        {"send to", helptopic::ReportOutput, [&] { return new CSendToDialog(ReportSettings(), owner); }},
        {"save script", helptopic::ReportScript, [&] { return new CSaveScriptDialog(doc, 1, owner); }},
        {"greetings", helptopic::Greetings, [&] { return new CGreetingsDialog(doc, owner); }},
        {"log files", helptopic::LogFiles, [&] { return new CLogFilesDialog(doc, 0, owner); }},
        {"check access", helptopic::CheckAccess,
         [&] { return new CCheckAccessDialog(doc, "OSTERHALL\\anna", "EAST", "COM1", owner); }},
        {"capacity", helptopic::Capacity, [&] { return new CCapacityView(doc, owner); }},
    };
    int buttons = 0;
    for (const HelpWindowCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QWidget> window(c.create());
        EXPECT_EQ(CHelpWindow::WindowHelp(window.get()), c.topic);
        const std::filesystem::path page = TopicPage(c.topic);
        ASSERT_FALSE(page.empty()) << "topic " << c.topic << " is mapped";
        EXPECT_TRUE(std::filesystem::exists(page)) << page;

        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        CloseHelp();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_F1);
        EXPECT_EQ(OpenedTopic(), c.topic) << "F1";
        CloseHelp();
        if (QPushButton* help = HelpButton(window.get())) {
            ++buttons;
            help->click();
            EXPECT_EQ(OpenedTopic(), c.topic) << "Help button";
            CloseHelp();
        }
        window->hide();
    }
    // Every sheet and the dialogs that have one show a Help button.
    EXPECT_GE(buttons, 11);
}

TEST_F(HelpTest, EveryPaneOpensItsOwnPageFromTheHelpMenu)
{
    OpenManager();
    m_frame->show();
    Tree().ServersRoot()->setExpanded(true);
    auto select = [this](const QString& node, int mode) {
        Tree().SelectNode(Tree().FindNode(node));
        m_doc->SetViewMode(mode);
    };
    const std::vector<std::tuple<QString, int, int>> panes = {
        {"Servers", ModeStatus, helptopic::PortsList}, {"COM1", ModeStatus, helptopic::PortStatus},
        {"EAST", ModeHistory, helptopic::History},      {"EAST", ModeGraphs, helptopic::Graphs},
        {"Accounts", ModeStatus, helptopic::Users},
    };
    for (const auto& [node, mode, topic] : panes) {
        SCOPED_TRACE(node.toStdString());
        select(node, mode);
        EXPECT_EQ(m_frame->HelpContext(), topic);
        EXPECT_FALSE(TopicPage(topic).empty());
        CloseHelp();
        m_frame->RunCommand(Command::Help);
        EXPECT_EQ(OpenedTopic(), topic);
    }
    CloseHelp();
    m_frame->RunCommand(Command::HelpIndex);
    ASSERT_NE(CHelpWindow::SharedWindow(), nullptr);
    EXPECT_EQ(CHelpWindow::SharedWindow()->CurrentPage(), "index.html");
    EXPECT_TRUE(CHelpWindow::SharedWindow()->SearchField()->hasFocus() ||
                QApplication::focusWidget() == nullptr);
}
