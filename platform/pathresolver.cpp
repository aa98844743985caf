#include "platform/pathresolver.h"

#include "platform/network.h"
#include "platform/profile.h"

#include <cctype>
#include <strings.h>

namespace fs = std::filesystem;

namespace dm {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits "a\b/c" into its non-empty components.
std::vector<std::string> SplitComponents(std::string_view path)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (IsSeparator(c)) {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return parts;
}

fs::path Join(fs::path base, const std::vector<std::string>& parts, std::size_t from)
{
    for (std::size_t i = from; i < parts.size(); ++i)
        base /= parts[i];
    return base;
}

bool HasDrive(std::string_view path)
{
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// The directory that holds a computer's drive ("C:") on this machine.
ResolvedPath DriveRoot(std::string_view computer, char drive)
{
    auto dir = Network::ComputerDir(computer);
    if (!dir) {
        if (Network::NormalizeComputerName(computer) != Network::LocalComputerName())
            return {{}, winerr::BadNetPath};
        dir = Network::AddComputer(computer);
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
    return {*dir / "drives" / std::string(1, letter), 0};
}

ResolvedPath ResolveUnc(std::string_view path)
{
    const auto parts = SplitComponents(path);
    if (parts.empty())
        return {{}, winerr::BadNetPath};
    const std::string& computer = parts[0];
    if (unsigned long error = Network::CheckReachable(computer))
        return {{}, error};
    if (parts.size() < 2)
        return {{}, winerr::BadNetName};
    const fs::path computerDir = *Network::ComputerDir(computer);
    const std::string shared = GetPrivateProfileString("Shares", parts[1], "",
                                                       (computerDir / "shares.ini").string());
    if (shared.empty())
        return {{}, winerr::BadNetName};
    // A share whose directory is itself a share or a relative name would loop
    // or depend on our working directory; only local paths of that computer count.
    if (shared.size() >= 2 && IsSeparator(shared[0]) && IsSeparator(shared[1]))
        return {{}, winerr::BadNetName};
    ResolvedPath base = ResolvePathOn(computer, shared);
    if (!base.ok())
        return base;
    return {MatchCaseInsensitive(Join(base.path, parts, 2)), 0};
}

} // namespace

fs::path MatchCaseInsensitive(const fs::path& path)
{
    fs::path result = path.root_path();
    bool matching = true;
    std::error_code ec;
    for (const auto& part : path.relative_path()) {
        if (!matching || part == "." || part == "..") {
            result /= part;
            continue;
        }
        fs::path exact = result / part;
        if (fs::exists(fs::symlink_status(exact, ec))) {
            result = std::move(exact);
            continue;
        }
        bool found = false;
        const fs::path dir = result.empty() ? fs::path(".") : result;
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            if (strcasecmp(entry.path().filename().c_str(), part.c_str()) == 0) {
                result /= entry.path().filename();
                found = true;
                break;
            }
        }
        if (!found) {
            // Components below a missing one cannot exist: keep the spelling given.
            matching = false;
            result /= part;
        }
    }
    return result;
}

ResolvedPath ResolvePathOn(std::string_view computer, std::string_view systemPath)
{
    if (systemPath.size() >= 2 && IsSeparator(systemPath[0]) && IsSeparator(systemPath[1]) &&
        systemPath[0] == '\\')
        return ResolveUnc(systemPath.substr(2));
    if (!systemPath.empty() && systemPath[0] == '/')
        return {MatchCaseInsensitive(Join("/", SplitComponents(systemPath), 0)), 0};
    if (HasDrive(systemPath)) {
        ResolvedPath root = DriveRoot(computer, systemPath[0]);
        if (!root.ok())
            return root;
        return {MatchCaseInsensitive(Join(root.path, SplitComponents(systemPath.substr(2)), 0)), 0};
    }
    const auto parts = SplitComponents(systemPath);
    if (parts.empty())
        return {{}, winerr::FileNotFound};
    if (parts.size() == 1 && !IsSeparator(systemPath[0]))
        return {MatchCaseInsensitive(Network::WindowsDir(computer) / parts[0]), 0};
    if (IsSeparator(systemPath[0])) {
        // "\dir\file": the root of the current drive, C: on that computer.
        ResolvedPath root = DriveRoot(computer, 'C');
        if (!root.ok())
            return root;
        return {MatchCaseInsensitive(Join(root.path, parts, 0)), 0};
    }
    return {MatchCaseInsensitive(Join(fs::current_path(), parts, 0)), 0};
}

ResolvedPath ResolvePath(std::string_view systemPath)
{
    return ResolvePathOn(Network::LocalComputerName(), systemPath);
}

fs::path ResolvePathOrEmpty(std::string_view systemPath)
{
    ResolvedPath resolved = ResolvePath(systemPath);
    return resolved.ok() ? resolved.path : fs::path();
}

ResolvedPath ResolveInDirectory(const fs::path& dir, std::string_view name)
{
    const auto parts = SplitComponents(name);
    if (parts.empty())
        return {{}, winerr::FileNotFound};
    return {MatchCaseInsensitive(Join(dir, parts, 0)), 0};
}

} // namespace dm
