#pragma once
// Reading and writing the numbers and texts of the database files the way
// every program of the system agrees on: numbers in decimal with the C
// library's atoi rules (AtoiInt32 and AtoiWrapped32 of common/numbers.h),
// 32-bit values stored signed (so an address whose first octet is 128 or
// more is written as a negative number), flags as "1"/"0", free texts
// enclosed in double quotes so that outer blanks survive.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dm {

// "%d" of the 32 bits read as a signed number.
std::string FormatInt32(std::uint32_t bits);
inline std::string FormatFlag(bool flag) { return flag ? "1" : "0"; }
// "\"%s\"".
std::string Quoted(std::string_view text);

// The value of a key in a section listing (the first key of that name,
// compared without regard to case); the fallback when it is missing.
std::string_view FindValue(const std::vector<std::pair<std::string, std::string>>& keys,
                           std::string_view key, std::string_view fallback = "0");
std::string_view FindValue(const std::vector<std::pair<std::string_view, std::string_view>>& keys,
                           std::string_view key, std::string_view fallback = "0");

} // namespace dm
