#include "framework/icons.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace dm;

namespace {
// True when the drawing put something visible on the pixmap.
bool HasInk(const QIcon& icon, QIcon::Mode mode = QIcon::Normal)
{
    const QImage image = icon.pixmap(24, 24, mode).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}
} // namespace

TEST(Icons, EveryTreeImageIndexHasADrawing)
{
    for (int index : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14})
        EXPECT_TRUE(HasInk(Icons::TreeImage(index))) << index;
    EXPECT_TRUE(Icons::TreeImage(11).isNull());
    EXPECT_TRUE(Icons::TreeImage(-1).isNull());
    EXPECT_TRUE(Icons::TreeImage(15).isNull());
}

TEST(Icons, PortCardStatesDiffer)
{
    const QImage idle = Icons::Card(Icons::PortCard::Idle).pixmap(24).toImage();
    const QImage session = Icons::Card(Icons::PortCard::Session).pixmap(24).toImage();
    const QImage fault = Icons::Card(Icons::PortCard::Fault).pixmap(24).toImage();
    EXPECT_NE(idle, session);
    EXPECT_NE(idle, fault);
    EXPECT_NE(session, fault);
}

TEST(Icons, ToolButtonsHaveActiveAndInactiveLooks)
{
    for (auto tool : {Icons::Tool::Disconnect, Icons::Tool::SendMessage, Icons::Tool::UserProperties,
                      Icons::Tool::ResetStatistics}) {
        ASSERT_TRUE(HasInk(Icons::ToolButton(tool, true)));
        ASSERT_TRUE(HasInk(Icons::ToolButton(tool, false)));
        EXPECT_NE(Icons::ToolButton(tool, true).pixmap(24).toImage(),
                  Icons::ToolButton(tool, false).pixmap(24).toImage());
    }
}

TEST(Icons, ToolbarSaveAndPrintCarryOwnDisabledImages)
{
    for (int index = 0; index < 6; ++index)
        EXPECT_TRUE(HasInk(Icons::Toolbar(index))) << index;
    for (int index : {3, 4})
        EXPECT_NE(Icons::Toolbar(index).pixmap(24, QIcon::Normal).toImage(),
                  Icons::Toolbar(index).pixmap(24, QIcon::Disabled).toImage());
    EXPECT_TRUE(Icons::Toolbar(6).isNull());
}

TEST(Icons, OtherImageSets)
{
    for (int index = 0; index < 3; ++index)
        EXPECT_TRUE(HasInk(Icons::NetworkImage(index)));
    for (int index = 0; index < 5; ++index)
        EXPECT_TRUE(HasInk(Icons::PanelImage(index)));
    for (int index : {5, 6, 7, 14})
        EXPECT_TRUE(HasInk(Icons::HistoryImage(index)));
    EXPECT_TRUE(Icons::Render("nothing.svg", 16).isNull());
    EXPECT_EQ(Icons::Render("server.svg", 16, 2.0).width(), 32);
}
