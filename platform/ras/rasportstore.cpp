#include "platform/ras/rasportstore.h"

#include "common/ansitext.h"
#include "common/iniparser.h"
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
#include <unordered_set>
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

// A port is found by its letters: a section written in code page bytes
// ("COM\x80") answers to the name the library hands out for it ("COM€").
std::string PortKey(std::string_view name)
{
    return LowerAscii(AnsiToUtf8(name));
}

// Reads ras.ini in one pass straight into port records, without the
// editable copy of the file a profile read builds: dmsim and the RAS
// library list 10,000 ports on every step. As in every profile file, the
// first section of a name counts, and in it the first key of a name; keys
// missing from a section keep the record's defaults.
class PortTableReader : public IniHandler {
public:
    explicit PortTableReader(RasPortTable& table) : m_table(table) {}

    bool OnSection(std::string_view name, const IniLine&) override
    {
        Finish();
        m_active = m_table.index.emplace(PortKey(name), m_table.records.size()).second;
        if (m_active) {
            m_record = RasPortRecord{};
            m_record.name = std::string(name);
            m_seen.clear();
        }
        return true;
    }

    bool OnKey(std::string_view key, std::string_view value, const IniLine&) override
    {
        if (!m_active)
            return true;
        std::string lower = LowerAscii(key);
        if (lower.size() > kParamPrefix.size() && lower.compare(0, kParamPrefix.size(), "param.") == 0) {
            if (m_seen.insert(std::move(lower)).second)
                m_record.mediaParams.emplace_back(key.substr(kParamPrefix.size()), value);
            return true;
        }
        const auto field = Fields().find(lower);
        if (field != Fields().end() && m_seen.insert(std::move(lower)).second)
            field->second(m_record, value);
        return true;
    }

    // Adds the port of the section being read (call once at the end).
    void Finish()
    {
        if (m_active)
            m_table.records.push_back(std::move(m_record));
        m_active = false;
    }

private:
    using Apply = void (*)(RasPortRecord&, std::string_view);
    static std::uint32_t Number(std::string_view value) { return ParseUnsigned(std::string(value)); }

    // Each key of a port's section by its lower-case name.
    static const std::unordered_map<std::string, Apply>& Fields()
    {
        static const std::unordered_map<std::string, Apply> fields = [] {
            std::unordered_map<std::string, Apply> f = {
                {"devicetype", [](RasPortRecord& r, std::string_view v) { r.deviceType = v; }},
                {"devicename", [](RasPortRecord& r, std::string_view v) { r.deviceName = v; }},
                {"medianame", [](RasPortRecord& r, std::string_view v) { r.mediaName = v; }},
                {"mediatype", [](RasPortRecord& r, std::string_view v) { r.mediaType = Number(v); }},
                {"flags", [](RasPortRecord& r, std::string_view v) { r.flags = Number(v); }},
                {"linecondition", [](RasPortRecord& r, std::string_view v) { r.lineCondition = Number(v); }},
                {"hardwarecondition", [](RasPortRecord& r, std::string_view v) { r.hardwareCondition = Number(v); }},
                {"linespeed", [](RasPortRecord& r, std::string_view v) { r.lineSpeed = Number(v); }},
                {"advancedserver", [](RasPortRecord& r, std::string_view v) { r.advancedServer = Number(v) != 0; }},
                {"user", [](RasPortRecord& r, std::string_view v) { r.user = v; }},
                {"logondomain", [](RasPortRecord& r, std::string_view v) { r.logonDomain = v; }},
                {"computer", [](RasPortRecord& r, std::string_view v) { r.computer = v; }},
                {"sessionstart", [](RasPortRecord& r, std::string_view v) { r.sessionStart = Number(v); }},
                {"nbferror", [](RasPortRecord& r, std::string_view v) { r.nbfError = Number(v); }},
                {"nbfnetbioserror", [](RasPortRecord& r, std::string_view v) { r.nbfNetBiosError = Number(v); }},
                {"nbfname", [](RasPortRecord& r, std::string_view v) { r.nbfName = v; }},
                {"nbfworkstation", [](RasPortRecord& r, std::string_view v) { r.nbfWorkstation = v; }},
                {"iperror", [](RasPortRecord& r, std::string_view v) { r.ip.error = Number(v); }},
                {"ipaddress", [](RasPortRecord& r, std::string_view v) { r.ip.address = v; }},
                {"ipxerror", [](RasPortRecord& r, std::string_view v) { r.ipx.error = Number(v); }},
                {"ipxaddress", [](RasPortRecord& r, std::string_view v) { r.ipx.address = v; }},
                {"aterror", [](RasPortRecord& r, std::string_view v) { r.appleTalk.error = Number(v); }},
                {"ataddress", [](RasPortRecord& r, std::string_view v) { r.appleTalk.address = v; }},
            };
            static constexpr Apply counters[] = {
                [](RasPortRecord& r, std::string_view v) { r.counters[0] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[1] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[2] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[3] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[4] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[5] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[6] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[7] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[8] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[9] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[10] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[11] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[12] = Number(v); },
                [](RasPortRecord& r, std::string_view v) { r.counters[13] = Number(v); },
            };
            static_assert(std::size(counters) == std::tuple_size_v<decltype(RasPortRecord::counters)>);
            for (std::size_t i = 0; i < kRasCounterKeys.size(); ++i)
                f.emplace(LowerAscii(kRasCounterKeys[i]), counters[i]);
            return f;
        }();
        return fields;
    }

    RasPortTable& m_table;
    bool m_active = false;
    RasPortRecord m_record;
    std::unordered_set<std::string> m_seen; // lower-case keys of the section read so far
};

// Writes the keys of a port's section into a batch: every key, or, given
// the record as it was read, only the keys whose value differs from it, so
// that the other keys keep what another program wrote meanwhile and a
// service that changes a line condition writes one key, not forty.
class PortKeyWriter {
public:
    PortKeyWriter(ProfileBatch& batch, const RasPortRecord& record, const RasPortRecord* before = nullptr)
        : m_batch(batch), m_r(record), m_before(before)
    {
    }

    template <typename Get>
    void Put(std::string_view key, Get get)
    {
        const auto& value = get(m_r);
        if (m_before != nullptr && get(*m_before) == value)
            return;
        m_batch.Write(m_r.name, key, Text(value));
    }

    void Device()
    {
        Put("DeviceType", [](const RasPortRecord& r) -> const std::string& { return r.deviceType; });
        Put("DeviceName", [](const RasPortRecord& r) -> const std::string& { return r.deviceName; });
        Put("MediaName", [](const RasPortRecord& r) -> const std::string& { return r.mediaName; });
        Put("MediaType", [](const RasPortRecord& r) { return r.mediaType; });
        Put("HardwareCondition", [](const RasPortRecord& r) { return r.hardwareCondition; });
        Put("LineSpeed", [](const RasPortRecord& r) { return r.lineSpeed; });
        Put("AdvancedServer", [](const RasPortRecord& r) { return r.advancedServer; });
    }

    void Session()
    {
        Put("Flags", [](const RasPortRecord& r) { return r.flags; });
        Put("LineCondition", [](const RasPortRecord& r) { return r.lineCondition; });
        Put("User", [](const RasPortRecord& r) -> const std::string& { return r.user; });
        Put("LogonDomain", [](const RasPortRecord& r) -> const std::string& { return r.logonDomain; });
        Put("Computer", [](const RasPortRecord& r) -> const std::string& { return r.computer; });
        Put("SessionStart", [](const RasPortRecord& r) { return r.sessionStart; });
        Put("NbfError", [](const RasPortRecord& r) { return r.nbfError; });
        Put("NbfNetBiosError", [](const RasPortRecord& r) { return r.nbfNetBiosError; });
        Put("NbfName", [](const RasPortRecord& r) -> const std::string& { return r.nbfName; });
        Put("NbfWorkstation", [](const RasPortRecord& r) -> const std::string& { return r.nbfWorkstation; });
        Put("IpError", [](const RasPortRecord& r) { return r.ip.error; });
        Put("IpAddress", [](const RasPortRecord& r) -> const std::string& { return r.ip.address; });
        Put("IpxError", [](const RasPortRecord& r) { return r.ipx.error; });
        Put("IpxAddress", [](const RasPortRecord& r) -> const std::string& { return r.ipx.address; });
        Put("AtError", [](const RasPortRecord& r) { return r.appleTalk.error; });
        Put("AtAddress", [](const RasPortRecord& r) -> const std::string& { return r.appleTalk.address; });
    }

    void Counters()
    {
        for (std::size_t i = 0; i < kRasCounterKeys.size(); ++i)
            Put(kRasCounterKeys[i], [i](const RasPortRecord& r) { return r.counters[i]; });
    }

    // A parameter is written when the record read had none of that name or
    // another value; one the record no longer has stays in the file.
    void MediaParams()
    {
        for (const auto& [key, value] : m_r.mediaParams) {
            if (m_before != nullptr) {
                const auto& old = m_before->mediaParams;
                const auto same = std::find_if(old.begin(), old.end(), [&](const auto& p) {
                    return EqualNoCase(p.first, key);
                });
                if (same != old.end() && same->second == value)
                    continue;
            }
            m_batch.Write(m_r.name, std::string(kParamPrefix) + key, value);
        }
    }

private:
    static std::string Text(std::uint32_t value) { return std::to_string(value); }
    static std::string Text(bool value) { return value ? "1" : "0"; }
    static const std::string& Text(const std::string& value) { return value; }

    ProfileBatch& m_batch;
    const RasPortRecord& m_r;
    const RasPortRecord* m_before;
};

void WriteSession(ProfileBatch& batch, const RasPortRecord& r) { PortKeyWriter(batch, r).Session(); }

void WriteCounters(ProfileBatch& batch, const RasPortRecord& r) { PortKeyWriter(batch, r).Counters(); }

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

unsigned long RasPortStore::Table(std::shared_ptr<const RasPortTable>& table) const
{
    table.reset();
    fs::path dir;
    if (unsigned long error = Check(dir))
        return error;
    table = Ports(dir / "ras.ini");
    return winerr::Success;
}

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

std::shared_ptr<const RasPortTable> RasPortStore::Ports(const fs::path& file) const
{
    static FileSnapshotCache<RasPortTable> cache;
    return cache.Get(file, [&] {
        auto table = std::make_shared<RasPortTable>();
        std::string text;
        if (!ReadWholeFile(file, text)) {
            // Nothing to read: no ports.
        } else if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') ||
                                        (text[0] == '\xFE' && text[1] == '\xFF'))) {
            // A file someone saved as UTF-16 reads as its text, as every
            // profile read takes it.
            if (const auto ini = LoadIniFile(file)) {
                PortTableReader reader(*table);
                IniLine none;
                for (const auto& section : ini->SectionNames()) {
                    reader.OnSection(section, none);
                    for (const auto& [key, value] : ini->Entries(section))
                        reader.OnKey(key, value, none);
                }
                reader.Finish();
            }
        } else {
            const auto sections = std::count(text.begin(), text.end(), '[');
            table->records.reserve(static_cast<std::size_t>(sections));
            table->index.reserve(static_cast<std::size_t>(sections));
            PortTableReader reader(*table);
            ParseIni(text, reader);
            reader.Finish();
        }
        return std::shared_ptr<const RasPortTable>(std::move(table));
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
    std::vector<PortChange> changes;
    changes.reserve(records.size());
    for (const RasPortRecord& record : records)
        changes.push_back({nullptr, &record});
    return SavePortChanges(changes);
}

unsigned long RasPortStore::SavePortChanges(const std::vector<PortChange>& changes)
{
    fs::path dir;
    if (unsigned long error = Locate(dir))
        return error;
    ProfileBatch batch(IniPath().string());
    for (const PortChange& change : changes) {
        if (!ValidPortName(change.after->name))
            return winerr::InvalidParameter;
        PortKeyWriter writer(batch, *change.after, change.before);
        writer.Device();
        writer.Session();
        writer.Counters();
        writer.MediaParams();
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
