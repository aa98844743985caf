#include "netemu/liveservice.h"

#include "common/numbers.h"
#include "common/text.h"
#include "database/profilevalues.h"
#include "netemu/loggedhistory.h"
#include "platform/files/fileopen.h"
#include "platform/ras/rasportstore.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm::netemu {

LiveService::LiveService(std::vector<ScannedServer> servers, const LiveOptions& options, std::uint32_t start)
    : m_scanned(std::move(servers)), m_lastConfigRead(start)
{
    std::vector<ServerSetup> setups;
    for (const ScannedServer& scanned : m_scanned) {
        ServerSetup setup;
        setup.name = scanned.name;
        for (std::size_t i = 0; i < scanned.ports.size(); ++i)
            setup.ports.push_back(
                {scanned.ports[i].name, PoolAddress(scanned.name, i), scanned.ports[i].outOfService});
        setup.callers = scanned.callers;
        setup.idleMinutes = scanned.component.idleMinutes;
        setup.autoDisconnectMinutes = scanned.autoDisconnectMinutes;
        setup.database = DatabaseFor(scanned.component);
        setups.push_back(std::move(setup));
        m_views.emplace_back(scanned.ports.size());
        // Requests made before the start belong to sessions of an earlier run.
        std::error_code error;
        const auto size = std::filesystem::file_size(RasPortStore(scanned.name).RequestLogPath(), error);
        m_requestOffsets.push_back(error ? 0 : size);
    }
    m_simulation = std::make_unique<Simulation>(std::move(setups), options.seed, start, options.model);
    m_simulation->SetMessageSink([this](const std::string& server, const std::string& computer,
                                        const std::string& text, std::uint32_t time) {
        DeliverMessage(server, computer, text, time);
    });
    for (const SimServer& server : m_simulation->Servers()) {
        auto& index = m_portIndex.emplace_back();
        for (std::size_t p = 0; p < server.ports.size(); ++p)
            index.emplace(UpperAscii(server.ports[p].setup.name), p);
    }
    AdoptRunningSessions();
    for (std::size_t s = 0; s < m_scanned.size(); ++s)
        ShowPorts(s, start, true);
}

std::optional<std::size_t> LiveService::PortIndex(std::size_t server, std::string_view name) const
{
    const auto it = m_portIndex[server].find(UpperAscii(name));
    return it == m_portIndex[server].end() ? std::nullopt : std::optional<std::size_t>(it->second);
}

void LiveService::AdoptRunningSessions()
{
    for (std::size_t s = 0; s < m_scanned.size(); ++s) {
        std::shared_ptr<const RasPortTable> table;
        if (RasPortStore(m_scanned[s].name).Table(table) != 0)
            continue;
        for (const RasPortRecord& record : table->records) {
            if (record.lineCondition != 6 || record.user.empty())
                continue;
            if (const auto found = PortIndex(s, record.name)) {
                const std::size_t p = *found;
                const std::string account = record.logonDomain.empty() ? record.user : record.logonDomain + "\\" + record.user;
                const std::uint64_t id =
                    m_simulation->AdoptSession(s, p, account, record.sessionStart, record.computer);
                // The counters go on from what the port shows.
                if (id != 0)
                    m_views[s][p].shownSession = id;
            }
        }
    }
}

Database* LiveService::DatabaseFor(const ComponentConfig& config)
{
    if (!config.installed || config.databaseDir.empty())
        return nullptr;
    auto& db = m_databases[config.databaseDir];
    if (!db) {
        db = std::make_unique<Database>(config.databaseDir);
        db->Load();
    }
    return db.get();
}

void LiveService::RefreshConfiguration()
{
    for (std::size_t s = 0; s < m_scanned.size(); ++s) {
        const ComponentConfig config = ReadComponentConfig(m_scanned[s].name);
        if (config == m_scanned[s].component)
            continue;
        m_simulation->SetDatabase(s, DatabaseFor(config));
        m_simulation->SetIdleMinutes(s, config.idleMinutes);
        m_scanned[s].component = config;
    }
}

void LiveService::RefreshServiceState()
{
    for (std::size_t s = 0; s < m_scanned.size(); ++s) {
        m_simulation->SetAutoDisconnect(s, ReadAutoDisconnect(m_scanned[s].name));
        std::shared_ptr<const RasPortTable> table;
        if (RasPortStore(m_scanned[s].name).Table(table) != 0)
            continue;
        // Only an administrator writes the conditions that take a port out of
        // service (the service never does), so the file tells them apart.
        for (const RasPortRecord& record : table->records)
            if (const auto p = PortIndex(s, record.name))
                m_simulation->SetOutOfService(s, *p, IsOutOfService(record.lineCondition, record.hardwareCondition));
    }
}

void LiveService::TakeRequests(std::size_t server)
{
    const ScannedServer& scanned = m_scanned[server];
    // Only a regular file inside the network is read: a FIFO would block
    // the service for good, a directory has no size.
    const OpenedFile in = OpenRegularFile(RasPortStore(scanned.name).RequestLogPath(), O_RDONLY);
    struct stat st {};
    if (!in.ok() || ::fstat(in.fd(), &st) != 0)
        return;
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (size < m_requestOffsets[server])
        m_requestOffsets[server] = 0; // the log was started afresh
    std::string chunk(size - m_requestOffsets[server], '\0');
    std::size_t got = 0;
    while (got < chunk.size()) {
        const ssize_t n = ::pread(in.fd(), chunk.data() + got, chunk.size() - got,
                                  static_cast<off_t>(m_requestOffsets[server] + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    chunk.resize(got);
    // Only whole lines: a line still being written is taken on the next tick.
    const std::size_t lastNewline = chunk.rfind('\n');
    if (lastNewline == std::string::npos)
        return;
    m_requestOffsets[server] += lastNewline + 1;
    std::size_t start = 0;
    while (start <= lastNewline) {
        const std::size_t end = chunk.find('\n', start);
        const std::string_view line = std::string_view(chunk).substr(start, end - start);
        const std::vector<std::string_view> fields = SplitText(line, '\t');
        start = end + 1;
        if (fields.size() < 3)
            continue;
        const auto& ports = m_simulation->Servers()[server].ports;
        if (const auto found = PortIndex(server, std::string(fields[2]))) {
            const std::size_t p = *found;
            const SimSession* session = ports[p].session ? &*ports[p].session : nullptr;
            if (fields[1] == "Disconnect") {
                // The request names the session it ended; an older session's request changes nothing.
                const std::uint32_t started = fields.size() > 4 ? AtoiWrapped32(fields[4]) : 0;
                if (session && (started == 0 || started == session->start))
                    m_simulation->Disconnect(server, p, m_simulation->Now());
            } else if (fields[1] == "ClearStatistics" && session) {
                const std::uint32_t now = m_simulation->Now();
                const std::uint32_t until = session->idleFrom && session->idleFrom < now ? session->idleFrom : now;
                m_views[server][p].clearedAt = CountersAfter(session->traffic, double(until) - session->start);
                m_views[server][p].clearedSession = session->id;
            }
        }
    }
}

void LiveService::ShowPorts(std::size_t server, std::uint32_t now, bool all)
{
    RasPortStore store(m_scanned[server].name);
    const SimServer& sim = m_simulation->Servers()[server];
    // Every port that changes goes into one write of ras.ini; the views
    // follow once it is written.
    struct Shown {
        std::size_t port;
        std::uint64_t session;
        LineCondition condition;
    };
    std::vector<RasPortRecord> changed;
    std::vector<const RasPortRecord*> before; // what ras.ini showed of each changed port
    std::vector<Shown> shown;
    const auto needsShowing = [&](std::size_t p) {
        const SimPort& port = sim.ports[p];
        const PortView& view = m_views[server][p];
        return all || port.session || view.shownSession != 0 || view.shownCondition != port.condition;
    };
    bool any = false;
    for (std::size_t p = 0; p < sim.ports.size() && !any; ++p)
        any = needsShowing(p);
    if (!any)
        return;
    // What ras.ini shows, read once (a look-up per port checks the computer each time).
    std::shared_ptr<const RasPortTable> listed;
    if (store.Table(listed) != 0)
        return;
    std::vector<const RasPortRecord*> inFile(sim.ports.size(), nullptr);
    for (const RasPortRecord& record : listed->records)
        if (const auto p = PortIndex(server, record.name); p && !inFile[*p])
            inFile[*p] = &record;
    for (std::size_t p = 0; p < sim.ports.size(); ++p) {
        const SimPort& port = sim.ports[p];
        PortView& view = m_views[server][p];
        const std::uint64_t sessionId = port.session ? port.session->id : 0;
        if (!needsShowing(p))
            continue;
        if (inFile[p] == nullptr)
            continue;
        RasPortRecord record = *inFile[p];
        const RasPortRecord& shownRecord = *inFile[p];
        if (port.setup.outOfService) {
            // The port keeps the conditions it was given; a call it dropped
            // when it failed leaves no user behind.
            if (view.shownSession != 0 && record.HasSession()) {
                record.user.clear();
                record.logonDomain.clear();
                record.computer.clear();
                record.sessionStart = 0;
                record.ip = {};
                record.ipx = {};
                changed.push_back(std::move(record));
                before.push_back(inFile[p]);
                shown.push_back({p, 0, port.condition});
            } else {
                view.shownSession = 0;
                view.shownCondition = port.condition;
            }
            continue;
        }
        if (view.shownSession != 0 && view.shownSession == sessionId && !record.HasSession())
            continue; // the RAS library ended it; its request is taken on the next tick
        record.lineCondition = port.condition == LineCondition::Authenticated    ? 6
                               : port.condition == LineCondition::Authenticating ? 5
                                                                                  : 4;
        if (port.session) {
            const SimSession& session = *port.session;
            const CallerProfile& caller = sim.setup.callers[session.caller];
            const std::size_t slash = session.account.find('\\');
            record.user = slash == std::string::npos ? session.account : session.account.substr(slash + 1);
            record.logonDomain = slash == std::string::npos ? std::string() : session.account.substr(0, slash);
            record.computer = caller.computerName;
            record.sessionStart = session.start;
            record.flags = 0x1 | 0x2 | 0x4;
            record.nbfError = 0;
            record.nbfName = caller.computerName;
            record.nbfWorkstation = caller.computerName;
            record.ip = {0, FormatAddress(session.ip)};
            record.ipx = caller.ipxAddress.empty() ? RasProjection{} : RasProjection{0, caller.ipxAddress};
            const std::uint32_t until = session.idleFrom && session.idleFrom < now ? session.idleFrom : now;
            PortCounters counters = CountersAfter(session.traffic, double(until) - session.start);
            if (view.clearedSession == session.id)
                for (std::size_t i = 0; i < counters.size(); ++i)
                    counters[i] -= std::min(counters[i], view.clearedAt[i]);
            for (std::size_t i = 0; i < counters.size(); ++i)
                record.counters[i] = counters[i];
        } else {
            // Counters stay as the session left them, as the service keeps them.
            record.user.clear();
            record.logonDomain.clear();
            record.computer.clear();
            record.sessionStart = 0;
            record.flags = 0;
            record.nbfError = kProtocolNotProjected;
            record.nbfName.clear();
            record.nbfWorkstation.clear();
            record.ip = {};
            record.ipx = {};
        }
        if (port.session && view.shownSession != sessionId)
            record.counters.fill(0);
        if (record == shownRecord) {
            // ras.ini shows it already (a start after a clean stop): nothing to write.
            view.shownSession = sessionId;
            view.shownCondition = port.condition;
            continue;
        }
        changed.push_back(std::move(record));
        before.push_back(inFile[p]);
        shown.push_back({p, sessionId, port.condition});
    }
    if (changed.empty())
        return;
    // Only the keys that differ from what was read: a start on 10,000 ports
    // that were left authenticating writes one key of each, and what an
    // administrator wrote to the others meanwhile stays.
    std::vector<RasPortStore::PortChange> changes(changed.size());
    for (std::size_t i = 0; i < changed.size(); ++i)
        changes[i] = {before[i], &changed[i]};
    if (store.SavePortChanges(changes) != 0)
        return;
    for (const Shown& s : shown) {
        m_views[server][s.port].shownSession = s.session;
        m_views[server][s.port].shownCondition = s.condition;
    }
}

void LiveService::Tick(std::uint32_t now)
{
    if (now >= m_lastConfigRead + 2) {
        RefreshConfiguration();
        RefreshServiceState();
        m_lastConfigRead = now;
    }
    for (auto& [dir, db] : m_databases) {
        const Database::Changes changes = db->ReloadChanged();
        if (changes.hardware || changes.users)
            m_simulation->PoliciesChanged(*db);
    }
    for (std::size_t s = 0; s < m_scanned.size(); ++s)
        TakeRequests(s);
    m_simulation->RunUntil(now);
    for (auto& [dir, db] : m_databases)
        NoteWrite(dir, *db, db->FlushAll());
    for (std::size_t s = 0; s < m_scanned.size(); ++s)
        ShowPorts(s, now, false);
}

void LiveService::NoteWrite(const std::string& dir, const Database& db, bool written)
{
    // Each file is named once when its writes begin to fail and once when
    // it is written again; the records wait in memory meanwhile.
    const std::vector<std::string> failed = written ? std::vector<std::string>() : db.FailedFiles();
    std::vector<std::string>& before = m_unwritten[dir];
    for (const std::string& file : failed)
        if (std::find(before.begin(), before.end(), file) == before.end())
            std::fprintf(stderr, "dmsim: cannot write %s; its records are kept and written later\n", file.c_str());
    for (const std::string& file : before)
        if (std::find(failed.begin(), failed.end(), file) == failed.end())
            std::fprintf(stderr, "dmsim: %s is written again\n", file.c_str());
    if (failed.empty())
        m_unwritten.erase(dir);
    else
        before = failed;
}

std::vector<std::string> LiveService::FailedFiles() const
{
    std::vector<std::string> files;
    for (const auto& [dir, failed] : m_unwritten)
        files.insert(files.end(), failed.begin(), failed.end());
    return files;
}

bool LiveService::Stop(std::uint32_t now)
{
    for (std::size_t s = 0; s < m_scanned.size(); ++s)
        TakeRequests(s);
    m_simulation->RunUntil(now);
    m_simulation->HangUpAll(now);
    bool written = true;
    for (auto& [dir, db] : m_databases) {
        const bool ok = db->FlushAll();
        NoteWrite(dir, *db, ok);
        if (!ok) {
            std::fprintf(stderr, "dmsim: records of the database %s could not be written\n", dir.c_str());
            written = false;
        }
    }
    for (std::size_t s = 0; s < m_scanned.size(); ++s)
        ShowPorts(s, now, true);
    return written;
}

std::uint32_t LiveStart(const std::vector<ScannedServer>& servers, std::uint32_t clock)
{
    std::uint32_t start = clock;
    std::set<std::string> seen;
    for (const ScannedServer& server : servers) {
        const std::string& dir = server.component.databaseDir;
        if (!server.component.installed || dir.empty() || !seen.insert(dir).second)
            continue;
        // A second after it: a record of the new run never takes an old record's key.
        if (const std::uint32_t last = LastLoggedEvent(dir); last != 0)
            start = std::max(start, last + 1);
    }
    return start;
}

int RunLive(const LiveOptions& options, const std::atomic<bool>& stop)
{

    std::vector<ScannedServer> servers = ScanNetwork();
    if (servers.empty()) {
        std::fprintf(stderr, "dmsim: no computer of the network has RAS installed (no machines/NAME/ras.ini)\n");
        return 1;
    }
    const auto realStart = std::chrono::steady_clock::now();
    const std::uint32_t start = LiveStart(servers, static_cast<std::uint32_t>(std::time(nullptr)));
    LiveService service(std::move(servers), options, start);
    std::printf("dmsim: running the RAS service of %zu computer(s) at %g times real time\n", service.Servers(),
                options.speed);
    std::fflush(stdout);
    std::uint32_t now = start;
    while (!stop.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - realStart).count();
        now = start + static_cast<std::uint32_t>(elapsed * options.speed);
        service.Tick(now);
    }
    const bool written = service.Stop(now);
    std::printf("dmsim: stopped\n");
    return written ? 0 : 1;
}

} // namespace dm::netemu
