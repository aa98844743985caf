#pragma once
// Reading the process environment.

namespace dm {

// The value of an environment variable, or nullptr when it is unset or empty:
// an empty value counts as not given.
const char* NonEmptyEnv(const char* name);

} // namespace dm
