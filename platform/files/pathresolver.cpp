#include "platform/files/pathresolver.h"

#include "common/text.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"

#include <cctype>
#include <mutex>
#include <strings.h>

namespace fs = std::filesystem;

namespace dm {

// A system path turned into a path of this machine, before the check that
// its links stay inside the network.
ResolvedPath ResolveUnconfined(std::string_view computer, std::string_view systemPath);

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

// Takes "." and ".." as a real file system would, except that ".." never
// climbs above the first component: false then, as such a path is invalid
// (161) rather than a way out of a share, a drive or the network.
bool NormalizeConfined(const std::vector<std::string>& parts, std::size_t from,
                       std::vector<std::string>& kept)
{
    kept.clear();
    for (std::size_t i = from; i < parts.size(); ++i) {
        if (parts[i] == ".")
            continue;
        if (parts[i] == "..") {
            if (kept.empty())
                return false;
            kept.pop_back();
            continue;
        }
        kept.push_back(parts[i]);
    }
    return true;
}

// The components joined below base, confined to it.
ResolvedPath JoinConfined(const fs::path& base, const std::vector<std::string>& parts,
                          std::size_t from)
{
    std::vector<std::string> kept;
    if (!NormalizeConfined(parts, from, kept))
        return {{}, winerr::BadPathName};
    return {MatchCaseInsensitive(Join(base, kept, 0)), 0};
}

// True when path lies at or below root; both absolute and lexically normal.
bool IsWithin(const fs::path& path, const fs::path& root)
{
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty() && std::next(r) == root.end())
            return true; // root's trailing separator
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

fs::path AbsoluteNormal(const fs::path& path)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec)
        absolute = path;
    absolute = absolute.lexically_normal();
    if (absolute.has_relative_path() && absolute.filename().empty())
        absolute = absolute.parent_path();
    return absolute;
}

// The path a write lands on: every symbolic link followed, a dangling last
// one included (creating a file through it creates its target). Empty when
// the links loop.
fs::path FollowLinks(fs::path path)
{
    std::error_code ec;
    for (int hops = 0; hops < 40; ++hops) {
        fs::path parent = fs::weakly_canonical(path.parent_path(), ec);
        if (ec)
            parent = path.parent_path();
        path = parent / path.filename();
        if (!fs::is_symlink(fs::symlink_status(path, ec)))
            return path;
        const fs::path link = fs::read_symlink(path, ec);
        if (ec)
            return path;
        path = AbsoluteNormal(link.is_absolute() ? link : path.parent_path() / link);
    }
    return {};
}

bool HasDrive(std::string_view path)
{
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

ResolvedPath DriveRoot(std::string_view computer, char drive);

// A path on a computer's drive: the components below the drive's root, "."
// and ".." already taken. "C:\WINNT" is that computer's Windows directory.
ResolvedPath OnDrive(std::string_view computer, char drive, const std::vector<std::string>& parts)
{
    std::vector<std::string> kept;
    if (!NormalizeConfined(parts, 0, kept))
        return {{}, winerr::BadPathName};
    ResolvedPath root = DriveRoot(computer, drive);
    if (!root.ok())
        return root;
    const std::string windows(WindowsDirectoryName.substr(3));
    if (UpperAscii(drive) == WindowsDirectoryName[0] &&
        !kept.empty() && EqualNoCase(kept[0], windows)) {
        const fs::path dir = Network::WindowsDir(computer);
        if (dir.empty())
            return {{}, winerr::InvalidName};
        return {MatchCaseInsensitive(Join(dir, kept, 1)), 0};
    }
    return {MatchCaseInsensitive(Join(root.path, kept, 0)), 0};
}

// The directory that holds a computer's drive ("C:") on this machine.
ResolvedPath DriveRoot(std::string_view computer, char drive)
{
    auto dir = Network::ComputerDir(computer);
    if (!dir) {
        if (Network::NormalizeComputerName(computer) != Network::LocalComputerName())
            return {{}, winerr::BadNetPath};
        if (unsigned long error = Network::CheckLocalComputerName())
            return {{}, error};
        dir = Network::AddComputer(computer);
    }
    const char letter = UpperAscii(drive);
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
    ResolvedPath base = ResolveStoredPathOn(computer, shared);
    if (!base.ok())
        return base;
    return JoinConfined(base.path, parts, 2);
}

// The network root with every link followed, worked out once per root.
fs::path RealRoot(const fs::path& root)
{
    static std::mutex mutex;
    static fs::path lastRoot, lastReal;
    std::lock_guard lock(mutex);
    if (lastReal.empty() || lastRoot != root) {
        lastRoot = root;
        lastReal = FollowLinks(root);
    }
    return lastReal;
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
        // The increment's own error ends the listing; it never throws.
        std::error_code listing;
        for (fs::directory_iterator it(dir, listing), end;
             !listing && it != end; it.increment(listing)) {
            const auto& entry = *it;
            if (EqualNoCase(entry.path().filename().native(), part.native())) {
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

ResolvedPath ResolveUnconfined(std::string_view computer, std::string_view systemPath)
{
    if (systemPath.size() >= 2 && IsSeparator(systemPath[0]) && IsSeparator(systemPath[1]) &&
        systemPath[0] == '\\')
        return ResolveUnc(systemPath.substr(2));
    if (!systemPath.empty() && systemPath[0] == '/')
        return {MatchCaseInsensitive(Join("/", SplitComponents(systemPath), 0)), 0};
    if (HasDrive(systemPath))
        return OnDrive(computer, systemPath[0], SplitComponents(systemPath.substr(2)));
    const auto parts = SplitComponents(systemPath);
    if (parts.empty())
        return {{}, winerr::FileNotFound};
    if (parts.size() == 1 && !IsSeparator(systemPath[0])) {
        if (parts[0] == "." || parts[0] == "..")
            return {{}, winerr::BadPathName};
        const fs::path windows = Network::WindowsDir(computer);
        if (windows.empty())
            return {{}, winerr::InvalidName};
        return {MatchCaseInsensitive(windows / parts[0]), 0};
    }
    if (IsSeparator(systemPath[0])) {
        // "\dir\file": the root of the current drive, C: on that computer.
        return OnDrive(computer, 'C', parts);
    }
    // Relative to the working directory; one that was deleted resolves nothing.
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec)
        return {{}, winerr::PathNotFound};
    return {MatchCaseInsensitive(Join(cwd, parts, 0)), 0};
}

ResolvedPath ResolvePathOn(std::string_view computer, std::string_view systemPath)
{
    ResolvedPath resolved = ResolveUnconfined(computer, systemPath);
    return resolved.ok() ? ConfineToNetwork(resolved.path) : resolved;
}

ResolvedPath ResolveStoredPathOn(std::string_view computer, std::string_view storedPath)
{
    // Only a drive path, a bare name or a network path names a place of the
    // emulated network; a host path or one relative to our working directory
    // must already lie inside the root to be taken.
    const bool hostPath = !storedPath.empty() && storedPath[0] == '/';
    const bool relative = !storedPath.empty() && !HasDrive(storedPath) && !IsSeparator(storedPath[0]) &&
                          SplitComponents(storedPath).size() > 1;
    ResolvedPath resolved = ResolvePathOn(computer, storedPath);
    if (resolved.ok() && (hostPath || relative) &&
        !IsWithin(AbsoluteNormal(resolved.path), AbsoluteNormal(Network::Root())))
        return {{}, winerr::BadPathName};
    return resolved;
}

ResolvedPath ConfineToNetwork(const fs::path& path)
{
    const fs::path lexical = AbsoluteNormal(path);
    const fs::path root = AbsoluteNormal(Network::Root());
    if (!IsWithin(lexical, root))
        return {path, 0};
    const fs::path real = FollowLinks(lexical);
    const fs::path realRoot = RealRoot(root);
    if (real.empty() || realRoot.empty() || !IsWithin(real, realRoot))
        return {{}, winerr::BadPathName};
    return {path, 0};
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

ResolvedPath ResolveWriteTarget(const fs::path& path)
{
    if (ResolvedPath confined = ConfineToNetwork(path); !confined.ok())
        return confined;
    const fs::path real = FollowLinks(AbsoluteNormal(path));
    std::error_code ec;
    if (!real.empty() && fs::is_symlink(fs::symlink_status(path, ec)))
        return {real, 0};
    return {path, 0};
}

ResolvedPath ResolveInDirectory(const fs::path& dir, std::string_view name)
{
    const auto parts = SplitComponents(name);
    if (parts.empty())
        return {{}, winerr::FileNotFound};
    return {MatchCaseInsensitive(Join(dir, parts, 0)), 0};
}

} // namespace dm
