#pragma once
// The RAS ports of one emulated computer: its ras.ini, read and changed the
// way the RAS service would. Used by the RAS administration library, dmctl
// and the demo network; dmsim uses it to put callers in session.
//
// Every operation answers with an error number: 0 success, 53 unknown or
// unreachable computer, 1060 RAS not installed (no ras.ini), 1722 the
// RemoteAccess service is not running (services.ini), 615 unknown port,
// 5 the file could not be written.

#include "platform/ras/rasportrecord.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

namespace dm {

namespace winerr {
constexpr unsigned long PortNotFound = 615;
constexpr unsigned long RpcServerUnavailable = 1722;
} // namespace winerr

// A caller's session as it begins on a port.
struct RasSession {
    std::string user;
    std::string logonDomain;
    std::string computer;
    std::uint32_t start = 0;   // seconds since 1970
    std::string ipAddress;     // empty: IP not projected
    std::string ipxAddress;    // empty: IPX not projected
    bool netBios = true;       // NetBIOS projected with the computer as workstation name
};

// The ports of one state of ras.ini in file order, indexed by lower-case name.
struct RasPortTable {
    std::vector<RasPortRecord> records;
    std::unordered_map<std::string, std::size_t> index;
};

class RasPortStore {
public:
    // The computer as the caller names it ("\\NAME", "NAME", "" for the local one).
    explicit RasPortStore(std::string_view computer);

    // Whether the computer can be reached and has RAS (0, 53, 1060, 1722).
    unsigned long Check() const;
    // All ports in file order.
    unsigned long List(std::vector<RasPortRecord>& ports) const;
    // All ports as one reading of ras.ini holds them, shared and not copied
    // (null unless the result is 0): for a caller that goes through
    // thousands of ports on every step.
    unsigned long Table(std::shared_ptr<const RasPortTable>& table) const;
    // One port, the name matched without regard to case.
    unsigned long Find(std::string_view port, RasPortRecord& record) const;

    // Disconnect: line condition back to waiting for a call, the session's
    // user, domain, computer, start, flags and projections cleared, and a
    // request record appended to rasrequests.log. A port without a session
    // is left alone (0).
    unsigned long EndSession(std::string_view port);
    // Zeroes the fourteen counters and records the request.
    unsigned long ClearStatistics(std::string_view port);
    // Begins a session: authenticated, PPP, counters from zero.
    unsigned long StartSession(std::string_view port, const RasSession& session);

    // The longest port name, in UTF-16 units: the RAS records hold 15 and a
    // terminating zero.
    static constexpr std::size_t kMaxPortName = 15;

    // Tool operations (dmctl, demo network): they need only a reachable
    // computer and create ras.ini (so installing RAS) when it is missing.
    // A port name that is empty, longer than kMaxPortName or holds a
    // character that would break the file gives 87.
    unsigned long SavePort(const RasPortRecord& record);
    // Many ports in one write of the file.
    unsigned long SavePorts(const std::vector<RasPortRecord>& records);
    // A port as it was read and as it is to be: only the keys that differ
    // are written (every key when before is null). The same name in both.
    struct PortChange {
        const RasPortRecord* before = nullptr;
        const RasPortRecord* after = nullptr;
    };
    // Many ports in one write of the file, each changing only its differing
    // keys, so that what another program wrote to the others stays.
    unsigned long SavePortChanges(const std::vector<PortChange>& changes);
    unsigned long RemovePort(std::string_view port);

    // machines/NAME/ras.ini and machines/NAME/rasrequests.log.
    std::filesystem::path IniPath() const;
    std::filesystem::path RequestLogPath() const;

private:
    // The ports of a ras.ini, read and indexed once while it is unchanged.
    std::shared_ptr<const RasPortTable> Ports(const std::filesystem::path& file) const;
    // Check, giving the computer's directory as well.
    unsigned long Check(std::filesystem::path& dir) const;
    unsigned long Locate(std::filesystem::path& dir) const;
    static bool ValidPortName(const std::string& name);
    // Queues a request for the RAS service (dmsim); 0 or the error that kept
    // it from being delivered.
    unsigned long AppendRequest(std::string_view verb, const RasPortRecord& record) const;

    std::string m_computer;
};

} // namespace dm
