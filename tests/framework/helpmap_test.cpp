#include "framework/helpmap.h"
#include "framework/helpwindow.h"

#include "tests/support/tempdir.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace dm;

TEST(HelpMap, ParsesTopicsPopupsAndAnchors)
{
    HelpMap map;
    map.Parse("# comment\n\n1 topic index.html\r\n100 topic ports.html#panel\n14 popup popups/14.html\n");
    EXPECT_EQ(map.Size(), 3u);
    EXPECT_TRUE(map.Errors().empty());
    auto ports = map.Find(100);
    ASSERT_TRUE(ports);
    EXPECT_EQ(ports->kind, HelpContext::Kind::Topic);
    EXPECT_EQ(ports->page, "ports.html");
    EXPECT_EQ(ports->anchor, "panel");
    EXPECT_EQ(map.Find(14)->kind, HelpContext::Kind::Popup);
    EXPECT_FALSE(map.Find(2));
}

TEST(HelpMap, RejectsMalformedLinesAndPagesOutsideTheDirectory)
{
    HelpMap map;
    map.Parse("x topic a.html\n5 window a.html\n6 topic ../../etc/passwd\n7 topic /etc/passwd\n"
              "8 topic a.html extra\n9 popup\n10 topic ok.html\n");
    EXPECT_EQ(map.Size(), 1u);
    EXPECT_EQ(map.Errors().size(), 6u);
    EXPECT_TRUE(map.Find(10));
}

TEST(HelpMap, PopupTextIsTheBodyOfItsPage)
{
    test::TempDir dir;
    test::WriteFile(dir.path() / "contexts.map", "14 popup p14.html\n1 topic index.html\n");
    test::WriteFile(dir.path() / "p14.html", "<HTML><Body class=x><p>Type the name.</p></BODY></HTML>");
    HelpMap map;
    ASSERT_TRUE(map.Load(dir.path()));
    EXPECT_EQ(map.PopupText(14), "<p>Type the name.</p>");
    EXPECT_EQ(map.PopupText(1), "") << "a topic is no pop-up";
    EXPECT_EQ(map.PagePath(1), dir.path() / "index.html");
    HelpMap missing;
    EXPECT_FALSE(missing.Load(dir.path() / "nowhere"));
}

TEST(HelpMap, EnvironmentChoosesTheDirectory)
{
    setenv("DIALMIND_HELP_DIR", "/opt/help", 1);
    EXPECT_EQ(HelpMap::DefaultDirectory("/usr/bin"), std::filesystem::path("/opt/help"));
    unsetenv("DIALMIND_HELP_DIR");
    EXPECT_NE(HelpMap::DefaultDirectory("/nonexistent/bin"), std::filesystem::path());
}

// The shipped help: every mapped page exists, and the contexts the programs
// open are there.
TEST(HelpMap, ShippedPagesExistForEveryContext)
{
    HelpMap map;
    ASSERT_TRUE(map.Load(std::filesystem::path(DM_SOURCE_DIR) / "docs" / "help"));
    EXPECT_TRUE(map.Errors().empty());
    for (int context : {1, 100, 110, 120, 130, 14, 15, 67, 68, 72, 73, 75}) {
        ASSERT_TRUE(map.Find(context)) << context;
        EXPECT_TRUE(std::filesystem::exists(map.PagePath(context))) << context;
    }
    EXPECT_EQ(map.Find(1)->kind, HelpContext::Kind::Topic);
    EXPECT_EQ(map.Find(67)->kind, HelpContext::Kind::Popup);
    EXPECT_FALSE(map.PopupText(67).empty());
}

TEST(HelpWindow, OpensTopicsAndInstallsPopupsAsWhatsThis)
{
    setenv("DIALMIND_HELP_DIR", (std::string(DM_SOURCE_DIR) + "/docs/help").c_str(), 1);
    EXPECT_FALSE(CHelpWindow::ShowContext(99999));
    ASSERT_TRUE(CHelpWindow::ShowContext(100));
    CHelpWindow* window = CHelpWindow::SharedWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->CurrentContext(), 100);
    EXPECT_TRUE(window->Browser()->toPlainText().contains("Port status"));
    ASSERT_TRUE(CHelpWindow::ShowContext(1));
    EXPECT_EQ(CHelpWindow::SharedWindow(), window) << "one help window is reused";
    EXPECT_TRUE(window->Browser()->toPlainText().contains("The main window"));

    QLabel field;
    EXPECT_TRUE(CHelpWindow::InstallWhatsThis(&field, 67));
    EXPECT_TRUE(field.whatsThis().contains("seconds"));
    EXPECT_FALSE(CHelpWindow::InstallWhatsThis(&field, 1)) << "a topic gives no What's This text";
    window->close();
}

TEST(HelpWindow, EscClosesIt)
{
    setenv("DIALMIND_HELP_DIR", (std::string(DM_SOURCE_DIR) + "/docs/help").c_str(), 1);
    ASSERT_TRUE(CHelpWindow::ShowContext(1));
    CHelpWindow* window = CHelpWindow::SharedWindow();
    ASSERT_NE(window, nullptr);
    // Whole on the screen.
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->geometry()))
        << window->geometry().width() << "x" << window->geometry().height();
    QTest::keyClick(window->Browser(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}
