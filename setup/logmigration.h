#pragma once
// The conversion of an old single activity log (Dialmind.log in the database
// directory) into one file per day in LogData, moving every record with its
// section and key unchanged. Afterwards the old file is renamed to
// dialmind.migrated so that the conversion does not run again.

#include "common/userinteraction.h"

#include <cstdint>
#include <string>

namespace dm {

class MigrationProgress {
public:
    virtual ~MigrationProgress() = default;
    // "Processed %d%% (%d records)"
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetPosition(int percent) = 0;
};

class LogMigration {
public:
    LogMigration(std::string databaseDirectory, UserInteraction& ui, MigrationProgress& progress)
        : m_dir(std::move(databaseDirectory)), m_ui(ui), m_progress(progress) {}

    // True when Dialmind.log of the database directory can be opened for reading.
    static bool HasLegacyLog(const std::string& databaseDirectory);

    // Runs the three steps and the rename. True when everything was moved.
    bool Run();

    // Records read from the old file for conversion, and of those the records
    // that reached their day files.
    std::uint64_t RecordsCopied() const { return m_records; }
    std::uint64_t RecordsWritten() const { return m_written; }

private:
    void ReportError(int step, unsigned long error, const std::string& reason);
    bool Convert();

    std::string m_dir;
    UserInteraction& m_ui;
    MigrationProgress& m_progress;
    std::uint64_t m_records = 0;
    std::uint64_t m_written = 0;
    bool m_failed = false;
};

} // namespace dm
