#pragma once
// The greeting dialog's variables and preview, shared with `dmctl greeting
// preview`. The preview is the server component's own merge of the rules, so
// it shows exactly what a caller receives.

#include "database/greeting.h"

#include <array>
#include <string>

namespace dm {

// The variables the rule texts may hold, in the order of the dialog's menu.
struct GreetingVariable {
    const char* name;
    const char* menuText;
};
inline constexpr std::array<GreetingVariable, 5> kGreetingVariables = {{
    {"#UNAME", "#UNAME\t - Name of the User Account"},
    {"#PMS", "#PMS\t - Port max session time in secs"},
    {"#UMS", "#UMS\t - User account max session time in secs"},
    {"#UMT", "#UMT\t - User account max total time in secs"},
    {"#UCUR", "#UCUR\t - User account current total time in secs"},
}};

// What the preview shows when no rule is switched on.
inline constexpr const char* kNoRulesActive = "[NO RULES ACTIVE]";

struct GreetingPreview {
    std::string text;           // the whole merged message, or kNoRulesActive
    bool anyRuleActive = false; // false: the dialog beeps
};

// Every active rule merged with values, as for a connection to which all
// three rules apply.
GreetingPreview PreviewGreeting(const GreetingRules& rules, const GreetingValues& values);

} // namespace dm
