#pragma once
// The comma-separated report file, made from dmtemp.dat alone.

#include <filesystem>
#include <string>

namespace dm {

// Replaces `outputFile` with the report of the intermediate file `dmtempFile`:
// the heading line of the report type, the period line(s), then one line per
// row; every line ends with CR LF, fields are written as they stand. Stops
// after creating the file when ReportType is missing or not 1 to 4, and after
// the heading line when TimePeriodType is missing.
//
// Every write, the flush and the close are checked. False, with the reason
// in *failure, when the file cannot be created or written whole; a partial
// file is removed then. A directory of that name is never removed or
// replaced: that is a failure too.
bool WriteReportCsv(const std::string& dmtempFile, const std::filesystem::path& outputFile,
                    std::string* failure = nullptr);

} // namespace dm
