#include "netemu/addresses.h"

#include "common/text.h"
#include "database/profilevalues.h"
#include "netemu/random.h"

#include <cstdio>

namespace dm::netemu {

std::uint32_t PoolAddress(const std::string& server, std::size_t index)
{
    const std::string upper = UpperAscii(server);
    const std::uint32_t subnet = 16 + std::uint32_t(HashText(upper.data(), upper.size()) % 200);
    return (10u << 24) | (subnet << 16) | (std::uint32_t(index / 200) << 8) | std::uint32_t(10 + index % 200);
}

std::string FormatAddress(std::uint32_t address)
{
    char text[20];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 255, (address >> 8) & 255,
                  address & 255);
    return text;
}

} // namespace dm::netemu
