#pragma once
// Decimal numbers read from text, by two rules:
// - the profile files' atoi rules, for what programs wrote and other
//   programs read back: never an error, whatever the text holds;
// - checked parsing, for numbers typed by a person or given on a command
//   line: the whole text must be a number that fits the asked type, or
//   nothing comes back, so a value is refused rather than wrapped.

#include <cstdint>
#include <optional>
#include <string_view>

namespace dm {

// atoi rules: leading white space, an optional sign, the digits up to the
// first other character; nothing numeric reads as 0. Out-of-range values
// saturate at the limits of int.
int AtoiValue(std::string_view text);
// The same form, the value taken modulo 2^32, so that both the signed and
// the unsigned decimal of a 32-bit number read back ("-1062731775" and
// "3232235521" name the same bits: packed addresses, times).
std::uint32_t AtoiWrapped32(std::string_view text);
// Those 32 bits read as a signed number: how the database files' numbers
// are read (counters, limits, flags).
inline std::int32_t AtoiInt32(std::string_view text) { return static_cast<std::int32_t>(AtoiWrapped32(text)); }

// Decimal digits with an optional leading '-' (signed) and no blanks, sign
// only or other characters refused; a value outside the type is refused, not
// wrapped ("4294967296" is no 32-bit unsigned number).
std::optional<std::uint32_t> ParseUInt32(std::string_view text);
std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<std::uint64_t> ParseUInt64(std::string_view text);
std::optional<std::int64_t> ParseInt64(std::string_view text);

// An unsigned number as a command line takes masks, rights and speeds: the
// checked decimal of ParseUInt32, or hexadecimal after "0x" or "0X" (a
// leading 0 alone is decimal, never octal); refused above max.
std::optional<std::uint32_t> ParseUInt32DecimalOrHex(std::string_view text, std::uint32_t max = UINT32_MAX);

} // namespace dm
