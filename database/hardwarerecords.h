#pragma once
// The contents of the hardware settings file Dialmind.hw as the document
// holds them.

#include <array>
#include <cstdint>
#include <string>

namespace dm {

// One port section "server\port".
struct PortSettings {
    std::string serverName;
    std::string portName;
    std::int32_t maxSessionTime = 0; // seconds; 0 = no port limit
    std::uint32_t staticIP = 0;      // a.b.c.d packed as a*2^24 + b*2^16 + c*2^8 + d; 0 = none
};

// The allowed accounts and groups of the one port whose policies page is open.
// Each name is followed by ';'; a local group carries a '\' before its ';'.
// The lists have no length limit.
struct PortAccessLists {
    std::string allowedUsers;
    std::string allowedGroups;
};

// The two notices sent before an automatic disconnect (section General).
struct Notice {
    static constexpr std::size_t TextCapacity = 500; // with the terminating zero: 499 characters
    std::int32_t seconds = 0; // before the disconnect; 0 = notice off
    std::string text;
};
struct NotificationSettings {
    std::array<Notice, 2> notices;
};

// What the server component assigns to an account without a record (section Default).
struct DefaultProfile {
    bool noDuplicate = false;
    std::int32_t maxTotalTime = 0;   // seconds
    std::int32_t maxSessionTime = 0; // seconds
    std::int32_t expiryTime = 0;     // days after the first connection; 0 = never
    std::int32_t periodMax = 0;      // seconds per period
    std::int32_t periodType = 0;     // 0 none, 1 "24 Hours", 2 "Week", 3 "Month"
    bool assignDefault = false;      // accounts without a record may connect
};

// The three greeting rules (section Greetings); the active flags are stored
// together as the bits of RuleMask.
struct GreetingRule {
    static constexpr std::size_t TextCapacity = 400; // with the terminating zero: 399 characters
    bool active = false;
    std::string text;
};
struct GreetingRules {
    std::array<GreetingRule, 3> rules;
    int RuleMask() const;
    void SetRuleMask(int mask);
};

} // namespace dm
