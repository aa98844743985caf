#pragma once
// The map from the system's help context numbers to the HTML help pages.
//
// The map file (docs/help/contexts.map) holds one context a line:
//     <number> topic <page.html>[#anchor]
//     <number> popup <page.html>
// Blank lines and lines starting with '#' are ignored. A topic opens in the
// help window; a pop-up is a short text shown as "What's This" help on a
// control. Page names are relative to the map file's directory and may not
// leave it.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dm {

struct HelpContext {
    enum class Kind { Topic, Popup };
    Kind kind = Kind::Topic;
    std::string page;    // relative to the help directory, without the anchor
    std::string anchor;  // may be empty
};

class HelpMap {
public:
    // Parses the map text; malformed lines are collected in Errors().
    void Parse(const std::string& text);
    // Reads <directory>/contexts.map; false when it cannot be read.
    bool Load(const std::filesystem::path& directory);

    std::optional<HelpContext> Find(int context) const;
    // The full path of a context's page (empty when the context is unknown).
    std::filesystem::path PagePath(int context) const;
    // The HTML body of a pop-up context's page, empty when unknown or unreadable.
    std::string PopupText(int context) const;

    const std::filesystem::path& Directory() const { return m_directory; }
    const std::vector<std::string>& Errors() const { return m_errors; }
    size_t Size() const { return m_contexts.size(); }

    // $DIALMIND_HELP_DIR, else share/dialminder/help beside the program's
    // directory, else the source tree's docs/help.
    static std::filesystem::path DefaultDirectory(const std::filesystem::path& programDir);

private:
    std::filesystem::path m_directory;
    std::map<int, HelpContext> m_contexts;
    std::vector<std::string> m_errors;
};

} // namespace dm
