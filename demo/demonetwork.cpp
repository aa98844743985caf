#include "demo/demonetwork.h"

#include "common/text.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/system/computersetup.h"
#include "demo/demodatabase.h"
#include "demo/demostaff.h"
#include "platform/system/netbuiltin.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "platform/registry/regeditformat.h"
#include "platform/registry/registry.h"
#include "platform/system/services.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace dm {

namespace {

constexpr const char* kHeadOffice = "LQHQ";
constexpr const char* kField = "LQFIELD";
constexpr const char* kMaster = "HQRAS01";
constexpr const char* kComponentKey = "Software\\Microsoft\\RAS\\AdminDLL";

struct ServerPlan {
    const char* name;
    const char* domain;
    int modems;
    int isdn;
    bool component;
    bool master;
    std::uint32_t autoDisconnect;
    std::uint32_t idleTimer;
    int sessions;
    const char* modemName;
    const char* ipNet; // the server's address pool, "10.1.20."
};

const ServerPlan kServers[] = {
    {"HQRAS01", kHeadOffice, 8, 8, true, true, 20, 15, 6, "Fieldline 33.6 Data/Fax Modem", "10.1.20."},
    {"HQRAS02", kHeadOffice, 8, 0, false, false, 0, 0, 2, "Harbour 28.8 Fax Modem", "10.1.21."},
    {"FLDRAS01", kField, 2, 2, true, false, 30, 0, 2, "Fieldline 33.6 Data/Fax Modem", "10.2.20."},
    {"HQRAS03", kHeadOffice, 6, 0, true, false, 20, 10, 1, "Harbour 28.8 Fax Modem", "10.1.22."},
};

// Sets DIALMIND_NETWORK for the lifetime of the object.
class NetworkRootGuard {
public:
    explicit NetworkRootGuard(const fs::path& root)
    {
        if (const char* old = std::getenv("DIALMIND_NETWORK")) {
            m_had = true;
            m_old = old;
        }
        setenv("DIALMIND_NETWORK", root.c_str(), 1);
    }
    ~NetworkRootGuard()
    {
        if (m_had)
            setenv("DIALMIND_NETWORK", m_old.c_str(), 1);
        else
            unsetenv("DIALMIND_NETWORK");
    }
    NetworkRootGuard(const NetworkRootGuard&) = delete;
    NetworkRootGuard& operator=(const NetworkRootGuard&) = delete;

private:
    bool m_had = false;
    std::string m_old;
};

// REGEDIT4 text for one import into a hive.
class RegText {
public:
    RegText() : m_text("REGEDIT4\r\n") {}
    RegText& Key(const std::string& path)
    {
        std::vector<std::string> parts;
        std::size_t start = 0;
        while (start <= path.size()) {
            auto slash = path.find('\\', start);
            if (slash == std::string::npos)
                slash = path.size();
            parts.push_back(path.substr(start, slash - start));
            start = slash + 1;
        }
        m_text += "\r\n" + regedit::FormatKeyHeader(parts) + "\r\n";
        return *this;
    }
    RegText& Value(const RegValue& value)
    {
        m_text += regedit::FormatValueLine(value, "\r\n") + "\r\n";
        return *this;
    }
    RegText& String(const std::string& name, const std::string& text) { return Value(RegValue::String(name, text)); }
    RegText& Dword(const std::string& name, std::uint32_t n) { return Value(RegValue::Dword(name, n)); }
    bool ImportInto(const std::string& computer) const
    {
        RegKey hive;
        return RegOpenHive(computer, hive) == 0 && RegImportText(hive, m_text) == 0;
    }

private:
    std::string m_text;
};

// What every computer's hive holds (as a fresh installation leaves it), plus
// the share of the central database on the master.
RegText BaseRegistry(bool master)
{
    RegText reg;
    reg.Key("Software\\Microsoft\\Windows\\CurrentVersion").String("ProgramFilesDir", "C:\\Program Files");
    std::vector<std::string> shares = {"COMCFG", "DFS$"};
    if (master)
        shares.push_back("DM_NT_DB");
    reg.Key("System\\CurrentControlSet\\Services\\LanManServer\\Parameters")
        .Value(RegValue::MultiString("NullSessionShares", shares));
    return reg;
}

// Creates a computer with its whole hive in one write (the demo writes each
// file once, so that the network is made in well under a second).
bool CreateComputer(const std::string& name, const RegText& registry)
{
    if (!IsValidComputerName(name))
        return false;
    Network::AddComputer(name);
    const std::string winIni = (Network::WindowsDir(name) / "win.ini").string();
    return registry.ImportInto(name) &&
           WritePrivateProfileString("windows", "device", DefaultPrinterDevice, winIni);
}

RasPortRecord BasePort(const ServerPlan& plan, int index, bool isdn, DemoRandom& random)
{
    RasPortRecord r;
    if (isdn) {
        r.name = "ISDN" + std::to_string(index);
        r.deviceType = "ISDN";
        r.deviceName = "Kestrel ISDN Adapter, Channel " + std::to_string(index);
        r.mediaName = "isdn";
        r.mediaType = 4;
        r.lineSpeed = 64000;
        r.mediaParams = {{"LineType", "0"}, {"Channel", std::to_string(index)}};
    } else {
        r.name = "COM" + std::to_string(index);
        r.deviceType = "Modem";
        r.deviceName = plan.modemName;
        r.mediaName = "rasser";
        r.mediaType = 1;
        r.lineSpeed = 115200;
        r.mediaParams = {{"MaxConnectBps", "115200"},
                         {"MaxCarrierBps", plan.modemName[0] == 'F' ? "33600" : "28800"},
                         {"InitString", "AT&F1E0"}};
    }
    // What the last session left in the counters, if anything.
    if (random.Chance(60)) {
        const std::uint32_t seconds = random.Between(300, 7200);
        r.counters[0] = seconds * random.Between(50, 400);
        r.counters[1] = seconds * random.Between(200, 1800);
        r.counters[2] = r.counters[0] / random.Between(80, 300) + 1;
        r.counters[3] = r.counters[1] / random.Between(80, 300) + 1;
        r.counters[10] = r.counters[0] / 100 * random.Between(110, 260);
        r.counters[11] = r.counters[1] / 100 * random.Between(110, 260);
        r.counters[12] = r.counters[0];
        r.counters[13] = r.counters[1];
    }
    return r;
}

void StartDemoSession(RasPortRecord& r, const DemoPerson& person, const ServerPlan& plan, int number,
                      std::int64_t now, DemoRandom& random)
{
    // Young enough for every session limit of the demo's policies.
    const std::uint32_t seconds = std::min(random.Between(4, 24) * 60 + random.Below(60), kDemoSessionMaxAge);
    r.lineCondition = 6;
    r.flags = 0x1 | 0x2 | 0x4;
    r.user = person.account;
    r.logonDomain = person.domain;
    const std::string computer = UpperAscii(person.account);
    r.computer = (computer + "-NB").substr(0, 15);
    r.sessionStart = static_cast<std::uint32_t>(now - seconds);
    r.nbfError = 0;
    r.nbfName = r.computer;
    r.nbfWorkstation = r.computer;
    r.ip = {0, plan.ipNet + std::to_string(50 + number)};
    if (random.Chance(30))
        r.ipx = {0, "0000C0A8:0060B0C4D2" + std::to_string(10 + number)};
    if (r.mediaType == 1)
        r.lineSpeed = random.Pick(std::vector<std::uint32_t>{26400, 28800, 31200, 33600});
    const std::uint32_t rate = r.mediaType == 4 ? random.Between(1500, 7000) : random.Between(150, 3000);
    r.counters.fill(0);
    r.counters[1] = seconds * rate;                  // received: what the caller sends
    r.counters[0] = seconds * (rate / random.Between(2, 5) + 40);
    r.counters[2] = r.counters[0] / random.Between(80, 300) + 1;
    r.counters[3] = r.counters[1] / random.Between(80, 300) + 1;
    if (r.mediaType == 1) {
        r.counters[4] = random.Chance(40) ? random.Between(1, 4) : 0; // CRC
        r.counters[5] = random.Chance(25) ? random.Between(1, 3) : 0; // time-outs
        r.counters[8] = random.Chance(15) ? 1 : 0;                      // framing
    }
    r.counters[10] = r.counters[0] / 100 * random.Between(110, 260);
    r.counters[11] = r.counters[1] / 100 * random.Between(110, 260);
    r.counters[12] = r.counters[0];
    r.counters[13] = r.counters[1];
}

// Builds and saves one server's ports; returns how many are in session.
int CreatePorts(const ServerPlan& plan, std::vector<const DemoPerson*>& callers, std::int64_t now,
                DemoRandom& random, std::vector<DemoPort>& allPorts)
{
    std::vector<RasPortRecord> ports;
    for (int i = 1; i <= plan.modems; ++i)
        ports.push_back(BasePort(plan, i, false, random));
    for (int i = 1; i <= plan.isdn; ++i)
        ports.push_back(BasePort(plan, i, true, random));
    // The less happy lines a server also has: a modem that failed, and a
    // caller still being authenticated (or called back).
    if (plan.modems >= 8) {
        RasPortRecord& broken = ports[static_cast<std::size_t>(plan.modems) - 1];
        broken.lineCondition = 1;
        broken.hardwareCondition = 3;
        ports[random.Below(static_cast<std::uint32_t>(plan.modems) - 1)].lineCondition =
            plan.component ? 5 : 3;
    }
    int sessions = 0;
    for (int n = 0; n < plan.sessions && !callers.empty(); ++n) {
        std::vector<RasPortRecord*> free;
        for (auto& p : ports)
            if (p.lineCondition == 4 && !DemoPortRestricted(plan.name, p.name, p.mediaType == 4))
                free.push_back(&p);
        if (free.empty())
            break;
        StartDemoSession(*random.Pick(free), *callers.back(), plan, n, now, random);
        callers.pop_back();
        ++sessions;
    }
    if (RasPortStore(plan.name).SavePorts(ports) != 0)
        return -1;
    for (const auto& p : ports)
        allPorts.push_back({plan.name, p.name, p.mediaType == 4, plan.component});
    return sessions;
}

bool ConfigureServer(const ServerPlan& plan)
{
    RegText reg = BaseRegistry(plan.master);
    reg.Key("System\\CurrentControlSet\\Services\\RemoteAccess\\Parameters")
        .Dword("AutoDisconnect", plan.autoDisconnect);
    if (plan.component) {
        reg.Key(kComponentKey)
            .String("DLLPath", "C:\\Dialmind\\DIALMIND.DLL")
            .String("DATAPath", "C:\\Dialmind\\")
            .String("DisplayName", "Dialminder by Osterhall Software")
            .String("MasterShare", std::string("\\\\") + kMaster + "\\DM_NT_DB")
            .Dword("IdleTimer", plan.idleTimer)
            .Dword("IdleBytesLimit", 2000)
            .Dword("Master", plan.master ? 1 : 0)
            .String("Version", "V1.40");
        reg.Key("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dialminder Server")
            .String("DisplayName", "Dialminder Server Component")
            .String("UninstallString", "C:\\WINNT\\NT_PURGE.EXE S");
    }
    if (!CreateComputer(plan.name, reg) || !SetServiceState(plan.name, "RemoteAccess", service::Running))
        return false;
    if (!plan.component)
        return true;
    // The installed component and its data directory, where DLLPath and DATAPath point.
    const ResolvedPath dll = ResolvePathOn(plan.name, "C:\\Dialmind\\DIALMIND.DLL");
    if (!dll.ok())
        return false;
    std::error_code ec;
    fs::create_directories(dll.path.parent_path() / "LogData", ec);
    std::ofstream(dll.path, std::ios::binary) << "Dialminder server component V1.40 (emulated)\r\n";
    return !ec && (!plan.master || SetShare(plan.name, "DM_NT_DB", "C:\\Dialmind") == 0);
}

bool ConfigureManager(const std::string& local)
{
    RegText reg = BaseRegistry(false);
    reg.Key("Software\\Osterhall Software\\Dialminder").String("Directory", "C:\\Dialmind");
    for (const auto& plan : kServers)
        reg.Key(std::string("Software\\Osterhall Software\\Dialminder\\Servers\\") + plan.name);
    reg.Key("Software\\Osterhall Software\\Dialminder\\System")
        .Dword("HistoryViewColumns", 2047)
        .Dword("HistoryViewSeconds", 0)
        .Dword("BrowseScope", 1);
    const std::uint32_t widths[] = {140, 90, 100, 65, 120, 100, 100, 100, 100, 100};
    for (int i = 0; i < 10; ++i)
        reg.Dword("ColWidth" + std::to_string(i), widths[i]);
    reg.Dword("Sound", 0).Dword("Attempt", 0).Dword("UserIcons", 1).Dword("Interval", 30);
    reg.Key("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dialminder Manager")
        .String("DisplayName", "Dialminder Manager")
        .String("UninstallString", "C:\\WINNT\\NT_PURGE.EXE C");
    return CreateComputer(local, reg);
}

bool BuildNetwork(const std::string& local)
{
    DomainEntry head{kHeadOffice, "HQDC01", "Lindqvist Freight head office, Hamburg", {"HQDC01"}};
    DomainEntry field{kField, "FLDDC01", "Field offices and sales", {"FLDDC01"}};
    for (const auto& plan : kServers)
        (plan.domain == std::string(kHeadOffice) ? head : field).servers.push_back(plan.name);
    head.servers.push_back(local);
    const std::vector<DomainEntry> domains = {
        head, field, {"WORKGROUP", "", "Computers outside the domains", {"LABPC01"}},
        {"ARCHIVE", "", "Document archive", {}}};
    const std::vector<ProviderEntry> providers = {
        {NetworkDirectory::kWindowsProvider, {kHeadOffice, kField, "WORKGROUP"}},
        {"Fieldline Office Network", {"ARCHIVE"}}};
    return NetworkDirectory::Store(providers, domains);
}

} // namespace

std::string CreateDemoNetwork(const fs::path& root, const DemoNetworkOptions& options,
                              DemoNetworkSummary* summary)
{
    std::error_code ec;
    if (fs::exists(root, ec) && !fs::is_empty(root, ec))
        return "'" + root.string() + "' is not empty";
    fs::create_directories(root / "machines", ec);
    if (ec)
        return "cannot create '" + root.string() + "': " + ec.message();
    NetworkRootGuard guard(fs::absolute(root, ec));
    const std::int64_t now = options.now != 0 ? options.now : static_cast<std::int64_t>(std::time(nullptr));
    DemoRandom random(options.seed);

    const std::string local = Network::LocalComputerName();
    if (!IsValidComputerName(local))
        return "the local computer name '" + local + "' cannot be used (set DIALMIND_COMPUTERNAME)";
    for (const char* name : {"HQDC01", "FLDDC01"})
        if (!CreateComputer(name, BaseRegistry(false)))
            return std::string("cannot create the computer '") + name + "'";
    for (const auto& plan : kServers)
        Network::AddComputer(plan.name);
    if (!BuildNetwork(local))
        return "cannot write network.ini";

    DemoStaff staff(kHeadOffice, kField, random);
    for (const auto& domain : staff.Domains()) {
        const std::string controller = domain.domain == kHeadOffice ? "HQDC01" : "FLDDC01";
        if (AccountDatabase(controller)
                .Store(domain.users, domain.globalGroups, domain.localGroups, domain.domain) != 0)
            return "cannot write the accounts of " + domain.domain;
    }

    DemoNetworkSummary result;
    result.localComputer = local;
    result.master = kMaster;
    result.databaseDirectory = std::string("\\\\") + kMaster + "\\DM_NT_DB";
    std::vector<DemoPort> ports;
    std::set<std::string> placed;
    for (const auto& plan : kServers) {
        // Callers dial in to the servers of their own domain. Sessions found
        // running obey the demo's own policies: nobody the component turns
        // away, and nobody on two ports at once.
        std::vector<const DemoPerson*> callers;
        int index = 0;
        for (const auto& p : staff.People()) {
            ++index;
            if (p.CanDialIn() && p.domain == plan.domain && !DemoOverAllowance(index) && !DemoExpired(index) &&
                !placed.count(p.Key()))
                callers.push_back(&p);
        }
        for (std::size_t i = callers.size(); i > 1; --i)
            std::swap(callers[i - 1], callers[random.Below(static_cast<std::uint32_t>(i))]);
        const std::vector<const DemoPerson*> offered = callers;
        const int sessions = CreatePorts(plan, callers, now, random, ports);
        // CreatePorts took the people it placed from the back.
        for (std::size_t i = callers.size(); i < offered.size(); ++i)
            placed.insert(offered[i]->Key());
        if (sessions < 0)
            return std::string("cannot write the ports of ") + plan.name;
        if (!ConfigureServer(plan))
            return std::string("cannot configure ") + plan.name;
        result.sessions += plan.name == std::string("HQRAS03") ? 0 : sessions;
    }
    if (!ConfigureManager(local))
        return "cannot write the manager's settings on " + local;
    if (!WriteDemoDatabase(result.databaseDirectory, ports, staff.People(), now, random))
        return "cannot write the database on " + std::string(kMaster);
    // Last, so that everything above could still reach it.
    Network::SetReachable("HQRAS03", false);

    result.users = static_cast<int>(staff.People().size());
    result.ports = static_cast<int>(ports.size());
    if (summary != nullptr)
        *summary = result;
    return {};
}

} // namespace dm
