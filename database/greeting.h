#pragma once
// The greeting message the server component sends to a user who connects:
// the active rules that apply, merged into one line. The greeting dialog's
// preview calls the same merge with sample values.

#include "database/hardwarerecords.h"
#include "database/limits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace dm {

struct GreetingValues {
    std::string userName;              // #UNAME
    std::int32_t portMaxSession = 0;   // #PMS
    std::int32_t userMaxSession = 0;   // #UMS
    std::int32_t userMaxTotal = 0;     // #UMT
    std::int32_t userCurrentTotal = 0; // #UCUR
};

// The preview's sample: "John Doe", port max session 20, user max session
// 30, user max total 40, user current total 50.
GreetingValues SampleGreetingValues();

// Merges the active rules whose flag in `applies` is set: each text is split
// at blanks, commas, tabs and line feeds; a token whose first four characters
// are a variable's (#UMS, #UMT, #UCU, #PMS, #UNA, without regard to case)
// becomes its value; every token is followed by one blank. nullopt when no
// rule took part (the preview shows "[NO RULES ACTIVE]").
std::optional<std::string> MergeGreeting(const GreetingRules& rules, const GreetingValues& values,
                                         const std::array<bool, 3>& applies = {true, true, true});

// Which rules apply to a connection: rule 0 to everyone, rule 1 when the
// account has a time limit, rule 2 when the port has a maximum session time.
std::array<bool, 3> GreetingRulesApplying(const Limits& effective, std::int32_t portMaxSession);

// The message for a connection (the rules that apply, merged).
std::optional<std::string> GreetingFor(const GreetingRules& rules, const Limits& effective,
                                       const GreetingValues& values);

} // namespace dm
