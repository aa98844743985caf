#include "common/userinteraction.h"

#include <cstdio>
#include <cstdlib>

namespace dm {

Answer DefaultAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    case Buttons::RetryCancel:
        return Answer::Retry;
    case Buttons::AbortRetryIgnore:
        return Answer::Abort;
    }
    return Answer::Ok;
}

Answer SilentInteraction::ShowMessage(const std::string&, const std::string&, Buttons buttons, Icon)
{
    return DefaultAnswer(buttons);
}

Answer ConsoleMessages::ShowMessage(const std::string& text, const std::string&, Buttons buttons,
                                    Icon)
{
    std::fprintf(stderr, "%s: %s\n", m_prefix.c_str(), text.c_str());
    m_said = true;
    return DefaultAnswer(buttons);
}

void Trace(const std::string& text)
{
    const char* path = std::getenv("DIALMIND_TRACE");
    if (path == nullptr || *path == '\0')
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", text.c_str());
        std::fclose(f);
    }
}

} // namespace dm
