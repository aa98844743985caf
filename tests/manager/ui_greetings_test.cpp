// The Greeting Messages dialog: rules, variables, preview and what OK saves.

#include "tests/manager/ui_fixture.h"
#include "manager/core/greetingpreview.h"

#include "manager/ui/dialogs/greetingsdialog.h"
#include "manager/ui/dialogs/rulechecklist.h"
#include "manager/ui/dialogs/variablebutton.h"
#include "platform/files/profile.h"

#include <QLineEdit>
#include <QFontMetrics>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace dm;
using namespace dm::test;

namespace {

class GreetingsDialogTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("RAS1", {"COM1"}, true);
    }
    void Open(const std::string& hardwareFile)
    {
        WriteFile(m_db / "Dialmind.hw", hardwareFile);
        OpenManager();
        m_dialog = std::make_unique<CGreetingsDialog>(*m_doc);
        m_dialog->show();
    }
    QString Preview()
    {
        m_dialog->PreviewButton()->click();
        return m_dialog->PreviewField()->toPlainText();
    }
    std::string Value(const std::string& key)
    {
        return GetPrivateProfileString("Greetings", key, "<missing>", HardwareFile());
    }
    void TearDown() override
    {
        m_dialog.reset();
        UiFixture::TearDown();
    }
    std::unique_ptr<CGreetingsDialog> m_dialog;
};

TEST_F(GreetingsDialogTest, RulesShowTheirLabelsChecksAndRuleZero)
{
    Open("[Greetings]\r\nRuleMask=5\r\nRule0Text=\"Welcome\"\r\nRule1Text=\"Limited\"\r\nRule2Text=\"Port\"\r\n");
    EXPECT_EQ(m_dialog->windowTitle(), "Greeting Messages");
    CRuleCheckList* list = m_dialog->RuleList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), " General welcome message sent to everyone");
    EXPECT_EQ(list->item(1)->text(), " To accounts with time limits");
    EXPECT_EQ(list->item(2)->text(), " When connecting on port with time limit");
    EXPECT_TRUE(list->IsChecked(0));
    EXPECT_FALSE(list->IsChecked(1));
    EXPECT_TRUE(list->IsChecked(2));
    EXPECT_EQ(m_dialog->RuleText()->text(), "Welcome");
    EXPECT_EQ(m_dialog->RuleText()->maxLength(), 399);
    EXPECT_FALSE(m_dialog->VariableButton()->isEnabled());
}

TEST_F(GreetingsDialogTest, PreviewMergesTheActiveRulesWithTheSampleValues)
{
    Open("[Greetings]\r\nRuleMask=0\r\nRule0Text=\"Welcome, #UNAME\"\r\nRule1Text=\"\"\r\nRule2Text=\"Max #PMS secs\"\r\n");
    EXPECT_EQ(Preview(), "[NO RULES ACTIVE]");
    EXPECT_EQ(m_ui.m_beeps, (std::vector<std::pair<unsigned, unsigned>>{{200, 100}}));

    m_dialog->RuleList()->SetChecked(0, true);
    EXPECT_EQ(Preview(), "Welcome John Doe ");
    m_dialog->RuleText()->setText("Hello");
    m_dialog->RuleList()->SetChecked(2, true);
    EXPECT_EQ(Preview(), "Hello Max 20 secs ");
    m_dialog->RuleText()->setText("#umsx #UCURRENT #umt");
    EXPECT_EQ(Preview(), "30 50 40 Max 20 secs ");
    EXPECT_EQ(m_ui.m_beeps.size(), 1u);
}

TEST_F(GreetingsDialogTest, SwitchingRulesKeepsTheEditedTextAndOkSavesTheMask)
{
    Open("[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Hi\"\r\nRule1Text=\"Old\"\r\nRule2Text=\"\"\r\n");
    m_dialog->RuleList()->setCurrentRow(1);
    EXPECT_EQ(m_dialog->RuleText()->text(), "Old");
    m_dialog->RuleText()->setText("You have #UMT secs");
    m_dialog->RuleList()->setCurrentRow(2);
    EXPECT_EQ(m_dialog->ShownRule(), 2);
    EXPECT_TRUE(m_dialog->RuleText()->text().isEmpty());
    m_dialog->RuleList()->setCurrentRow(1);
    EXPECT_EQ(m_dialog->RuleText()->text(), "You have #UMT secs");

    // A box switched without selecting its rule counts, too.
    m_dialog->RuleList()->SetChecked(2, true);
    m_dialog->accept();
    EXPECT_EQ(Value("RuleMask"), "5");
    EXPECT_EQ(Value("Rule1Text"), "You have #UMT secs");
    EXPECT_NE(ReadFile(m_db / "Dialmind.hw").find("Rule1Text=\"You have #UMT secs\""), std::string::npos);
    EXPECT_EQ(m_doc->Greetings().RuleMask(), 5);
}

TEST_F(GreetingsDialogTest, CancelChangesNothing)
{
    Open("[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Hi\"\r\n");
    m_dialog->RuleText()->setText("Changed");
    m_dialog->RuleList()->SetChecked(1, true);
    m_dialog->reject();
    EXPECT_EQ(Value("RuleMask"), "1");
    EXPECT_EQ(m_doc->Greetings().rules[0].text, "Hi");
}

TEST_F(GreetingsDialogTest, VariablesAreTypedAtTheCaretWithABlank)
{
    Open("[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Hello  there\"\r\n");
    m_dialog->RuleText()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(m_dialog->VariableButton()->isEnabled());
    QMenu* menu = m_dialog->VariableMenu();
    ASSERT_EQ(menu->actions().size(), 5);
    EXPECT_EQ(menu->actions()[0]->text(), "#UNAME\t - Name of the User Account");
    EXPECT_EQ(menu->actions()[4]->text(), "#UCUR\t - User account current total time in secs");

    m_dialog->RuleText()->setCursorPosition(6);
    menu->actions()[0]->trigger();
    EXPECT_EQ(m_dialog->RuleText()->text(), "Hello #UNAME  there");
    menu->actions()[2]->trigger();
    EXPECT_EQ(m_dialog->RuleText()->text(), "Hello #UNAME #UMS  there");

    // The field's limit holds for inserted variables as for typing.
    m_dialog->RuleText()->setText(QString(396, 'a'));
    menu->actions()[1]->trigger();
    EXPECT_EQ(m_dialog->RuleText()->text(), QString(396, 'a') + "#PM");
}

TEST_F(GreetingsDialogTest, TheVariableMenuShowsEachDescriptionBesideItsName)
{
    Open("[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Hi\"\r\n");
    QMenu* menu = m_dialog->VariableMenu();
    ASSERT_EQ(menu->actions().size(), static_cast<int>(kGreetingVariables.size()));
    const QFontMetrics metrics(menu->font());
    int widest = 0;
    for (int i = 0; i < menu->actions().size(); ++i) {
        const QString text = menu->actions()[i]->text();
        EXPECT_EQ(text, QString::fromLatin1(kGreetingVariables[static_cast<size_t>(i)].menuText));
        const QString drawn = CVariableMenuStyle::DrawnText(text);
        EXPECT_TRUE(drawn.startsWith(QString::fromLatin1(kGreetingVariables[static_cast<size_t>(i)].name) + "   - "))
            << drawn.toStdString();
        EXPECT_FALSE(drawn.contains('\t'));
        EXPECT_EQ(menu->actions()[i]->statusTip(), drawn);
        widest = std::max(widest, metrics.horizontalAdvance(drawn));
    }
    EXPECT_EQ(CVariableMenuStyle::DrawnText("#PMS\t - Port max session time in secs"),
              "#PMS   - Port max session time in secs");
    // Every description fits whole, and the menu is not a screen wide.
    menu->ensurePolished();
    const int width = menu->sizeHint().width();
    EXPECT_GE(width, widest);
    EXPECT_LE(width, widest + 120);
    EXPECT_LE(width, 760) << "opens whole on an 800-pixel screen";
}

TEST_F(GreetingsDialogTest, VariableButtonTriangleSitsRightOfCentre)
{
    const auto rows = CVariableButton::TriangleRows(QSize(150, 30));
    EXPECT_EQ(rows[4].y, 18); // lowest row 3 below the centre
    EXPECT_EQ(rows[4].width, 1);
    EXPECT_EQ(rows[4].x, 135);
    EXPECT_EQ(rows[0].y, 14);
    EXPECT_EQ(rows[0].width, 9);
    EXPECT_EQ(rows[0].x + rows[0].width / 2, 135);
}

} // namespace
