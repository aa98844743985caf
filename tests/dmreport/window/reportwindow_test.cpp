// dmreport's window: texts, progress, the closing beep and pauses.

#include "dmreport/window/reportwindow.h"
#include "tests/dmreport/scriptfixture.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;
using ::testing::ElementsAre;
using Beep = std::pair<unsigned, unsigned>;

namespace {

class ReportWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            s_app = new QApplication(argc, argv);
    }

    void Observe(ReportWindow& window)
    {
        window.SetPause([this](int ms) { m_pauses.push_back(ms); });
        window.SetBeeper([this](unsigned f, unsigned d) { m_beeps.emplace_back(f, d); });
    }

    static QApplication* s_app;
    ScriptFixture m_fixture;
    std::vector<int> m_pauses;
    std::vector<Beep> m_beeps;
};

QApplication* ReportWindowTest::s_app = nullptr;

} // namespace

TEST_F(ReportWindowTest, ErrorBeepsAndWaitsTenSeconds)
{
    ReportWindow window("", {});
    Observe(window);
    EXPECT_EQ(window.windowTitle(), "DMReport");
    EXPECT_EQ(window.Run(), 1);
    EXPECT_EQ(window.StatusText(), "ERROR: No scripting file supplied.");
    EXPECT_THAT(m_beeps, ElementsAre(Beep{400, 800}));
    EXPECT_THAT(m_pauses, ElementsAre(10000));
}

TEST_F(ReportWindowTest, SuccessWaitsFourSeconds)
{
    m_fixture.WriteScript("s.dat", m_fixture.Settings(1, 4));
    ReportWindow window("s.dat", {});
    Observe(window);
    EXPECT_EQ(window.Run(), 0);
    EXPECT_EQ(window.StatusText(), "Report created ok.");
    EXPECT_EQ(window.ProgressValue(), 100);
    EXPECT_TRUE(m_beeps.empty());
    EXPECT_THAT(m_pauses, ElementsAre(4000));
    EXPECT_EQ(ReadFile(m_fixture.Work() / "out.csv"), Golden("type1-period4.csv", ""));
}

TEST_F(ReportWindowTest, AboutBox)
{
    ReportWindow window("", {});
    const QList<QAction*> actions = window.actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0]->text(), "&About DMRep...");
    QMessageBox* box = window.CreateAboutBox();
    EXPECT_EQ(box->windowTitle(), "About DMReport");
    EXPECT_EQ(box->text(), "DMReport Version 1.36");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_FALSE(box->iconPixmap().isNull());
    delete box;
}
