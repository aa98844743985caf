#include "common/logfilereader.h"

#include <algorithm>

#include "common/iniparser.h"
#include "common/inistore.h"

namespace dm {

namespace {

class LogHandler : public IniHandler {
public:
    LogHandler(LogFileRules rules, std::vector<LogRecord>& records, const ProgressSink& progress)
        : m_rules(rules), m_records(records), m_progress(progress)
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
        LogRecord& record = m_records.emplace_back(m_template);
        bool decoded = m_rules == LogFileRules::Day ? DecodeLogValue(value, record)
                                                    : DecodeLegacyLogValue(value, record);
        if (!decoded) {
            m_records.pop_back();
            return true;
        }
        record.time = AtoiWrapped32(key);
        return true;
    }

private:
    LogFileRules m_rules;
    std::vector<LogRecord>& m_records;
    const ProgressSink& m_progress;
    std::string_view m_section;
    bool m_announced = false;
    LogRecord m_template; // server and port of the current section
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
    LogHandler handler(rules, records, progress);
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
