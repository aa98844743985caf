#include "database/limitsform.h"

#include "common/numbers.h"
#include "common/text.h"

#include <limits>

namespace dm {

namespace {

constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();

// The files hold each value as a signed 32-bit decimal; the server component
// takes a value of 0 or below as no limit, so a limit is at most the largest
// positive one.
const LimitFieldInfo kFields[LimitFieldCount] = {
    {"MaxSessionTime", "maximum session time", "seconds", kLargest},
    {"MaxTotalTime", "maximum total time", "seconds", kLargest},
    {"ExpiryTime", "expiry", "days", kLargest},
    {"PeriodMax", "period limit", "seconds", kLargest},
};

constexpr LimitField kRows[] = {LimitSession, LimitTotal, LimitExpiry, LimitPeriod};

bool SameRow(const LimitsEntry& a, const LimitsEntry& b, LimitField field)
{
    if (a.on[field] != b.on[field] || a.text[field] != b.text[field])
        return false;
    // The choice only counts while the period limit is on.
    return field != LimitPeriod || !a.on[field] || a.periodChoice == b.periodChoice;
}

// An account's record and the default profile name their limits alike.
template <typename Record>
FormLimits LimitsOfRecord(const Record& r)
{
    return {{r.maxSessionTime, r.maxTotalTime, r.expiryTime, r.periodMax}, r.periodType};
}

template <typename Record>
void SetLimitsOfRecord(Record& r, const FormLimits& limits)
{
    r.maxSessionTime = limits[LimitSession];
    r.maxTotalTime = limits[LimitTotal];
    r.expiryTime = limits[LimitExpiry];
    r.periodMax = limits[LimitPeriod];
    r.periodType = limits.periodType;
}

} // namespace

const LimitFieldInfo& LimitFieldOf(LimitField field)
{
    return kFields[field];
}

std::optional<LimitField> LimitFieldByKey(std::string_view key)
{
    for (LimitField field : kRows)
        if (EqualNoCase(kFields[field].key, key))
            return field;
    return std::nullopt;
}

std::string LimitRefusal(LimitField field)
{
    const LimitFieldInfo& info = kFields[field];
    std::string message = "The ";
    message += info.name;
    message += " must be a number of ";
    message += info.unit;
    message += " from 0 to " + std::to_string(info.largest) + ".";
    return message;
}

LimitCheck CheckLimitText(LimitField field, std::string_view text)
{
    const std::string_view digits = TrimBlanks(text);
    if (digits.empty())
        return {0, {}};
    // Unsigned: a sign is no part of a limit. A value above the largest is
    // refused by its value, never wrapped into another one.
    const std::optional<std::uint64_t> value = ParseUInt64(digits);
    if (!value || *value > static_cast<std::uint64_t>(kFields[field].largest))
        return {std::nullopt, LimitRefusal(field)};
    return {static_cast<std::int32_t>(*value), {}};
}

FormLimits FormLimitsOf(const UserRecord& record) { return LimitsOfRecord(record); }
FormLimits FormLimitsOf(const DefaultProfile& profile) { return LimitsOfRecord(profile); }
void SetFormLimits(UserRecord& record, const FormLimits& limits) { SetLimitsOfRecord(record, limits); }
void SetFormLimits(DefaultProfile& profile, const FormLimits& limits) { SetLimitsOfRecord(profile, limits); }

std::int32_t PeriodTypeOf(std::int32_t periodMax, int choice)
{
    if (periodMax == 0 || choice < 0 || choice > 2)
        return PeriodNone;
    return choice + 1;
}

LimitsEntry ShowLimits(const FormLimits& limits)
{
    LimitsEntry entry;
    for (LimitField field : {LimitSession, LimitTotal, LimitExpiry}) {
        entry.on[field] = limits[field] != 0;
        if (entry.on[field])
            entry.text[field] = std::to_string(limits[field]);
    }
    const bool period = limits.periodType >= PeriodDay && limits.periodType <= PeriodMonth;
    entry.on[LimitPeriod] = period;
    if (period) {
        entry.text[LimitPeriod] = std::to_string(limits[LimitPeriod]);
        entry.periodChoice = limits.periodType - 1;
    }
    return entry;
}

LimitsReading ReadLimits(const LimitsEntry& entry, const FormLimits& shown)
{
    const LimitsEntry asShown = ShowLimits(shown);
    LimitsReading reading;
    reading.limits = shown;
    for (LimitField field : kRows) {
        if (SameRow(entry, asShown, field))
            continue;
        std::int32_t value = 0;
        if (entry.on[field]) {
            const LimitCheck check = CheckLimitText(field, entry.text[field]);
            if (!check.value) {
                reading.refused = field;
                reading.message = check.message;
                reading.limits = shown;
                return reading;
            }
            value = *check.value;
        }
        reading.limits[field] = value;
        if (field == LimitPeriod)
            reading.limits.periodType = entry.on[field] ? PeriodTypeOf(value, entry.periodChoice) : PeriodNone;
    }
    reading.ok = true;
    reading.changedKeys = ChangedLimitKeys(shown, reading.limits);
    return reading;
}

std::vector<std::string> ChangedLimitKeys(const FormLimits& before, const FormLimits& after)
{
    std::vector<std::string> keys;
    for (LimitField field : kRows) {
        if (before[field] != after[field])
            keys.emplace_back(kFields[field].key);
        if (field == LimitPeriod && before.periodType != after.periodType)
            keys.emplace_back("PeriodType");
    }
    return keys;
}

} // namespace dm
