#include "dmreport/reportjob.h"

#include "common/numbers.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "reports/reportrun.h"

#include <cerrno>
#include <climits>
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
// times past 2038 arrive negative and wrap back). Nothing for text that is
// not a number or lies outside the 32-bit range: it would wrap into an
// unrelated date.
std::optional<std::uint32_t> ReadTime(const std::string& text)
{
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    while (end != nullptr && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// Finds the script: the name as given (a bare name lies in the Windows
// directory), then the name in the current working directory.
std::optional<std::string> LocateScript(const std::string& commandText,
                                        const std::filesystem::path& workingDirectory)
{
    if (Setting(commandText, "MasterShare") != Missing)
        return commandText;
    const ResolvedPath local = ResolveInDirectory(workingDirectory, commandText);
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
    // A database directory that would leave its share or the network is no
    // directory at all; an unreachable one is left to the run (it finds no logs).
    if (ResolvePath(script.masterShare).error == winerr::BadPathName)
        return "ERROR: Invalid MasterShare in scriptfile (error 161: The specified path is invalid).";
    const std::string reportType = Setting(file, "ReportType");
    if (reportType == Missing)
        return "ERROR: No ReportType in scriptfile.";
    script.reportType = AtoiValue(reportType);
    const std::string periodType = Setting(file, "TimePeriodType");
    if (periodType == Missing)
        return "ERROR: No TimePeriodType in scriptfile.";
    script.periodType = AtoiValue(periodType);
    const std::string print = Setting(file, "PrintReport");
    if (print == Missing)
        return "ERROR: No PrintReport in scriptfile.";
    script.print = AtoiValue(print) != 0;
    script.fileName = Setting(file, "FileName");
    if (script.fileName == Missing)
        return "ERROR: No FileName in scriptfile.";
    if (script.periodType == 5) {
        // A missing bound leaves that side of the period open.
        const std::string from = Setting(file, "TimePeriodFrom");
        const std::string to = Setting(file, "TimePeriodTo");
        const auto fromTime = from == Missing ? std::optional<std::uint32_t>(0) : ReadTime(from);
        const auto toTime = to == Missing ? std::optional<std::uint32_t>(UINT32_MAX) : ReadTime(to);
        if (!fromTime)
            return "ERROR: TimePeriodFrom " + from + " is not a time.";
        if (!toTime)
            return "ERROR: TimePeriodTo " + to + " is not a time.";
        script.from = *fromTime;
        script.to = *toTime;
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
    // dmtemp.dat and a relative script or report name lie in the working directory.
    std::error_code ec;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(ec);
    if (ec) {
        feedback.ShowError("ERROR: The current directory no longer exists.");
        return 1;
    }
    const std::optional<std::string> located = LocateScript(commandText, workingDirectory);
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
    request.workingDirectory = workingDirectory;
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
