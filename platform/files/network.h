#pragma once
// The emulated Windows network: a directory holding one folder per computer.
//
//   <root>/network.ini                   providers, domains, browse list
//   <root>/machines/<NAME>/registry.reg  the computer's HKEY_LOCAL_MACHINE
//   <root>/machines/<NAME>/accounts.ini  users, groups, RAS permissions
//   <root>/machines/<NAME>/ras.ini       RAS ports (when RAS is installed)
//   <root>/machines/<NAME>/shares.ini    [Shares] NAME=local directory
//   <root>/machines/<NAME>/services.ini  [Services] RemoteAccess=4
//   <root>/machines/<NAME>/machine.ini   [Machine] Reachable=0 marks it offline
//   <root>/machines/<NAME>/windows/      its Windows directory
//   <root>/machines/<NAME>/messages.log  pop-up messages delivered to it
//   <root>/messages.log                  messages for nobody in particular

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

namespace winerr {
// Windows error numbers, shown in the system's messages.
constexpr unsigned long Success = 0;
constexpr unsigned long FileNotFound = 2;
constexpr unsigned long PathNotFound = 3;
constexpr unsigned long AccessDenied = 5;
constexpr unsigned long InvalidHandle = 6;
constexpr unsigned long NotEnoughMemory = 8;
constexpr unsigned long BadNetPath = 53;
constexpr unsigned long BadNetName = 67;
constexpr unsigned long InvalidParameter = 87;
constexpr unsigned long InsufficientBuffer = 122;
constexpr unsigned long InvalidName = 123;
constexpr unsigned long BadPathName = 161;
constexpr unsigned long MoreData = 234;
constexpr unsigned long NoMoreItems = 259;
constexpr unsigned long ServiceDoesNotExist = 1060;
constexpr unsigned long NoSuchDomain = 1355;
constexpr unsigned long NoSuchUser = 1317;
constexpr unsigned long NoSuchGroup = 1319;
constexpr unsigned long NerrBase = 2100;
constexpr unsigned long NerrDCNotFound = 2453;
constexpr unsigned long NerrUserNotFound = 2221;
constexpr unsigned long NerrGroupNotFound = 2220;
} // namespace winerr

// Short name of an error number ("ERROR_BAD_NETPATH"), for dmctl and traces.
std::string WinErrorName(unsigned long error);

class Network {
public:
    // The network root: $DIALMIND_NETWORK, else $XDG_DATA_HOME/dialminder/network
    // (else ~/.local/share/dialminder/network). Created on first use holding
    // just the local computer.
    static std::filesystem::path Root();
    // $DIALMIND_COMPUTERNAME in upper case, else the host name in upper case
    // cut to 15 characters. A name set by hand that cannot be a computer's
    // (IsValidComputerName) is returned as it is, but no path is ever formed
    // from it: resolving, creating and opening on it fail (123).
    static std::string LocalComputerName();
    // 0 when the local computer's name is usable, else 123 with a message.
    static unsigned long CheckLocalComputerName(std::string* message = nullptr);

    // "\\NAME", "NAME" or "" / "." (the local computer) -> "NAME" in upper case.
    static std::string NormalizeComputerName(std::string_view name);
    // The computer's folder when it exists (matched without regard to case;
    // of folders differing only in case, the one named in upper case, else
    // the first by name).
    static std::optional<std::filesystem::path> ComputerDir(std::string_view name);
    // 0 when the computer exists and is reachable, else 53.
    static unsigned long CheckReachable(std::string_view name);
    static bool IsReachable(std::string_view name) { return CheckReachable(name) == 0; }
    // False when the computer does not exist or machine.ini cannot be written.
    static bool SetReachable(std::string_view name, bool reachable);

    // Creates machines/NAME with an empty hive, Windows directory and files.
    // Empty, creating nothing, when the name cannot be a computer's.
    static std::filesystem::path AddComputer(std::string_view name);
    // Every computer once, in upper case and sorted.
    static std::vector<std::string> Computers();
    // The local computer's Windows directory (created when missing); empty
    // when the computer's name is invalid.
    static std::filesystem::path LocalWindowsDir();
    static std::filesystem::path WindowsDir(std::string_view computer);
};

} // namespace dm
