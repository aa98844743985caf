#pragma once
// What the server component would decide for one caller at one moment, and
// why: the answer to "why was I refused". `dmctl policy explain` prints it;
// the decision itself comes from PolicyEngine, so the explanation and dmsim
// cannot disagree.

#include "database/policyengine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dm {

struct PolicyExplanation {
    std::string account;
    std::string server, port;
    std::uint32_t at = 0;
    enum class Record { Own, FromDefault, None } record = Record::None;

    int reason = Admitted; // Admitted or a DenyReason
    Limits limits;
    LimitSources sources;
    std::int32_t portMaxSession = 0;
    bool portHasSection = false;

    std::int32_t totalTime = 0;
    std::int32_t periodUsage = 0;     // in the period containing `at`
    std::optional<std::int64_t> totalLeft;  // nullopt: no total limit
    std::optional<std::int64_t> periodLeft; // nullopt: no period limit
    std::int32_t expiryDays = 0;
    std::optional<std::uint64_t> expiresAt;

    std::optional<Cut> cut; // the planned automatic disconnect of a session starting at `at`
    std::uint32_t staticIP = 0;
    std::string staticIPSource; // "account", "port" or empty (the RAS pool)
    std::optional<std::string> greeting;
    struct NoticeLine {
        int notice = 0; // 0 or 1
        std::int32_t seconds = 0;
        std::string text;
        std::optional<std::uint32_t> at; // when it goes out; nullopt: not sent
    };
    std::vector<NoticeLine> notices;
};

// Decides for the caller on server\port at `at` while the account holds
// portsHeld other ports where the component runs. The user database is a
// copy: an account the default profile would create is created in it only.
PolicyExplanation ExplainPolicy(const HardwareDatabase& hw, UserDatabase usr, const CallerIdentity& caller,
                                const std::string& server, const std::string& port, std::uint32_t at,
                                int portsHeld);

// "admitted" or "denied, reason N: <the history view's text>".
std::string DecisionText(const PolicyExplanation& explanation);
// For people: one fact a line, times in local time.
std::string FormatExplanation(const PolicyExplanation& explanation);
// For scripts: "item,value,source" lines under that header; times in seconds since 1970.
std::string FormatExplanationCsv(const PolicyExplanation& explanation);

} // namespace dm
