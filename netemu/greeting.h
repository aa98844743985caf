#pragma once
// The greeting message sent to a user who connects: the active rules that
// apply to the connection, merged into one line.

#include "netemu/policies.h"

#include <cstdint>
#include <optional>
#include <string>

namespace dm::netemu {

struct GreetingValues {
    std::string userName;             // #UNAME
    std::int32_t portMaxSession = 0;  // #PMS
    std::int32_t userMaxSession = 0;  // #UMS
    std::int32_t userMaxTotal = 0;    // #UMT
    std::int32_t userCurrentTotal = 0; // #UCUR
};

// Merges the rules whose flag in `applies` is set and that are active: each
// text is split at blanks, commas, tabs and line feeds; a token whose first
// four characters are a variable's (without regard to case) becomes its
// value; every token is followed by one blank. nullopt when no rule took part.
std::optional<std::string> MergeGreeting(const GreetingRule (&rules)[3], const bool (&applies)[3],
                                         const GreetingValues& values);

// The message for a connection: rule 0 for everyone, rule 1 when the account
// has a time limit, rule 2 when the port has a maximum session time.
std::optional<std::string> GreetingFor(const GreetingRule (&rules)[3], const Limits& effective,
                                       const GreetingValues& values);

} // namespace dm::netemu
