#include "platform/ras/rasportstore.h"

#include "common/ansitext.h"
#include "common/inistore.h"
#include "common/text.h"
#include "platform/files/fileopen.h"
#include "platform/files/filesnapshot.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"
#include "platform/system/widetext.h"
#include "platform/ras/rasinstall.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dm {

const std::array<const char*, 14> kRasCounterKeys = {
    "BytesTransmitted",         "BytesReceived",
    "FramesTransmitted",        "FramesReceived",
    "CrcErrors",                "TimeoutErrors",
    "AlignmentErrors",          "HardwareOverrunErrors",
    "FramingErrors",            "BufferOverrunErrors",
    "BytesTransmittedUncompressed", "BytesReceivedUncompressed",
    "BytesTransmittedCompressed",   "BytesReceivedCompressed",
};

namespace {

constexpr std::string_view kParamPrefix = "Param.";

// The keys of one section, found without regard to case.
class SectionValues {
public:
    explicit SectionValues(std::vector<std::pair<std::string, std::string>> pairs)
        : m_pairs(std::move(pairs))
    {
        for (std::size_t i = 0; i < m_pairs.size(); ++i)
            m_index.emplace(LowerAscii(m_pairs[i].first), i); // the first of a name wins
    }
    std::string Text(std::string_view key) const
    {
        auto it = m_index.find(LowerAscii(key));
        return it == m_index.end() ? std::string() : m_pairs[it->second].second;
    }
    std::uint32_t Number(std::string_view key, std::uint32_t fallback) const
    {
        auto it = m_index.find(LowerAscii(key));
        return it == m_index.end() ? fallback : ParseUnsigned(m_pairs[it->second].second);
    }
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return m_pairs; }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
    std::multimap<std::string, std::size_t> m_index;
};

RasPortRecord ReadRecord(const std::string& section, std::vector<std::pair<std::string, std::string>> pairs)
{
    const SectionValues v(std::move(pairs));
    RasPortRecord r;
    r.name = section;
    r.deviceType = v.Text("DeviceType");
    r.deviceName = v.Text("DeviceName");
    r.mediaName = v.Text("MediaName");
    r.mediaType = v.Number("MediaType", 1);
    r.flags = v.Number("Flags", 0);
    r.lineCondition = v.Number("LineCondition", 4);
    r.hardwareCondition = v.Number("HardwareCondition", 1);
    r.lineSpeed = v.Number("LineSpeed", 0);
    r.advancedServer = v.Number("AdvancedServer", 1) != 0;
    r.user = v.Text("User");
    r.logonDomain = v.Text("LogonDomain");
    r.computer = v.Text("Computer");
    r.sessionStart = v.Number("SessionStart", 0);
    r.nbfError = v.Number("NbfError", kProtocolNotProjected);
    r.nbfNetBiosError = v.Number("NbfNetBiosError", 0);
    r.nbfName = v.Text("NbfName");
    r.nbfWorkstation = v.Text("NbfWorkstation");
    r.ip = {v.Number("IpError", kProtocolNotProjected), v.Text("IpAddress")};
    r.ipx = {v.Number("IpxError", kProtocolNotProjected), v.Text("IpxAddress")};
    r.appleTalk = {v.Number("AtError", kProtocolNotProjected), v.Text("AtAddress")};
    for (std::size_t i = 0; i < kRasCounterKeys.size(); ++i)
        r.counters[i] = v.Number(kRasCounterKeys[i], 0);
    for (const auto& [key, value] : v.Pairs()) {
        if (key.size() > kParamPrefix.size() && StartsWithNoCase(key, kParamPrefix))
            r.mediaParams.emplace_back(key.substr(kParamPrefix.size()), value);
    }
    return r;
}

void WriteSession(ProfileBatch& batch, const RasPortRecord& r)
{
    const std::string& s = r.name;
    batch.Write(s, "Flags", std::to_string(r.flags));
    batch.Write(s, "LineCondition", std::to_string(r.lineCondition));
    batch.Write(s, "User", r.user);
    batch.Write(s, "LogonDomain", r.logonDomain);
    batch.Write(s, "Computer", r.computer);
    batch.Write(s, "SessionStart", std::to_string(r.sessionStart));
    batch.Write(s, "NbfError", std::to_string(r.nbfError));
    batch.Write(s, "NbfNetBiosError", std::to_string(r.nbfNetBiosError));
    batch.Write(s, "NbfName", r.nbfName);
    batch.Write(s, "NbfWorkstation", r.nbfWorkstation);
    batch.Write(s, "IpError", std::to_string(r.ip.error));
    batch.Write(s, "IpAddress", r.ip.address);
    batch.Write(s, "IpxError", std::to_string(r.ipx.error));
    batch.Write(s, "IpxAddress", r.ipx.address);
    batch.Write(s, "AtError", std::to_string(r.appleTalk.error));
    batch.Write(s, "AtAddress", r.appleTalk.address);
}

void WriteCounters(ProfileBatch& batch, const RasPortRecord& r)
{
    for (std::size_t i = 0; i < kRasCounterKeys.size(); ++i)
        batch.Write(r.name, kRasCounterKeys[i], std::to_string(r.counters[i]));
}

void ClearSession(RasPortRecord& r)
{
    r.lineCondition = 4; // waiting for a call
    r.flags &= ~std::uint32_t{0x0001 | 0x0002 | 0x0004 | 0x0020};
    r.user.clear();
    r.logonDomain.clear();
    r.computer.clear();
    r.sessionStart = 0;
    r.nbfError = kProtocolNotProjected;
    r.nbfNetBiosError = 0;
    r.nbfName.clear();
    r.nbfWorkstation.clear();
    r.ip = {};
    r.ipx = {};
    r.appleTalk = {};
}

// Service state 4 is "running"; a computer that names no state runs RAS
// whenever it has ras.ini.
bool RemoteAccessRunning(const fs::path& dir)
{
    return GetNetworkFileInt("Services", "RemoteAccess", 4, dir / "services.ini") == 4;
}

} // namespace

std::uint32_t ParseUnsigned(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        int digit;
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    return value;
}

RasPortStore::RasPortStore(std::string_view computer) : m_computer(computer) {}

unsigned long RasPortStore::Locate(fs::path& dir) const
{
    if (unsigned long error = Network::CheckReachable(m_computer))
        return error;
    auto found = Network::ComputerDir(m_computer);
    if (!found)
        return winerr::BadNetPath;
    dir = *found;
    return winerr::Success;
}

fs::path RasPortStore::IniPath() const
{
    auto dir = Network::ComputerDir(m_computer);
    return dir ? *dir / "ras.ini" : fs::path();
}

fs::path RasPortStore::RequestLogPath() const
{
    auto dir = Network::ComputerDir(m_computer);
    return dir ? *dir / "rasrequests.log" : fs::path();
}

unsigned long RasPortStore::Check() const
{
    fs::path dir;
    return Check(dir);
}

unsigned long RasPortStore::Check(fs::path& dir) const
{
    if (unsigned long error = Locate(dir))
        return error;
    std::error_code ec;
    if (!fs::is_regular_file(dir / "ras.ini", ec))
        return winerr::ServiceDoesNotExist;
    if (!RemoteAccessRunning(dir))
        return winerr::RpcServerUnavailable;
    return winerr::Success;
}

unsigned long RasPortStore::List(std::vector<RasPortRecord>& ports) const
{
    ports.clear();
    fs::path dir;
    if (unsigned long error = Check(dir))
        return error;
    ports = Ports(dir / "ras.ini")->records;
    return winerr::Success;
}

namespace {
// A port is found by its letters: a section written in code page bytes
// ("COM\x80") answers to the name the library hands out for it ("COM€").
std::string PortKey(std::string_view name)
{
    return LowerAscii(AnsiToUtf8(name));
}
} // namespace

unsigned long RasPortStore::Find(std::string_view port, RasPortRecord& record) const
{
    fs::path dir;
    if (unsigned long error = Check(dir))
        return error;
    const auto ports = Ports(dir / "ras.ini");
    auto it = ports->index.find(PortKey(port));
    if (it == ports->index.end())
        return winerr::PortNotFound;
    record = ports->records[it->second];
    return winerr::Success;
}

std::shared_ptr<const RasPortStore::PortTable> RasPortStore::Ports(const fs::path& file) const
{
    static FileSnapshotCache<PortTable> cache;
    return cache.Get(file, [&] {
        auto table = std::make_shared<PortTable>();
        if (const auto ini = LoadIniFile(file)) {
            for (const auto& section : ini->SectionNames()) {
                if (table->index.emplace(PortKey(section), table->records.size()).second)
                    table->records.push_back(ReadRecord(section, ini->Entries(section)));
            }
        }
        return std::shared_ptr<const PortTable>(std::move(table));
    });
}

unsigned long RasPortStore::EndSession(std::string_view port)
{
    RasPortRecord r;
    if (unsigned long error = Find(port, r))
        return error;
    if (!r.HasSession() && r.lineCondition == 4)
        return winerr::Success;
    // The request first: a port shown idle while its session goes on
    // would report a disconnect that never happened.
    if (r.HasSession()) {
        if (unsigned long error = AppendRequest("Disconnect", r))
            return error;
    }
    ClearSession(r);
    ProfileBatch batch(IniPath().string());
    WriteSession(batch, r);
    if (!batch.Commit())
        return winerr::AccessDenied;
    return winerr::Success;
}

unsigned long RasPortStore::ClearStatistics(std::string_view port)
{
    RasPortRecord r;
    if (unsigned long error = Find(port, r))
        return error;
    if (unsigned long error = AppendRequest("ClearStatistics", r))
        return error;
    r.counters.fill(0);
    ProfileBatch batch(IniPath().string());
    WriteCounters(batch, r);
    if (!batch.Commit())
        return winerr::AccessDenied;
    return winerr::Success;
}

unsigned long RasPortStore::StartSession(std::string_view port, const RasSession& session)
{
    RasPortRecord r;
    if (unsigned long error = Find(port, r))
        return error;
    if (session.user.empty())
        return winerr::InvalidParameter;
    ClearSession(r);
    r.lineCondition = 6; // authenticated
    r.flags |= 0x0001 | 0x0004;   // authenticated user, PPP client
    r.user = session.user;
    r.logonDomain = session.logonDomain;
    r.computer = session.computer;
    r.sessionStart = session.start;
    if (session.netBios) {
        r.nbfError = 0;
        r.nbfName = session.computer;
        r.nbfWorkstation = session.computer;
    }
    if (!session.ipAddress.empty())
        r.ip = {0, session.ipAddress};
    if (!session.ipxAddress.empty())
        r.ipx = {0, session.ipxAddress};
    r.counters.fill(0);
    ProfileBatch batch(IniPath().string());
    WriteSession(batch, r);
    WriteCounters(batch, r);
    return batch.Commit() ? winerr::Success : winerr::AccessDenied;
}

bool RasPortStore::ValidPortName(const std::string& name)
{
    return !name.empty() && ToWide(name).size() <= kMaxPortName &&
           name.find_first_of("[]\r\n\\") == std::string::npos;
}

unsigned long RasPortStore::SavePort(const RasPortRecord& record)
{
    return SavePorts({record});
}

unsigned long RasPortStore::SavePorts(const std::vector<RasPortRecord>& records)
{
    fs::path dir;
    if (unsigned long error = Locate(dir))
        return error;
    ProfileBatch batch(IniPath().string());
    for (const auto& r : records) {
        if (!ValidPortName(r.name))
            return winerr::InvalidParameter;
        const std::string& s = r.name;
        batch.Write(s, "DeviceType", r.deviceType);
        batch.Write(s, "DeviceName", r.deviceName);
        batch.Write(s, "MediaName", r.mediaName);
        batch.Write(s, "MediaType", std::to_string(r.mediaType));
        batch.Write(s, "HardwareCondition", std::to_string(r.hardwareCondition));
        batch.Write(s, "LineSpeed", std::to_string(r.lineSpeed));
        batch.Write(s, "AdvancedServer", r.advancedServer ? "1" : "0");
        WriteSession(batch, r);
        WriteCounters(batch, r);
        for (const auto& [key, value] : r.mediaParams)
            batch.Write(s, std::string(kParamPrefix) + key, value);
    }
    if (!batch.Commit())
        return winerr::AccessDenied;
    // ras.ini is there now: the registry says so too.
    return MarkRasInstalled(m_computer);
}

unsigned long RasPortStore::RemovePort(std::string_view port)
{
    RasPortRecord r;
    if (unsigned long error = Find(port, r))
        return error;
    return DeletePrivateProfileSection(r.name, IniPath().string()) ? winerr::Success
                                                                    : winerr::AccessDenied;
}

unsigned long RasPortStore::AppendRequest(std::string_view verb, const RasPortRecord& r) const
{
    // One whole line per request, however long, written with O_APPEND so
    // that dmsim, which reads the file as it grows, takes only whole lines
    // and two writers never interleave. A tab or line break inside a field
    // becomes a blank, so no field can add fields or lines.
    const auto field = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) {
            if (c == '\t' || c == '\r' || c == '\n')
                c = ' ';
        }
        return out;
    };
    const std::string account =
        r.logonDomain.empty() && r.user.empty() ? std::string() : r.logonDomain + "\\" + r.user;
    const std::string line = std::to_string(static_cast<long long>(std::time(nullptr))) + '\t' +
                             field(verb) + '\t' + field(r.name) + '\t' + field(account) + '\t' +
                             std::to_string(r.sessionStart) + '\t' + field(r.computer) + '\n';
    // The request is the only way the session's owner learns of it: one
    // that cannot be delivered (a file that cannot be written, a FIFO, a
    // link out of the network) is an error, not a success.
    const fs::path file = RequestLogPath();
    if (file.empty())
        return winerr::BadNetPath;
    return AppendToFile(file, line);
}

} // namespace dm
