#pragma once
// The printed report on the running program's default printer, or in the
// PDF file that $DIALMIND_PRINTER=pdf:FILE names.

#include "reports/printedreport.h"

#include <memory>
#include <string>

class QPrinter;

namespace dm {

// The printer a report job goes to, with the document name "Dialminder
// Report"; null when there is no default printer (and no PDF target).
std::unique_ptr<QPrinter> OpenReportPrinter();

// W, H and R of the printer's printable area in device units.
PageMetrics MetricsOf(QPrinter& printer);

// Paints the report on the printer; returns the number of pages printed.
int PrintReport(const PrintedReport& report, QPrinter& printer);

// The printing half of a report run: reads dmtemp.dat and prints it.
// Nothing to print, or no printer, prints nothing and reports nothing.
int PrintReportFile(const std::string& dmtempFile);

} // namespace dm
