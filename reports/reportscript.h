#pragma once
// The report script (dmscript.dat): the section Settings that the manager's
// Save Script writes and dmreport reads.
//
//   [Settings]
//   FileName=dmreport.csv        the comma-separated output file
//   ReportType=1                 1 to 4
//   TimePeriodType=4             1 to 5
//   TimePeriodFrom=...           period type 5 only: calendar times, decimal
//   TimePeriodTo=...
//   PrintReport=1                1 print, 0 write FileName
//   MasterShare=\\HQRAS01\DM_NT_DB

#include <cstdint>
#include <string>

namespace dm {

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

// Writes the settings into the section Settings of scriptFile (a bare name
// lies in the Windows directory, as for every profile file), in one replace.
// The bounds are written only for period type 5, unsigned, so that times past
// 2038 read back as they were. False when the file could not be written.
bool WriteReportScript(const std::string& scriptFile, const ReportScript& script);

} // namespace dm
