#pragma once
// The report dialog's choice, kept in the document for the life of the program.

#include <cstdint>
#include <string>

namespace dm {

struct ReportSettings {
    int reportType = 1;           // 1 to 4
    int periodType = 4;           // 1 to 5; 4 = all records
    std::uint32_t from = 0;       // custom period bounds (period type 5)
    std::uint32_t to = 0;
    bool print = true;            // print on the printer, otherwise write the file
    bool detail = true;           // second report flag
    std::string outputFileName = "dmreport.csv";
    // The printer chosen in Send To; empty = the user's default printer.
    std::string printerName;
};

} // namespace dm
