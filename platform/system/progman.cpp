#include "platform/system/progman.h"

#include "common/ansitext.h"
#include "common/text.h"
#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace dm {

namespace {

fs::path EnvDir(const char* variable, const char* fallbackBelowHome)
{
    if (const char* value = std::getenv(variable); value && *value)
        return value;
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "/tmp") / fallbackBelowHome;
}

std::string XmlEscape(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A desktop entry's string value: UTF-8 whatever the bytes given (code page
// bytes become their letters), and no line breaks may reach the file.
std::string EntryValue(std::string_view text)
{
    std::string out;
    for (char c : AnsiToUtf8(text))
        out += (c == '\n' || c == '\r') ? ' ' : c;
    return out;
}

// A string value as a desktop entry file holds it: a backslash is written
// twice (the Exec key's own quoting is applied before this).
std::string EscapeStringValue(std::string_view text)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\\')
            out += '\\';
    }
    return out;
}

// One argument of an Exec key, quoted by the desktop entry rules.
std::string ExecArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"'\\><~|&;$*?#()`") == std::string::npos)
        return arg;
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    // A literal '%' must be doubled inside Exec.
    std::string escaped;
    for (char c : out) {
        escaped += c;
        if (c == '%')
            escaped += '%';
    }
    return escaped;
}

// An item's command line: blanks separate, double quotes group.
std::vector<std::string> SplitItemCommand(std::string_view commandLine)
{
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any)
                args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        args.push_back(current);
    return args;
}

// A program of the emulated network runs on the network and as the computer
// it was installed on, whatever the desktop session's environment says.
std::string NetworkEnvironment()
{
    std::string exec = "env " + ExecArgument("DIALMIND_NETWORK=" + Network::Root().string());
    if (const char* computer = std::getenv("DIALMIND_COMPUTERNAME"); computer && *computer)
        exec += " " + ExecArgument("DIALMIND_COMPUTERNAME=" + Network::LocalComputerName());
    return exec + " ";
}

std::string ExecLine(std::string_view command)
{
    std::vector<std::string> args = SplitItemCommand(AnsiToUtf8(command));
    if (args.empty())
        return {};
    std::string program = ResolvePathOrEmpty(args[0]).string();
    if (program.empty())
        program = args[0];
    std::string exec;
    if (EndsWithNoCase(args[0], ".exe"))
        exec = NetworkEnvironment();
    else
        exec = "xdg-open ";
    exec += ExecArgument(program);
    for (std::size_t i = 1; i < args.size(); ++i)
        exec += " " + ExecArgument(args[i]);
    return exec;
}

// "Name(args)" inside the brackets -> name and the raw argument text.
bool ParseCommand(std::string_view command, std::string& name, std::string& args)
{
    if (command.size() < 4 || command.front() != '[' || command.back() != ']')
        return false;
    command = command.substr(1, command.size() - 2);
    const auto open = command.find('(');
    if (open == std::string_view::npos || command.back() != ')')
        return false;
    name = LowerAscii(command.substr(0, open));
    args = std::string(command.substr(open + 1, command.size() - open - 2));
    return true;
}

// Splits at commas outside double quotes.
std::vector<std::string> SplitArguments(const std::string& args)
{
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : args) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string GroupFileBase(const std::string& group) { return "dialminder-" + MenuSlug(group); }

void RecordCommand(std::string_view command)
{
    const fs::path windows = Network::LocalWindowsDir();
    if (windows.empty())
        return; // an invalid local computer has no folder to keep the log in
    // Never a FIFO or a link out of the network: either would hold setup up
    // or write elsewhere.
    (void)AppendToFile(windows.parent_path() / "progman.log", EntryValue(command) + "\n");
}

bool WriteText(const fs::path& file, const std::string& text)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

unsigned long CreateGroup(const std::string& group)
{
    const std::string base = GroupFileBase(group);
    const std::string category = "X-Dialminder-" + MenuSlug(group);
    const bool ok =
        WriteText(DesktopDirectoriesDir() / (base + ".directory"),
                  "[Desktop Entry]\nType=Directory\nName=" + EntryValue(group) + "\n") &&
        WriteText(DesktopMenuMergeDir() / (base + ".menu"),
                  "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                  " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
                  "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>" +
                      XmlEscape(AnsiToUtf8(group)) + "</Name>\n    <Directory>" + base +
                      ".directory</Directory>\n    <Include>\n      <Category>" + category +
                      "</Category>\n    </Include>\n  </Menu>\n</Menu>\n");
    return ok ? 0 : 5;
}

unsigned long AddItem(const std::string& group, const std::string& command,
                      const std::string& title)
{
    const fs::path file =
        DesktopApplicationsDir() / (GroupFileBase(group) + "-" + MenuSlug(title) + ".desktop");
    const std::string text = "[Desktop Entry]\nType=Application\nName=" + EntryValue(title) +
                             "\nExec=" + EscapeStringValue(EntryValue(ExecLine(command))) +
                             "\nCategories=X-Dialminder-" + MenuSlug(group) +
                             ";\nX-Dialminder-Command=" + EntryValue(command) + "\n";
    return WriteText(file, text) ? 0 : 5;
}

unsigned long DeleteGroup(const std::string& group)
{
    const std::string base = GroupFileBase(group);
    std::error_code ec;
    fs::remove(DesktopDirectoriesDir() / (base + ".directory"), ec);
    fs::remove(DesktopMenuMergeDir() / (base + ".menu"), ec);
    // The increment's own error ends the listing; it never throws.
    std::error_code listing;
    for (fs::directory_iterator it(DesktopApplicationsDir(), listing), end;
         !listing && it != end; it.increment(listing)) {
        const auto& entry = *it;
        const std::string name = entry.path().filename().string();
        if (name.rfind(base + "-", 0) == 0 && EndsWithNoCase(name, ".desktop"))
            fs::remove(entry.path(), ec);
    }
    return 0;
}

} // namespace

fs::path DesktopApplicationsDir() { return EnvDir("XDG_DATA_HOME", ".local/share") / "applications"; }
fs::path DesktopDirectoriesDir()
{
    return EnvDir("XDG_DATA_HOME", ".local/share") / "desktop-directories";
}
fs::path DesktopMenuMergeDir()
{
    return EnvDir("XDG_CONFIG_HOME", ".config") / "menus" / "applications-merged";
}

std::string MenuSlug(std::string_view title)
{
    std::string slug;
    for (char c : title) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            slug += LowerAscii(c);
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
    }
    while (!slug.empty() && slug.back() == '-')
        slug.pop_back();
    return slug.empty() ? "item" : slug;
}

unsigned long ProgmanConversation::Execute(std::string_view command)
{
    RecordCommand(command);
    std::string name, args;
    if (!ParseCommand(command, name, args))
        return 87;
    const std::vector<std::string> parts = SplitArguments(args);
    if (name == "creategroup") {
        m_group = parts[0];
        return CreateGroup(m_group);
    }
    if (name == "deletegroup")
        return DeleteGroup(parts[0]);
    if (name == "additem") {
        if (m_group.empty() || parts.size() < 2)
            return 87;
        return AddItem(m_group, parts[0], parts[1]);
    }
    return 0;
}

std::vector<std::string> ReadProgmanCommands()
{
    std::vector<std::string> commands;
    std::string text;
    if (ReadRegularFile(Network::LocalWindowsDir().parent_path() / "progman.log", text) != 0)
        return commands;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        commands.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return commands;
}

} // namespace dm
