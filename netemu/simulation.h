#pragma once
// The discrete-event simulation of every emulated RAS server: callers dial
// in, authenticate, are admitted or denied by the server component where it
// is installed, move traffic and hang up or are disconnected. Deterministic:
// the same servers, seed and start give the same events.

#include "netemu/callermodel.h"
#include "netemu/database.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <queue>
#include <string>
#include <vector>

namespace dm::netemu {

struct PortSetup {
    std::string name;
    std::uint32_t poolAddress = 0; // the address the port hands out from the pool
    // Not operational or a hardware failure: the port takes no calls.
    bool outOfService = false;
};

struct ServerSetup {
    std::string name;
    std::vector<PortSetup> ports;
    std::vector<CallerProfile> callers;
    Database* database = nullptr; // the server component's database; null when not installed
    std::uint32_t idleMinutes = 0;
    // The RAS service's own idle disconnect (AutoDisconnect), with or without
    // the server component; 0 = off.
    std::uint32_t autoDisconnectMinutes = 0;
};

enum class LineCondition { Listening, Authenticating, Authenticated };

struct SimSession {
    std::uint64_t id = 0;
    std::size_t caller = 0;
    std::string account;
    bool logged = false;            // admitted by the server component
    std::uint32_t start = 0;
    std::uint32_t hangup = 0;       // when the user means to hang up
    std::uint32_t idleFrom = 0;     // 0: the line never goes idle
    std::uint32_t ip = 0;
    Limits effective;
    std::int32_t portMaxSession = 0;
    Cut cut{0, EndNoReason};        // the planned automatic disconnect (at 0: none)
    std::uint32_t planVersion = 0;
    TrafficProfile traffic;
};

struct SimPort {
    PortSetup setup;
    LineCondition condition = LineCondition::Listening;
    std::uint32_t busySince = 0;
    std::uint32_t freeAt = 0;
    std::uint64_t attemptId = 0;
    std::size_t attemptCaller = 0;
    std::optional<SimSession> session;
    std::uint32_t lastLogKey = 0; // keys of the port's log section stay unique
};

struct SimServer {
    ServerSetup setup;
    std::vector<SimPort> ports;
    std::vector<double> cumulativeWeight;
    // Per caller: a person turned away for good reasons calls again only later.
    std::vector<std::uint32_t> quietUntil;
    Random rng{0};
    std::size_t BusyPorts() const;
};

// Where the server component's pop-up messages go: (server, computer, text, time).
using MessageSink =
    std::function<void(const std::string&, const std::string&, const std::string&, std::uint32_t)>;

class Simulation {
public:
    Simulation(std::vector<ServerSetup> servers, std::uint64_t seed, std::uint32_t start,
               CallerModel model = {});

    void SetMessageSink(MessageSink sink) { m_messages = std::move(sink); }
    // Processes every event up to and including `until`.
    void RunUntil(std::uint32_t until);
    // Stops new calls and samples and lets the running sessions end as planned.
    void Drain();
    // Ends every running session at `now` as a hang-up (the service stops).
    void HangUpAll(std::uint32_t now);
    std::uint32_t Now() const { return m_now; }

    // A session the RAS service finds running when it starts (ras.ini of an
    // earlier run or of the demo network): it goes on, is logged from its
    // start where the account has a record, and ends as any other. Returns
    // the session's id, 0 when the port is busy or unknown.
    std::uint64_t AdoptSession(std::size_t server, std::size_t port, const std::string& account,
                               std::uint32_t start, const std::string& computer);
    // An administrator's disconnect: the session ends without a reason.
    bool Disconnect(std::size_t server, std::size_t port, std::uint32_t now);
    // Limits changed (a re-read of the policy files): plans again the
    // automatic disconnects of the sessions on the servers of `database`.
    void PoliciesChanged(const Database& database);
    void SetIdleMinutes(std::size_t server, std::uint32_t minutes);
    void SetAutoDisconnect(std::size_t server, std::uint32_t minutes);
    // A port taken out of service ends its call; it takes none until it is
    // back in service.
    void SetOutOfService(std::size_t server, std::size_t port, bool outOfService);
    // The server component was installed, removed or given another database:
    // the RAS service restarts, which ends the sessions on the server first.
    void SetDatabase(std::size_t server, Database* database);

    const std::vector<SimServer>& Servers() const { return m_servers; }
    std::uint64_t Events() const { return m_eventCount; }

private:
    enum class EventKind { Arrival, Authenticated, HangUp, Cut, Notice, Sample, Replan, ServiceIdle };
    struct Event {
        std::uint32_t time;
        std::uint64_t seq;
        EventKind kind;
        std::uint32_t server, port;
        std::uint64_t id;     // attempt or session id
        std::uint32_t extra;  // plan version
        int notice;           // 0 or 1 for a notice
        bool operator>(const Event& o) const { return time != o.time ? time > o.time : seq > o.seq; }
    };
    void Schedule(std::uint32_t time, EventKind kind, std::uint32_t server, std::uint32_t port = 0,
                  std::uint64_t id = 0, std::uint32_t extra = 0, int notice = 0);
    void Handle(const Event& event);
    void OnArrival(std::uint32_t server);
    void OnAuthenticated(SimServer& server, std::uint32_t serverIndex, std::uint32_t portIndex);
    void Admit(SimServer& server, std::uint32_t serverIndex, std::uint32_t portIndex, const CallerProfile& caller,
               const Admission* admission);
    void EndSession(std::uint32_t serverIndex, std::uint32_t portIndex, int reason);
    void Plan(std::uint32_t serverIndex, std::uint32_t portIndex);
    // The RAS service's idle disconnect of a session that goes idle.
    void PlanServiceIdle(std::uint32_t serverIndex, std::uint32_t portIndex);
    void PlanAccount(const std::string& account, const Database* database);
    void Log(SimServer& server, SimPort& port, const LogEvent& event, std::uint32_t time = 0);
    // The caller of a new call, or nullopt when the person drawn does not call.
    std::optional<std::size_t> PickCaller(SimServer& server);
    std::uint32_t AssignAddress(SimServer& server, SimPort& port, const UserRecord* record) const;
    // Every port the account holds (the person knows they are online).
    int PortsHeld(const std::string& account) const;
    // The ports it holds where the server component runs: the only ones the
    // component sees when it checks for a duplicate logon.
    int ComponentPortsHeld(const std::string& account) const;
    UserRecord* RecordOf(const SimServer& server, const std::string& account);

    std::vector<SimServer> m_servers;
    CallerModel m_model;
    std::priority_queue<Event, std::vector<Event>, std::greater<Event>> m_queue;
    std::uint64_t m_seq = 0;
    std::uint64_t m_nextId = 1;
    std::uint64_t m_eventCount = 0;
    std::uint32_t m_now;
    bool m_draining = false;
    MessageSink m_messages;
    // Running sessions by upper-case account: (server, port).
    std::map<std::string, std::vector<std::pair<std::uint32_t, std::uint32_t>>> m_active;
};

} // namespace dm::netemu
