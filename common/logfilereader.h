#pragma once
// Reads one activity log file in a single pass and appends its events, in
// the order the file lists them (section by section, key by key). Every key
// line is read once with its own value, so two events of one port in the
// same second, or a section that appears twice, lose nothing.

#include <filesystem>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "common/logrecord.h"
#include "common/userinteraction.h"

namespace dm {

enum class LogFileRules {
    Day,    // the day files: every field (DecodeLogValue)
    Legacy, // the legacy single file: DecodeLegacyLogValue
};

// Appends the events of the file to records. For every section that holds
// at least one key, progress (when set) receives "Processing logs from
// <section>, please wait...". Returns false when the file does not exist,
// is not a regular file or cannot be read (records are then unchanged).
bool ReadLogFile(const std::filesystem::path& path, LogFileRules rules,
                 std::vector<LogRecord>& records, const ProgressSink& progress = {});

// One event as a visitor sees it: views into the text being read (valid
// during the call only) and the decoded numbers.
struct LogEvent {
    std::string_view section; // "server\port" as the file spells it
    std::string_view server;  // before the section's last backslash
    std::string_view port;    // after it
    std::uint32_t time = 0;
    LogFields fields;
};

// Reads the files in order and appends their events, as ReadLogFile does
// each; files that are missing or cannot be read add nothing. Before a file
// the table is sized for it and for the files still to read (their bytes
// over the bytes a line took so far), so that it neither grows by half
// again nor keeps much unused room. Returns the positions in paths of the
// files that could not be read (missing ones among them).
std::vector<std::size_t> ReadLogFiles(const std::vector<std::filesystem::path>& paths, LogFileRules rules,
                  std::vector<LogRecord>& records, const ProgressSink& progress = {});

// Calls onEvent with every event of the text, in file order, with the same
// progress texts, copying nothing: what a loader that keeps a few fields of
// each event uses.
void VisitLogEvents(std::string_view text, LogFileRules rules,
                    const std::function<void(const LogEvent&)>& onEvent,
                    const ProgressSink& progress = {});

// Calls onRecord with every event of the text, in file order, with the same
// progress texts. The record passed is reused between calls: copy what you keep.
void VisitLogText(std::string_view text, LogFileRules rules,
                  const std::function<void(const LogRecord&)>& onRecord,
                  const ProgressSink& progress = {});

// The same for text already in memory.
void ReadLogText(std::string_view text, LogFileRules rules, std::vector<LogRecord>& records,
                 const ProgressSink& progress = {});

} // namespace dm
