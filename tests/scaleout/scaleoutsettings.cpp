#include "tests/scaleout/scaleoutsettings.h"

#include "tests/support/tempdir.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace dm::test {

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::string> SplitOptions(const std::string& text)
{
    std::vector<std::string> options;
    std::string option;
    std::istringstream in(text);
    while (std::getline(in, option, ','))
        options.push_back(option);
    return options;
}

// The commands of the fenced blocks that follow the marker lines, with
// continuation lines joined and comments dropped.
std::vector<std::string> MarkedCommands(const std::string& document, int& blocks)
{
    std::vector<std::string> commands;
    std::istringstream in(document);
    std::string line;
    enum { Outside, AfterMarker, InBlock } state = Outside;
    std::string pending;
    blocks = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool fence = line.rfind("```", 0) == 0;
        if (state == Outside) {
            if (line.find(kScaleOutSettingsMarker) != std::string::npos)
                state = AfterMarker;
        } else if (state == AfterMarker) {
            if (fence) {
                state = InBlock;
                ++blocks;
            }
        } else if (fence) {
            if (!pending.empty())
                commands.push_back(pending);
            pending.clear();
            state = Outside;
        } else {
            const std::size_t first = line.find_first_not_of(" \t");
            if (pending.empty() && (first == std::string::npos || line[first] == '#'))
                continue;
            const bool continues = !line.empty() && line.back() == '\\';
            pending += continues ? line.substr(0, line.size() - 1) + " " : line;
            if (!continues) {
                commands.push_back(pending);
                pending.clear();
            }
        }
    }
    return commands;
}

} // namespace

bool ParseScaleOutSettings(const std::string& document, ScaleOutSettings& settings, std::string& error)
{
    settings = {};
    int blocks = 0;
    bool sawMount = false, sawFstab = false;
    std::vector<std::string> fstabOptions;
    for (const std::string& command : MarkedCommands(document, blocks)) {
        const std::vector<std::string> w = Words(command);
        if (w.size() >= 3 && w[0] == "gluster" && w[1] == "volume" && w[2] == "set") {
            if (w.size() < 6 || (w.size() - 4) % 2 != 0) {
                error = "a volume setting without its value: " + command;
                return false;
            }
            for (std::size_t i = 4; i + 1 < w.size(); i += 2)
                settings.volumeOptions.emplace_back(w[i], w[i + 1]);
        } else if (!w.empty() && w[0] == "mount") {
            const auto type = std::find(w.begin(), w.end(), "-t");
            const auto options = std::find(w.begin(), w.end(), "-o");
            if (type == w.end() || type + 1 == w.end() || type[1] != "glusterfs" || options == w.end()
                || options + 1 == w.end()) {
                error = "a mount command without -t glusterfs and -o: " + command;
                return false;
            }
            settings.mountOptions = SplitOptions(options[1]);
            sawMount = true;
        } else if (w.size() == 6 && w[2] == "glusterfs") {
            for (const std::string& option : SplitOptions(w[3]))
                if (option != "defaults" && option != "_netdev")
                    fstabOptions.push_back(option);
            sawFstab = true;
        } else {
            error = "a line the settings blocks should not hold: " + command;
            return false;
        }
    }
    if (blocks == 0) {
        error = std::string("no block follows the marker ") + kScaleOutSettingsMarker;
        return false;
    }
    if (settings.volumeOptions.empty() || !sawMount) {
        error = "the blocks need a \"gluster volume set\" and a \"mount -t glusterfs\" command";
        return false;
    }
    for (const std::string& option : settings.mountOptions)
        if (option.find('=') == std::string::npos || option.front() == '=') {
            error = "a mount option that is not NAME=VALUE: " + option;
            return false;
        }
    if (sawFstab && std::set<std::string>(fstabOptions.begin(), fstabOptions.end())
                        != std::set<std::string>(settings.mountOptions.begin(), settings.mountOptions.end())) {
        error = "the fstab line's options differ from the mount command's";
        return false;
    }
    return true;
}

bool ReadScaleOutSettings(const std::filesystem::path& document, ScaleOutSettings& settings, std::string& error)
{
    if (!std::filesystem::is_regular_file(document)) {
        error = "no document " + document.string();
        return false;
    }
    return ParseScaleOutSettings(ReadFile(document), settings, error);
}

std::string ClientArgumentOf(const std::string& mountOption)
{
    return "--" + mountOption;
}

} // namespace dm::test
