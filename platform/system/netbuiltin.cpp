#include "platform/system/netbuiltin.h"

#include "common/text.h"
#include "platform/system/execute.h"
#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/registry/regeditformat.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dm {

namespace {


// The computer where a RAS session of the user is connected, if any.
std::optional<fs::path> SessionComputer(std::string_view user)
{
    for (const auto& name : Network::Computers()) {
        auto dir = Network::ComputerDir(name);
        if (!dir)
            continue;
        const std::string ras = (*dir / "ras.ini").string();
        std::error_code ec;
        if (!fs::exists(*dir / "ras.ini", ec))
            continue;
        for (const auto& port : GetPrivateProfileSectionNames(ras)) {
            const std::string portUser = GetPrivateProfileString(port, "User", "", ras);
            if (portUser.empty())
                continue;
            const std::string domain = GetPrivateProfileString(port, "LogonDomain", "", ras);
            if (EqualNoCase(portUser, user) || (!domain.empty() && EqualNoCase(domain + "\\" + portUser, user)))
                return dir;
        }
    }
    return std::nullopt;
}

std::string MessageLine(std::string_view recipient, std::string_view text)
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string line = stamp;
    line += '\t';
    line += Network::LocalComputerName();
    line += '\t';
    for (char c : recipient)
        line += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    line += '\t';
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            line += "\n\t";
        } else {
            line += text[i];
        }
    }
    line += '\n';
    return line;
}

unsigned long AppendLine(const fs::path& file, const std::string& line)
{
    // One write: appends of several writers never interleave within a line.
    return AppendToFile(file, line);
}

bool IsShareName(std::string_view name)
{
    return !name.empty() && regedit::IsValidKeyComponent(name) &&
           name.find_first_of("=[]/;") == std::string_view::npos;
}

unsigned long RunNetShare(const std::vector<CommandArgument>& args)
{
    if (args.size() < 3)
        return winerr::InvalidParameter;
    const std::string& first = args[2].text;
    auto eq = first.find('=');
    if (eq == std::string::npos) {
        if (args.size() == 4 && (EqualNoCase(args[3].text, "/delete") || EqualNoCase(args[3].text, "/d")))
            return RemoveShare("", first);
        return winerr::InvalidParameter;
    }
    // An unquoted path with blanks arrives in pieces; options begin with '/'.
    std::string path = first.substr(eq + 1);
    for (std::size_t i = 3; i < args.size() && args[i].text.rfind('/', 0) != 0; ++i)
        path += " " + args[i].text;
    if (path.empty())
        return winerr::InvalidParameter;
    return SetShare("", first.substr(0, eq), path);
}

} // namespace

unsigned long DeliverNetMessage(std::string_view recipient, std::string_view text, fs::path* deliveredTo)
{
    fs::path file;
    if (auto dir = Network::ComputerDir(recipient); dir && !recipient.empty())
        file = *dir / "messages.log";
    else if (auto session = SessionComputer(recipient))
        file = *session / "messages.log";
    else
        file = Network::Root() / "messages.log";
    if (deliveredTo)
        *deliveredTo = file;
    return AppendLine(file, MessageLine(recipient, text));
}

unsigned long SetShare(std::string_view computer, std::string_view share, std::string_view path)
{
    if (!IsShareName(share) || path.find_first_of("\r\n") != std::string_view::npos)
        return winerr::InvalidParameter;
    auto dir = Network::ComputerDir(computer);
    if (!dir)
        return winerr::BadNetPath;
    // A share lies on its computer's drives: a host directory outside the
    // network is refused here as it would be on every use.
    if (!path.empty() && path[0] == '/') {
        if (const ResolvedPath stored = ResolveStoredPathOn(computer, path); !stored.ok())
            return stored.error;
    }
    return WritePrivateProfileString("Shares", share, path, (*dir / "shares.ini").string())
               ? winerr::Success
               : winerr::AccessDenied;
}

unsigned long RemoveShare(std::string_view computer, std::string_view share)
{
    auto dir = Network::ComputerDir(computer);
    if (!dir)
        return winerr::BadNetPath;
    const std::string file = (*dir / "shares.ini").string();
    if (GetPrivateProfileString("Shares", share, "", file).empty())
        return winerr::BadNetName;
    return DeletePrivateProfileKey("Shares", share, file) ? winerr::Success : winerr::AccessDenied;
}

unsigned long RunNetProgram(const std::vector<CommandArgument>& args, std::string_view commandLine)
{
    if (args.size() < 2)
        return winerr::InvalidParameter;
    if (EqualNoCase(args[1].text, "send")) {
        if (args.size() < 3)
            return winerr::InvalidParameter;
        // The text is the command line after the name and one separating blank, as typed.
        std::size_t start = args[2].end;
        if (start < commandLine.size())
            ++start;
        return DeliverNetMessage(args[2].text, commandLine.substr(std::min(start, commandLine.size())));
    }
    if (EqualNoCase(args[1].text, "share"))
        return RunNetShare(args);
    return winerr::NotSupported;
}

} // namespace dm
