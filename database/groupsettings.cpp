#include "database/groupsettings.h"

#include "common/numbers.h"
#include "database/profilevalues.h"
#include "common/text.h"
#include "database/policyform.h"
#include "platform/files/profile.h"

#include <algorithm>

namespace dm {

std::string GroupSectionName(std::string_view source, std::string_view group)
{
    std::string name = "+";
    name += source;
    name += '\\';
    name += group;
    return name;
}

FormLimits FormLimitsOf(const GroupSettings& s)
{
    FormLimits limits;
    limits[LimitSession] = s.sessionLimitOn ? AtoiInt32(s.maxSessionTime) : 0;
    limits[LimitTotal] = s.totalLimitOn ? AtoiInt32(s.maxTotalTime) : 0;
    if (s.periodLimitOn) {
        limits[LimitPeriod] = AtoiInt32(s.periodMax);
        limits.periodType = s.periodChoice + 1;
    }
    return limits;
}

GroupSettings LoadGroupSettings(std::string_view userFile, std::string_view section)
{
    GroupSettings s;
    const auto keys = GetPrivateProfileSection(section, userFile);
    auto limit = [&](const char* key, bool& on, std::string& text) {
        const std::int32_t value = AtoiInt32(FindValue(keys, key, ""));
        on = value != 0;
        text = on ? FormatInt32(static_cast<std::uint32_t>(value)) : std::string();
    };
    limit("MaxTotalTime", s.totalLimitOn, s.maxTotalTime);
    limit("MaxSessionTime", s.sessionLimitOn, s.maxSessionTime);
    s.allowMultiplePorts = AtoiInt32(FindValue(keys, "NoDuplicate", "")) == 0;
    const std::int32_t periodType = AtoiInt32(FindValue(keys, "PeriodType", ""));
    s.periodLimitOn = periodType != 0;
    if (s.periodLimitOn) {
        // Day, week or month; any other stored number, however extreme, shows as the nearest.
        s.periodChoice = std::clamp(periodType, 1, 3) - 1;
        s.periodMax = FormatInt32(static_cast<std::uint32_t>(AtoiInt32(FindValue(keys, "PeriodMax", ""))));
    }
    return s;
}

void WriteGroupSettings(ProfileBatch& batch, std::string_view section, const GroupSettings& s)
{
    auto limit = [&](const char* key, bool on, const std::string& text) {
        batch.Write(section, key, on && AtoiInt32(text) != 0 ? text : std::string("0"));
    };
    limit("MaxSessionTime", s.sessionLimitOn, s.maxSessionTime);
    limit("MaxTotalTime", s.totalLimitOn, s.maxTotalTime);
    batch.Write(section, "NoDuplicate", s.allowMultiplePorts ? "0" : "1");
    if (s.periodLimitOn) {
        batch.Write(section, "PeriodMax", s.periodMax);
        if (AtoiInt32(s.periodMax) != 0) {
            batch.Write(section, "PeriodType", FormatInt32(static_cast<std::uint32_t>(s.periodChoice + 1)));
            return;
        }
    } else {
        batch.Write(section, "PeriodMax", "0");
    }
    batch.Write(section, "PeriodType", "0");
}

Limits GroupLimitsOf(const GroupSettings& s)
{
    const auto amount = [](bool on, const std::string& text) {
        // Blanks around the digits are allowed, as the page takes them.
        return on ? static_cast<std::int32_t>(ParseAmount(TrimBlanks(text)).value_or(0)) : 0;
    };
    Limits limits;
    limits.maxSessionTime = amount(s.sessionLimitOn, s.maxSessionTime);
    limits.maxTotalTime = amount(s.totalLimitOn, s.maxTotalTime);
    limits.noDuplicate = !s.allowMultiplePorts;
    limits.periodMax = amount(s.periodLimitOn, s.periodMax);
    // A period limit without an amount is no period limit.
    limits.periodType = limits.periodMax != 0 ? s.periodChoice + 1 : PeriodNone;
    return limits;
}

bool SaveGroupSettings(std::string_view userFile, std::string_view section, const GroupSettings& shown,
                       const GroupSettings& edited)
{
    ProfileBatch batch(userFile);
    if (WritePolicyChanges(batch, PolicyEditor::Group, section, PolicyValuesOf(GroupLimitsOf(shown)),
                           PolicyValuesOf(GroupLimitsOf(edited))) == 0)
        return true;
    return batch.Commit();
}

} // namespace dm
