#pragma once
// The comma-separated report file, made from dmtemp.dat alone.

#include <filesystem>
#include <string>

namespace dm {

// Replaces `outputFile` with the report of the intermediate file `dmtempFile`:
// the heading line of the report type, the period line(s), then one line per
// row; every line ends with CR LF, fields are written as they stand. Stops
// after creating the file when ReportType is missing or not 1 to 4, and after
// the heading line when TimePeriodType is missing. False when the output
// file cannot be created.
bool WriteReportCsv(const std::string& dmtempFile, const std::filesystem::path& outputFile);

} // namespace dm
