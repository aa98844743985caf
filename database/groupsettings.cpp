#include "database/groupsettings.h"

#include <algorithm>

#include "database/profilevalues.h"
#include "platform/files/profile.h"

namespace dm {

std::string GroupSectionName(std::string_view source, std::string_view group)
{
    std::string name = "+";
    name += source;
    name += '\\';
    name += group;
    return name;
}

GroupSettings LoadGroupSettings(std::string_view userFile, std::string_view section)
{
    GroupSettings s;
    const auto keys = GetPrivateProfileSection(section, userFile);
    auto limit = [&](const char* key, bool& on, std::string& text) {
        const std::int32_t value = ParseInt32(FindValue(keys, key, ""));
        on = value != 0;
        text = on ? FormatInt32(static_cast<std::uint32_t>(value)) : std::string();
    };
    limit("MaxTotalTime", s.totalLimitOn, s.maxTotalTime);
    limit("MaxSessionTime", s.sessionLimitOn, s.maxSessionTime);
    s.allowMultiplePorts = ParseInt32(FindValue(keys, "NoDuplicate", "")) == 0;
    const std::int32_t periodType = ParseInt32(FindValue(keys, "PeriodType", ""));
    s.periodLimitOn = periodType != 0;
    if (s.periodLimitOn) {
        // Day, week or month; any other stored number, however extreme, shows as the nearest.
        s.periodChoice = std::clamp(periodType, 1, 3) - 1;
        s.periodMax = FormatInt32(static_cast<std::uint32_t>(ParseInt32(FindValue(keys, "PeriodMax", ""))));
    }
    return s;
}

bool SaveGroupSettings(std::string_view userFile, std::string_view section,
                       const GroupSettings& s)
{
    ProfileBatch batch(userFile);
    auto limit = [&](const char* key, bool on, const std::string& text) {
        batch.Write(section, key, on && ParseInt32(text) != 0 ? text : std::string("0"));
    };
    limit("MaxSessionTime", s.sessionLimitOn, s.maxSessionTime);
    limit("MaxTotalTime", s.totalLimitOn, s.maxTotalTime);
    batch.Write(section, "NoDuplicate", s.allowMultiplePorts ? "0" : "1");
    if (s.periodLimitOn) {
        batch.Write(section, "PeriodMax", s.periodMax);
        if (ParseInt32(s.periodMax) != 0) {
            batch.Write(section, "PeriodType", FormatInt32(static_cast<std::uint32_t>(s.periodChoice + 1)));
            return batch.Commit();
        }
    } else {
        batch.Write(section, "PeriodMax", "0");
    }
    batch.Write(section, "PeriodType", "0");
    return batch.Commit();
}

} // namespace dm
