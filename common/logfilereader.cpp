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

void ReadLogText(std::string_view text, LogFileRules rules, std::vector<LogRecord>& records,
                 const ProgressSink& progress)
{
    // Room for one record a line, so that a large file is not copied while
    // the table grows; the table still grows geometrically over many files.
    std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (lines == 0)
        lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
    const std::size_t needed = records.size() + lines;
    if (needed > records.capacity())
        records.reserve(std::max(needed, records.capacity() + records.capacity() / 2));
    VisitLogText(
        text, rules, [&records](const LogRecord& record) { records.push_back(record); }, progress);
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
