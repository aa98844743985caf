#pragma once
// The server component's rules, in one place: whether a caller may connect
// and why not, which limits apply and where each comes from, when a session
// is cut and why, when the two notices go out, which static address the
// session receives and what greeting it is sent. dmsim asks it for every
// decision; `dmctl policy explain` asks it the same questions.

#include "database/hardwarefile.h"
#include "database/limits.h"
#include "database/userfile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dm {

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
    EndPeriodUsed = 6, // the period's allowance ran out during the session
    EndIdleTimeout = 9,
    EndNoReason = 255, // hung up by the user or disconnected by an administrator
};

// The caller as the component sees it after authentication.
struct CallerIdentity {
    std::string account;                   // DOMAIN\name
    std::vector<std::string> globalGroups; // DOMAIN\group
    std::vector<std::string> localGroups;  // SERVER\group
};

// Where each effective limit came from: the account's own section (its key),
// a group section ("+SOURCE\group") that was more generous, or the default
// profile ("Default").
struct LimitSources {
    std::string noDuplicate;
    std::string maxSessionTime;
    std::string maxTotalTime;
    std::string period;
};
inline constexpr const char* kDefaultProfileSource = "Default";

struct Admission {
    int reason = Admitted;
    bool createdFromDefault = false; // the account received a section of its own
    Limits effective;                // the limits that apply to the session
    LimitSources sources;
};

struct Cut {
    std::uint32_t at = 0;
    int reason = EndNoReason;
};

// One notice due during a session: notice 0 or 1, at `at`.
struct NoticeDue {
    int notice = 0;
    std::uint32_t at = 0;
};

// Start of the usage period that contains t (local time): the day, the
// week starting on Monday, or the month. 0 for PeriodNone. Computed in 64
// bits, so it holds for every moment, before 1970 and after 2106 too.
std::int64_t PeriodStartAt(std::int64_t t, std::int32_t periodType);
// Start of the period after the one that contains t.
std::int64_t NextPeriodStartAt(std::int64_t t, std::int32_t periodType);

// The same as 32-bit times: PeriodStart gives the bits the file keeps as
// PeriodStamp; NextPeriodStart is held to the last 32-bit time.
std::uint32_t PeriodStart(std::uint32_t t, std::int32_t periodType);
std::uint32_t NextPeriodStart(std::uint32_t t, std::int32_t periodType);

// What a session's planned cut depends on besides the session itself.
struct AccountUsage {
    std::int32_t totalTime = 0;        // TotalTime of the account's ended sessions
    std::int32_t periodUsage = 0;      // their usage in the current period (CurrentPeriodUsage)
    std::vector<std::uint32_t> starts; // starts of its sessions running side by side, this one included
};

// The more generous of two limit sets, limit by limit (0 = no limit wins).
// Sources follow the limit that was taken.
Limits MoreGenerous(const Limits& own, const Limits& group);

class PolicyEngine {
public:
    PolicyEngine(const HardwareDatabase& hw, UserDatabase& usr) : m_hw(hw), m_usr(usr) {}

    // The account's own limits, widened by each of its groups that has a
    // section where the group is more generous.
    Limits EffectiveLimits(const UserRecord& record, const CallerIdentity& caller,
                           LimitSources* sources = nullptr) const;

    // Decides on a caller who authenticated on server\port at `now` while the
    // account holds `portsHeld` other ports on servers where the component
    // runs. An account without a record gets one from the default profile
    // when AssignDefault is set; the record is created in the user database
    // even if a later rule denies the attempt, so the denial is counted
    // against it. Rules in order: not defined, expired, total time reached,
    // already connected, port access, period used.
    Admission Admit(const CallerIdentity& caller, const std::string& server, const std::string& port,
                    std::uint32_t now, int portsHeld);

    // The port's maximum session time (0 when the port has no section).
    std::int32_t PortMaxSession(const std::string& server, const std::string& port) const;

    // The static address of a session: the account's own, else the port's,
    // skipping an address that is already in use; 0 when neither applies
    // (the RAS service's pool then gives one).
    std::uint32_t StaticAddress(const UserRecord* record, const std::string& server, const std::string& port,
                                const std::function<bool(std::uint32_t)>& inUse) const;

    // The notices due before `cut` for a session that started at `start`:
    // each notice that is on, at the cut minus its lead time, when that lies
    // after the start. Whether the caller is still online then does not
    // matter: the component cannot know when a user will hang up.
    std::vector<NoticeDue> NoticesBefore(const Cut& cut, std::uint32_t start) const;

    // The greeting of a session (rules that apply, merged), nullopt when none.
    std::optional<std::string> Greeting(const std::string& account, const Limits& effective,
                                        std::int32_t portMaxSession, std::int32_t totalTime) const;

    // Port and per-session limits of a session started at `start`: the earliest
    // applies; at equal times the port's limit is named.
    static std::optional<Cut> SessionCut(std::uint32_t start, std::int32_t portMaxSession,
                                         const Limits& effective);
    // When the account's total time reaches its maximum while the sessions
    // that started at `starts` run side by side; nullopt without a maximum.
    // Done in 64 bits: no counter value can make it overflow.
    static std::optional<std::uint32_t> TotalTimeCut(const Limits& effective, std::int32_t totalTime,
                                                     const std::vector<std::uint32_t>& starts);
    // When the period's allowance runs out while the sessions that started
    // at `starts` run side by side, counting their time from the start of the
    // period that contains `now`; nullopt without a period limit, or when the
    // period ends first (the next one brings a new allowance).
    static std::optional<std::uint32_t> PeriodCut(const Limits& effective, std::int32_t periodUsage,
                                                  std::uint32_t now, const std::vector<std::uint32_t>& starts);
    // The earliest of the port, session, total, period and idle cuts of a
    // session that started at `start`, planned at `now` (idleAt 0: no idle cut).
    static std::optional<Cut> PlannedCut(std::uint32_t start, std::int32_t portMaxSession, const Limits& effective,
                                         const AccountUsage& usage, std::uint32_t now, std::uint32_t idleAt);

    // Usage of the period containing `now` (0 when the stamp is older).
    static std::int32_t CurrentPeriodUsage(const UserRecord& record, const Limits& effective, std::uint32_t now);
    // True when the total time has reached its maximum (>=, in 64 bits).
    static bool TotalTimeReached(const Limits& effective, std::int32_t totalTime);
    // When the account expires: its first connection plus the expiry in
    // days; nullopt without an expiry or before the first connection.
    static std::optional<std::uint64_t> ExpiresAt(const UserRecord& record);
    static bool Expired(const UserRecord& record, std::uint32_t now);

    const HardwareDatabase& Hardware() const { return m_hw; }

private:
    bool AllowedOnPort(const HardwareDatabase::Port& port, const CallerIdentity& caller) const;

    const HardwareDatabase& m_hw;
    UserDatabase& m_usr;
};

} // namespace dm
