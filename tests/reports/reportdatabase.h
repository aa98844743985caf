#pragma once
// A small database for report tests: day files, the legacy single log and
// portstat.log, shared on the test computer as \\TESTHOST\DM_NT_DB.

#include "tests/support/tempdir.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

namespace dm::test {

// Calendar time of a local date and time (TZ of the test).

// The fixed "now" of the golden files: Wednesday 2026-03-18 15:00 local.
std::time_t GoldenNow();

class ReportDatabase {
public:
    ReportDatabase();
    ~ReportDatabase();

    // The database directory as the system names it.
    std::string Directory() const { return "\\\\TESTHOST\\DM_NT_DB"; }
    const std::filesystem::path& LocalDirectory() const { return m_db; }
    // A scratch working directory for dmtemp.dat and the output.
    const std::filesystem::path& WorkDirectory() const { return m_work; }

    // Appends "key=value" lines to a section of a day file, the legacy log or
    // portstat.log (created when missing; sections are written as given).
    void AddDayFile(const std::string& date, const std::string& text);
    void AddLegacyLog(const std::string& text);
    void AddPortStat(const std::string& text);

    // The standard contents that the golden files describe.
    void FillStandard();

private:
    TempDir m_root;
    std::filesystem::path m_db;
    std::filesystem::path m_work;
};

// The golden file tests/data/reports/<name>; with DM_UPDATE_GOLDEN=1 set the
// actual text is stored instead and the comparison passes.
std::string Golden(const std::string& name, const std::string& actual);

} // namespace dm::test
