#pragma once
// The single run of dmreport: read the report script, run the report, say
// how it went. Qt-free; the window and the console each show the feedback
// their own way.

#include "reports/reportscript.h"

#include <functional>
#include <string>

namespace dm {

class ReportJobFeedback {
public:
    virtual ~ReportJobFeedback() = default;
    virtual void SetProgress(int percent) = 0;
    // "Generating Report...", "Report created ok.".
    virtual void SetStatus(const std::string& text) = 0;
    // An "ERROR: ..." text; the run ends with exit status 1.
    virtual void ShowError(const std::string& text) = 0;
};

// Prints the report of dmtemp.dat; false when no printer could be opened.
using PrintFunction = std::function<bool(const std::string& dmtempFile)>;

// Runs the job for the script named by `commandText` (the command line after
// the program name). Returns the exit status: 0 after a report run, 1 after
// an error message.
int RunReportJob(const std::string& commandText, ReportJobFeedback& feedback,
                 const PrintFunction& print);

} // namespace dm
