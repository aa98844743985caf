#pragma once
// The one resolver every file access goes through. It turns the system's
// paths into paths of this machine:
//
// - "\\NAME\SHARE\rest" maps through machines/NAME/shares.ini of the
//   emulated network; an unknown or unreachable computer or an unknown share
//   fails like a missing network path (error 53 / 67).
// - "C:\dir\file" lies on the local computer's own disk:
//   machines/<LOCAL>/drives/C/dir/file. A share whose directory is a drive
//   path lies on the sharing computer's disk the same way. A path already
//   absolute in POSIX form ("/tmp/x") is taken as it is.
// - A bare file name (no directory) lies in the local computer's Windows
//   directory (machines/<LOCAL>/windows), which the system names "C:\WINNT";
//   relative paths with a directory are relative to the current working
//   directory.
// - Backslashes become slashes; each component of an existing path is matched
//   without regard to case ("LogData" finds "logdata"); components that do
//   not exist yet keep the spelling given.
// - "." and ".." count as on a real file system, but ".." never climbs above
//   a share's directory or a drive's root: such a path fails with 161 ("The
//   specified path is invalid.") and nothing is touched.
// - Nothing inside the network root leads out of it: a resolved path whose
//   links (of the file or of any directory above it) end outside the root
//   fails with 161, for reads, listings and deletes as for writes. Writes go
//   through ResolveWriteTarget, which also names the file a link leads to.
// - A path stored inside the network (a share's directory, a MasterShare,
//   an installation's target) never names a host path outside the root.

#include <filesystem>
#include <string>
#include <string_view>

namespace dm {

// The Windows directory as the system names it in the paths it writes
// (UninstallString, program items). It resolves to machines/NAME/windows.
inline constexpr std::string_view WindowsDirectoryName = "C:\\WINNT";

struct ResolvedPath {
    std::filesystem::path path; // valid when error == 0
    unsigned long error = 0;    // Windows error number: 53 bad network path, 67 bad net name,
                                // 161 a path that would leave its share or the network
    bool ok() const { return error == 0; }
};

ResolvedPath ResolvePath(std::string_view systemPath);
// The same, with drive paths and bare names taken on the given computer.
ResolvedPath ResolvePathOn(std::string_view computer, std::string_view systemPath);

// The same for a path read from the network's own files (a share's
// directory, the RAS configuration's MasterShare, a target directory): a
// host path ("/srv/x") or one relative to the working directory is taken
// only when it lies inside the network root; otherwise 161.
ResolvedPath ResolveStoredPathOn(std::string_view computer, std::string_view storedPath);

// The path itself when it lies outside the network root, or inside it with
// every link it passes through (a dangling last one included) ending inside
// the root; 161 when a link leads out. Files built from a computer's folder
// without ResolvePath (rasrequests.log, messages.log) pass through here.
ResolvedPath ConfineToNetwork(const std::filesystem::path& path);

// Convenience: the resolved path, or an empty path when resolution failed.
std::filesystem::path ResolvePathOrEmpty(std::string_view systemPath);

// Matches each component of an existing POSIX path without regard to case.
std::filesystem::path MatchCaseInsensitive(const std::filesystem::path& path);

// Where a write to a resolved path lands: the path itself, or, when its last
// component is a symbolic link, the link's target. A path inside the network
// root whose links (of the file or of any directory above it) lead outside
// the root fails with 161: nothing may be written there. A path outside the
// network root (a host path the user named) is written as before.
ResolvedPath ResolveWriteTarget(const std::filesystem::path& path);

// Resolution of a bare file name relative to the current working directory
// instead of the Windows directory (dmreport's script lookup needs both).
ResolvedPath ResolveInDirectory(const std::filesystem::path& dir, std::string_view name);

} // namespace dm
