#include "common/userinteraction.h"
#include "tests/support/recordinginteraction.h"

#include <gtest/gtest.h>

using namespace dm;

TEST(UserInteraction, SilentAnswersWithTheFirstButtonOfEachSet)
{
    SilentInteraction ui;
    EXPECT_EQ(ui.ShowMessage("t", "c", Buttons::Ok, Icon::None), Answer::Ok);
    EXPECT_EQ(ui.ShowMessage("t", "c", Buttons::YesNo, Icon::Question), Answer::Yes);
    EXPECT_EQ(ui.ShowMessage("t", "c", Buttons::RetryCancel, Icon::Error), Answer::Retry);
    EXPECT_EQ(ui.ShowMessage("t", "c", Buttons::AbortRetryIgnore, Icon::Error), Answer::Abort);
}

TEST(UserInteraction, RecorderAnswersFromItsScriptThenWithDefaults)
{
    test::RecordingInteraction ui;
    ui.QueueAnswer(Answer::No);
    EXPECT_EQ(ui.ShowMessage("first", "Dialminder", Buttons::YesNo, Icon::Question), Answer::No);
    EXPECT_EQ(ui.ShowMessage("second", "Dialminder", Buttons::YesNo, Icon::Question), Answer::Yes);
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"first", "second"}));
    {
        WaitCursor wait(ui);
        EXPECT_EQ(ui.m_waitDepth, 1);
    }
    EXPECT_EQ(ui.m_waitDepth, 0);
}
