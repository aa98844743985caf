#pragma once
// The single run of dmreport: read the report script, run the report, say
// how it went. Qt-free; the window and the console each show the feedback
// their own way.

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

// The settings of a report script (section Settings).
struct ReportScript {
    std::string path;              // the file that answered
    std::string masterShare;       // MasterShare: the database directory
    int reportType = 0;            // ReportType
    int periodType = 0;            // TimePeriodType
    bool print = false;            // PrintReport, any non-zero number
    std::string fileName;          // FileName
    std::uint32_t from = 0;        // TimePeriodFrom (period type 5)
    std::uint32_t to = 0;          // TimePeriodTo (period type 5)
};

using PrintFunction = std::function<void(const std::string& dmtempFile)>;

// Runs the job for the script named by `commandText` (the command line after
// the program name). Returns the exit status: 0 after a report run, 1 after
// an error message.
int RunReportJob(const std::string& commandText, ReportJobFeedback& feedback,
                 const PrintFunction& print);

} // namespace dm
