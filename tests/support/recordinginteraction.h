#pragma once
// A UserInteraction for tests: records every message, beep and progress text
// and answers messages from a script (the default answer when it runs out).

#include "common/userinteraction.h"

#include <deque>
#include <string>
#include <vector>

namespace dm::test {

struct RecordedMessage {
    std::string text;
    std::string caption;
    Buttons buttons;
    Icon icon;
};

class RecordingInteraction : public UserInteraction {
public:
    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon icon) override;
    void Beep(unsigned frequency, unsigned durationMs) override;
    void BeginWaitCursor() override { ++m_waitDepth; ++m_waitCursors; }
    void EndWaitCursor() override { --m_waitDepth; }
    void ShowProgress(const std::string& text) override { m_progress.push_back(text); }

    // The next messages are answered with these, in order.
    void QueueAnswer(dm::Answer answer) { m_answers.push_back(answer); }

    std::vector<RecordedMessage> m_messages;
    std::vector<std::pair<unsigned, unsigned>> m_beeps;
    std::vector<std::string> m_progress;
    int m_waitDepth = 0;
    int m_waitCursors = 0;

    // The texts of all messages, for compact assertions.
    std::vector<std::string> Texts() const;

private:
    std::deque<dm::Answer> m_answers;
};

} // namespace dm::test
