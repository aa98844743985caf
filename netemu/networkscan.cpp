#include "netemu/networkscan.h"

#include "common/text.h"
#include "database/profilevalues.h"

#include "platform/accounts/accountdatabase.h"
#include "platform/accounts/accountgroups.h"
#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace dm::netemu {
namespace {

double HashUnit(const std::string& text, std::uint64_t salt)
{
    const std::uint64_t h = HashText(text.data(), text.size()) ^ (salt * 0x9e3779b97f4a7c15ULL);
    Random rng(h);
    return rng.Uniform();
}

} // namespace

ComponentConfig ReadComponentConfig(const std::string& computer)
{
    ComponentConfig config;
    RegKey hive, key;
    if (RegOpenHive(computer, hive) != 0 || hive.OpenKey("Software\\Microsoft\\RAS\\AdminDLL", key) != 0)
        return config;
    std::string dllPath;
    if (key.QueryString("DLLPath", dllPath) == 0 && !dllPath.empty()) {
        const ResolvedPath dll = ResolveStoredPathOn(computer, dllPath);
        std::error_code error;
        config.installed = dll.ok() && std::filesystem::is_regular_file(dll.path, error);
    }
    key.QueryString("MasterShare", config.masterShare);
    std::uint32_t idle = 0;
    if (key.QueryDword("IdleTimer", idle) == 0)
        config.idleMinutes = idle;
    if (!config.masterShare.empty()) {
        // A value stored in the network never leads out of it: a host path is refused.
        const ResolvedPath dir = ResolveStoredPathOn(computer, config.masterShare);
        if (dir.ok())
            config.databaseDir = dir.path.lexically_normal().string();
    }
    return config;
}

std::uint32_t ReadAutoDisconnect(const std::string& computer)
{
    RegKey hive, key;
    std::uint32_t minutes = 0;
    if (RegOpenHive(computer, hive) != 0 ||
        hive.OpenKey("System\\CurrentControlSet\\Services\\RemoteAccess\\Parameters", key) != 0 ||
        key.QueryDword("AutoDisconnect", minutes) != 0)
        return 0;
    return minutes;
}

bool IsOutOfService(std::uint32_t lineCondition, std::uint32_t hardwareCondition)
{
    constexpr std::uint32_t kNotOperational = 1;
    constexpr std::uint32_t kHardwareFailure = 3;
    return lineCondition == kNotOperational || hardwareCondition == kHardwareFailure;
}

std::string DomainOf(const std::string& computer)
{
    const std::string networkIni = (Network::Root() / "network.ini").string();
    for (const std::string& section : GetPrivateProfileSectionNames(networkIni)) {
        if (UpperAscii(section).rfind("DOMAIN:", 0) != 0)
            continue;
        for (const std::string& server : SplitList(GetPrivateProfileString(section, "Servers", "", networkIni)))
            if (EqualNoCase(server, computer))
                return section.substr(7);
    }
    return {};
}

std::vector<CallerProfile> LoadCallers(const std::string& computer)
{
    std::string domain = DomainOf(computer);
    std::string controller = computer;
    if (!domain.empty()) {
        const std::string networkIni = (Network::Root() / "network.ini").string();
        const std::string dc = GetPrivateProfileString("Domain:" + domain, "Controller", "", networkIni);
        if (!dc.empty())
            controller = dc;
    }
    AccountDatabase accounts(controller);
    if (accounts.Load() != 0)
        return {};
    if (!accounts.DomainName().empty())
        domain = accounts.DomainName();
    if (domain.empty())
        domain = Network::NormalizeComputerName(computer);
    AccountDatabase local(computer);
    const bool separateLocal = !EqualNoCase(controller, computer) && local.Load() == 0;

    std::vector<CallerProfile> callers;
    for (const UserAccount& user : accounts.Users()) {
        // The RAS service itself turns away accounts without dial-in permission.
        if (user.type != AccountType::Normal || user.disabled || (user.rasPrivilege & 8) == 0)
            continue;
        CallerProfile caller;
        caller.identity.account = domain + "\\" + user.name;
        AccountGroups groups = GroupsOfAccount(accounts, domain, user.name, separateLocal ? &local : nullptr,
                                               Network::NormalizeComputerName(computer));
        caller.identity.globalGroups = std::move(groups.global);
        caller.identity.localGroups = std::move(groups.local);
        // A few heavy users, many occasional ones.
        caller.weight = 0.2 + 3.0 * std::pow(HashUnit(caller.identity.account, 1), 3.0);
        caller.trafficFactor = 0.5 + 1.5 * HashUnit(caller.identity.account, 2);
        std::string name = UpperAscii(user.name).substr(0, 12);
        caller.computerName = name + (HashUnit(caller.identity.account, 3) < 0.4 ? "-NB" : "-PC");
        if (HashUnit(caller.identity.account, 4) < 0.25) {
            const std::uint64_t node = HashText(caller.identity.account.data(), caller.identity.account.size());
            char ipx[32];
            std::snprintf(ipx, sizeof ipx, "%08X.%012llX", 0x0A, static_cast<unsigned long long>(node & 0xffffffffffffULL));
            caller.ipxAddress = ipx;
        }
        callers.push_back(std::move(caller));
    }
    return callers;
}

std::vector<ScannedServer> ScanNetwork()
{
    std::vector<std::string> names = Network::Computers();
    std::sort(names.begin(), names.end());
    std::vector<ScannedServer> servers;
    for (const std::string& name : names) {
        RasPortStore store(name);
        std::shared_ptr<const RasPortTable> ports;
        std::error_code error;
        if (!std::filesystem::exists(store.IniPath(), error) || store.Table(ports) != 0)
            continue;
        ScannedServer server;
        server.name = Network::NormalizeComputerName(name);
        server.ports.reserve(ports->records.size());
        for (const RasPortRecord& port : ports->records)
            server.ports.push_back(
                {port.name, port.lineSpeed, IsOutOfService(port.lineCondition, port.hardwareCondition)});
        server.component = ReadComponentConfig(name);
        server.autoDisconnectMinutes = ReadAutoDisconnect(name);
        server.callers = LoadCallers(name);
        servers.push_back(std::move(server));
    }
    return servers;
}

unsigned long DeliverMessage(const std::string& from, const std::string& computer, const std::string& text,
                             std::uint32_t time)
{
    std::filesystem::path file = Network::Root() / "messages.log";
    if (auto dir = Network::ComputerDir(computer))
        file = *dir / "messages.log";
    // The line form of "net send": local time, sender, recipient, text; a line
    // break in the text continues on a line that begins with a tab.
    std::time_t t = time;
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string line = std::string(stamp) + "\t" + from + "\t" + computer + "\t";
    for (char c : text)
        line += c == '\n' ? std::string("\n\t") : std::string(1, c == '\r' ? ' ' : c);
    line += '\n';
    // One write of a whole line with O_APPEND, so that concurrent senders
    // never interleave; a FIFO or a link out of the network takes nothing.
    return AppendToFile(file, line);
}

} // namespace dm::netemu
