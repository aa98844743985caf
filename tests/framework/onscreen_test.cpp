// Windows open whole on their screen, however small it is.

#include "framework/onscreen.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

using namespace dm;

TEST(OnScreen, AWindowLargerThanTheAreaShrinksAndMovesIn)
{
    const QRect area(0, 0, 800, 600);
    // Fits already: unchanged.
    EXPECT_EQ(FitIntoArea(QRect(100, 50, 400, 300), QSize(100, 100), area), QRect(100, 50, 400, 300));
    // Too large: the area's size, at its corner.
    EXPECT_EQ(FitIntoArea(QRect(40, 30, 1180, 760), QSize(300, 200), area), QRect(0, 0, 800, 600));
    // Partly off the right and bottom edges: moved in, size kept.
    EXPECT_EQ(FitIntoArea(QRect(600, 500, 400, 300), QSize(0, 0), area), QRect(400, 300, 400, 300));
    // Off the top-left: moved in.
    EXPECT_EQ(FitIntoArea(QRect(-50, -20, 200, 100), QSize(0, 0), area), QRect(0, 0, 200, 100));
    // Never below the minimum; then the top-left corner stays on the area.
    EXPECT_EQ(FitIntoArea(QRect(10, 10, 1000, 700), QSize(900, 650), area), QRect(0, 0, 900, 650));
    // An area that does not start at 0 (a second screen, a panel on top).
    EXPECT_EQ(FitIntoArea(QRect(0, 0, 300, 200), QSize(0, 0), QRect(1920, 32, 800, 568)), QRect(1920, 32, 300, 200));
}

TEST(OnScreen, TheGuardFitsADialogWhenItIsShown)
{
    OnScreenGuard::Install();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QDialog dialog;
    dialog.resize(area.width() + 300, area.height() + 200);
    dialog.move(area.topLeft() + QPoint(50, 50));
    dialog.show();
    EXPECT_LE(dialog.frameGeometry().width(), area.width());
    EXPECT_LE(dialog.frameGeometry().height(), area.height());
    EXPECT_TRUE(area.contains(dialog.frameGeometry().topLeft()));
}
