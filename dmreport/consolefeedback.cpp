#include "dmreport/consolefeedback.h"

namespace dm {

void ConsoleFeedback::SetProgress(int percent)
{
    std::fprintf(m_out, "Progress: %d%%\n", percent);
    std::fflush(m_out);
}

void ConsoleFeedback::SetStatus(const std::string& text)
{
    std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

void ConsoleFeedback::ShowError(const std::string& text)
{
    std::fprintf(m_err, "%s\n", text.c_str());
    std::fflush(m_err);
}

} // namespace dm
