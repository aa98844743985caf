#include "dmreport/reportjob.h"

#include "platform/pathresolver.h"
#include "platform/profile.h"
#include "reports/reportrun.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace dm {

namespace {

constexpr const char* Missing = "*";

std::string Setting(const std::string& script, const char* key)
{
    return GetPrivateProfileString("Settings", key, Missing, script);
}

// A decimal number as the manager writes it ("%d" of an unsigned time, so
// times past 2038 arrive negative and wrap back).
std::uint32_t ReadTime(const std::string& text)
{
    return static_cast<std::uint32_t>(std::strtoll(text.c_str(), nullptr, 10));
}

// Finds the script: the name as given (a bare name lies in the Windows
// directory), then the name in the current working directory.
std::optional<std::string> LocateScript(const std::string& commandText)
{
    if (Setting(commandText, "MasterShare") != Missing)
        return commandText;
    const ResolvedPath local = ResolveInDirectory(std::filesystem::current_path(), commandText);
    if (local.ok() && Setting(local.path.string(), "MasterShare") != Missing)
        return local.path.string();
    return std::nullopt;
}

// Reads the settings in the order the errors are reported; returns the
// error text of the first missing one, or an empty text.
std::string ReadScript(ReportScript& script)
{
    const std::string& file = script.path;
    script.masterShare = Setting(file, "MasterShare");
    const std::string reportType = Setting(file, "ReportType");
    if (reportType == Missing)
        return "ERROR: No ReportType in scriptfile.";
    script.reportType = std::atoi(reportType.c_str());
    const std::string periodType = Setting(file, "TimePeriodType");
    if (periodType == Missing)
        return "ERROR: No TimePeriodType in scriptfile.";
    script.periodType = std::atoi(periodType.c_str());
    const std::string print = Setting(file, "PrintReport");
    if (print == Missing)
        return "ERROR: No PrintReport in scriptfile.";
    script.print = std::atoi(print.c_str()) != 0;
    script.fileName = Setting(file, "FileName");
    if (script.fileName == Missing)
        return "ERROR: No FileName in scriptfile.";
    if (script.periodType == 5) {
        // A missing bound leaves that side of the period open.
        const std::string from = Setting(file, "TimePeriodFrom");
        const std::string to = Setting(file, "TimePeriodTo");
        script.from = from == Missing ? 0 : ReadTime(from);
        script.to = to == Missing ? UINT32_MAX : ReadTime(to);
    }
    return {};
}

} // namespace

int RunReportJob(const std::string& commandText, ReportJobFeedback& feedback,
                 const PrintFunction& print)
{
    if (commandText.empty()) {
        feedback.ShowError("ERROR: No scripting file supplied.");
        return 1;
    }
    const std::optional<std::string> located = LocateScript(commandText);
    if (!located) {
        feedback.ShowError("ERROR: Invalid Script File.");
        return 1;
    }
    feedback.SetProgress(20);

    ReportScript script;
    script.path = *located;
    if (const std::string error = ReadScript(script); !error.empty()) {
        feedback.ShowError(error);
        return 1;
    }
    feedback.SetProgress(40);
    feedback.SetStatus("Generating Report...");

    ReportRequest request;
    request.reportType = script.reportType;
    request.periodType = script.periodType;
    request.custom = {script.from, script.to};
    request.databaseDirectory = script.masterShare;
    request.print = script.print;
    request.outputFile = script.fileName;
    request.includeLegacyLog = true;
    ReportRunControl control;
    control.percent = [&feedback](int percent) { feedback.SetProgress(percent); };
    control.print = print;
    const ReportRunResult result = RunReport(request, control);
    // Under a scheduler nobody looks at the window: a report that could not
    // be written or printed must not end as a success.
    if (const std::string error = ReportRunError(result, script.fileName); !error.empty()) {
        feedback.ShowError(error);
        return 1;
    }
    feedback.SetStatus("Report created ok.");
    return 0;
}

} // namespace dm
