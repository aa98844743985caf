#include "database/profilevalues.h"

#include <cstdio>

namespace dm {

std::uint32_t ParseBits32(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps, which is exactly the modulo 2^32 we want and
    // keeps absurdly long digit strings free of undefined behaviour.
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

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

std::string CutToCapacity(std::string text, std::size_t capacity)
{
    if (capacity > 0 && text.size() > capacity - 1)
        text.resize(capacity - 1);
    return text;
}

std::string_view FindValue(const std::vector<std::pair<std::string, std::string>>& keys,
                           std::string_view key, std::string_view fallback)
{
    for (const auto& [name, value] : keys)
        if (EqualNoCase(name, key))
            return value;
    return fallback;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string LowerAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string UpperAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

} // namespace dm
