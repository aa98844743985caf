#pragma once
// The limits form: an account's maximum session time, maximum total time,
// expiry and period limit as a person enters them, on the user's Time
// Restrictions page, the Default Settings page and a group's page alike, and
// as `dmctl policy set` takes them. One check serves them all: a field's text
// is a whole number from 0 to the largest value its key holds, or it is
// refused with a message that names the field and that value, and nothing is
// written.

#include "database/limits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

enum LimitField : int { LimitSession = 0, LimitTotal, LimitExpiry, LimitPeriod, LimitFieldCount };

struct LimitFieldInfo {
    const char* key;     // the key in Dialmind.usr and section Default: "MaxSessionTime"
    const char* name;    // as a message names it: "maximum session time"
    const char* unit;    // "seconds" or "days"
    std::int32_t largest; // the largest value the key holds
};
const LimitFieldInfo& LimitFieldOf(LimitField field);
// The field a key names (compared without regard to case); PeriodType is
// no field of its own: it follows the period choice.
std::optional<LimitField> LimitFieldByKey(std::string_view key);

// "The maximum session time must be a number of seconds from 0 to 2147483647."
std::string LimitRefusal(LimitField field);

// The value of a field's text: decimal digits, blanks around them allowed;
// an empty text is 0 (no limit). Anything else, or a value above the
// field's largest, is refused with LimitRefusal.
struct LimitCheck {
    std::optional<std::int32_t> value;
    std::string message; // when refused
};
LimitCheck CheckLimitText(LimitField field, std::string_view text);

// The form's values as the files hold them; 0 means no limit.
struct FormLimits {
    std::array<std::int32_t, LimitFieldCount> values{}; // by LimitField
    std::int32_t periodType = 0; // 0 none, 1 "24 Hours", 2 "Week", 3 "Month"

    std::int32_t& operator[](LimitField field) { return values[field]; }
    std::int32_t operator[](LimitField field) const { return values[field]; }
    bool operator==(const FormLimits&) const = default;
};
FormLimits FormLimitsOf(const UserRecord& record);
FormLimits FormLimitsOf(const DefaultProfile& profile);
void SetFormLimits(UserRecord& record, const FormLimits& limits);
void SetFormLimits(DefaultProfile& profile, const FormLimits& limits);

// The period type of a period limit chosen as choice (0 "24 Hours", 1
// "Week", 2 "Month"): none while the limit is 0.
std::int32_t PeriodTypeOf(std::int32_t periodMax, int choice);

// What the form's rows show: each check box, its field's text, the period
// choice.
struct LimitsEntry {
    std::array<bool, LimitFieldCount> on{};
    std::array<std::string, LimitFieldCount> text;
    int periodChoice = 0;

    bool operator==(const LimitsEntry&) const = default;
};
// How the form shows values: a value that is not 0 checks its box and
// stands in its field; a period type from 1 to 3 checks the period box and
// shows the period limit and choice. A type the choice cannot show is no
// period limit, as the server component takes it.
LimitsEntry ShowLimits(const FormLimits& limits);

// Reads an entry back against the values it was shown from. A row the
// person left as it was shown keeps its values as they were, whatever they
// are; a changed row takes its field's value when its box is on and 0 when
// it is off, and the period type follows the choice while the period limit
// is not 0. The first refused field (in row order) refuses the whole entry.
struct LimitsReading {
    bool ok = false;
    FormLimits limits;                    // when ok
    std::vector<std::string> changedKeys; // when ok: the keys whose value differs from what was shown
    LimitField refused = LimitSession;    // when not ok
    std::string message;                  // when not ok
};
LimitsReading ReadLimits(const LimitsEntry& entry, const FormLimits& shown);

// The keys whose values differ, in row order, PeriodType after PeriodMax.
std::vector<std::string> ChangedLimitKeys(const FormLimits& before, const FormLimits& after);

} // namespace dm
