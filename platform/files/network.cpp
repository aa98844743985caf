#include "platform/files/network.h"

#include "common/environment.h"
#include "common/text.h"
#include "platform/system/computersetup.h"
#include "platform/files/profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dm {

namespace {

fs::path MachinesDir(const fs::path& root) { return root / "machines"; }

fs::path MachineIni(const fs::path& dir) { return dir / "machine.ini"; }

// Creates a computer's folder and the parts every computer has. A name that
// cannot be a computer's ("..", "../../x", too long) forms no path at all:
// the result is empty and nothing is created.
fs::path CreateComputerDir(const fs::path& root, const std::string& name)
{
    if (!IsValidComputerName(name) || name.front() == '\\')
        return {};
    fs::path dir = MachinesDir(root) / name;
    std::error_code ec;
    fs::create_directories(dir / "windows", ec);
    fs::create_directories(dir / "drives" / "C", ec);
    return dir;
}

} // namespace

std::string WinErrorName(unsigned long error)
{
    switch (error) {
    case 0: return "ERROR_SUCCESS";
    case 2: return "ERROR_FILE_NOT_FOUND";
    case 3: return "ERROR_PATH_NOT_FOUND";
    case 5: return "ERROR_ACCESS_DENIED";
    case 4: return "ERROR_TOO_MANY_OPEN_FILES";
    case 6: return "ERROR_INVALID_HANDLE";
    case 8: return "ERROR_NOT_ENOUGH_MEMORY";
    case 11: return "ERROR_BAD_FORMAT";
    case 13: return "ERROR_INVALID_DATA";
    case 50: return "ERROR_NOT_SUPPORTED";
    case 53: return "ERROR_BAD_NETPATH";
    case 67: return "ERROR_BAD_NET_NAME";
    case 17: return "ERROR_NOT_SAME_DEVICE";
    case 32: return "ERROR_SHARING_VIOLATION";
    case 87: return "ERROR_INVALID_PARAMETER";
    case 112: return "ERROR_DISK_FULL";
    case 122: return "ERROR_INSUFFICIENT_BUFFER";
    case 123: return "ERROR_INVALID_NAME";
    case 145: return "ERROR_DIR_NOT_EMPTY";
    case 161: return "ERROR_BAD_PATHNAME";
    case 183: return "ERROR_ALREADY_EXISTS";
    case 193: return "ERROR_BAD_EXE_FORMAT";
    case 206: return "ERROR_FILENAME_EXCED_RANGE";
    case 234: return "ERROR_MORE_DATA";
    case 259: return "ERROR_NO_MORE_ITEMS";
    case 1016: return "ERROR_REGISTRY_IO_FAILED";
    case 1018: return "ERROR_KEY_DELETED";
    case 1060: return "ERROR_SERVICE_DOES_NOT_EXIST";
    case 1117: return "ERROR_IO_DEVICE";
    case 1317: return "ERROR_NO_SUCH_USER";
    case 1319: return "ERROR_NO_SUCH_GROUP";
    case 1355: return "ERROR_NO_SUCH_DOMAIN";
    case 1630: return "ERROR_UNSUPPORTED_TYPE";
    case 1921: return "ERROR_CANT_RESOLVE_FILENAME";
    case 2220: return "NERR_GroupNotFound";
    case 2221: return "NERR_UserNotFound";
    case 2453: return "NERR_DCNotFound";
    default: return "ERROR_" + std::to_string(error);
    }
}

fs::path Network::Root()
{
    fs::path root;
    if (const char* dir = NonEmptyEnv("DIALMIND_NETWORK"))
        root = dir;
    else if (const char* data = NonEmptyEnv("XDG_DATA_HOME"))
        root = fs::path(data) / "dialminder" / "network";
    else if (const char* home = NonEmptyEnv("HOME"))
        root = fs::path(home) / ".local" / "share" / "dialminder" / "network";
    std::error_code ec;
    if (root.empty()) {
        root = fs::temp_directory_path(ec);
        root = (ec ? fs::path("/tmp") : root) / "dialminder-network";
    }

    // A network that does not exist yet starts out holding the local computer.
    if (!fs::exists(MachinesDir(root), ec)) {
        fs::create_directories(MachinesDir(root), ec);
        CreateComputerDir(root, LocalComputerName()); // nothing for an invalid name
    }
    return root;
}

std::string Network::LocalComputerName()
{
    // A name set by hand is taken whole, so that a name that cannot be a
    // computer's stays invalid instead of being cut into a valid one.
    if (const char* name = NonEmptyEnv("DIALMIND_COMPUTERNAME"))
        return UpperAscii(name);
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0')
        return "LOCALHOST";
    std::string name = UpperAscii(host);
    // The computer name is the host's first label.
    if (auto dot = name.find('.'); dot != std::string::npos)
        name.resize(dot);
    return name.substr(0, 15);
}

unsigned long Network::CheckLocalComputerName(std::string* message)
{
    const std::string name = LocalComputerName();
    if (IsValidComputerName(name) && name.front() != '\\')
        return winerr::Success;
    if (message != nullptr)
        *message = "the local computer's name '" + name +
                   "' is invalid (1 to 15 characters, no \\ / : * ? \" < > |, blanks or \"..\"); "
                   "set DIALMIND_COMPUTERNAME to a valid name";
    return winerr::InvalidName;
}

std::string Network::NormalizeComputerName(std::string_view name)
{
    while (!name.empty() && (name.front() == '\\' || name.front() == '/'))
        name.remove_prefix(1);
    if (name.empty() || name == ".")
        return LocalComputerName();
    return UpperAscii(name);
}

std::optional<fs::path> Network::ComputerDir(std::string_view name)
{
    const std::string wanted = NormalizeComputerName(name);
    if (wanted.empty() || wanted.find_first_of("/\\") != std::string::npos || wanted == ".." )
        return std::nullopt;
    const fs::path machines = MachinesDir(Root());
    std::error_code ec;
    fs::path exact = machines / wanted;
    if (fs::is_directory(exact, ec))
        return exact;
    // Folders that differ only in case are one computer: always the same
    // one of them (the first by name), whatever order the directory lists.
    std::optional<fs::path> found;
    // The increment's own error ends the listing; it never throws.
    std::error_code listing;
    for (fs::directory_iterator it(machines, listing), end;
         !listing && it != end; it.increment(listing)) {
        const auto& entry = *it;
        if (entry.is_directory(ec) && UpperAscii(entry.path().filename().string()) == wanted &&
            (!found || entry.path().filename() < found->filename()))
            found = entry.path();
    }
    return found;
}

unsigned long Network::CheckReachable(std::string_view name)
{
    auto dir = ComputerDir(name);
    if (!dir)
        return winerr::BadNetPath;
    if (GetNetworkFileInt("Machine", "Reachable", 1, MachineIni(*dir)) == 0)
        return winerr::BadNetPath;
    return winerr::Success;
}

bool Network::SetReachable(std::string_view name, bool reachable)
{
    auto dir = ComputerDir(name);
    if (!dir)
        return false;
    return WritePrivateProfileString("Machine", "Reachable", reachable ? "1" : "0",
                                     MachineIni(*dir).string());
}

fs::path Network::AddComputer(std::string_view name)
{
    if (auto dir = ComputerDir(name))
        return CreateComputerDir(Root(), dir->filename().string());
    return CreateComputerDir(Root(), NormalizeComputerName(name));
}

std::vector<std::string> Network::Computers()
{
    std::vector<std::string> names;
    std::error_code ec;
    // The increment's own error ends the listing; it never throws.
    std::error_code listing;
    for (fs::directory_iterator it(MachinesDir(Root()), listing), end;
         !listing && it != end; it.increment(listing)) {
        const auto& entry = *it;
        if (entry.is_directory(ec))
            names.push_back(UpperAscii(entry.path().filename().string()));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

fs::path Network::WindowsDir(std::string_view computer)
{
    auto dir = ComputerDir(computer);
    const std::string name = NormalizeComputerName(computer);
    if (!dir && !IsValidComputerName(name))
        return {};
    fs::path windows = (dir ? *dir : MachinesDir(Root()) / name) / "windows";
    std::error_code ec;
    fs::create_directories(windows, ec);
    return windows;
}

fs::path Network::LocalWindowsDir()
{
    return WindowsDir(LocalComputerName());
}

} // namespace dm
