#pragma once
// The printed report on the running program's default printer, or in the
// PDF file that $DIALMIND_PRINTER=pdf:FILE names.

#include "reports/printedreport.h"

#include <memory>
#include <string>

class QPrinter;

namespace dm {

// The printer a report job goes to, with the document name "Dialminder
// Report": the PDF target when one is set, else the printer named (when it
// exists), else the default printer; null when there is none.
std::unique_ptr<QPrinter> OpenReportPrinter(const std::string& printerName = {});

// W, H and R of the printer's printable area in device units.
PageMetrics MetricsOf(QPrinter& printer);

// Paints the report on the printer; returns the number of pages printed.
int PrintReport(const PrintedReport& report, QPrinter& printer);

// The printing half of a report run: reads dmtemp.dat and prints it on
// OpenReportPrinter(printerName). Returns the pages printed (0 when there is
// nothing to print), or -1 when no printer could be opened.
int PrintReportFile(const std::string& dmtempFile, const std::string& printerName = {});

} // namespace dm
