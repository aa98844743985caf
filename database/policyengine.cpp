#include "database/policyengine.h"

#include "common/text.h"
#include "database/greeting.h"
#include "database/profilevalues.h"

#include <algorithm>
#include <ctime>
#include <limits>

namespace dm {
namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return EqualNoCase(n, name); });
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

std::uint32_t ClampTime(std::int64_t t)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(t, 0, std::numeric_limits<std::uint32_t>::max()));
}

} // namespace

std::int64_t PeriodStartAt(std::int64_t t, std::int32_t periodType)
{
    if (periodType < PeriodDay || periodType > PeriodMonth)
        return 0;
    std::time_t time = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&time, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    if (periodType == PeriodWeek)
        local.tm_mday -= (local.tm_wday + 6) % 7; // back to Monday
    else if (periodType == PeriodMonth)
        local.tm_mday = 1;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

std::int64_t NextPeriodStartAt(std::int64_t t, std::int32_t periodType)
{
    const std::int64_t start = PeriodStartAt(t, periodType);
    // A point safely inside the next period, whatever the daylight saving
    // time and the month's length, then back to its start.
    switch (periodType) {
    case PeriodDay: return PeriodStartAt(start + 36 * 3600, periodType);
    case PeriodWeek: return PeriodStartAt(start + 7 * 86400 + 12 * 3600, periodType);
    case PeriodMonth: return PeriodStartAt(start + 32 * 86400, periodType);
    default: return 0;
    }
}

std::uint32_t PeriodStart(std::uint32_t t, std::int32_t periodType)
{
    // The 32 bits the file stores as PeriodStamp; a period that began before
    // 1970 (the first hours of 1970 west of Greenwich) keeps its bits.
    return static_cast<std::uint32_t>(PeriodStartAt(t, periodType));
}

std::uint32_t NextPeriodStart(std::uint32_t t, std::int32_t periodType)
{
    return ClampTime(NextPeriodStartAt(t, periodType));
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

Limits PolicyEngine::EffectiveLimits(const UserRecord& record, const CallerIdentity& caller,
                                     LimitSources* sources) const
{
    Limits limits = LimitsOf(record);
    LimitSources from{record.accountKey, record.accountKey, record.accountKey, record.accountKey};
    auto widen = [&](const std::vector<std::string>& groups) {
        for (const std::string& group : groups) {
            const Limits* groupLimits = m_usr.FindGroup(group);
            if (!groupLimits)
                continue;
            const Limits wider = MoreGenerous(limits, *groupLimits);
            const std::string name = "+" + group;
            if (wider.noDuplicate != limits.noDuplicate)
                from.noDuplicate = name;
            if (wider.maxSessionTime != limits.maxSessionTime)
                from.maxSessionTime = name;
            if (wider.maxTotalTime != limits.maxTotalTime)
                from.maxTotalTime = name;
            if (wider.periodMax != limits.periodMax || wider.periodType != limits.periodType)
                from.period = name;
            limits = wider;
        }
    };
    widen(caller.globalGroups);
    widen(caller.localGroups);
    if (sources)
        *sources = std::move(from);
    return limits;
}

std::optional<std::uint64_t> PolicyEngine::ExpiresAt(const UserRecord& record)
{
    if (record.expiryTime <= 0 || record.firstConnection == 0)
        return std::nullopt;
    return std::uint64_t(record.firstConnection) + std::uint64_t(record.expiryTime) * 86400u;
}

bool PolicyEngine::Expired(const UserRecord& record, std::uint32_t now)
{
    const auto end = ExpiresAt(record);
    return end && now >= *end;
}

bool PolicyEngine::TotalTimeReached(const Limits& effective, std::int32_t totalTime)
{
    return effective.maxTotalTime > 0 && std::int64_t(totalTime) >= std::int64_t(effective.maxTotalTime);
}

std::int32_t PolicyEngine::CurrentPeriodUsage(const UserRecord& record, const Limits& effective, std::uint32_t now)
{
    if (!effective.HasPeriodLimit())
        return 0;
    return record.periodStamp == PeriodStart(now, effective.periodType) ? record.periodUsage : 0;
}

bool PolicyEngine::AllowedOnPort(const HardwareDatabase::Port& port, const CallerIdentity& caller) const
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
    UserRecord* record = m_usr.FindAccount(caller.account);
    if (!record) {
        const DefaultProfile& profile = m_hw.defaultProfile;
        if (!profile.assignDefault) {
            result.reason = DenyNotDefined;
            return result;
        }
        UserRecord fresh;
        fresh.accountKey = caller.account;
        fresh.noDuplicate = profile.noDuplicate;
        fresh.maxSessionTime = profile.maxSessionTime;
        fresh.maxTotalTime = profile.maxTotalTime;
        fresh.expiryTime = profile.expiryTime;
        fresh.periodMax = profile.periodMax;
        fresh.periodType = profile.periodType;
        record = &m_usr.AddAccount(std::move(fresh));
        result.createdFromDefault = true;
    }
    result.effective = EffectiveLimits(*record, caller, &result.sources);
    if (result.createdFromDefault) {
        // The new section holds the default profile's values: name the profile.
        for (std::string* source : {&result.sources.noDuplicate, &result.sources.maxSessionTime,
                                    &result.sources.maxTotalTime, &result.sources.period})
            if (*source == record->accountKey)
                *source = kDefaultProfileSource;
    }
    const Limits& limits = result.effective;
    const HardwareDatabase::Port* portPolicy = m_hw.FindPort(server, port);

    if (Expired(*record, now))
        result.reason = DenyExpired;
    else if (TotalTimeReached(limits, record->totalTime))
        result.reason = DenyTotalTimeReached;
    else if (limits.noDuplicate && portsHeld > 0)
        result.reason = DenyAlreadyConnected;
    else if (portPolicy && !AllowedOnPort(*portPolicy, caller))
        result.reason = DenyPortAccess;
    else if (limits.HasPeriodLimit() && CurrentPeriodUsage(*record, limits, now) >= limits.periodMax)
        result.reason = DenyPeriodUsed;
    return result;
}

std::int32_t PolicyEngine::PortMaxSession(const std::string& server, const std::string& port) const
{
    const HardwareDatabase::Port* policy = m_hw.FindPort(server, port);
    return policy ? policy->settings.maxSessionTime : 0;
}

std::uint32_t PolicyEngine::StaticAddress(const UserRecord* record, const std::string& server,
                                          const std::string& port,
                                          const std::function<bool(std::uint32_t)>& inUse) const
{
    if (record && record->staticIP != 0 && !(inUse && inUse(record->staticIP)))
        return record->staticIP;
    const HardwareDatabase::Port* policy = m_hw.FindPort(server, port);
    if (policy && policy->settings.staticIP != 0 && !(inUse && inUse(policy->settings.staticIP)))
        return policy->settings.staticIP;
    return 0;
}

std::vector<NoticeDue> PolicyEngine::NoticesBefore(const Cut& cut, std::uint32_t start) const
{
    std::vector<NoticeDue> due;
    if (cut.at == 0)
        return due;
    const auto& notices = m_hw.notifications.notices;
    for (std::size_t n = 0; n < notices.size(); ++n) {
        const std::int32_t seconds = notices[n].seconds;
        if (seconds <= 0 || cut.at < std::uint32_t(seconds))
            continue;
        const std::uint32_t at = cut.at - std::uint32_t(seconds);
        if (at > start)
            due.push_back({static_cast<int>(n), at});
    }
    return due;
}

std::optional<std::string> PolicyEngine::Greeting(const std::string& account, const Limits& effective,
                                                  std::int32_t portMaxSession, std::int32_t totalTime) const
{
    GreetingValues values;
    const std::size_t slash = account.find('\\');
    values.userName = slash == std::string::npos ? account : account.substr(slash + 1);
    values.portMaxSession = portMaxSession;
    values.userMaxSession = effective.maxSessionTime;
    values.userMaxTotal = effective.maxTotalTime;
    values.userCurrentTotal = totalTime;
    return GreetingFor(m_hw.greetings, effective, values);
}

std::optional<Cut> PolicyEngine::SessionCut(std::uint32_t start, std::int32_t portMaxSession, const Limits& effective)
{
    std::optional<Cut> cut;
    if (portMaxSession > 0)
        cut = Cut{ClampTime(std::int64_t(start) + portMaxSession), EndPortMaxTime};
    if (effective.maxSessionTime > 0) {
        const std::uint32_t at = ClampTime(std::int64_t(start) + effective.maxSessionTime);
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
    const std::int64_t numerator = std::int64_t(effective.maxTotalTime) - totalTime + sum;
    const std::int64_t at = numerator >= 0 ? numerator / k : -((-numerator + k - 1) / k);
    const std::int64_t latest = *std::max_element(starts.begin(), starts.end());
    return ClampTime(std::max(at, latest));
}

std::optional<std::uint32_t> PolicyEngine::PeriodCut(const Limits& effective, std::int32_t periodUsage,
                                                     std::uint32_t now, const std::vector<std::uint32_t>& starts)
{
    if (!effective.HasPeriodLimit() || starts.empty())
        return std::nullopt;
    // Like the total time, with each session counted from the period's start.
    const std::int64_t periodStart = PeriodStartAt(now, effective.periodType);
    std::int64_t sum = 0, latest = 0;
    for (std::uint32_t s : starts) {
        const std::int64_t from = std::max<std::int64_t>(s, periodStart);
        sum += from;
        latest = std::max(latest, from);
    }
    const std::int64_t k = static_cast<std::int64_t>(starts.size());
    const std::int64_t numerator = std::int64_t(effective.periodMax) - periodUsage + sum;
    const std::int64_t at = std::max(numerator >= 0 ? numerator / k : -((-numerator + k - 1) / k), latest);
    // Compared in 64 bits: near the end of the 32-bit times the next period
    // may start after the last time the files can hold.
    if (at >= NextPeriodStartAt(now, effective.periodType))
        return std::nullopt;
    return ClampTime(at);
}

std::optional<Cut> PolicyEngine::PlannedCut(std::uint32_t start, std::int32_t portMaxSession, const Limits& effective,
                                            const AccountUsage& usage, std::uint32_t now, std::uint32_t idleAt)
{
    std::optional<Cut> cut = SessionCut(start, portMaxSession, effective);
    auto earlier = [&](std::optional<std::uint32_t> at, int reason) {
        if (at && (!cut || *at < cut->at))
            cut = Cut{*at, reason};
    };
    earlier(TotalTimeCut(effective, usage.totalTime, usage.starts), EndUserMaxTotal);
    earlier(PeriodCut(effective, usage.periodUsage, now, usage.starts), EndPeriodUsed);
    earlier(idleAt != 0 ? std::optional<std::uint32_t>(idleAt) : std::nullopt, EndIdleTimeout);
    return cut;
}

} // namespace dm
