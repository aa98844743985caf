#include "common/environment.h"

#include <cstdlib>

namespace dm {

const char* NonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace dm
