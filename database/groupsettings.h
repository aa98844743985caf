#pragma once
// One group section "+source\group" of Dialmind.usr, as the group page shows
// and saves it. Group sections are never part of the account table; the page
// reads and writes them directly.

#include "database/limitsform.h"

#include <string>
#include <string_view>

namespace dm {

class ProfileBatch;

struct GroupSettings {
    bool sessionLimitOn = false;
    std::string maxSessionTime; // the field's text; empty when the limit is off
    bool totalLimitOn = false;
    std::string maxTotalTime;
    bool allowMultiplePorts = true; // NoDuplicate "0"
    bool periodLimitOn = false;
    int periodChoice = 0;           // 0 "24 Hours", 1 "Week", 2 "Month"
    std::string periodMax;
};

// "+%s\%s".
std::string GroupSectionName(std::string_view source, std::string_view group);

// The limits the page shows for the settings (a group has no expiry).
FormLimits FormLimitsOf(const GroupSettings& settings);

// Reads a group section (missing keys read as limits off, multiple ports allowed).
GroupSettings LoadGroupSettings(std::string_view userFile, std::string_view section);
// Writes MaxSessionTime, MaxTotalTime, NoDuplicate, PeriodMax and PeriodType.
// A limit that is off, or whose text reads as 0, is written as "0"; a period
// limit without a usable amount writes PeriodType "0".
// The same keys added to a batch, for a caller that writes more at once.
void WriteGroupSettings(ProfileBatch& batch, std::string_view section, const GroupSettings& settings);
// The limits the settings stand for: a limit that is off, or whose text is
// not an amount, is 0; a period limit without an amount has no period type.
Limits GroupLimitsOf(const GroupSettings& settings);
// Writes the keys whose value differs between the settings the page showed
// and the ones it holds now; the rest of the section stays as it is.
bool SaveGroupSettings(std::string_view userFile, std::string_view section, const GroupSettings& shown,
                       const GroupSettings& edited);

} // namespace dm
