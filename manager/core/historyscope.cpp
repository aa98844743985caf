#include "manager/core/historyscope.h"

#include "common/timeformat.h"

namespace dm {

std::string HistoryScopeText(int scope, std::uint32_t start, std::uint32_t now)
{
    switch (scope) {
    case 2: return "Records from " + FormatShortDate(start) + " to " + FormatShortDate(AddLocalDays(start, 6));
    case 3: return "Records from " + FormatShortDate(start) + " to " + FormatShortDate(AddLocalDays(start, 29));
    case 4: return "All Records available are displayed";
    default:
        if (StartOfLocalDay(start) == StartOfLocalDay(now))
            return "Records of Today";
        return "Records of " + FormatShortDate(start);
    }
}

std::string HistoryRecordCountText(std::size_t count)
{
    return std::to_string(count) + " records";
}

bool HistoryScopeSteps(int scope)
{
    return scope != 4;
}

std::uint32_t StepHistoryDate(std::uint32_t start, int days)
{
    return AddLocalDays(start, days);
}

bool ScopeReloadTimer::Tick(std::uint32_t start)
{
    if (!m_seen) {
        m_seen = start;
        return false;
    }
    if (*m_seen != start) {
        m_seen = start;
        m_pending = true;
        return false;
    }
    if (!m_pending)
        return false;
    m_pending = false;
    return true;
}

} // namespace dm
