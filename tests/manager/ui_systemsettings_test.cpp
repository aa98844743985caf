// The System Settings sheet, the log files dialog and a server's Idle timeout
// page on an emulated network.

#include "tests/manager/ui_fixture.h"

#include "framework/helpwindow.h"
#include "framework/propertysheet.h"
#include "manager/core/remoteconfig.h"
#include "manager/ui/dialogs/logfilesdialog.h"
#include "manager/ui/sheets/notifyselector.h"
#include "manager/ui/sheets/servermaint.h"
#include "manager/ui/sheets/serversettings.h"
#include "manager/ui/sheets/systemdatabase.h"
#include "manager/ui/sheets/systemgeneral.h"
#include "manager/ui/sheets/systemnotify.h"
#include "manager/ui/sheets/systemsettingssheet.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <memory>

using namespace dm;
using namespace dm::test;

namespace {

class SystemSettingsTest : public UiFixture {
protected:
    std::unique_ptr<CPropertySheet> OpenSheet(int page)
    {
        std::unique_ptr<CPropertySheet> sheet(CreateSystemSettingsSheet(*m_doc, nullptr));
        sheet->show();
        sheet->SetActivePage(page);
        return sheet;
    }
    std::string RegString(const std::string& computer, const std::string& value)
    {
        RegKey hive, key;
        std::string text = "<missing>";
        if (RegOpenHive(computer, hive) == 0 && hive.OpenKey(RemoteConfig::ComponentKey, key) == 0)
            key.QueryString(value, text);
        return text;
    }
    std::uint32_t RegDword(const std::string& computer, const std::string& keyPath, const std::string& value)
    {
        RegKey hive, key;
        std::uint32_t number = 99999;
        if (RegOpenHive(computer, hive) == 0 && hive.OpenKey(keyPath, key) == 0)
            key.QueryDword(value, number);
        return number;
    }
    void SetString(const std::string& computer, const std::string& value, const std::string& text)
    {
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive(computer, hive), 0u);
        ASSERT_EQ(hive.CreateKey(RemoteConfig::ComponentKey, key), 0u);
        ASSERT_EQ(key.SetString(value, text), 0u);
    }
    void AddLogFile(const std::string& name, std::size_t size)
    {
        std::filesystem::create_directories(m_db / "LogData");
        WriteFile(m_db / "LogData" / name, std::string(size, 'x'));
    }
};

TEST_F(SystemSettingsTest, PagesInOrderAndTheGeneralPageShowsTheDatabase)
{
    AddRasServer("RAS1", {"COM1"}, true);
    OpenManager();
    auto sheet = OpenSheet(0);
    EXPECT_EQ(sheet->windowTitle(), "System Settings");
    ASSERT_EQ(sheet->PageCount(), 4);
    QStringList titles;
    for (int i = 0; i < 4; ++i)
        titles << sheet->Page(i)->Title();
    EXPECT_EQ(titles, (QStringList{"General", "Notifications", "Server Maintenance", "Database"}));
    EXPECT_TRUE(sheet->HelpButton()->isVisibleTo(sheet.get()));
    EXPECT_TRUE(sheet->HasContextHelpButton());
    // Help opens a page that exists on every page of the sheet.
    for (int i = 0; i < 4; ++i) {
        const auto page = CHelpWindow::SharedMap().PagePath(sheet->Page(i)->HelpTopic());
        EXPECT_TRUE(std::filesystem::exists(page)) << i;
    }
    auto* general = static_cast<CSystemGeneral*>(sheet->Page(0));
    EXPECT_EQ(general->ShareField()->text(), "C:\\Dialmind");
    EXPECT_TRUE(general->ShareField()->isReadOnly());
}

TEST_F(SystemSettingsTest, NotificationsSaveOneLineTextsAndClearedOnesAsZero)
{
    AddRasServer("RAS1", {"COM1"}, true);
    WriteFile(m_db / "Dialmind.hw", "[General]\r\nNotify1=0\r\nNotify1Text=\"\"\r\nNotify2=30\r\nNotify2Text=\"Bye\"\r\n");
    OpenManager();
    auto sheet = OpenSheet(1);
    auto* page = static_cast<CSystemNotify*>(sheet->Page(1));
    EXPECT_FALSE(page->ActivatedBox()->isChecked());
    EXPECT_FALSE(page->SecondsField()->isEnabled());

    page->ActivatedBox()->click();
    EXPECT_TRUE(page->SecondsField()->isEnabled());
    page->SecondsField()->setText("60");
    page->TextField()->setPlainText("Your time is\nalmost up");
    EXPECT_TRUE(page->IsModified());

    // The middle row belongs to notification 1; the row below it to 2.
    CNotifySelector* selector = page->Selector();
    selector->resize(120, 180);
    QTest::mouseClick(selector, Qt::LeftButton, {}, QPoint(60, 90));
    EXPECT_EQ(page->Edited(), 0);
    QTest::mouseClick(selector, Qt::LeftButton, {}, QPoint(60, 91));
    ASSERT_EQ(page->Edited(), 1);
    EXPECT_EQ(selector->Selected(), 1);
    EXPECT_TRUE(page->ActivatedBox()->isChecked());
    EXPECT_EQ(page->SecondsField()->text(), "30");
    EXPECT_EQ(page->TextField()->toPlainText(), "Bye");

    page->ActivatedBox()->click();
    EXPECT_FALSE(page->TextField()->isEnabled());
    EXPECT_TRUE(page->TextField()->toPlainText().isEmpty());
    // Back on notification 1 its edits are still there.
    page->Choose(0);
    EXPECT_EQ(page->SecondsField()->text(), "60");
    EXPECT_EQ(page->TextField()->toPlainText(), "Your time is\nalmost up");

    ASSERT_TRUE(sheet->ApplyShownPages());
    const std::string file = ReadFile(m_db / "Dialmind.hw");
    EXPECT_NE(file.find("Notify1=60\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Notify1Text=\"Your time is almost up\"\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Notify2=0\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Notify2Text=\"\"\r\n"), std::string::npos) << file;
    EXPECT_EQ(m_doc->Notifications().notices[0].seconds, 60);
    EXPECT_EQ(m_doc->Notifications().notices[1].seconds, 0);
}

TEST_F(SystemSettingsTest, ServerMaintenanceWritesEachServersShareToThatServer)
{
    AddRasServer("RAS1", {"COM1"}, true);
    AddRasServer("RAS2", {"COM1"});
    SetDword("RAS2", RemoteConfig::ComponentKey, "Master", 0);
    SetString("RAS2", "MasterShare", "\\\\RAS1\\DM_NT_DB");
    AddRasServer("RAS3", {"COM1"});
    SetString("RAS3", "Version", "");
    {
        RegKey hive;
        ASSERT_EQ(RegOpenHive("RAS3", hive), 0u);
        ASSERT_EQ(hive.DeleteTree(RemoteConfig::ComponentKey), 0u);
        RegKey key;
        ASSERT_EQ(hive.CreateKey(RemoteConfig::ComponentKey, key), 0u);
        ASSERT_EQ(key.SetDword("Master", 0), 0u); // no share, no version
    }
    OpenManager();
    auto sheet = OpenSheet(2);
    auto* page = static_cast<CServerMaint*>(sheet->Page(2));
    ASSERT_EQ(page->ServerList()->count(), 3);
    EXPECT_FALSE(page->ShareField()->isEnabled());
    EXPECT_FALSE(page->MasterYes()->isVisibleTo(page));

    page->ServerList()->setCurrentRow(0);
    EXPECT_EQ(page->ShareField()->text(), "C:\\Dialmind");
    EXPECT_EQ(page->VersionText()->text(), "1.40");
    EXPECT_TRUE(page->MasterYes()->isChecked());
    QTest::keyClicks(page->ShareField(), "2");
    EXPECT_TRUE(page->HasPendingChanges());

    page->ServerList()->setCurrentRow(1);
    EXPECT_EQ(RegString("RAS1", "MasterShare"), "C:\\Dialmind2");
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::ComponentKey, "MasterServer"), 1u);
    EXPECT_EQ(RegString("RAS2", "MasterShare"), "\\\\RAS1\\DM_NT_DB");
    EXPECT_EQ(page->ShareField()->text(), "\\\\RAS1\\DM_NT_DB");
    EXPECT_TRUE(page->MasterNo()->isChecked());
    EXPECT_FALSE(page->HasPendingChanges());

    // A server whose settings cannot be read beeps and offers nothing to edit.
    page->ServerList()->setCurrentRow(2);
    EXPECT_EQ(m_ui.m_beeps, (std::vector<std::pair<unsigned, unsigned>>{{200, 100}}));
    EXPECT_FALSE(page->ShareField()->isEnabled());
    EXPECT_TRUE(page->VersionText()->text().isEmpty());
    EXPECT_TRUE(m_ui.m_messages.empty());

    // Apply writes only pending changes, to the server they were made on.
    page->ServerList()->setCurrentRow(1);
    page->ShareField()->setText("\\\\RAS9\\DM_NT_DB");
    QTest::keyClick(page->ShareField(), Qt::Key_End);
    QTest::keyClicks(page->ShareField(), "X");
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(RegString("RAS2", "MasterShare"), "\\\\RAS9\\DM_NT_DBX");
    EXPECT_EQ(RegDword("RAS2", RemoteConfig::ComponentKey, "MasterServer"), 0u);
    EXPECT_EQ(RegString("RAS1", "MasterShare"), "C:\\Dialmind2");
}

TEST_F(SystemSettingsTest, DatabasePageCountsFilesAndRecords)
{
    AddRasServer("RAS1", {"COM1"}, true);
    WriteFile(m_db / "Dialmind.hw", "[RAS1\\COM1]\r\nMaxSessionTime=60\r\n[RAS1\\COM2]\r\nMaxSessionTime=0\r\n");
    OpenManager();
    auto sheet = OpenSheet(3);
    auto* page = static_cast<CSystemDatabase*>(sheet->Page(3));
    EXPECT_EQ(page->LogFileCount()->text(), "0");
    EXPECT_EQ(page->HardwareSize()->text(),
              QStringLiteral("%1 bytes").arg(std::filesystem::file_size(m_db / "Dialmind.hw")));
    EXPECT_EQ(page->HardwareRecords()->text(), "2");
    EXPECT_EQ(page->UserSize()->text(), "0 bytes");
    EXPECT_EQ(page->UserRecords()->text(), "0");
    EXPECT_FALSE(page->LogRecords()->isVisibleTo(page));

    // Purge: the dialog is told the count, and the page counts again after it.
    AddLogFile("1997-Mar-01.log", 10);
    AddLogFile("1997-Mar-02.log", 10);
    int toldCount = -1;
    QObject::connect(page, &CSystemDatabase::logFilesDialogOpened, page, [&](QWidget* widget) {
        auto* dialog = static_cast<CLogFilesDialog*>(widget);
        QTimer::singleShot(0, dialog, [&, dialog] {
            dialog->ListFiles();
            toldCount = GetPrivateProfileKeyNames("Files", DatabaseDir() + "\\LogData\\logfiles.tmp").size();
            std::filesystem::remove(m_db / "LogData" / "1997-Mar-01.log");
            dialog->reject();
        });
    });
    page->PurgeButton()->click();
    EXPECT_EQ(toldCount, 2);
    EXPECT_EQ(page->LogFileCount()->text(), "1");
}

TEST_F(SystemSettingsTest, LogFilesDialogRecordsKeysAndDeletesAfterTheQuestion)
{
    AddRasServer("RAS1", {"COM1"}, true);
    AddLogFile("1997-Mar-01.log", 10);
    AddLogFile("1997-Mar-02.log", 200);
    AddLogFile("1997-Mar-03.log", 3000);
    OpenManager();
    const std::string tmp = DatabaseDir() + "\\LogData\\logfiles.tmp";
    CLogFilesDialog dialog(*m_doc, 3);
    EXPECT_EQ(dialog.windowTitle(), "Dialminder Log Files");
    EXPECT_EQ(m_ui.m_waitDepth, 1);
    EXPECT_TRUE(dialog.ListTimer()->isActive());
    EXPECT_EQ(dialog.ListTimer()->interval(), 400);
    EXPECT_TRUE(dialog.ListTimer()->isSingleShot());
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);

    QTest::qWait(600);
    EXPECT_EQ(m_ui.m_waitDepth, 0);
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 3);
    EXPECT_EQ(dialog.List()->topLevelItem(1)->text(0), "1997-Mar-02.log");
    EXPECT_EQ(dialog.List()->topLevelItem(1)->text(1), "200");
    EXPECT_EQ(GetPrivateProfileKeyNames("Files", tmp), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(GetPrivateProfileString("Files", "1", "", tmp), "1997-Mar-03");
    EXPECT_EQ(GetPrivateProfileString("Size", "1", "", tmp), "3000");

    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
    dialog.List()->topLevelItem(0)->setSelected(true);
    dialog.List()->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(dialog.DeleteButton()->isEnabled());

    m_ui.QueueAnswer(Answer::No);
    dialog.DeleteButton()->click();
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 3);
    m_ui.QueueAnswer(Answer::Yes);
    dialog.DeleteButton()->click();
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[1].text, "Do you really want to delete 2 Dialminder log file(s)?");
    EXPECT_EQ(m_ui.m_messages[1].buttons, Buttons::YesNo);
    EXPECT_EQ(m_ui.m_messages[1].icon, Icon::Question);
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.List()->topLevelItem(0)->text(0), "1997-Mar-02.log");
    EXPECT_TRUE(std::filesystem::exists(m_db / "LogData" / "1997-Mar-02.log"));
    EXPECT_FALSE(std::filesystem::exists(m_db / "LogData" / "1997-Mar-01.log"));
    EXPECT_EQ(GetPrivateProfileKeyNames("Files", tmp), (std::vector<std::string>{"1"}));
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
}

TEST_F(SystemSettingsTest, ADayFileNamedInBytesThatAreNotUtf8IsDeletedByItsName)
{
    AddRasServer("RAS1", {"COM1"}, true);
    AddLogFile("caf\xe9.log", 5);
    AddLogFile("1997-Mar-01.log", 10);
    OpenManager();
    CLogFilesDialog dialog(*m_doc, 2);
    dialog.ListFiles();
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.List()->topLevelItem(1)->text(0), QString::fromUtf8("caf\u00e9.log"));
    dialog.List()->topLevelItem(1)->setSelected(true); // the name sorts after the digits
    m_ui.QueueAnswer(Answer::Yes);
    dialog.DeleteButton()->click();
    EXPECT_FALSE(std::filesystem::exists(m_db / "LogData" / "caf\xe9.log"));
    EXPECT_TRUE(std::filesystem::exists(m_db / "LogData" / "1997-Mar-01.log"));
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 1);
}

TEST_F(SystemSettingsTest, ALogDataThatCannotBeListedIsNamedNotShownEmpty)
{
    AddRasServer("RAS1", {"COM1"}, true);
    // A file in LogData's place cannot be listed, not even by root.
    WriteFile(m_db / "LogData", "not a directory");
    OpenManager();
    CLogFilesDialog dialog(*m_doc, 2);
    dialog.ListFiles();
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_EQ(m_ui.m_waitDepth, 0);
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{"The directory " + DatabaseDir() +
                                                      "\\LogData cannot be read (error 3).\n"
                                                      "Its log files are not listed."}));
    EXPECT_EQ(ReadFile(m_db / "LogData"), "not a directory");
}

TEST_F(SystemSettingsTest, IdleTimeoutShowsTheSmallerAndWritesBoth)
{
    AddRasServer("RAS1", {"COM1"}, true);
    SetDword("RAS1", RemoteConfig::RasParametersKey, "AutoDisconnect", 30);
    SetDword("RAS1", RemoteConfig::ComponentKey, "IdleTimer", 20);
    OpenManager();
    std::unique_ptr<CPropertySheet> sheet(CreateServerSheet(*m_doc, "RAS1", nullptr));
    EXPECT_EQ(sheet->windowTitle(), "Properties for RAS1");
    sheet->show();
    auto* page = static_cast<CServerSettings*>(sheet->Page(0));
    EXPECT_EQ(page->Title(), "Idle timeout");
    EXPECT_TRUE(page->IdleBox()->isChecked());
    EXPECT_EQ(page->MinutesField()->text(), "20");
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::RasParametersKey, "AutoDisconnect"), 20u);
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::ComponentKey, "IdleTimer"), 20u);
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::ComponentKey, "IdleBytesLimit"), 2000u);

    // Switched off: both become 0; an IdleBytesLimit already there stays.
    SetDword("RAS1", RemoteConfig::ComponentKey, "IdleBytesLimit", 5000);
    page->IdleBox()->click();
    EXPECT_FALSE(page->MinutesField()->isEnabled());
    EXPECT_TRUE(page->IsModified());
    ASSERT_TRUE(sheet->ApplyShownPages());
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::RasParametersKey, "AutoDisconnect"), 0u);
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::ComponentKey, "IdleTimer"), 0u);
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::ComponentKey, "IdleBytesLimit"), 5000u);

    std::unique_ptr<CPropertySheet> again(CreateServerSheet(*m_doc, "RAS1", nullptr));
    again->show();
    auto* off = static_cast<CServerSettings*>(again->Page(0));
    EXPECT_FALSE(off->IdleBox()->isChecked());
    EXPECT_TRUE(off->MinutesField()->text().isEmpty());
    off->IdleBox()->click();
    EXPECT_TRUE(off->MinutesField()->isEnabled());
    QTest::keyClicks(off->MinutesField(), "15");
    ASSERT_TRUE(again->ApplyShownPages());
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::RasParametersKey, "AutoDisconnect"), 15u);
}

TEST_F(SystemSettingsTest, IdleTimeoutThatCannotBeReadIsNeverWritten)
{
    AddRasServer("RAS1", {"COM1"}, true);
    SetDword("RAS1", RemoteConfig::ComponentKey, "IdleTimer", 25);
    OpenManager();
    std::unique_ptr<CPropertySheet> sheet(CreateServerSheet(*m_doc, "RAS1", nullptr));
    sheet->show();
    auto* page = static_cast<CServerSettings*>(sheet->Page(0));
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Unable to open RAS registry key on target computer. Windows NT returned error 2");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::None);
    EXPECT_FALSE(page->ReadSucceeded());
    EXPECT_FALSE(page->IdleBox()->isEnabled());
    sheet->OkButton()->click();
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::ComponentKey, "IdleTimer"), 25u);
    EXPECT_EQ(RegDword("RAS1", RemoteConfig::ComponentKey, "IdleBytesLimit"), 99999u);
}

} // namespace
