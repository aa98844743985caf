#include "reports/reportrun.h"

#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "reports/reportcsv.h"
#include "reports/reportevents.h"
#include "reports/reportextraction.h"
#include "reports/reportfile.h"
#include "reports/reportintermediate.h"

namespace dm {

namespace {

void Progress(const ReportRunControl& control, const std::string& text)
{
    if (control.progress)
        control.progress(text);
}

void Percent(const ReportRunControl& control, int value)
{
    if (control.percent)
        control.percent(value);
}

ResolvedPath ResolveOutputFile(const std::filesystem::path& directory, const std::string& name)
{
    // A full name (POSIX, drive or share path) stands for itself; a bare or
    // relative name lies in the working directory, as a C library open would
    // take it.
    const bool full = (!name.empty() && name[0] == '/') || name.starts_with("\\\\") ||
                      (name.size() >= 2 && name[1] == ':');
    if (full) {
        const ResolvedPath resolved = ResolvePath(name);
        return resolved.ok() ? ResolveWriteTarget(resolved.path) : resolved;
    }
    if (directory.empty())
        return {{}, winerr::PathNotFound};
    return ResolveInDirectory(directory, name);
}

std::string DescribeError(unsigned long error)
{
    switch (error) {
    case winerr::BadPathName: return "The specified path is invalid";
    case winerr::PathNotFound: return "The system cannot find the path specified";
    case winerr::BadNetPath: return "The network path was not found";
    case winerr::BadNetName: return "The network name cannot be found";
    default: return "error " + std::to_string(error);
    }
}

} // namespace

ReportRunResult RunReport(const ReportRequest& request, const ReportRunControl& control)
{
    ReportRunResult result;
    std::error_code ec;
    const std::filesystem::path directory =
        request.workingDirectory.empty() ? std::filesystem::current_path(ec) : request.workingDirectory;
    if (directory.empty()) {
        // dmtemp.dat lies in the working directory; there is none.
        result.intermediateFailed = true;
        result.failure = "the current directory no longer exists";
        return result;
    }
    result.intermediateFile = directory / "dmtemp.dat";
    const std::string dmtemp = result.intermediateFile.string();
    RemoveReportFile(result.intermediateFile);

    const std::time_t now = request.now ? *request.now : std::time(nullptr);
    result.period = ComputeReportPeriod(request.periodType, now, request.custom);

    const bool usesRecords = request.reportType >= ReportUsagePerUser &&
                             request.reportType <= ReportDeniedConnections;
    ReportEvents records;
    if (usesRecords) {
        Progress(control, "Loading and sorting data");
        const ReportEventSource source{request.databaseDirectory,
                                       request.periodType == PeriodAllRecords,
                                       request.includeLegacyLog};
        records = LoadReportEvents(source, result.period, control.progress);
        result.records = records.Size();
    }
    Percent(control, 60);

    ReportIntermediate file;
    const bool known = request.reportType >= ReportUsagePerUser &&
                       request.reportType <= ReportBusyPortsPerHour;
    if (known)
        WriteFormatSection(file, request.reportType, request.periodType, result.period);
    const ExtractionControl extraction{control.cancel, control.progress};
    bool completed = true;
    switch (request.reportType) {
    case ReportUsagePerUser:
        completed = ExtractUsagePerUser(records, result.period, file, extraction);
        break;
    case ReportUsagePerPort:
        completed = ExtractUsagePerPort(records, result.period, file, extraction);
        break;
    case ReportDeniedConnections:
        completed = ExtractDeniedConnections(records, result.period, file, extraction);
        break;
    case ReportBusyPortsPerHour:
        Progress(control, "Loading and sorting data");
        completed = ExtractBusyPorts(request.databaseDirectory + "\\portstat.log", result.period, file,
                                     extraction);
        break;
    default:
        break;
    }
    if (!completed) {
        result.cancelled = true;
        return result;
    }
    // A report type outside 1 to 4 leaves no file behind, as no step wrote one.
    if (known) {
        result.intermediateWritten = file.WriteFile(result.intermediateFile);
        // The lock that serialised the write is of no use once it is done.
        RemoveReportFile(directory / ".dmtemp.dat.lock");
        if (!result.intermediateWritten) {
            result.intermediateFailed = true;
            result.failure = "Could not write " + dmtemp;
            return result;
        }
    }
    Percent(control, 100);

    if (request.print) {
        Progress(control, "Printing Report");
        result.printFailed = !control.print || !control.print(dmtemp);
    } else {
        Progress(control, "Saving Report");
        const ResolvedPath output = ResolveOutputFile(directory, request.outputFile);
        result.outputFile = output.path;
        if (!output.ok()) {
            result.outputFailed = true;
            result.failure = DescribeError(output.error);
        } else {
            result.outputFailed = !WriteReportCsv(dmtemp, result.outputFile, &result.failure);
        }
    }
    return result;
}

std::string ReportRunError(const ReportRunResult& result, const std::string& fileName)
{
    if (result.intermediateFailed)
        return "ERROR: " + result.failure + ".";
    if (result.outputFailed) {
        if (fileName.empty())
            return "ERROR: Could not create report file: the script's FileName is empty.";
        return "ERROR: Could not create report file " + fileName + ": " + result.failure + ".";
    }
    if (result.printFailed)
        return "ERROR: Could not print the report: no printer is available.";
    return {};
}

} // namespace dm
