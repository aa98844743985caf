#include "tests/support/recordinginteraction.h"

namespace dm::test {

Answer RecordingInteraction::ShowMessage(const std::string& text, const std::string& caption,
                                         Buttons buttons, Icon icon)
{
    m_messages.push_back({text, caption, buttons, icon});
    if (m_answers.empty())
        return DefaultAnswer(buttons);
    dm::Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void RecordingInteraction::Beep(unsigned frequency, unsigned durationMs)
{
    m_beeps.emplace_back(frequency, durationMs);
}

std::vector<std::string> RecordingInteraction::Texts() const
{
    std::vector<std::string> texts;
    for (const auto& m : m_messages)
        texts.push_back(m.text);
    return texts;
}

} // namespace dm::test
