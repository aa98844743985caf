#pragma once
// The server component's decisions: whether a caller may connect, with which
// limits, and when a running session has to be disconnected.

#include "netemu/policies.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dm::netemu {

// Reasons as the activity log records them.
enum DenyReason : int {
    Admitted = 0,
    DenyNotDefined = 1,
    DenyExpired = 2,
    DenyTotalTimeReached = 3,
    DenyAlreadyConnected = 4,
    DenyPortAccess = 5,
    DenyPeriodUsed = 6,
};
enum EndReason : int {
    EndPortMaxTime = 1,
    EndUserMaxSession = 2,
    EndUserMaxTotal = 3,
    EndIdleTimeout = 9,
    EndNoReason = 255, // hung up by the user or disconnected by an administrator
};

// The caller as the component sees it after authentication.
struct CallerIdentity {
    std::string account;                   // DOMAIN\name
    std::vector<std::string> globalGroups; // DOMAIN\group
    std::vector<std::string> localGroups;  // SERVER\group
};

struct Admission {
    int reason = Admitted;
    bool createdFromDefault = false; // the account received a section of its own
    Limits effective;                // the limits that apply to the session
};

struct Cut {
    std::uint32_t at = 0;
    int reason = EndNoReason;
};

// Start of the usage period that contains t (local time): the day, the
// week starting on Monday, or the month. 0 for PeriodNone.
std::uint32_t PeriodStart(std::uint32_t t, std::int32_t periodType);

// The more generous of two limit sets, limit by limit (0 = no limit wins).
Limits MoreGenerous(const Limits& own, const Limits& group);

class PolicyEngine {
public:
    PolicyEngine(const HardwarePolicies& hw, UserPolicies& usr) : m_hw(hw), m_usr(usr) {}

    // The account's own limits, widened by each of its groups that has a
    // section where the group is more generous.
    Limits EffectiveLimits(const AccountRecord& record, const CallerIdentity& caller) const;

    // Decides on a caller who authenticated on server\port at `now` while the
    // account holds `portsHeld` other ports. An account without a record gets
    // one from the default profile when AssignDefault is set; the record is
    // created in the user policies even if a later rule denies the attempt,
    // so that the denial is counted against it.
    Admission Admit(const CallerIdentity& caller, const std::string& server, const std::string& port,
                    std::uint32_t now, int portsHeld);

    // Port and per-session limits of a session started at `start`: the earliest
    // applies; at equal times the port's limit is named.
    static std::optional<Cut> SessionCut(std::uint32_t start, std::int32_t portMaxSession,
                                         const Limits& effective);
    // When the account's total time reaches its maximum while the sessions
    // that started at `starts` run side by side; nullopt without a maximum.
    static std::optional<std::uint32_t> TotalTimeCut(const Limits& effective, std::int32_t totalTime,
                                                     const std::vector<std::uint32_t>& starts);

    // Usage of the period containing `now` (0 when the stamp is older).
    static std::int32_t CurrentPeriodUsage(const AccountRecord& record, const Limits& effective,
                                           std::uint32_t now);
    static bool Expired(const AccountRecord& record, std::uint32_t now);

private:
    bool AllowedOnPort(const PortPolicy& port, const CallerIdentity& caller) const;

    const HardwarePolicies& m_hw;
    UserPolicies& m_usr;
};

} // namespace dm::netemu
