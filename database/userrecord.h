#pragma once
// One account section of the user settings file Dialmind.usr.

#include <cstdint>
#include <string>

namespace dm {

struct UserRecord {
    std::string accountKey;            // section name, domain\name
    bool noDuplicate = false;          // at most one port at a time
    std::int32_t maxSessionTime = 0;   // seconds; 0 = no limit
    std::int32_t maxTotalTime = 0;     // seconds; 0 = no limit
    std::uint32_t firstConnection = 0; // seconds since 1970; 0 = never connected
    std::uint32_t lastConnection = 0;  // seconds since 1970; 0 = never connected
    std::int32_t lasted = 0;           // length of the last session, seconds
    std::int32_t totalTime = 0;        // accumulated connected time, seconds
    std::int32_t expiryTime = 0;       // days after the first connection; 0 = never
    std::int32_t totalConnects = 0;
    std::int32_t totalDenieds = 0;
    std::uint32_t staticIP = 0;        // packed a.b.c.d; 0 = none
    std::uint32_t periodStamp = 0;     // carried through unchanged
    std::int32_t periodUsage = 0;      // seconds within the current period
    std::int32_t periodMax = 0;        // seconds per period; 0 = no period limit
    std::int32_t periodType = 0;       // 0 none, 1 "24 Hours", 2 "Week", 3 "Month"

    bool operator==(const UserRecord&) const = default;
};

} // namespace dm
