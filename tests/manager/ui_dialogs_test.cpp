#include "tests/manager/ui_fixture.h"

#include "framework/propertysheet.h"
#include "manager/ui/dialogs/addserverdialog.h"
#include "manager/ui/tree/dmview.h"
#include "manager/core/networkenumerator.h"
#include "manager/ui/sheets/optionsdisplay.h"
#include "manager/ui/sheets/optionshistoryview.h"
#include "manager/ui/sheets/optionssheet.h"
#include "manager/ui/dialogs/sendmessagedialog.h"
#include "platform/system/namedevent.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/registry/registry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <sstream>

using namespace dm;
using namespace dm::test;

namespace {

class DialogsTest : public UiFixture {
protected:
    bool Monitored(const std::string& name)
    {
        RegKey hive, key;
        RegOpenLocalMachine(hive);
        return hive.OpenKey("Software\\Osterhall Software\\Dialminder\\Servers\\" + name, key) == 0;
    }
    // Runs the dialog's network walk to its end.
    static void WaitForNetwork(CAddServerDialog& dialog)
    {
        QEventLoop loop;
        QObject::connect(&dialog, &CAddServerDialog::enumerationFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        dialog.StartEnumeration();
        if (dialog.EnumerationRunning())
            loop.exec();
    }
    static QStringList TreeLines(QTreeWidget* tree)
    {
        QStringList lines;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
            lines << QString(depth * 2, ' ') + item->text(0);
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), depth + 1);
        };
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            walk(tree->topLevelItem(i), 0);
        return lines;
    }
};

} // namespace

TEST_F(DialogsTest, AddServerCreatesTheKeyEveryTimeAndStaysOpen)
{
    CAddServerDialog dialog(m_ui, "Software\\Osterhall Software\\Dialminder\\Servers");
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    dialog.ServerField()->setText("RASMUC");
    EXPECT_TRUE(dialog.AddButton()->isEnabled());
    dialog.AddButton()->click();
    dialog.AddButton()->click();
    EXPECT_TRUE(Monitored("RASMUC"));
    EXPECT_TRUE(dialog.ServerAdded());
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    for (const auto& message : m_ui.m_messages) {
        EXPECT_EQ(message.text, "RASMUC was successfully added to the list of monitored RAS Servers.");
        EXPECT_EQ(message.icon, Icon::Information);
    }
    dialog.ServerField()->clear();
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
}

TEST_F(DialogsTest, AddServerReportsANameThatCannotBeAKey)
{
    CAddServerDialog dialog(m_ui, "Software\\Osterhall Software\\Dialminder\\Servers");
    dialog.ServerField()->setText("\\\\EAST\\SUB");
    dialog.AddServer();
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "EAST\\SUB could not be added to the list of monitored RAS Servers.\nThe Error is 123");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);
    EXPECT_FALSE(Monitored("EAST"));
    EXPECT_FALSE(dialog.ServerAdded());

    // Leading backslashes are no part of a computer name.
    dialog.ServerField()->setText("\\\\WEST");
    dialog.AddServer();
    EXPECT_TRUE(Monitored("WEST"));
}

TEST_F(DialogsTest, NetworkTreeOfTheWindowsNetworkOnly)
{
    AddDomain("OSTERHALL", "OSTERDC", {{"anna", 9}});
    ASSERT_TRUE(NetworkDirectory::AddServer("OSTERHALL", "RASHQ"));
    ASSERT_TRUE(NetworkDirectory::AddDomain("FIELD", "", "Fieldline Office Network", ""));
    ASSERT_TRUE(NetworkDirectory::AddServer("FIELD", "FIELDSRV"));
    CAddServerDialog dialog(m_ui, "Software\\Osterhall Software\\Dialminder\\Servers");
    WaitForNetwork(dialog);
    EXPECT_TRUE(dialog.NetworkTree()->isEnabled());
    EXPECT_EQ(TreeLines(dialog.NetworkTree()),
              (QStringList{"Microsoft Windows Network", "  OSTERHALL", "    OSTERDC", "    RASHQ"}));
    EXPECT_TRUE(NamedEvent("EnumNetDone").IsSet()) << "the walk signals its end";

    QTreeWidgetItem* server = dialog.NetworkTree()->findItems("RASHQ", Qt::MatchRecursive).value(0);
    ASSERT_NE(server, nullptr);
    dialog.NetworkTree()->setCurrentItem(server);
    EXPECT_EQ(dialog.ServerField()->text(), "RASHQ");
    dialog.NetworkTree()->setCurrentItem(dialog.NetworkTree()->topLevelItem(0));
    EXPECT_EQ(dialog.ServerField()->text(), "RASHQ") << "other nodes leave the field alone";
}

TEST_F(DialogsTest, NoWindowsProviderLeavesTheTreeEmpty)
{
    ASSERT_TRUE(NetworkDirectory::AddDomain("FIELD", "", "Fieldline Office Network", ""));
    CAddServerDialog dialog(m_ui, "Software\\Osterhall Software\\Dialminder\\Servers");
    WaitForNetwork(dialog);
    EXPECT_EQ(dialog.NetworkTree()->topLevelItemCount(), 0);
}

TEST_F(DialogsTest, ClosingStopsTheWalk)
{
    AddDomain("OSTERHALL", "OSTERDC", {{"anna", 9}});
    auto dialog = std::make_unique<CAddServerDialog>(m_ui, "Software\\Osterhall Software\\Dialminder\\Servers");
    dialog->StartEnumeration();
    dialog->reject();
    EXPECT_FALSE(dialog->EnumerationRunning());
    dialog.reset(); // queued inserts die with the dialog
    QCoreApplication::processEvents();
}

TEST(NetworkEnumerator, StripsAtMostTwoBackslashes)
{
    EXPECT_EQ(NetworkEnumerator::StripBackslashes("\\\\EAST"), "EAST");
    EXPECT_EQ(NetworkEnumerator::StripBackslashes("\\\\\\EAST"), "\\EAST");
    EXPECT_EQ(NetworkEnumerator::StripBackslashes("EAST"), "EAST");
    EXPECT_TRUE(NetworkEnumerator::IsWindowsNetwork("Microsoft Windows Network"));
    EXPECT_TRUE(NetworkEnumerator::IsWindowsNetwork("Microsoft Windo"));
    EXPECT_FALSE(NetworkEnumerator::IsWindowsNetwork("Microsoft Wind"));
}

TEST_F(DialogsTest, SendMessageDeliversTheTextAsTyped)
{
    Network::AddComputer("ANNA-PC");
    CSendMessageDialog dialog("ANNA-PC", m_ui);
    EXPECT_EQ(dialog.windowTitle(), "Send Message to ANNA-PC");
    const QString text = "Back at 5; $(rm -rf ~) `reboot` & \"quoted\" | more";
    dialog.TextField()->setPlainText(text);
    EXPECT_EQ(CSendMessageDialog::BuildCommand("ANNA-PC", text), "net send ANNA-PC " + text.toStdString());
    dialog.SendButton()->click();
    EXPECT_EQ(dialog.LastResult(), 0u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    std::ifstream log(Network::ComputerDir("ANNA-PC").value() / "messages.log");
    std::stringstream contents;
    contents << log.rdbuf();
    EXPECT_NE(contents.str().find(text.toStdString()), std::string::npos) << contents.str();

    CSendMessageDialog longOne("ANNA-PC", m_ui);
    longOne.TextField()->setPlainText(QString(400, 'x'));
    EXPECT_EQ(longOne.TextField()->toPlainText().size(), CSendMessageDialog::kMaxText);
}

TEST_F(DialogsTest, DisplayPageRefusesRatesBelowFive)
{
    AddRasServer("EAST", {"COM1"}, true);
    OpenManager();
    std::unique_ptr<CPropertySheet> sheet(CreateOptionsSheet(*m_doc, nullptr));
    sheet->show();
    auto* display = static_cast<COptionsDisplay*>(sheet->Page(0));
    EXPECT_EQ(display->IntervalField()->text(), "30");
    EXPECT_TRUE(sheet->HasContextHelpButton());
    EXPECT_FALSE(display->IntervalField()->whatsThis().isEmpty());

    display->IntervalField()->setText("4");
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Please enter a refresh rate larger than 5 seconds.");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Information);

    display->IntervalField()->setText("5");
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(display->m_interval, 5);
}

TEST_F(DialogsTest, OptionsFollowUpRearmsTimerTellsViewsAndSaves)
{
    AddRasServer("EAST", {"COM1"}, true);
    OpenManager();
    struct Listener : DocumentObserver {
        std::vector<int> hints;
        void OnDocumentUpdate(DocumentObserver*, int h) override { hints.push_back(h); }
    } listener;
    m_doc->AddObserver(&listener);
    std::unique_ptr<CPropertySheet> sheet(CreateOptionsSheet(*m_doc, nullptr));
    sheet->show();
    auto* display = static_cast<COptionsDisplay*>(sheet->Page(0));
    display->IntervalField()->setText("60");
    display->IconsBox()->click();
    sheet->OkButton()->click();
    ASSERT_EQ(sheet->result(), QDialog::Accepted);
    FinishOptionsSheet(*m_doc, Tree(), *sheet);
    m_doc->RemoveObserver(&listener);
    EXPECT_EQ(Tree().TimerInterval(), 60000);
    EXPECT_EQ(listener.hints, (std::vector<int>{hint::AccountIconsChanged}));
    RegKey hive, key;
    RegOpenLocalMachine(hive);
    ASSERT_EQ(hive.OpenKey(ManagerSettings::KeyPath, key), 0u);
    std::uint32_t interval = 0, icons = 1;
    key.QueryDword("Interval", interval);
    key.QueryDword("UserIcons", icons);
    EXPECT_EQ(interval, 60u);
    EXPECT_EQ(icons, 0u);
}

TEST_F(DialogsTest, HistoryViewPageColumnsAndScope)
{
    AddRasServer("EAST", {"COM1"}, true);
    OpenManager();
    struct Listener : DocumentObserver {
        std::vector<int> hints;
        void OnDocumentUpdate(DocumentObserver*, int h) override { hints.push_back(h); }
    } listener;
    m_doc->AddObserver(&listener);
    std::unique_ptr<CPropertySheet> sheet(CreateOptionsSheet(*m_doc, nullptr));
    sheet->show();
    sheet->SetActivePage(1);
    auto* history = static_cast<COptionsHistoryView*>(sheet->Page(1));
    EXPECT_TRUE(history->ColumnBox(0)->isChecked());
    EXPECT_FALSE(history->ColumnBox(0)->isEnabled());
    history->ColumnBox(1)->click();
    history->ColumnBox(2)->click();
    history->SecondsButton()->click();
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(m_doc->Settings().historyViewColumns, 2047 & ~(2 | 4) & 1023);
    EXPECT_TRUE(m_doc->Settings().historyViewColumns & 1);
    EXPECT_TRUE(m_doc->Settings().historyViewSeconds);
    EXPECT_FALSE(m_doc->LogReloadNeeded());
    EXPECT_EQ(listener.hints, (std::vector<int>{hint::HistoryOptionsChanged}));

    history->ScopeBox()->setCurrentIndex(2);
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(m_doc->BrowseScope(), 3);
    EXPECT_TRUE(m_doc->LogReloadNeeded());
    EXPECT_EQ(listener.hints.size(), 2u);
    m_doc->RemoveObserver(&listener);
}
