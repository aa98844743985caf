#include "common/logfilereader.h"

#include <algorithm>

#include "common/iniparser.h"
#include "common/inistore.h"
#include "common/numbers.h"

namespace dm {

namespace {

class LogHandler : public IniHandler {
public:
    LogHandler(LogFileRules rules, const std::function<void(const LogRecord&)>& onRecord,
               const ProgressSink& progress)
        : m_rules(rules), m_onRecord(onRecord), m_progress(progress)
    {
    }

    bool OnSection(std::string_view name, const IniLine&) override
    {
        m_section = name;
        m_announced = false;
        SetLogSection(name, m_template);
        return true;
    }

    bool OnKey(std::string_view key, std::string_view value, const IniLine&) override
    {
        if (!m_announced) {
            m_announced = true;
            if (m_progress)
                m_progress("Processing logs from " + std::string(m_section) + ", please wait...");
        }
        m_record = m_template;
        const bool decoded = m_rules == LogFileRules::Day ? DecodeLogValue(value, m_record)
                                                          : DecodeLegacyLogValue(value, m_record);
        if (decoded) {
            m_record.time = AtoiWrapped32(key);
            m_onRecord(m_record);
        }
        return true;
    }

private:
    LogFileRules m_rules;
    const std::function<void(const LogRecord&)>& m_onRecord;
    const ProgressSink& m_progress;
    std::string_view m_section;
    bool m_announced = false;
    LogRecord m_template; // server and port of the current section
    LogRecord m_record;
};

} // namespace

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

void VisitLogText(std::string_view text, LogFileRules rules,
                  const std::function<void(const LogRecord&)>& onRecord, const ProgressSink& progress)
{
    LogHandler handler(rules, onRecord, progress);
    ParseIni(text, handler);
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
