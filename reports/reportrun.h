#pragma once
// A report run: extraction into dmtemp.dat, then the comma-separated file or
// the printed report. Shared by the manager (on a worker thread behind its
// progress dialog) and dmreport.

#include "common/userinteraction.h"
#include "reports/reportperiod.h"

#include <atomic>
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dm {

struct ReportRequest {
    int reportType = ReportUsagePerUser; // 1 to 4; any other gives an empty result
    int periodType = PeriodAllRecords;   // 1 to 5
    ReportPeriod custom;                 // the bounds of period type 5
    std::string databaseDirectory;       // whose LogData, Dialmind.log and portstat.log are read
    bool print = false;                  // print, otherwise write outputFile
    std::string outputFile = "dmreport.csv"; // a bare or relative name lies in workingDirectory
    // Also take the records of the legacy single log Dialmind.log when it
    // still lies in the database directory (dmreport).
    bool includeLegacyLog = false;
    std::optional<std::time_t> now;      // the current time; unset = the clock
    std::filesystem::path workingDirectory; // where dmtemp.dat lies; empty = the current directory
};

struct ReportRunControl {
    using PrintFunction = std::function<bool(const std::string& dmtempFile)>;

    // Polled before every record of report types 1 to 3; a set flag stops the
    // run with no output.
    const std::atomic<bool>* cancel = nullptr;
    // "Loading and sorting data", the loaders' texts, "Checking record %d of
    // %d", "Saving Report", "Printing Report".
    ProgressSink progress;
    // dmreport's progress bar: 60 when the records are loaded, 100 when
    // extraction is done.
    std::function<void(int)> percent;
    // The printing half (Qt, in dm_reports_print): false when no printer
    // could be opened. Unset means no printer.
    PrintFunction print;
};

struct ReportRunResult {
    bool cancelled = false;
    bool intermediateWritten = false; // dmtemp.dat
    bool intermediateFailed = false;  // dmtemp.dat could not be written: no output was made
    bool outputFailed = false;        // the comma-separated file could not be written whole
    std::string failure;              // why, for the messages ("it is a directory")
    bool printFailed = false;         // no printer took the report
    ReportPeriod period;
    std::size_t records = 0;          // log events the run walked
    std::filesystem::path intermediateFile;
    std::filesystem::path outputFile; // the comma-separated file as resolved
};

ReportRunResult RunReport(const ReportRequest& request, const ReportRunControl& control = {});

// The "ERROR: ..." line of a run that produced nothing where it was asked to
// (fileName as the script or the dialog gave it), or empty when the report
// was written or printed (or the run was cancelled). dmreport prints it, the
// manager shows it in a message box.
std::string ReportRunError(const ReportRunResult& result, const std::string& fileName);

} // namespace dm
