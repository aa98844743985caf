#pragma once
// Environment variables as the programs read them.

#include <cstdlib>

namespace dm {

// The variable's value, or nullptr when it is unset or empty: an empty
// variable counts as not given.
inline const char* NonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace dm
