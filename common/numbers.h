#pragma once
// Numbers typed by a person or given on a command line, checked: the whole
// text must be a decimal that fits the asked type, or nothing comes back.
// (Numbers read from the profile files follow the files' own atoi rules in
// common/iniparser.h; a person's entry is checked, never wrapped.)

#include <cstdint>
#include <optional>
#include <string_view>

namespace dm {

// Decimal digits with an optional leading '-' (signed) and no blanks, sign
// only or other characters refused; a value outside the type is refused, not
// wrapped ("4294967296" is no 32-bit unsigned number).
std::optional<std::uint32_t> ParseUInt32(std::string_view text);
std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<std::uint64_t> ParseUInt64(std::string_view text);
std::optional<std::int64_t> ParseInt64(std::string_view text);

} // namespace dm
