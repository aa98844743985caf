// dmctl ras: RAS ports, sessions and permissions through the RAS
// administration library, loaded and bound exactly as the manager does.

#include "common/numbers.h"
#include "common/userinteraction.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "platform/files/network.h"
#include "platform/ras/rasbind/rasadminfunctions.h"
#include "platform/ras/rasbind/sharedlibrary.h"
#include "platform/system/widetext.h"

#include <cstdio>
#include <string>
#include <vector>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::rasgroup {

const char* const kUsage =
    "Usage: dmctl ras COMMAND ARGS...\n\n"
    "RAS ports, sessions and permissions through the RAS administration library\n"
    "(RASSAPI.DLL, found as the manager finds it; $DIALMIND_RASSAPI names another file).\n\n"
    "Commands:\n"
    "  ports COMPUTER                 one CSV line a port: name,user,session start,line condition\n"
    "                                 (user DOMAIN\\name or empty; start in seconds since 1970)\n"
    "  port COMPUTER PORT             every field and counter of one port\n"
    "  disconnect COMPUTER PORT       ends the port's session\n"
    "  clear COMPUTER PORT            resets the port's statistic counters\n"
    "  user COMPUTER ACCOUNT [--set BITS [--callback NUMBER]]\n"
    "                                 prints or sets an account's RAS permission as\n"
    "                                 bits,call-back number (bits: 8 dial-in, 1 no call-back,\n"
    "                                 2 preset call-back, 4 set by caller)\n"
    "  server COMPUTER                total ports,ports in use\n";

struct Library {
    dm::SharedLibrary library;
    dm::RasAdminFunctions ras;
};

std::u16string ServerArg(const std::string& computer)
{
    return dm::ToWide("\\\\" + dm::Network::NormalizeComputerName(computer));
}

int Fail(const Library& lib, const std::string& what, unsigned long error)
{
    std::string text;
    if (lib.ras.RasAdminGetErrorString != nullptr) {
        char16_t buffer[256] = {};
        if (lib.ras.RasAdminGetErrorString(static_cast<UINT>(error), buffer, 256) == 0)
            text = " " + dm::FromWide(buffer);
    }
    std::fprintf(stderr, "dmctl ras: %s: error %lu (%s)%s\n", what.c_str(), error,
                 dm::WinErrorName(error).c_str(), text.c_str());
    return 1;
}

bool Require(const void* entryPoint, const char* name)
{
    if (entryPoint != nullptr)
        return true;
    std::fprintf(stderr, "dmctl ras: the library lacks %s\n", name);
    return false;
}

const char* LineConditionText(DWORD condition)
{
    switch (condition) {
    case RAS_PORT_DISCONNECTED: return "DISCONNECTED";
    case RAS_PORT_CALLING_BACK: return "CALLING BACK";
    case RAS_PORT_LISTENING: return "WAITING FOR CALL";
    case RAS_PORT_AUTHENTICATING: return "AUTHENTICATING";
    case RAS_PORT_AUTHENTICATED: return "AUTHENTICATED";
    case RAS_PORT_INITIALIZING: return "INITIALIZING";
    default: return "NOT OPERATIONAL";
    }
}

std::string Account(const RAS_PORT_0& p)
{
    const std::string domain = dm::FromWide(p.wszLogonDomain);
    const std::string user = dm::FromWide(p.wszUserName);
    return domain.empty() && user.empty() ? std::string() : domain + "\\" + user;
}

int Ports(Library& lib, const std::string& computer)
{
    if (!Require(reinterpret_cast<void*>(lib.ras.RasAdminPortEnum), "RasAdminPortEnum") ||
        !Require(reinterpret_cast<void*>(lib.ras.RasAdminPortGetInfo), "RasAdminPortGetInfo"))
        return 1;
    const std::u16string server = ServerArg(computer);
    RAS_PORT_0* ports = nullptr;
    WORD count = 0;
    if (DWORD error = lib.ras.RasAdminPortEnum(server.c_str(), &ports, &count))
        return Fail(lib, "cannot enumerate the ports of " + computer, error);
    for (WORD i = 0; i < count; ++i) {
        RAS_PORT_1 info{};
        RAS_PORT_STATISTICS stats{};
        RAS_PARAMETERS* params = nullptr;
        const char* condition = "UNREADABLE";
        if (lib.ras.RasAdminPortGetInfo(server.c_str(), ports[i].wszPortName, &info, &stats,
                                        &params) == 0) {
            condition = LineConditionText(info.LineCondition);
            if (lib.ras.RasAdminFreeBuffer != nullptr)
                lib.ras.RasAdminFreeBuffer(params);
        }
        std::printf("%s,%s,%u,%s\n", dm::FromWide(ports[i].wszPortName).c_str(),
                    Account(ports[i]).c_str(), ports[i].dwStartSessionTime, condition);
    }
    if (lib.ras.RasAdminFreeBuffer != nullptr)
        lib.ras.RasAdminFreeBuffer(ports);
    return 0;
}

const char* MediaTypeText(DWORD type)
{
    switch (type) {
    case MEDIA_SERIAL: return "SERIAL";
    case MEDIA_RAS10_SERIAL: return "SERIAL (RAS10)";
    case MEDIA_X25: return "X25";
    case MEDIA_ISDN: return "ISDN";
    default: return "UNKNOWN";
    }
}

int Port(Library& lib, const std::string& computer, const std::string& port)
{
    if (!Require(reinterpret_cast<void*>(lib.ras.RasAdminPortGetInfo), "RasAdminPortGetInfo"))
        return 1;
    const std::u16string server = ServerArg(computer);
    const std::u16string name = dm::ToWide(port);
    RAS_PORT_1 info{};
    RAS_PORT_STATISTICS s{};
    RAS_PARAMETERS* params = nullptr;
    if (DWORD error = lib.ras.RasAdminPortGetInfo(server.c_str(), name.c_str(), &info, &s, &params))
        return Fail(lib, "cannot read port " + port + " of " + computer, error);
    const RAS_PORT_0& p = info.rasport0;
    const auto& pr = info.ProjResult;
    std::printf("Port name: %s\nDevice type: %s\nDevice name: %s\nMedia name: %s\n"
                "Media type: %u %s\nFlags: 0x%X\nUser: %s\nComputer: %s\nSession start: %u\n"
                "Advanced server: %d\nLine condition: %u %s\nHardware condition: %u%s\n"
                "Line speed: %u\n",
                dm::FromWide(p.wszPortName).c_str(), dm::FromWide(p.wszDeviceType).c_str(),
                dm::FromWide(p.wszDeviceName).c_str(), dm::FromWide(p.wszMediaName).c_str(),
                p.MediaType, MediaTypeText(p.MediaType), p.Flags, Account(p).c_str(),
                dm::FromWide(p.wszComputer).c_str(), p.dwStartSessionTime, p.fAdvancedServer,
                info.LineCondition, LineConditionText(info.LineCondition), info.HardwareCondition,
                info.HardwareCondition == RAS_MODEM_HARDWARE_FAILURE ? " HARDWARE FAILURE" : "",
                info.LineSpeed);
    std::printf("NetBIOS: error %u, NetBIOS error %u, name %s, workstation %s\n", pr.nbf.dwError,
                pr.nbf.dwNetBiosError, pr.nbf.szName, dm::FromWide(pr.nbf.wszWksta).c_str());
    std::printf("IP: error %u, address %s\n", pr.ip.dwError, dm::FromWide(pr.ip.wszAddress).c_str());
    std::printf("IPX: error %u, address %s\n", pr.ipx.dwError,
                dm::FromWide(pr.ipx.wszAddress).c_str());
    std::printf("AppleTalk: error %u, address %s\n", pr.at.dwError,
                dm::FromWide(pr.at.wszAddress).c_str());
    const std::pair<const char*, DWORD> counters[] = {
        {"Bytes transmitted", s.dwBytesXmited},
        {"Bytes received", s.dwBytesRcved},
        {"Frames transmitted", s.dwFramesXmited},
        {"Frames received", s.dwFramesRcved},
        {"CRC errors", s.dwCrcErr},
        {"Time-out errors", s.dwTimeoutErr},
        {"Alignment errors", s.dwAlignmentErr},
        {"Hardware overrun errors", s.dwHardwareOverrunErr},
        {"Framing errors", s.dwFramingErr},
        {"Buffer overrun errors", s.dwBufferOverrunErr},
        {"Bytes transmitted uncompressed", s.dwBytesXmitedUncompressed},
        {"Bytes received uncompressed", s.dwBytesRcvedUncompressed},
        {"Bytes transmitted compressed", s.dwBytesXmitedCompressed},
        {"Bytes received compressed", s.dwBytesRcvedCompressed},
    };
    for (const auto& [label, value] : counters)
        std::printf("%s: %u\n", label, value);
    for (WORD i = 0; params != nullptr && i < info.NumMediaParms; ++i) {
        if (params[i].P_Type == ParamNumber)
            std::printf("Media parameter %s: %u\n", params[i].P_Key, params[i].P_Value.Number);
        else
            std::printf("Media parameter %s: %.*s\n", params[i].P_Key,
                        static_cast<int>(params[i].P_Value.String.Length),
                        params[i].P_Value.String.Data);
    }
    if (lib.ras.RasAdminFreeBuffer != nullptr)
        lib.ras.RasAdminFreeBuffer(params);
    return 0;
}

int PortAction(Library& lib, const std::string& command, const std::string& computer,
               const std::string& port)
{
    const bool disconnect = command == "disconnect";
    const auto call = disconnect ? lib.ras.RasAdminPortDisconnect : lib.ras.RasAdminPortClearStatistics;
    if (!Require(reinterpret_cast<void*>(call),
                 disconnect ? "RasAdminPortDisconnect" : "RasAdminPortClearStatistics"))
        return 1;
    const std::u16string server = ServerArg(computer);
    const std::u16string name = dm::ToWide(port);
    if (DWORD error = call(server.c_str(), name.c_str()))
        return Fail(lib, (disconnect ? "cannot disconnect " : "cannot clear ") + port, error);
    return 0;
}

// args: the positional words COMPUTER ACCOUNT, options --set and --callback.
int User(Library& lib, const dmctl::Words& words)
{
    const auto& args = words.positional;
    const std::u16string server = ServerArg(args[0]);
    const std::u16string account = dm::ToWide(args[1]);
    const bool set = words.Has("--set");
    const std::string setBits = words.Get("--set");
    const std::string callback = words.Get("--callback");
    if (!set && words.Has("--callback")) {
        std::fprintf(stderr, "dmctl ras user: --callback needs --set\n");
        return 2;
    }
    if (set) {
        RAS_USER_0 user{};
        const std::optional<std::uint32_t> bits = dm::ParseUInt32DecimalOrHex(setBits, 255);
        if (!bits) {
            std::fprintf(stderr, "dmctl ras user: bits must be a number from 0 to 255\n");
            return 2;
        }
        user.bfPrivilege = static_cast<BYTE>(*bits);
        if (callback.size() > RASSAPI_MAX_PHONENUMBER_SIZE) {
            std::fprintf(stderr, "dmctl ras user: the call-back number is longer than %d\n",
                         RASSAPI_MAX_PHONENUMBER_SIZE);
            return 2;
        }
        dm::CopyToWideField(user.szPhoneNumber, RASSAPI_MAX_PHONENUMBER_SIZE + 1, callback);
        if (!Require(reinterpret_cast<void*>(lib.ras.RasAdminUserSetInfo), "RasAdminUserSetInfo"))
            return 1;
        if (DWORD error = lib.ras.RasAdminUserSetInfo(server.c_str(), account.c_str(), &user))
            return Fail(lib, "cannot set the permission of " + args[1], error);
        return 0;
    }
    if (!Require(reinterpret_cast<void*>(lib.ras.RasAdminUserGetInfo), "RasAdminUserGetInfo"))
        return 1;
    RAS_USER_0 user{};
    if (DWORD error = lib.ras.RasAdminUserGetInfo(server.c_str(), account.c_str(), &user))
        return Fail(lib, "cannot read the permission of " + args[1], error);
    std::printf("%u,%s\n", user.bfPrivilege, dm::FromWide(user.szPhoneNumber).c_str());
    return 0;
}

int Server(Library& lib, const std::string& computer)
{
    if (!Require(reinterpret_cast<void*>(lib.ras.RasAdminServerGetInfo), "RasAdminServerGetInfo"))
        return 1;
    const std::u16string server = ServerArg(computer);
    RAS_SERVER_0 info{};
    if (DWORD error = lib.ras.RasAdminServerGetInfo(server.c_str(), &info))
        return Fail(lib, "cannot read the server " + computer, error);
    std::printf("%u,%u\n", info.TotalPorts, info.PortsInUse);
    return 0;
}

int RunRas(const std::vector<std::string>& args)
{
    if (args.empty() || dmctl::IsHelpWord(args[0])) {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string& command = args[0];
    const bool portCommand = command == "port" || command == "disconnect" || command == "clear";
    dmctl::Syntax syntax{1, 1, {}, {}, {}};
    if (portCommand)
        syntax = {2, 2, {}, {}, {}};
    else if (command == "user")
        syntax = {2, 2, {"--set", "--callback"}, {}, {}};
    else if (command != "ports" && command != "server") {
        std::fprintf(stderr, "dmctl ras: unknown command '%s'\n\n%s", command.c_str(), kUsage);
        return 2;
    }
    const dmctl::Words words = dmctl::ParseWords(std::vector<std::string>(args.begin() + 1, args.end()), syntax);
    if (words.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!words.error.empty()) {
        std::fprintf(stderr, "dmctl ras %s: %s\n\n%s", command.c_str(), words.error.c_str(), kUsage);
        return 2;
    }
    const auto& a = words.positional;
    Library lib;
    dm::ConsoleMessages ui("dmctl ras");
    if (!dm::BindRasAdminLibrary(lib.library, lib.ras, ui))
        return 1;
    if (command == "ports")
        return Ports(lib, a[0]);
    if (command == "port")
        return Port(lib, a[0], a[1]);
    if (command == "user")
        return User(lib, words);
    if (command == "server")
        return Server(lib, a[0]);
    return PortAction(lib, command, a[0], a[1]);
}

} // namespace dmctl::rasgroup

static dmctl::DmctlGroup rasGroup("ras", "RAS ports, sessions and permissions through the RAS library",
                                  dmctl::rasgroup::RunRas);
