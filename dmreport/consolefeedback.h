#pragma once
// dmreport in a terminal or under a scheduler: status texts and progress
// percentages on standard output, error texts on standard error, no pauses.

#include "dmreport/reportjob.h"

#include <cstdio>

namespace dm {

class ConsoleFeedback : public ReportJobFeedback {
public:
    ConsoleFeedback(std::FILE* out = stdout, std::FILE* err = stderr) : m_out(out), m_err(err) {}
    void SetProgress(int percent) override;
    void SetStatus(const std::string& text) override;
    void ShowError(const std::string& text) override;

private:
    std::FILE* m_out;
    std::FILE* m_err;
};

} // namespace dm
