// The profile parser and editor on arbitrary bytes: a file loads and saves
// byte for byte; rewriting every value through the editor into a new file
// and parsing that gives the same sections, keys and values; edits of the
// loaded file never break it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/inifile.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Sections that hold keys, with their entries, as a reader sees them.
std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>
View(const dm::IniFile& ini)
{
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> view;
    for (const auto& section : ini.SectionNames()) {
        auto entries = ini.Entries(section);
        if (!entries.empty())
            view.emplace_back(section, std::move(entries));
    }
    return view;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    dm::IniFile ini(text);
    Check(ini.Text() == text);

    // Parse -> write -> parse.
    const auto view = View(ini);
    dm::IniFile rebuilt;
    for (const auto& [section, entries] : view) {
        for (const auto& [key, value] : entries)
            Check(rebuilt.Write(section, key, dm::IniFile::QuoteForReadBack(value)));
    }
    Check(View(dm::IniFile(rebuilt.Text())) == view);

    // Edits of the loaded file: the written value reads back, other sections stay.
    // Bytes that begin with a UTF-16 byte-order mark but are no UTF-16 are
    // read as bytes; an edit can make them valid UTF-16, and the next read
    // then takes them as such, as Windows does. That ambiguity is the
    // format's, so such files are left out of the read-back check.
    const bool ambiguous = ini.TextEncoding() == dm::IniFile::Encoding::Bytes &&
                           (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF");
    if (!view.empty() && !ambiguous) {
        const std::string& section = view.front().first;
        const std::string value =
            dm::IniFile::SanitizeValue(text.substr(0, std::min<std::size_t>(size, 40)));
        Check(ini.Write(section, "fuzz key", dm::IniFile::QuoteForReadBack(value)));
        dm::IniFile reread(ini.Text());
        Check(reread.Value(section, "fuzz key") == std::optional<std::string_view>(value));
        for (std::size_t i = 1; i < view.size(); ++i)
            Check(reread.Entries(view[i].first) == view[i].second);
        Check(ini.DeleteKey(section, view.front().second.front().first));
        Check(ini.DeleteSection(section));
        Check(!dm::IniFile(ini.Text()).HasSection(section));
    }
    return 0;
}
