#pragma once
// The four extraction steps: each fills the intermediate file with the
// Format section and its result sections.

#include "common/userinteraction.h"
#include "reports/reportevents.h"
#include "reports/reportintermediate.h"
#include "reports/reportperiod.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// What the caller of a run can watch and stop. The cancel flag is polled
// before every record of the usage and denied-connection steps; the progress
// sink, when set, gets "Checking record %d of %d" before every record.
struct ExtractionControl {
    const std::atomic<bool>* cancel = nullptr;
    ProgressSink progress;

    bool Cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
};

// Format/ReportType, Format/TimePeriodType, Format/From and Format/To
// ("First available record" and "Last available record" for period type 4).
void WriteFormatSection(ReportIntermediate& file, int reportType, int periodType,
                        const ReportPeriod& period);

// Each step walks the events in time order and returns false when it was
// cancelled (the file is then incomplete and must not be written).
bool ExtractUsagePerUser(const ReportEvents& events, const ReportPeriod& period,
                         ReportIntermediate& file, const ExtractionControl& control);
bool ExtractUsagePerPort(const ReportEvents& events, const ReportPeriod& period,
                         ReportIntermediate& file, const ExtractionControl& control);
bool ExtractDeniedConnections(const ReportEvents& events, const ReportPeriod& period,
                              ReportIntermediate& file, const ExtractionControl& control);
// Copies the entries of the statistics file whose time key lies in the
// period; sections and keys keep their spelling, values are copied verbatim.
// A missing file contributes nothing. Cannot be cancelled.
// The hourly counts of portstat.log inside the period; false when cancelled
// (tested before each section).
bool ExtractBusyPorts(const std::string& portStatFile, const ReportPeriod& period,
                      ReportIntermediate& file, const ExtractionControl& control = {});

} // namespace dm
