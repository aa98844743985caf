#include "dmreport/reportjob.h"

#include "common/numbers.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "reports/reportrun.h"
#include "common/inistore.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>
#include <algorithm>

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

// Why no script was found under the name: each place looked at, and what
// lay there. The heading stays the one a script's user knows.
std::string ScriptProblem(const std::string& commandText, const std::filesystem::path& workingDirectory)
{
    const std::string heading = "ERROR: Invalid Script File.\n";
    std::vector<std::string> looked;
    for (const ResolvedPath& place :
         {ResolvePath(commandText), ResolveInDirectory(workingDirectory, commandText)}) {
        if (!place.ok())
            continue;
        const std::string path = place.path.string();
        std::error_code ec;
        if (std::filesystem::is_directory(place.path, ec))
            return heading + path + " is a directory, not a script file.";
        if (std::filesystem::exists(place.path, ec)) {
            if (!std::filesystem::is_regular_file(place.path, ec))
                return heading + path + " is not a file.";
            std::string text;
            if (!ReadWholeFile(place.path, text))
                return heading + path + " cannot be read.";
            if (GetPrivateProfileSectionNames(path).empty())
                return heading + path + " is not a report script: it has no [Settings] section.";
            return heading + path + " is not a report script: its [Settings] section has no MasterShare.";
        }
        if (std::find(looked.begin(), looked.end(), path) == looked.end())
            looked.push_back(path);
    }
    std::string where;
    for (std::size_t i = 0; i < looked.size(); ++i)
        where += (i ? " or " : "") + looked[i];
    return heading + "The script file " + commandText + " was not found" +
           (where.empty() ? std::string(".") : " (looked for " + where + ").");
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
        feedback.ShowError(ScriptProblem(commandText, workingDirectory));
        return 1;
    }
    feedback.SetProgress(20);

    ReportScript script;
    script.path = *located;
    if (const std::string error = ReadScript(script); !error.empty()) {
        // The file in question, for whoever runs many scripts unattended.
        feedback.ShowError(error + "\nScript file: " + script.path);
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
