#include "database/profilevalues.h"

#include "common/text.h"

#include <cstdio>

namespace dm {

std::string FormatInt32(std::uint32_t bits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<std::int32_t>(bits));
    return buffer;
}

std::string Quoted(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

std::string_view FindValue(const std::vector<std::pair<std::string, std::string>>& keys,
                           std::string_view key, std::string_view fallback)
{
    for (const auto& [name, value] : keys)
        if (name.size() == key.size() && EqualNoCase(name, key))
            return value;
    return fallback;
}

std::string_view FindValue(const std::vector<std::pair<std::string_view, std::string_view>>& keys,
                           std::string_view key, std::string_view fallback)
{
    for (const auto& [name, value] : keys)
        if (name.size() == key.size() && EqualNoCase(name, key))
            return value;
    return fallback;
}

} // namespace dm
