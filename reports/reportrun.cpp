#include "reports/reportrun.h"

#include "platform/pathresolver.h"
#include "reports/reportcsv.h"
#include "reports/reportevents.h"
#include "reports/reportextraction.h"
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

std::filesystem::path ResolveOutputFile(const std::filesystem::path& directory,
                                        const std::string& name)
{
    // A full name (POSIX, drive or share path) stands for itself; a bare or
    // relative name lies in the working directory, as a C library open would
    // take it.
    const bool full = (!name.empty() && name[0] == '/') || name.starts_with("\\\\") ||
                      (name.size() >= 2 && name[1] == ':');
    const ResolvedPath resolved = full ? ResolvePath(name) : ResolveInDirectory(directory, name);
    return resolved.ok() ? resolved.path : std::filesystem::path();
}

} // namespace

ReportRunResult RunReport(const ReportRequest& request, const ReportRunControl& control)
{
    ReportRunResult result;
    const std::filesystem::path directory =
        request.workingDirectory.empty() ? std::filesystem::current_path() : request.workingDirectory;
    result.intermediateFile = directory / "dmtemp.dat";
    const std::string dmtemp = result.intermediateFile.string();
    std::error_code ec;
    std::filesystem::remove(result.intermediateFile, ec);

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
    if (known)
        result.intermediateWritten = file.WriteFile(result.intermediateFile);
    Percent(control, 100);

    if (request.print) {
        Progress(control, "Printing Report");
        result.printFailed = !control.print || !control.print(dmtemp);
    } else {
        Progress(control, "Saving Report");
        result.outputFile = ResolveOutputFile(directory, request.outputFile);
        result.outputFailed =
            result.outputFile.empty() || !WriteReportCsv(dmtemp, result.outputFile);
    }
    return result;
}

std::string ReportRunError(const ReportRunResult& result, const std::string& fileName)
{
    if (result.outputFailed)
        return "ERROR: Could not create report file " + fileName + ".";
    if (result.printFailed)
        return "ERROR: Could not print the report: no printer is available.";
    return {};
}

} // namespace dm
