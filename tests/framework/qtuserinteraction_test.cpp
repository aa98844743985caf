#include "framework/qtuserinteraction.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace dm;

namespace {

// Presses `button` on the message box that the next ShowMessage opens and
// records what the box looked like.
struct BoxLook {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

void AnswerNextBox(BoxLook& look, QMessageBox::StandardButton button, bool escape = false)
{
    QTimer::singleShot(0, [&look, button, escape] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        look = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        if (escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(button)->click();
    });
}

} // namespace

TEST(QtUserInteraction, BoxShowsTextCaptionIconAndButtons)
{
    QtUserInteraction ui;
    BoxLook look;
    AnswerNextBox(look, QMessageBox::No);
    EXPECT_EQ(ui.ShowMessage("Do you really want to remove EAST?", "Remove", Buttons::YesNo, Icon::Question),
              Answer::No);
    EXPECT_EQ(look.title, "Remove");
    EXPECT_EQ(look.text, "Do you really want to remove EAST?");
    EXPECT_EQ(look.icon, QMessageBox::Question);
    EXPECT_EQ(look.buttons, QMessageBox::Yes | QMessageBox::No);

    AnswerNextBox(look, QMessageBox::Retry);
    EXPECT_EQ(ui.ShowMessage("x", "", Buttons::RetryCancel, Icon::Error), Answer::Retry);
    EXPECT_EQ(look.title, "Dialminder") << "an empty caption takes the program's name";
    EXPECT_EQ(look.icon, QMessageBox::Critical);
}

TEST(QtUserInteraction, EscapeAnswersWithTheCancellingButton)
{
    QtUserInteraction ui;
    BoxLook look;
    AnswerNextBox(look, QMessageBox::NoButton, true);
    EXPECT_EQ(ui.ShowMessage("q", "c", Buttons::YesNo, Icon::Question), Answer::No);
    AnswerNextBox(look, QMessageBox::NoButton, true);
    EXPECT_EQ(ui.ShowMessage("q", "c", Buttons::OkCancel, Icon::None), Answer::Cancel);
    AnswerNextBox(look, QMessageBox::NoButton, true);
    EXPECT_EQ(ui.ShowMessage("q", "c", Buttons::Ok, Icon::Information), Answer::Ok);
}

TEST(QtUserInteraction, TextIsShownAsPlainTextAndFirstButtonIsDefault)
{
    std::unique_ptr<QMessageBox> box(
        QtUserInteraction::CreateMessageBox("<b>x</b>\nError 53", "c", Buttons::YesNoCancel, Icon::Warning, nullptr));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
}

TEST(QtUserInteraction, WaitCursorsNestAndUnbalancedEndIsHarmless)
{
    QtUserInteraction ui;
    ui.EndWaitCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        WaitCursor outer(ui);
        WaitCursor inner(ui);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(ui.WaitDepth(), 2);
    }
    EXPECT_EQ(ui.WaitDepth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtUserInteraction, MessageDuringWaitCursorGetsArrowAndRestoresWait)
{
    QtUserInteraction ui;
    WaitCursor wait(ui);
    Qt::CursorShape during = Qt::BlankCursor;
    QTimer::singleShot(0, [&during] {
        during = QGuiApplication::overrideCursor()->shape();
        qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->button(QMessageBox::Ok)->click();
    });
    ui.ShowMessage("t", "c", Buttons::Ok, Icon::None);
    EXPECT_EQ(during, Qt::ArrowCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
}

TEST(QtUserInteraction, ProgressGoesToTheStatusBarWhileOneIsSet)
{
    QtUserInteraction ui;
    ui.ShowProgress("dropped");
    auto bar = std::make_unique<QStatusBar>();
    ui.SetProgressWindow(bar.get());
    ui.ShowProgress("Processing logs from EAST, please wait...");
    EXPECT_EQ(bar->currentMessage(), "Processing logs from EAST, please wait...");
    bar.reset();
    ui.ShowProgress("Ready"); // the bar is gone: no crash, nothing shown
    EXPECT_EQ(ui.ProgressWindow(), nullptr);
}
