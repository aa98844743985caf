#include "netemu/policyengine.h"

#include <algorithm>
#include <ctime>

namespace dm::netemu {
namespace {

bool SameName(const std::string& a, const std::string& b) { return UpperKey(a) == UpperKey(b); }

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, name); });
}

double PeriodSeconds(std::int32_t type)
{
    switch (type) {
    case PeriodDay: return 86400.0;
    case PeriodWeek: return 7 * 86400.0;
    default: return 30 * 86400.0;
    }
}

std::int32_t Generous(std::int32_t a, std::int32_t b) { return (a <= 0 || b <= 0) ? 0 : std::max(a, b); }

} // namespace

std::uint32_t PeriodStart(std::uint32_t t, std::int32_t periodType)
{
    if (periodType < PeriodDay || periodType > PeriodMonth)
        return 0;
    std::time_t time = t;
    std::tm local{};
    localtime_r(&time, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    if (periodType == PeriodWeek)
        local.tm_mday -= (local.tm_wday + 6) % 7; // back to Monday
    else if (periodType == PeriodMonth)
        local.tm_mday = 1;
    local.tm_isdst = -1;
    return static_cast<std::uint32_t>(std::mktime(&local));
}

Limits MoreGenerous(const Limits& own, const Limits& group)
{
    Limits result;
    result.noDuplicate = own.noDuplicate && group.noDuplicate;
    result.maxSessionTime = Generous(own.maxSessionTime, group.maxSessionTime);
    result.maxTotalTime = Generous(own.maxTotalTime, group.maxTotalTime);
    if (!own.HasPeriodLimit() || !group.HasPeriodLimit()) {
        result.periodMax = 0;
        result.periodType = PeriodNone;
    } else {
        // Periods of different lengths compare by the time they allow per second.
        const double ownRate = own.periodMax / PeriodSeconds(own.periodType);
        const double groupRate = group.periodMax / PeriodSeconds(group.periodType);
        const Limits& wider = groupRate > ownRate ? group : own;
        result.periodMax = wider.periodMax;
        result.periodType = wider.periodType;
    }
    return result;
}

Limits PolicyEngine::EffectiveLimits(const AccountRecord& record, const CallerIdentity& caller) const
{
    Limits limits = record.limits;
    auto widen = [&](const std::vector<std::string>& groups) {
        for (const std::string& group : groups) {
            auto it = m_usr.groups.find(UpperKey(group));
            if (it != m_usr.groups.end())
                limits = MoreGenerous(limits, it->second);
        }
    };
    widen(caller.globalGroups);
    widen(caller.localGroups);
    return limits;
}

bool PolicyEngine::Expired(const AccountRecord& record, std::uint32_t now)
{
    if (record.expiryDays <= 0 || record.firstConnection == 0)
        return false;
    const std::uint64_t end = std::uint64_t(record.firstConnection) + std::uint64_t(record.expiryDays) * 86400u;
    return now >= end;
}

std::int32_t PolicyEngine::CurrentPeriodUsage(const AccountRecord& record, const Limits& effective,
                                              std::uint32_t now)
{
    if (!effective.HasPeriodLimit())
        return 0;
    return record.periodStamp == PeriodStart(now, effective.periodType) ? record.periodUsage : 0;
}

bool PolicyEngine::AllowedOnPort(const PortPolicy& port, const CallerIdentity& caller) const
{
    if (!port.Restricted())
        return true;
    if (Contains(port.allowedUsers, caller.account))
        return true;
    for (const std::string& group : caller.globalGroups)
        if (Contains(port.allowedGlobalGroups, group))
            return true;
    for (const std::string& group : caller.localGroups)
        if (Contains(port.allowedLocalGroups, group))
            return true;
    return false;
}

Admission PolicyEngine::Admit(const CallerIdentity& caller, const std::string& server, const std::string& port,
                              std::uint32_t now, int portsHeld)
{
    Admission result;
    AccountRecord* record = m_usr.FindAccount(caller.account);
    if (!record) {
        if (!m_hw.defaultProfile.assignDefault) {
            result.reason = DenyNotDefined;
            return result;
        }
        AccountRecord fresh;
        fresh.key = caller.account;
        fresh.limits = m_hw.defaultProfile.limits;
        fresh.expiryDays = m_hw.defaultProfile.expiryDays;
        record = &m_usr.accounts.emplace(UpperKey(caller.account), std::move(fresh)).first->second;
        result.createdFromDefault = true;
    }
    result.effective = EffectiveLimits(*record, caller);
    const Limits& limits = result.effective;
    const PortPolicy* portPolicy = m_hw.FindPort(server, port);

    if (Expired(*record, now))
        result.reason = DenyExpired;
    else if (limits.maxTotalTime > 0 && record->totalTime >= limits.maxTotalTime)
        result.reason = DenyTotalTimeReached;
    else if (limits.noDuplicate && portsHeld > 0)
        result.reason = DenyAlreadyConnected;
    else if (portPolicy && !AllowedOnPort(*portPolicy, caller))
        result.reason = DenyPortAccess;
    else if (limits.HasPeriodLimit() && CurrentPeriodUsage(*record, limits, now) >= limits.periodMax)
        result.reason = DenyPeriodUsed;
    return result;
}

std::optional<Cut> PolicyEngine::SessionCut(std::uint32_t start, std::int32_t portMaxSession,
                                            const Limits& effective)
{
    std::optional<Cut> cut;
    if (portMaxSession > 0)
        cut = Cut{start + std::uint32_t(portMaxSession), EndPortMaxTime};
    if (effective.maxSessionTime > 0) {
        const std::uint32_t at = start + std::uint32_t(effective.maxSessionTime);
        if (!cut || at < cut->at)
            cut = Cut{at, EndUserMaxSession};
    }
    return cut;
}

std::optional<std::uint32_t> PolicyEngine::TotalTimeCut(const Limits& effective, std::int32_t totalTime,
                                                        const std::vector<std::uint32_t>& starts)
{
    if (effective.maxTotalTime <= 0 || starts.empty())
        return std::nullopt;
    // totalTime + sum(T - start_i) = max  =>  T = (max - totalTime + sum start_i) / k,
    // rounded down so that the limit is never passed.
    std::int64_t sum = 0;
    for (std::uint32_t s : starts)
        sum += s;
    const std::int64_t k = static_cast<std::int64_t>(starts.size());
    std::int64_t numerator = std::int64_t(effective.maxTotalTime) - totalTime + sum;
    std::int64_t at = numerator >= 0 ? numerator / k : -((-numerator + k - 1) / k);
    const std::int64_t latest = *std::max_element(starts.begin(), starts.end());
    return static_cast<std::uint32_t>(std::max(at, latest));
}

} // namespace dm::netemu
