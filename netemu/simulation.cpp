#include "netemu/simulation.h"

#include "common/text.h"
#include "database/profilevalues.h"

#include <algorithm>

namespace dm::netemu {

namespace {

// History may be generated for days before the counters' connection times:
// the first connection only moves back, the last only forward.
void NoteConnection(UserRecord& record, std::uint32_t time)
{
    if (record.firstConnection == 0 || time < record.firstConnection)
        record.firstConnection = time;
    if (time > record.lastConnection)
        record.lastConnection = time;
}

} // namespace

std::size_t SimServer::BusyPorts() const
{
    return static_cast<std::size_t>(std::count_if(ports.begin(), ports.end(), [](const SimPort& port) {
        return port.condition != LineCondition::Listening;
    }));
}

Simulation::Simulation(std::vector<ServerSetup> servers, std::uint64_t seed, std::uint32_t start, CallerModel model)
    : m_model(model), m_now(start)
{
    Random root(seed);
    for (ServerSetup& setup : servers) {
        SimServer server;
        server.rng = root.Fork(HashText(setup.name.data(), setup.name.size()));
        double total = 0;
        for (const CallerProfile& caller : setup.callers) {
            total += std::max(0.0, caller.weight);
            server.cumulativeWeight.push_back(total);
        }
        server.quietUntil.assign(setup.callers.size(), 0);
        for (const PortSetup& port : setup.ports) {
            SimPort simPort;
            simPort.setup = port;
            server.ports.push_back(std::move(simPort));
        }
        server.setup = std::move(setup);
        m_servers.push_back(std::move(server));
    }
    for (std::uint32_t i = 0; i < m_servers.size(); ++i) {
        SimServer& server = m_servers[i];
        if (!server.ports.empty() && !server.setup.callers.empty())
            Schedule(m_model.NextArrival(server.rng, start, server.ports.size()), EventKind::Arrival, i);
        Schedule(start % 3600 == 0 ? start : start - start % 3600 + 3600, EventKind::Sample, i);
    }
}

void Simulation::Schedule(std::uint32_t time, EventKind kind, std::uint32_t server, std::uint32_t port,
                          std::uint64_t id, std::uint32_t extra, int notice)
{
    m_queue.push(Event{time, m_seq++, kind, server, port, id, extra, notice});
}

void Simulation::RunUntil(std::uint32_t until)
{
    while (!m_queue.empty() && m_queue.top().time <= until) {
        const Event event = m_queue.top();
        m_queue.pop();
        m_now = std::max(m_now, event.time);
        ++m_eventCount;
        Handle(event);
    }
    m_now = std::max(m_now, until);
}

void Simulation::Drain()
{
    m_draining = true;
    RunUntil(0xffffffffu - 1);
}

void Simulation::HangUpAll(std::uint32_t now)
{
    m_now = std::max(m_now, now);
    for (std::uint32_t s = 0; s < m_servers.size(); ++s)
        for (std::uint32_t p = 0; p < m_servers[s].ports.size(); ++p) {
            SimPort& port = m_servers[s].ports[p];
            if (port.session)
                EndSession(s, p, EndNoReason);
            port.condition = LineCondition::Listening;
        }
}

void Simulation::Handle(const Event& event)
{
    SimServer& server = m_servers[event.server];
    switch (event.kind) {
    case EventKind::Arrival:
        OnArrival(event.server);
        return;
    case EventKind::Sample:
        if (m_draining)
            return;
        if (server.setup.database)
            server.setup.database->Log().AddPortSample(server.setup.name, m_now, int(server.BusyPorts()));
        Schedule(m_now + 3600, EventKind::Sample, event.server);
        return;
    default:
        break;
    }
    SimPort& port = server.ports[event.port];
    if (event.kind == EventKind::Authenticated) {
        if (port.condition == LineCondition::Authenticating && port.attemptId == event.id)
            OnAuthenticated(server, event.server, event.port);
        return;
    }
    if (!port.session || port.session->id != event.id)
        return; // the session ended before this event
    SimSession& session = *port.session;
    const bool cutDue = session.cut.at != 0 && session.cut.at <= m_now;
    switch (event.kind) {
    case EventKind::HangUp:
        EndSession(event.server, event.port, cutDue ? session.cut.reason : EndNoReason);
        break;
    case EventKind::Cut:
        if (event.extra == session.planVersion && cutDue)
            EndSession(event.server, event.port, session.cut.reason);
        break;
    case EventKind::Replan:
        Plan(event.server, event.port);
        break;
    case EventKind::ServiceIdle:
        // Planned with the minutes of that time; a change of them planned anew.
        if (event.extra == server.setup.autoDisconnectMinutes && session.idleFrom != 0 &&
            m_now >= session.idleFrom + event.extra * 60)
            EndSession(event.server, event.port, EndNoReason);
        break;
    case EventKind::Notice:
        if (event.extra == session.planVersion && m_messages && server.setup.database) {
            const Notice& notice = server.setup.database->Hardware().notifications.notices[std::size_t(event.notice)];
            m_messages(server.setup.name, server.setup.callers[session.caller].computerName, notice.text, m_now);
        }
        break;
    default:
        break;
    }
}

std::optional<std::size_t> Simulation::PickCaller(SimServer& server)
{
    if (server.rng.Chance(m_model.secondLineShare)) {
        // Someone already connected dials a second line.
        std::vector<std::size_t> connected;
        for (const SimPort& port : server.ports)
            if (port.session)
                connected.push_back(port.session->caller);
        if (!connected.empty())
            return connected[server.rng.Below(connected.size())];
    }
    const double total = server.cumulativeWeight.back();
    const double pick = server.rng.Uniform() * total;
    auto it = std::upper_bound(server.cumulativeWeight.begin(), server.cumulativeWeight.end(), pick);
    const std::size_t caller =
        std::min<std::size_t>(it - server.cumulativeWeight.begin(), server.cumulativeWeight.size() - 1);
    // People who are online already, or who were just turned away for good, do not call.
    if (server.quietUntil[caller] > m_now || PortsHeld(server.setup.callers[caller].identity.account) > 0)
        return std::nullopt;
    return caller;
}

void Simulation::OnArrival(std::uint32_t serverIndex)
{
    if (m_draining)
        return;
    SimServer& server = m_servers[serverIndex];
    Schedule(m_model.NextArrival(server.rng, m_now, server.ports.size()), EventKind::Arrival, serverIndex);
    const std::optional<std::size_t> caller = PickCaller(server);
    if (!caller)
        return;
    std::vector<std::uint32_t> free;
    for (std::uint32_t p = 0; p < server.ports.size(); ++p)
        if (server.ports[p].condition == LineCondition::Listening && server.ports[p].freeAt <= m_now &&
            !server.ports[p].setup.outOfService)
            free.push_back(p);
    if (free.empty())
        return; // every line busy: the caller hears the busy tone
    const std::uint32_t p = free[server.rng.Below(free.size())];
    SimPort& port = server.ports[p];
    port.condition = LineCondition::Authenticating;
    port.busySince = m_now;
    port.attemptId = m_nextId++;
    port.attemptCaller = *caller;
    Schedule(m_now + m_model.AuthenticationDelay(server.rng), EventKind::Authenticated, serverIndex, p, port.attemptId);
}

UserRecord* Simulation::RecordOf(const SimServer& server, const std::string& account)
{
    return server.setup.database ? server.setup.database->Users().FindAccount(account) : nullptr;
}

int Simulation::PortsHeld(const std::string& account) const
{
    auto it = m_active.find(UpperAscii(account));
    return it == m_active.end() ? 0 : static_cast<int>(it->second.size());
}

int Simulation::ComponentPortsHeld(const std::string& account) const
{
    auto it = m_active.find(UpperAscii(account));
    if (it == m_active.end())
        return 0;
    return static_cast<int>(std::count_if(it->second.begin(), it->second.end(), [&](const auto& held) {
        return m_servers[held.first].setup.database != nullptr;
    }));
}

void Simulation::OnAuthenticated(SimServer& server, std::uint32_t serverIndex, std::uint32_t portIndex)
{
    SimPort& port = server.ports[portIndex];
    const CallerProfile& caller = server.setup.callers[port.attemptCaller];
    Database* db = server.setup.database;
    if (!db) {
        Admit(server, serverIndex, portIndex, caller, nullptr);
        return;
    }
    const Admission admission = db->Engine().Admit(caller.identity, server.setup.name, port.setup.name, m_now,
                                                   ComponentPortsHeld(caller.identity.account));
    UserRecord* record = RecordOf(server, caller.identity.account);
    if (admission.createdFromDefault && record)
        db->MarkUsage(*record, true);
    if (admission.reason == Admitted) {
        Admit(server, serverIndex, portIndex, caller, &admission);
        return;
    }
    LogEvent denied;
    denied.kind = LogEvent::Denied;
    denied.user = caller.identity.account;
    denied.reason = admission.reason;
    Log(server, port, denied);
    if (record) {
        ++record->totalDenieds;
        db->MarkUsage(*record);
    }
    if (admission.reason != DenyAlreadyConnected && admission.reason != DenyPortAccess) {
        // A reason that will not go away by itself: the person tries again in a day or so.
        server.quietUntil[port.attemptCaller] = m_now + 3600 + std::uint32_t(server.rng.Exponential(86400));
    }
    port.condition = LineCondition::Listening;
    port.freeAt = m_now + m_model.LineResetDelay(server.rng);
}

std::uint32_t Simulation::AssignAddress(SimServer& server, SimPort& port, const UserRecord* record) const
{
    auto inUse = [&](std::uint32_t address) {
        for (const SimServer& s : m_servers)
            for (const SimPort& p : s.ports)
                if (p.session && p.session->ip == address)
                    return true;
        return false;
    };
    if (Database* db = server.setup.database)
        if (const std::uint32_t address = db->Engine().StaticAddress(record, server.setup.name, port.setup.name, inUse))
            return address;
    return port.setup.poolAddress;
}

void Simulation::Admit(SimServer& server, std::uint32_t serverIndex, std::uint32_t portIndex,
                       const CallerProfile& caller, const Admission* admission)
{
    SimPort& port = server.ports[portIndex];
    SimSession session;
    session.id = m_nextId++;
    session.caller = port.attemptCaller;
    session.account = caller.identity.account;
    session.start = m_now;
    const std::uint32_t length = m_model.SessionLength(server.rng);
    session.hangup = m_now + length;
    if (server.rng.Chance(m_model.idleShare)) {
        // The user walks away and forgets the line; it hangs until the user
        // returns or the idle timer ends it.
        session.idleFrom = m_now + std::uint32_t(length * (0.2 + 0.6 * server.rng.Uniform()));
        session.hangup = session.idleFrom + 600 + std::uint32_t(server.rng.Exponential(5400));
    }
    session.traffic = m_model.DrawTraffic(server.rng, caller.trafficFactor);
    Database* db = server.setup.database;
    UserRecord* record = RecordOf(server, caller.identity.account);
    if (admission && db) {
        session.logged = true;
        session.effective = admission->effective;
        session.portMaxSession = db->Engine().PortMaxSession(server.setup.name, port.setup.name);
        if (record) {
            ++record->totalConnects;
            NoteConnection(*record, m_now);
            db->MarkUsage(*record);
        }
        LogEvent connect;
        connect.kind = LogEvent::Connect;
        connect.user = session.account;
        Log(server, port, connect);
    }
    session.ip = AssignAddress(server, port, record);
    port.condition = LineCondition::Authenticated;
    port.session = std::move(session);
    const SimSession& s = *port.session;
    m_active[UpperAscii(s.account)].emplace_back(serverIndex, portIndex);
    Schedule(s.hangup, EventKind::HangUp, serverIndex, portIndex, s.id);
    PlanServiceIdle(serverIndex, portIndex);
    if (!s.logged)
        return;
    if (m_messages) {
        if (auto greeting = db->Engine().Greeting(s.account, s.effective, s.portMaxSession, record ? record->totalTime : 0))
            m_messages(server.setup.name, caller.computerName, *greeting, m_now);
    }
    PlanAccount(s.account, db);
}

void Simulation::EndSession(std::uint32_t serverIndex, std::uint32_t portIndex, int reason)
{
    SimServer& server = m_servers[serverIndex];
    SimPort& port = server.ports[portIndex];
    const SimSession session = std::move(*port.session);
    port.session.reset();
    port.condition = LineCondition::Listening;
    port.freeAt = m_now + m_model.LineResetDelay(server.rng);
    auto& held = m_active[UpperAscii(session.account)];
    held.erase(std::remove(held.begin(), held.end(), std::make_pair(serverIndex, portIndex)), held.end());
    if (held.empty())
        m_active.erase(UpperAscii(session.account));
    if (!session.logged)
        return;
    Database* db = server.setup.database;
    const CallerProfile& caller = server.setup.callers[session.caller];
    const std::int32_t duration = static_cast<std::int32_t>(m_now - session.start);
    LogEvent end;
    end.kind = LogEvent::SessionEnd;
    end.user = session.account;
    end.duration = duration;
    end.ip = session.ip;
    end.reason = reason;
    end.ipx = caller.ipxAddress;
    end.netbios = caller.computerName;
    Log(server, port, end);
    if (UserRecord* record = RecordOf(server, session.account)) {
        record->totalTime += duration;
        record->lasted = duration;
        if (session.effective.HasPeriodLimit()) {
            const std::uint32_t period = PeriodStart(m_now, session.effective.periodType);
            const std::int32_t portion = static_cast<std::int32_t>(m_now - std::max(session.start, period));
            if (record->periodStamp == period) {
                record->periodUsage += portion;
            } else {
                record->periodStamp = period;
                record->periodUsage = portion;
            }
        }
        db->MarkUsage(*record);
    }
    PlanAccount(session.account, db);
}

void Simulation::Log(SimServer& server, SimPort& port, const LogEvent& event, std::uint32_t time)
{
    const std::uint32_t at = time ? time : m_now;
    const std::uint32_t key = at > port.lastLogKey ? at : port.lastLogKey + 1;
    port.lastLogKey = key;
    server.setup.database->Log().Add(server.setup.name, port.setup.name, key, event);
}

void Simulation::PlanAccount(const std::string& account, const Database* database)
{
    auto it = m_active.find(UpperAscii(account));
    if (it == m_active.end())
        return;
    const auto sessions = it->second;
    for (const auto& [s, p] : sessions)
        if (m_servers[s].setup.database == database)
            Plan(s, p);
}

void Simulation::Plan(std::uint32_t serverIndex, std::uint32_t portIndex)
{
    SimServer& server = m_servers[serverIndex];
    SimSession& session = *server.ports[portIndex].session;
    if (!session.logged)
        return;
    Database* db = server.setup.database;
    // Sessions of the account that run side by side use up its total and
    // period time together.
    AccountUsage usage;
    const UserRecord* record = RecordOf(server, session.account);
    if (record) {
        for (const auto& [s, p] : m_active[UpperAscii(session.account)]) {
            const SimSession* other = m_servers[s].ports[p].session ? &*m_servers[s].ports[p].session : nullptr;
            if (other && other->logged && m_servers[s].setup.database == db)
                usage.starts.push_back(other->start);
        }
        usage.totalTime = record->totalTime;
        usage.periodUsage = PolicyEngine::CurrentPeriodUsage(*record, session.effective, m_now);
    }
    const std::uint32_t idleAt =
        server.setup.idleMinutes > 0 && session.idleFrom != 0 ? session.idleFrom + server.setup.idleMinutes * 60 : 0;
    const std::optional<Cut> cut =
        PolicyEngine::PlannedCut(session.start, session.portMaxSession, session.effective, usage, m_now, idleAt);
    if (session.effective.HasPeriodLimit() && (!cut || cut->reason != EndPeriodUsed)) {
        // A new period brings a new allowance: plan again when it starts.
        const std::uint32_t next = NextPeriodStart(m_now, session.effective.periodType);
        if (next < session.hangup && (!cut || next < cut->at))
            Schedule(next, EventKind::Replan, serverIndex, portIndex, session.id);
    }
    ++session.planVersion;
    // Planned whether or not the caller will hang up first: the component
    // cannot know, so the notices fall due as the session reaches them.
    session.cut = cut ? *cut : Cut{0, EndNoReason};
    if (session.cut.at == 0)
        return;
    Schedule(std::max(session.cut.at, m_now), EventKind::Cut, serverIndex, portIndex, session.id, session.planVersion);
    for (const NoticeDue& notice : db->Engine().NoticesBefore(session.cut, session.start))
        if (notice.at > m_now)
            Schedule(notice.at, EventKind::Notice, serverIndex, portIndex, session.id, session.planVersion,
                     notice.notice);
}

std::uint64_t Simulation::AdoptSession(std::size_t serverIndex, std::size_t portIndex, const std::string& account,
                                       std::uint32_t start, const std::string& computer)
{
    if (serverIndex >= m_servers.size() || portIndex >= m_servers[serverIndex].ports.size() || account.empty())
        return 0;
    SimServer& server = m_servers[serverIndex];
    SimPort& port = server.ports[portIndex];
    if (port.condition != LineCondition::Listening)
        return 0;
    std::size_t caller = 0;
    while (caller < server.setup.callers.size() && !EqualNoCase(server.setup.callers[caller].identity.account, account))
        ++caller;
    if (caller == server.setup.callers.size()) {
        // Someone the account list does not offer as a caller: known for this session only.
        CallerProfile stranger;
        stranger.identity.account = account;
        stranger.weight = 0;
        stranger.computerName = computer;
        server.setup.callers.push_back(stranger);
        server.cumulativeWeight.push_back(server.cumulativeWeight.empty() ? 0.0 : server.cumulativeWeight.back());
        server.quietUntil.push_back(0);
    }
    Database* db = server.setup.database;
    UserRecord* record = RecordOf(server, account);
    SimSession session;
    session.id = m_nextId++;
    session.caller = caller;
    session.account = server.setup.callers[caller].identity.account;
    session.start = std::min(start, m_now);
    // When the person means to hang up is unknown: a session's length from now on.
    session.hangup = m_now + m_model.SessionLength(server.rng);
    session.traffic = m_model.DrawTraffic(server.rng, server.setup.callers[caller].trafficFactor);
    if (db && record) {
        session.logged = true;
        session.effective = db->Engine().EffectiveLimits(*record, server.setup.callers[caller].identity);
        session.portMaxSession = db->Engine().PortMaxSession(server.setup.name, port.setup.name);
        ++record->totalConnects;
        NoteConnection(*record, session.start);
        db->MarkUsage(*record);
        LogEvent connect;
        connect.kind = LogEvent::Connect;
        connect.user = session.account;
        Log(server, port, connect, session.start);
    }
    session.ip = AssignAddress(server, port, record);
    port.condition = LineCondition::Authenticated;
    port.session = std::move(session);
    const SimSession& s = *port.session;
    m_active[UpperAscii(s.account)].emplace_back(std::uint32_t(serverIndex), std::uint32_t(portIndex));
    Schedule(s.hangup, EventKind::HangUp, std::uint32_t(serverIndex), std::uint32_t(portIndex), s.id);
    if (s.logged)
        PlanAccount(s.account, db);
    return s.id;
}

void Simulation::PlanServiceIdle(std::uint32_t serverIndex, std::uint32_t portIndex)
{
    const SimServer& server = m_servers[serverIndex];
    const SimSession& session = *server.ports[portIndex].session;
    const std::uint32_t minutes = server.setup.autoDisconnectMinutes;
    if (minutes == 0 || session.idleFrom == 0)
        return;
    const std::uint32_t at = session.idleFrom + minutes * 60;
    if (at < session.hangup)
        Schedule(std::max(at, m_now), EventKind::ServiceIdle, serverIndex, portIndex, session.id, minutes);
}

void Simulation::SetAutoDisconnect(std::size_t server, std::uint32_t minutes)
{
    if (server >= m_servers.size() || m_servers[server].setup.autoDisconnectMinutes == minutes)
        return;
    m_servers[server].setup.autoDisconnectMinutes = minutes;
    for (std::uint32_t p = 0; p < m_servers[server].ports.size(); ++p)
        if (m_servers[server].ports[p].session)
            PlanServiceIdle(std::uint32_t(server), p);
}

void Simulation::SetOutOfService(std::size_t server, std::size_t port, bool outOfService)
{
    if (server >= m_servers.size() || port >= m_servers[server].ports.size())
        return;
    SimPort& p = m_servers[server].ports[port];
    if (p.setup.outOfService == outOfService)
        return;
    // A line that fails drops its call first.
    if (outOfService)
        Disconnect(server, port, m_now);
    p.setup.outOfService = outOfService;
}

bool Simulation::Disconnect(std::size_t server, std::size_t port, std::uint32_t now)
{
    if (server >= m_servers.size() || port >= m_servers[server].ports.size())
        return false;
    m_now = std::max(m_now, now);
    SimPort& p = m_servers[server].ports[port];
    if (p.session) {
        EndSession(std::uint32_t(server), std::uint32_t(port), EndNoReason);
        return true;
    }
    if (p.condition == LineCondition::Authenticating) {
        p.condition = LineCondition::Listening;
        p.freeAt = m_now + 3;
        return true;
    }
    return false;
}

void Simulation::PoliciesChanged(const Database& database)
{
    for (std::uint32_t s = 0; s < m_servers.size(); ++s) {
        SimServer& server = m_servers[s];
        if (server.setup.database != &database)
            continue;
        for (std::uint32_t p = 0; p < server.ports.size(); ++p) {
            SimPort& port = server.ports[p];
            if (!port.session || !port.session->logged)
                continue;
            SimSession& session = *port.session;
            Database* db = server.setup.database;
            if (const UserRecord* record = RecordOf(server, session.account))
                session.effective = db->Engine().EffectiveLimits(*record, server.setup.callers[session.caller].identity);
            session.portMaxSession = db->Engine().PortMaxSession(server.setup.name, port.setup.name);
            Plan(s, p);
        }
    }
}

void Simulation::SetDatabase(std::size_t server, Database* database)
{
    if (server >= m_servers.size() || m_servers[server].setup.database == database)
        return;
    for (std::uint32_t p = 0; p < m_servers[server].ports.size(); ++p) {
        SimPort& port = m_servers[server].ports[p];
        if (port.session)
            EndSession(std::uint32_t(server), p, EndNoReason);
        port.condition = LineCondition::Listening;
    }
    m_servers[server].setup.database = database;
}

void Simulation::SetIdleMinutes(std::size_t server, std::uint32_t minutes)
{
    if (server >= m_servers.size() || m_servers[server].setup.idleMinutes == minutes)
        return;
    m_servers[server].setup.idleMinutes = minutes;
    for (std::uint32_t p = 0; p < m_servers[server].ports.size(); ++p)
        if (m_servers[server].ports[p].session)
            Plan(std::uint32_t(server), p);
}

} // namespace dm::netemu
