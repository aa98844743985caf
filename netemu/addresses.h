#pragma once
// IPv4 addresses as the RAS service hands them out and shows them.

#include <cstddef>
#include <cstdint>
#include <string>

namespace dm::netemu {

// The address port `index` of `server` hands out from the RAS address pool:
// 10.x.0.10 upwards, x fixed by the server's name.
std::uint32_t PoolAddress(const std::string& server, std::size_t index);

// "a.b.c.d" of the packed address a·2^24 + b·2^16 + c·2^8 + d.
std::string FormatAddress(std::uint32_t address);

} // namespace dm::netemu
