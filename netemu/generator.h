#pragma once
// dmsim generate: days of history written at once, deterministically from a
// seed, with one batch write per day file.

#include "netemu/callermodel.h"
#include "netemu/networkscan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dm::netemu {

struct GenerateOptions {
    int days = 0;
    // The last day to generate as a local date; year 0 means yesterday.
    int endYear = 0, endMonth = 0, endDay = 0;
    std::uint64_t seed = 1;
    bool legacy = false; // the single Dialmind.log instead of day files
    CallerModel model;
};

struct GenerateReport {
    std::uint32_t from = 0, to = 0; // local midnight of the first day, of the day after the last
    std::size_t servers = 0;        // servers with the server component that wrote history
    std::uint64_t records = 0;      // activity log records written
    std::uint64_t events = 0;
    std::vector<std::string> databases;
};

// Parses "YYYY-MM-DD" from 1971 to 2105; false when it is no date on the
// calendar. (Local midnight of a date: LocalTimeOf of common/timeformat.h.)
bool ParseDate(const std::string& text, int& year, int& month, int& day);

// Runs the simulation over the scanned servers. False with a message when
// nothing could be generated (no server with RAS, a file that cannot be written).
bool GenerateHistory(const std::vector<ScannedServer>& servers, const GenerateOptions& options,
                     GenerateReport& report, std::string& error);

} // namespace dm::netemu
