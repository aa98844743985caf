#include "common/logfilereader.h"

#include <algorithm>

#include "common/iniparser.h"
#include "common/inistore.h"
#include "common/numbers.h"

namespace dm {

namespace {

class LogHandler : public IniHandler {
public:
    LogHandler(LogFileRules rules, const std::function<void(const LogEvent&)>& onEvent,
               const ProgressSink& progress)
        : m_rules(rules), m_onEvent(onEvent), m_progress(progress)
    {
    }

    bool OnSection(std::string_view name, const IniLine&) override
    {
        m_event.section = name;
        const std::size_t slash = name.rfind('\\');
        m_event.server = slash == std::string_view::npos ? std::string_view() : name.substr(0, slash);
        m_event.port = slash == std::string_view::npos ? name : name.substr(slash + 1);
        m_announced = false;
        return true;
    }

    bool OnKey(std::string_view key, std::string_view value, const IniLine&) override
    {
        if (!m_announced) {
            m_announced = true;
            if (m_progress)
                m_progress("Processing logs from " + std::string(m_event.section) + ", please wait...");
        }
        const bool decoded = m_rules == LogFileRules::Day ? DecodeLogValue(value, m_event.fields)
                                                          : DecodeLegacyLogValue(value, m_event.fields);
        if (decoded) {
            m_event.time = AtoiWrapped32(key);
            m_onEvent(m_event);
        }
        return true;
    }

private:
    LogFileRules m_rules;
    const std::function<void(const LogEvent&)>& m_onEvent;
    const ProgressSink& m_progress;
    bool m_announced = false;
    LogEvent m_event;
};

} // namespace

void VisitLogEvents(std::string_view text, LogFileRules rules,
                    const std::function<void(const LogEvent&)>& onEvent, const ProgressSink& progress)
{
    LogHandler handler(rules, onEvent, progress);
    ParseIni(text, handler);
}

void VisitLogText(std::string_view text, LogFileRules rules,
                  const std::function<void(const LogRecord&)>& onRecord, const ProgressSink& progress)
{
    // Server and port change with the section only: set once a section.
    LogRecord record;
    std::string_view section;
    bool first = true;
    VisitLogEvents(
        text, rules,
        [&](const LogEvent& event) {
            if (first || event.section.data() != section.data() || event.section.size() != section.size()) {
                first = false;
                section = event.section;
                record.server = event.server;
                record.port = event.port;
            }
            record.time = event.time;
            SetLogFields(event.fields, record);
            onRecord(record);
        },
        progress);
}

namespace {

// The lines of a text: at most one record each.
std::size_t CountLines(std::string_view text)
{
    const auto lf = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return lf > 0 ? lf + 1 : static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r')) + 1;
}

void AppendRecords(std::string_view text, LogFileRules rules, std::vector<LogRecord>& records,
                   const ProgressSink& progress)
{
    VisitLogText(
        text, rules, [&records](const LogRecord& record) { records.push_back(record); }, progress);
}

} // namespace

void ReadLogText(std::string_view text, LogFileRules rules, std::vector<LogRecord>& records,
                 const ProgressSink& progress)
{
    // Room for one record a line, so that a large file is not copied while
    // the table grows.
    const std::size_t needed = records.size() + CountLines(text);
    if (needed > records.capacity())
        records.reserve(std::max(needed, records.capacity() + records.capacity() / 2));
    AppendRecords(text, rules, records, progress);
}

std::vector<std::size_t> ReadLogFiles(const std::vector<std::filesystem::path>& paths, LogFileRules rules,
                                      std::vector<LogRecord>& records, const ProgressSink& progress)
{
    std::vector<std::size_t> failed;
    std::uintmax_t ahead = 0; // bytes of the files not read yet
    std::vector<std::uintmax_t> sizes;
    for (const std::filesystem::path& path : paths) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        sizes.push_back(ec ? 0 : size);
        ahead += sizes.back();
    }
    std::uintmax_t bytesRead = 0;
    std::uintmax_t linesRead = 0;
    std::string text;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ahead -= sizes[i];
        if (!ReadWholeFile(paths[i], text)) {
            failed.push_back(i);
            continue;
        }
        const std::size_t lines = CountLines(text);
        bytesRead += text.size();
        linesRead += lines;
        const std::size_t needed = records.size() + lines;
        if (needed > records.capacity())
            records.reserve(needed + static_cast<std::size_t>(
                                         bytesRead > 0 ? ahead * linesRead / bytesRead + 1 : 0));
        AppendRecords(text, rules, records, progress);
    }
    return failed;
}

bool ReadLogFile(const std::filesystem::path& path, LogFileRules rules,
                 std::vector<LogRecord>& records, const ProgressSink& progress)
{
    std::string text;
    if (!ReadWholeFile(path, text))
        return false;
    ReadLogText(text, rules, records, progress);
    return true;
}

} // namespace dm
