#pragma once
// One set of account limits: an account's own (its section in Dialmind.usr),
// a group's ("+SOURCE\group"), or the default profile's. 0 means "no limit"
// for every number.

#include "database/hardwarerecords.h"
#include "database/userrecord.h"

#include <cstdint>

namespace dm {

// Period types of a period limit.
enum PeriodKind : std::int32_t { PeriodNone = 0, PeriodDay = 1, PeriodWeek = 2, PeriodMonth = 3 };

struct Limits {
    bool noDuplicate = false;
    std::int32_t maxSessionTime = 0; // seconds
    std::int32_t maxTotalTime = 0;   // seconds
    std::int32_t periodMax = 0;      // seconds per period
    std::int32_t periodType = PeriodNone;

    bool HasPeriodLimit() const { return periodMax > 0 && periodType >= PeriodDay && periodType <= PeriodMonth; }
    bool HasTimeLimit() const { return maxSessionTime > 0 || maxTotalTime > 0 || HasPeriodLimit(); }
    bool operator==(const Limits&) const = default;
};

inline Limits LimitsOf(const UserRecord& r)
{
    return {r.noDuplicate, r.maxSessionTime, r.maxTotalTime, r.periodMax, r.periodType};
}
inline Limits LimitsOf(const DefaultProfile& p)
{
    return {p.noDuplicate, p.maxSessionTime, p.maxTotalTime, p.periodMax, p.periodType};
}

} // namespace dm
