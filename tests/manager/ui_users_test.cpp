// The users view and the user property sheet, headless: the rows of the
// tree's selection with their icons, the shared sort direction, delete,
// Save As and the clipboard, and the four pages with their refusals, read
// back from Dialmind.usr and the domain's account database.

#include "database/hardwarefile.h"
#include "database/policyengine.h"
#include "database/userfile.h"
#include "framework/icons.h"
#include "framework/propertysheet.h"
#include "manager/core/sortdirection.h"
#include "manager/ui/sheets/limitsform.h"
#include "manager/ui/sheets/userpages.h"
#include "manager/ui/sheets/usersheet.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/usersmodel.h"
#include "manager/ui/views/usersview.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/profile.h"
#include "tests/manager/ui_fixture.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;
using ::testing::ElementsAre;

namespace {

class UsersTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1"}, true);
        AddDomain("OSTERHALL", "OSTERDC", {{"anna", 10}, {"bert", 1}, {"carl", 0}}, {"Drivers"});
        // Drivers holds anna and carl.
        AccountDatabase database("OSTERDC");
        std::vector<UserAccount> users;
        for (const auto& [name, bits] : std::vector<std::pair<std::string, std::uint8_t>>{
                 {"anna", 10}, {"bert", 1}, {"carl", 0}}) {
            UserAccount account;
            account.name = name;
            account.rasPrivilege = bits;
            if (name == "anna")
                account.callbackNumber = "555-0101";
            users.push_back(account);
        }
        ASSERT_EQ(database.Store(users, {{"Drivers", "", {"anna", "carl"}}}, {}), 0u);
        WriteUsers("[OSTERHALL\\anna]\r\nTotalConnects=12\r\nTotalDenieds=1\r\nTotalTime=90061\r\n"
                   "LastConnection=1000000000\r\nLasted=4000\r\nFirstConnection=999000000\r\n"
                   "[OSTERHALL\\bert]\r\nTotalConnects=3\r\nTotalTime=7200\r\nMaxTotalTime=7200\r\n"
                   "[FIELD\\carl]\r\nTotalConnects=30\r\nTotalTime=60\r\n"
                   "[OSTERHALL\\dora]\r\nTotalConnects=0\r\n");
    }
    void WriteUsers(const std::string& text) { WriteFile(m_db / "Dialmind.usr", text); }
    std::string Value(const std::string& account, const std::string& key)
    {
        return GetPrivateProfileString(account, key, "*", UserFile());
    }

    void OpenUsersView()
    {
        ManagerExtensions extensions;
        extensions.usersView = [](CDMDoc& doc, QWidget* parent) { return new CUsersView(doc, parent); };
        OpenManager(std::move(extensions));
        Tree().SelectNode(Tree().AccountsRoot());
        m_view = qobject_cast<CUsersView*>(m_frame->RightPane());
        ASSERT_NE(m_view, nullptr);
    }
    QStringList Column(int column)
    {
        QStringList texts;
        for (int row = 0; row < m_view->Model()->rowCount(); ++row)
            texts << m_view->Model()->index(row, column).data().toString();
        return texts;
    }
    void SelectRows(const std::vector<int>& rows)
    {
        m_view->List()->clearSelection();
        for (int row : rows)
            m_view->List()->selectionModel()->select(
                m_view->Model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    CUsersView* m_view = nullptr;
};

} // namespace

TEST_F(UsersTest, TheAccountsRootListsEveryAccountBackwardsWithItsTexts)
{
    OpenUsersView();
    QAbstractItemModelTester tester(m_view->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(Column(0), (QStringList{"OSTERHALL\\dora", "FIELD\\carl", "OSTERHALL\\bert", "OSTERHALL\\anna"}));
    EXPECT_EQ(Column(4), (QStringList{"", "", "", "01:06"}));
    EXPECT_EQ(Column(5), (QStringList{"00:00", "00:01", "02:00", "25:01"}));
    EXPECT_EQ(m_view->Model()->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "Lasted (hh:mm)");
    QHeaderView* header = m_view->List()->header();
    // No header text is cut, even with the arrow a click adds, and every
    // column is as wide as its widest cell.
    const QFontMetrics metrics(m_view->List()->font());
    for (int column = 0; column < UsersColumnCount; ++column) {
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
        EXPECT_FALSE(m_view->WidthSetByPerson(column));
        for (const QString& text : Column(column))
            EXPECT_GT(header->sectionSize(column), metrics.horizontalAdvance(text)) << column;
    }
    // A width the person sets is kept when the rows are filled again.
    header->resizeSection(0, 333);
    EXPECT_TRUE(m_view->WidthSetByPerson(0));
    m_view->OnDocumentUpdate(nullptr, hint::DataChanged);
    EXPECT_EQ(header->sectionSize(0), 333);
    EXPECT_EQ(header->sortIndicatorSection(), -1) << "no arrow before a click";
    // bert has used up his total time (7200 of 7200): the alert picture.
    const QIcon alert = m_view->Model()->index(2, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(alert.pixmap(16).toImage(), Icons::HistoryImage(13).pixmap(16).toImage());
    // The others show their dial-in permission as the controller of their
    // domain holds it: anna may dial in; dora is no account of the domain
    // and FIELD has no controller, so theirs are crossed out.
    const auto picture = [this](int row) {
        return m_view->Model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    };
    EXPECT_EQ(picture(3), Icons::TreeImage(8).pixmap(16).toImage());
    EXPECT_EQ(picture(0), Icons::TreeImage(14).pixmap(16).toImage());
    EXPECT_EQ(picture(1), Icons::TreeImage(14).pixmap(16).toImage());
}

TEST_F(UsersTest, DomainGroupAndUserSelectionsFilterTheRows)
{
    OpenUsersView();
    QTreeWidgetItem* domain = Tree().FindNode("OSTERHALL");
    domain->setExpanded(true);
    Tree().SelectNode(domain);
    m_view = qobject_cast<CUsersView*>(m_frame->RightPane());
    ASSERT_NE(m_view, nullptr);
    EXPECT_EQ(Column(0), (QStringList{"OSTERHALL\\dora", "OSTERHALL\\bert", "OSTERHALL\\anna"}));
    Tree().SelectNode(Tree().FindNode("Drivers", domain));
    m_view = qobject_cast<CUsersView*>(m_frame->RightPane());
    EXPECT_EQ(Column(0), (QStringList{"FIELD\\carl", "OSTERHALL\\anna"})) << "members by their user part";
    Tree().SelectNode(Tree().FindNode("bert", domain));
    m_view = qobject_cast<CUsersView*>(m_frame->RightPane());
    EXPECT_EQ(Column(0), (QStringList{"OSTERHALL\\bert"}));
}

TEST_F(UsersTest, HeaderClicksShareOneDirectionWithTheHistoryView)
{
    OpenUsersView();
    SharedSortDirection() = 1;
    QHeaderView* header = m_view->List()->header();
    m_view->SortByColumn(1);
    EXPECT_EQ(Column(1), (QStringList{"30", "12", "3", "0"}));
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    m_view->SortByColumn(1);
    EXPECT_EQ(Column(1), (QStringList{"0", "3", "12", "30"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    // Another view reversed the shared direction meanwhile.
    SharedSortDirection() = -1;
    m_view->SortByColumn(0);
    EXPECT_EQ(Column(0), (QStringList{"OSTERHALL\\dora", "OSTERHALL\\bert", "OSTERHALL\\anna", "FIELD\\carl"}));
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(SharedSortDirection(), 1);
}

TEST_F(UsersTest, DeletingTwoAccountsAsksTwiceAndReloadsOnce)
{
    OpenUsersView();
    SelectRows({0, 2});
    ASSERT_TRUE(m_view->CanDeleteSelection());
    m_ui.QueueAnswer(Answer::Yes);
    m_ui.QueueAnswer(Answer::No);
    const int progressBefore = static_cast<int>(m_ui.m_progress.size());
    m_view->DeleteSelection();
    EXPECT_THAT(m_ui.Texts(),
                ElementsAre("Are you sure you want to permanently delete data and settings\nfor user OSTERHALL\\dora?",
                            "Are you sure you want to permanently delete data and settings\nfor user OSTERHALL\\bert?"));
    EXPECT_EQ(Value("OSTERHALL\\dora", "TotalConnects"), "*");
    EXPECT_EQ(Value("OSTERHALL\\bert", "TotalConnects"), "3");
    EXPECT_EQ(Column(0), (QStringList{"FIELD\\carl", "OSTERHALL\\bert", "OSTERHALL\\anna"}));
    const auto loads = std::count_if(m_ui.m_progress.begin() + progressBefore, m_ui.m_progress.end(),
                                     [](const std::string& text) { return text.starts_with("Loading User Data"); });
    EXPECT_GE(loads, 1);
    EXPECT_LE(loads, 3) << "one load of the file (one progress text per section)";
}

TEST_F(UsersTest, SaveAsWritesEveryRowCopyOnlyTheSelected)
{
    OpenUsersView();
    SelectRows({3});
    const std::string path = (m_dir / "users.csv").string();
    m_view->SaveAs(QString::fromStdString(path));
    const std::string csv = ReadFile(path);
    EXPECT_TRUE(csv.starts_with("User,Sessions,Denials,Last Session,Lasted,Total Time\nOSTERHALL\\dora,0,0, , ,00:00,\n"))
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5);
    m_view->CopySelection();
    const QString clip = QApplication::clipboard()->text();
    EXPECT_TRUE(clip.startsWith("OSTERHALL\\anna,12,1,")) << clip.toStdString();
    EXPECT_TRUE(clip.endsWith(",01:06,25:01,\r\n"));
    EXPECT_EQ(clip.count('\n'), 1);

    m_view->SaveAs(QString::fromStdString((m_dir / "no-such-dir" / "x.csv").string()));
    EXPECT_THAT(m_ui.Texts(), ElementsAre("Error opening file for output."));
}

TEST_F(UsersTest, TheGeneralPageFindsTheAccountByCaseAndResetsCounters)
{
    OpenManager();
    m_doc->LoadUserSettings();
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(*m_doc, "osterhall\\ANNA", "osterhall\\ANNA", UserSheetPages::All, nullptr));
    EXPECT_EQ(sheet->windowTitle(), "Properties for osterhall\\ANNA");
    ASSERT_EQ(sheet->PageCount(), 4);
    sheet->show();
    auto* general = static_cast<CUserPropGeneral*>(sheet->Page(0));
    EXPECT_FALSE(general->IsNewAccount());
    QTreeWidget* list = general->Statistics();
    EXPECT_EQ(list->topLevelItem(0)->text(1), "90061 secs");
    EXPECT_FALSE(general->ResetButton()->isEnabled());
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    EXPECT_TRUE(general->ResetButton()->isEnabled());
    list->topLevelItem(4)->setSelected(true);
    EXPECT_FALSE(general->ResetButton()->isEnabled()) << "the last session's length cannot be reset";
    list->topLevelItem(4)->setSelected(false);
    general->ResetButton()->click();
    EXPECT_EQ(list->topLevelItem(0)->text(1), "0 secs");
    EXPECT_TRUE(general->MultiplePorts()->isChecked());
    general->MultiplePorts()->click();
    sheet->OkButton()->click();
    EXPECT_EQ(Value("OSTERHALL\\anna", "TotalTime"), "0");
    EXPECT_EQ(Value("OSTERHALL\\anna", "TotalConnects"), "0");
    EXPECT_EQ(Value("OSTERHALL\\anna", "NoDuplicate"), "1");
    EXPECT_EQ(Value("OSTERHALL\\anna", "TotalDenieds"), "1") << "carried through";
}

TEST_F(UsersTest, ASheetOpenedBeforeAnyLoadKeepsTheCountersOfABusyAccount)
{
    // As from a busy port's panel: the user settings were never loaded.
    OpenManager();
    const std::string total = Value("OSTERHALL\\anna", "TotalTime");
    ASSERT_NE(total, "0");
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(*m_doc, "OSTERHALL\\anna", "OSTERHALL\\anna", UserSheetPages::WithoutNtRas, nullptr));
    sheet->show();
    auto* general = static_cast<CUserPropGeneral*>(sheet->Page(0));
    EXPECT_FALSE(general->IsNewAccount());
    EXPECT_EQ(general->Statistics()->topLevelItem(0)->text(1).toStdString(), total + " secs");
    // The server component counts on while the sheet is open.
    ASSERT_TRUE(WritePrivateProfileString("OSTERHALL\\anna", "TotalTime", "99999", m_doc->Users().File()));
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(Value("OSTERHALL\\anna", "TotalTime"), "99999");
    EXPECT_EQ(Value("OSTERHALL\\anna", "TotalDenieds"), "1");
}

TEST_F(UsersTest, TimeAndAddressPagesWriteTheirLimitsAndRefuseBadOctets)
{
    OpenManager();
    m_doc->LoadUserSettings();
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(*m_doc, "OSTERHALL\\erik", "OSTERHALL\\erik", UserSheetPages::WithoutNtRas, nullptr));
    ASSERT_EQ(sheet->PageCount(), 3);
    sheet->show();
    EXPECT_TRUE(static_cast<CUserPropGeneral*>(sheet->Page(0))->IsNewAccount());
    sheet->SetActivePage(1);
    CLimitsForm* time = static_cast<CUserTime*>(sheet->Page(1))->Form();
    time->Box(LimitSession)->click();
    EXPECT_TRUE(time->Field(LimitSession)->isEnabled());
    time->Field(LimitSession)->setText("3600");
    time->Box(LimitPeriod)->click();
    EXPECT_EQ(time->PeriodChoice()->currentText(), "24 Hours");
    time->Field(LimitPeriod)->setText("0");
    sheet->SetActivePage(2);
    auto* ip = static_cast<CUserPropIP*>(sheet->Page(2));
    ip->AssignBox()->click();
    const char* parts[] = {"10", "300", "0", "1"};
    for (int i = 0; i < 4; ++i)
        ip->Octet(i)->setText(parts[i]);
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_THAT(m_ui.Texts(), ElementsAre("Each part of an IP address must be a number from 0 to 255."));
    ip->Octet(1)->setText("0");
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(Value("OSTERHALL\\erik", "MaxSessionTime"), "3600");
    EXPECT_EQ(Value("OSTERHALL\\erik", "PeriodType"), "0");
    EXPECT_EQ(Value("OSTERHALL\\erik", "StaticIP"), std::to_string(0x0A000001));
}

TEST_F(UsersTest, TheNtRasPageShowsPresetCallbackAndRefusesAMissingNumber)
{
    OpenManager();
    m_doc->LoadUserSettings();
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(*m_doc, "OSTERHALL\\anna", "OSTERHALL\\anna", UserSheetPages::All, nullptr));
    sheet->show();
    sheet->SetActivePage(3);
    auto* nt = static_cast<CUserNTPrivs*>(sheet->Page(3));
    EXPECT_TRUE(nt->DialIn()->isChecked());
    EXPECT_TRUE(nt->Callback(CallbackPreset)->isChecked());
    EXPECT_TRUE(nt->PhoneField()->isEnabled());
    EXPECT_EQ(nt->PhoneField()->text(), "555-0101");
    nt->PhoneField()->clear();
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_THAT(m_ui.Texts(), ElementsAre("You have set the Call Back option to 'Preset To' without\n"
                                          "supplying a preset phone number."));
    nt->Callback(CallbackByCaller)->click();
    EXPECT_FALSE(nt->PhoneField()->isEnabled());
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    std::string callback;
    EXPECT_EQ(m_doc->GetUserRasPermission("\\\\OSTERDC", "anna", callback), 12);
}

TEST_F(UsersTest, WithoutAControllerTheNtRasPageWritesNothingAndSaysSoOnce)
{
    OpenManager();
    m_doc->LoadUserSettings();
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(*m_doc, "FIELD\\carl", "FIELD\\carl", UserSheetPages::All, nullptr));
    sheet->show();
    sheet->SetActivePage(3);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_TRUE(m_ui.m_messages[0].text.starts_with("Error getting PDC ("));
    auto* nt = static_cast<CUserNTPrivs*>(sheet->Page(3));
    nt->DialIn()->click();
    sheet->ApplyButton()->click();
    sheet->ApplyButton()->click();
    EXPECT_THAT(m_ui.Texts(), ElementsAre(m_ui.m_messages[0].text,
                                          "The RAS permissions were not saved: no domain controller was found for FIELD."));
    std::string callback;
    EXPECT_EQ(m_doc->GetUserRasPermission("\\\\OSTERDC", "carl", callback), 0) << "written nowhere else";
}

TEST_F(UsersTest, ATotalLimitSetOnTheSheetIsWhatTheServerComponentEnforces)
{
    OpenManager();
    m_doc->LoadUserSettings();
    const auto admit = [this] {
        const HardwareDatabase hw = LoadHardwareDatabase(HardwareFile());
        UserDatabase usr = LoadUserDatabase(UserFile());
        return PolicyEngine(hw, usr).Admit({"OSTERHALL\\anna", {}, {}}, "EAST", "COM1", 1765000000, 0).reason;
    };
    ASSERT_EQ(admit(), Admitted);
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(*m_doc, "OSTERHALL\\anna", "OSTERHALL\\anna", UserSheetPages::WithoutNtRas, nullptr));
    sheet->show();
    sheet->SetActivePage(1);
    CLimitsForm* time = static_cast<CUserTime*>(sheet->Page(1))->Form();
    time->Box(LimitTotal)->click();
    time->Field(LimitTotal)->setText("3600");
    sheet->OkButton()->click();
    ASSERT_FALSE(sheet->isVisible());
    // anna has used 90,061 seconds: the component now turns her away.
    EXPECT_EQ(admit(), DenyTotalTimeReached);
    EXPECT_EQ(Value("OSTERHALL\\anna", "MaxTotalTime"), "3600");
}

TEST_F(UsersTest, TimeRestrictionsRefuseValuesBeyondThe32BitsOfTheFileAndWriteNothing)
{
    // 4294967396 seconds was stored as 100 and 4294967297 days as 1, which
    // locked the account out at once.
    OpenManager();
    m_doc->LoadUserSettings();
    const std::string before = ReadFile(m_db / "Dialmind.usr");
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(*m_doc, "OSTERHALL\\bert", "OSTERHALL\\bert", UserSheetPages::WithoutNtRas, nullptr));
    sheet->show();
    sheet->SetActivePage(1);
    CLimitsForm* time = static_cast<CUserTime*>(sheet->Page(1))->Form();
    EXPECT_EQ(time->Field(LimitTotal)->text(), "7200");
    time->Field(LimitTotal)->setText("4294967396");
    time->Box(LimitExpiry)->click();
    time->Field(LimitExpiry)->setText("4294967297");
    sheet->OkButton()->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_THAT(m_ui.Texts(), ElementsAre("The maximum total time must be a number of seconds from 0 to 2147483647."));
    EXPECT_EQ(ReadFile(m_db / "Dialmind.usr"), before);
    EXPECT_EQ(sheet->ActiveIndex(), 1) << "the sheet shows the refused field";

    time->Field(LimitTotal)->setText("2147483647");
    sheet->OkButton()->click();
    EXPECT_THAT(m_ui.Texts(), ElementsAre(LimitRefusal(LimitTotal), LimitRefusal(LimitExpiry)));
    EXPECT_EQ(ReadFile(m_db / "Dialmind.usr"), before);

    time->Field(LimitExpiry)->setText("30");
    EXPECT_EQ(time->ChangedKeys(), (std::vector<std::string>{"MaxTotalTime", "ExpiryTime"}));
    sheet->OkButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(Value("OSTERHALL\\bert", "MaxTotalTime"), "2147483647");
    EXPECT_EQ(Value("OSTERHALL\\bert", "ExpiryTime"), "30");
}
